"""Calling Python callbacks during real solves: the arguments, the problem
given to the callback, results, and exceptions that stop the solve."""
import threading
import traceback

import pytest

import quorva


def lp(scale=1):
    p = quorva.problem()
    x, y = quorva.var(ub=10 * scale), quorva.var(ub=5 * scale)
    p.addVariable(x, y)
    c = x + 2 * y <= 12 * scale
    p.addConstraint(c)
    p.setObjective(x + y, sense=quorva.maximize)
    p.setControl("outputlog", 0)
    return p, x, y, c


def test_message_arguments_and_the_view_answering_queries():
    p, x, y, c = lp()
    seen = []
    data = object()
    def f(prob, d, msg, msgtype):
        seen.append((prob is p, d is data, type(msg), type(msgtype), prob.getIndex(y), prob.getIndex(c),
                     prob.getAttrib("cols"), prob.getVariable(0) is x, prob.controls.outputlog))
    p.addcbmessage(f, data)
    p.solve()
    assert seen
    assert all(s == (False, True, str, int, 1, 0, 2, True, 0) for s in seen)
    assert p.getSolution(x) == 10


def test_a_view_kept_after_the_callback_gives_a_clear_error():
    p, x, *_ = lp()
    kept = []
    p.addcbmessage(lambda prob, d, m, t: kept.append(prob))
    p.solve()
    view = kept[-1]
    for use in [lambda: view.getAttrib("cols"), lambda: view.getIndex(x), lambda: view.solve(),
                lambda: view.controls, lambda: view.getSolution()]:
        with pytest.raises(quorva.ModelError, match="given to a callback that has returned"):
            use()
    p.removecbmessage()
    del kept, view   # destroying it leaves the library problem alone
    p.solve()
    assert p.getObjVal() == 11


def test_a_nested_solve_from_a_callback_is_refused():
    p, *_ = lp()
    errors = []
    def f(prob, d, m, t):
        for target in (prob, p):
            try:
                target.solve()
            except quorva.ModelError as e:
                errors.append(str(e))
    p.addcbmessage(f)
    p.solve()
    assert errors and all("already being solved" in e for e in errors)
    assert p.getProbStatusString() == "lp_optimal"


def test_an_exception_stops_the_solve_and_surfaces_with_its_traceback(capsys):
    p, *_ = lp()
    calls = []
    def bad(prob, d, m, t):
        calls.append("bad")
        raise KeyError("from the callback")
    def later(prob, d, m, t):
        calls.append("later")
    p.addcbmessage(bad, None, 2)
    p.addcbmessage(later, None, 1)
    with pytest.raises(KeyError, match="from the callback") as info:
        p.solve()
    assert calls == ["bad"]
    assert "bad" in [frame.name for frame in traceback.extract_tb(info.value.__traceback__)]
    assert "Problem in message() callback, stopping optimization\n" in capsys.readouterr().err
    # The next solve runs normally once the callback is gone.
    p.removecbmessage(bad)
    calls.clear()
    p.solve()
    assert p.getProbStatusString() == "lp_optimal" and calls and set(calls) == {"later"}


def test_an_exception_outside_a_solve_surfaces_from_the_method(tmp_path):
    p, *_ = lp()
    path = str(tmp_path / "lp.lp")
    p.write(path, "l")
    def bad(prob, d, m, t):
        raise RuntimeError("while reading")
    p.addcbmessage(bad)
    with pytest.raises(RuntimeError, match="while reading"):
        p.read(path, "l")
    p.removecbmessage(bad)
    p.solve()
    assert p.getObjVal() == 11


def test_two_problems_with_callbacks_in_two_threads():
    results = {}
    def run(name, fail):
        p, *_ = lp(scale=2 if fail else 1)
        calls = []
        def f(prob, d, m, t):
            calls.append(d)
            if fail:
                raise ValueError(name)
        p.addcbmessage(f, name)
        try:
            p.solve()
            results[name] = ("ok", p.getObjVal(), set(calls))
        except ValueError as e:
            results[name] = ("raised", str(e), set(calls))
    for _ in range(3):
        threads = [threading.Thread(target=run, args=(n, n == "b")) for n in ("a", "b")]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        assert results == {"a": ("ok", 11.0, {"a"}), "b": ("raised", "b", {"b"})}
