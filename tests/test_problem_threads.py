"""A problem being solved in one thread (solve() lets the interpreter lock go)
refuses every use from other threads and is whole again when the solve
returns."""

import random
import threading
import time

import pytest

import quorva

REFUSED = "^The problem is being solved in another thread; use it again when solve\\(\\) returns$"


def market_split(p, rows=5, cols=40, seed=3):
    """Equality knapsacks over binaries: tiny, and far beyond a second of
    branch and bound."""
    rng = random.Random(seed)
    xs = [quorva.var(vartype=quorva.binary, name=f"x{j}") for j in range(cols)]
    p.addVariable(xs)
    for _ in range(rows):
        a = [rng.randint(0, 99) for _ in range(cols)]
        p.addConstraint(quorva.Sum(a[j] * xs[j] for j in range(cols)) == sum(a) // 2)
    p.setObjective(quorva.Sum(xs))
    return xs


def test_other_threads_are_refused_while_solving(tmp_path):
    p = quorva.problem()
    p.controls.outputlog = 0
    p.controls.timelimit = 1
    xs = market_split(p)
    solver = threading.Thread(target=p.solve)
    solver.start()
    try:
        # Wait until the solve has taken the problem (or has ended: then the
        # refusals below fail).
        while solver.is_alive():
            try:
                p.getVariable(0)
            except quorva.ModelError:
                break
            time.sleep(0.001)
        attempts = [
            lambda: p.addConstraint(xs[0] <= 0),
            lambda: p.addVariable(quorva.var()),
            lambda: p.delConstraint(0),
            lambda: p.setObjective(xs[1]),
            lambda: p.getSolution(),
            lambda: p.getObjVal(),
            lambda: p.write(str(tmp_path / "m.lp"), "l"),
            lambda: p.read(str(tmp_path / "m.lp")),
            lambda: p.copy(),
            lambda: p.solve(),
            lambda: p.controls.feastol,
            lambda: setattr(p.controls, "feastol", 1e-5),
            lambda: p.attributes.rows,
        ]
        for attempt in attempts:
            with pytest.raises(quorva.ModelError, match=REFUSED):
                attempt()
        bound = p.getVariable  # a method taken before is refused as well
        with pytest.raises(quorva.ModelError, match=REFUSED):
            bound()
    finally:
        solver.join()
    assert p.attributes.rows == 5 and p.attributes.cols == 40
    assert p.attributes.stopstatus == quorva.stop_timelimit
    p.addConstraint(xs[0] <= 0)
    assert p.attributes.rows == 6 and p.copy().attributes.rows == 6


def test_a_nested_solve_is_refused(fresh_python):
    rc, out, err = fresh_python("""
        import quorva
        p = quorva.problem()
        x = quorva.var(ub=3)
        p.addVariable(x)
        p.setObjective(x, sense=quorva.maximize)
        errors = set()

        def nested(*args):
            try:
                p.solve()
            except quorva.ModelError as error:
                errors.add(str(error))

        quorva.addcbmsghandler(nested, None, 0)
        p.solve()
        quorva.removecbmsghandler(nested, None)
        print(sorted(errors), p.getSolution(x))
    """)
    assert rc == 0, err
    assert out.strip().splitlines()[-1] == (
        "['The problem is already being solved; solve() cannot be called from within it'] 3.0")
