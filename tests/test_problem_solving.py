"""What happens around a solve: the solver's log reaching message handlers,
controls set per problem and module-wide, Ctrl-C, and other Python threads
running meanwhile."""

import threading
import time

import pytest

import quorva

# A market-split MIP: equality knapsacks over binaries that the engine
# needs far longer than these tests wait to solve.
MARKET_SPLIT = """
import random
import quorva

def market_split(seed, m=4, n=36):
    rng = random.Random(seed)
    p = quorva.problem(name="marketsplit")
    p.controls.outputlog = 0
    xs = [quorva.var(vartype=quorva.binary) for _ in range(n)]
    dev = [quorva.var() for _ in range(2 * m)]
    p.addVariable(xs, dev)
    for i in range(m):
        a = [rng.randint(0, 99) for _ in range(n)]
        p.addConstraint(quorva.Sum(a[j] * xs[j] for j in range(n)) + dev[2 * i] - dev[2 * i + 1] == sum(a) // 2)
    p.setObjective(quorva.Sum(dev))
    return p
"""


def small_lp():
    p = quorva.problem(name="logged")
    x, y = quorva.var(ub=4), quorva.var(ub=6)
    p.addVariable(x, y)
    p.addConstraint(x + 2 * y <= 10)
    p.setObjective(x + y, sense=quorva.maximize)
    return p


class TestMessages:
    def test_handler_receives_the_solvers_log(self, capfd):
        received = []

        def handler(sender, data, context, msg, length, msgtype):
            received.append((data, msg, msgtype))

        quorva.addcbmsghandler(handler, "mine", 0)
        try:
            p = small_lp()
            p.solve()
        finally:
            quorva.removecbmsghandler(handler, None)
        assert p.getProbStatusString() == "lp_optimal"
        texts = [msg for data, msg, _ in received if data == "mine" and msg]
        assert len(texts) >= 3
        assert any("HiGHS" in t or "optimal" in t.lower() for t in texts)
        capfd.readouterr()  # the log also went to standard output

    def test_outputlog_quiets_standard_output_but_not_handlers(self, capfd):
        received = []
        quorva.addcbmsghandler(lambda *args: received.append(args[3]), None, 0)
        try:
            quorva.controls.outputlog = 0  # module-wide: every new problem prints nothing
            capfd.readouterr()
            quiet = small_lp()
            quiet.solve()
            assert capfd.readouterr().out == ""
            assert received  # handlers still receive the solver's log
            received.clear()
            loud = small_lp()
            loud.controls.outputlog = 1  # per problem
            loud.solve()
            assert received and capfd.readouterr().out
        finally:
            quorva.removecbmsghandler(None, None)
        capfd.readouterr()

    def test_a_raising_handler_surfaces_after_the_solve(self, capfd):
        def handler(*args):
            raise ValueError("handler failed")

        quorva.addcbmsghandler(handler, None, 0)
        try:
            p = small_lp()
            with pytest.raises(ValueError, match="handler failed"):
                p.solve()
        finally:
            quorva.removecbmsghandler(handler, None)
        capfd.readouterr()


class TestControlsInSolves:
    def test_module_wide_time_limit_reaches_the_solve(self, fresh_python):
        code = MARKET_SPLIT + """
quorva.controls.timelimit = 0.5
p = market_split(seed=1)
assert p.controls.timelimit == 0.5
p.solve()
print(p.attributes.stopstatus == quorva.stop_timelimit, p.getProbStatusString())
other = market_split(seed=1)
other.controls.timelimit = 0.25
quorva.setdefaultcontrol("timelimit")
fresh = quorva.problem()
print(fresh.controls.timelimit, other.controls.timelimit)
"""
        rc, out, err = fresh_python(code)
        assert rc == 0, err
        lines = out.split("\n")
        assert lines[0].split()[0] == "True"
        assert lines[1] == "1e+20 0.25"


class TestInterrupts:
    def test_ctrl_c_stops_a_long_mip_and_python_gets_its_handler_back(self, fresh_python):
        code = MARKET_SPLIT + """
import os, signal, threading, time
p = market_split(seed=2)
p.controls.timelimit = 60
handler_before = signal.getsignal(signal.SIGINT)
threading.Timer(0.5, lambda: os.kill(os.getpid(), signal.SIGINT)).start()
start = time.time()
p.solve()
print(round(time.time() - start) < 30, p.attributes.stopstatus == quorva.stop_ctrlc)
print(signal.getsignal(signal.SIGINT) is handler_before)
try:
    os.kill(os.getpid(), signal.SIGINT)
    time.sleep(2)
    print("no KeyboardInterrupt")
except KeyboardInterrupt:
    print("KeyboardInterrupt")
"""
        rc, out, err = fresh_python(code)
        assert rc == 0, err
        assert out.split("\n")[:3] == ["True True", "True", "KeyboardInterrupt"]

    def test_solve_lets_other_threads_run(self):
        namespace = {}
        exec(MARKET_SPLIT, namespace)
        p = namespace["market_split"](seed=3)
        p.controls.timelimit = 1.0
        ticks = []
        stop = threading.Event()

        def worker():
            while not stop.is_set():
                ticks.append(time.perf_counter())
                time.sleep(0.01)

        thread = threading.Thread(target=worker)
        thread.start()
        time.sleep(0.05)
        before = len(ticks)
        start = time.perf_counter()
        p.solve()
        during = sum(1 for t in ticks[before:] if t > start)
        stop.set()
        thread.join()
        assert during >= 20  # ~100 at one tick per 10 ms, unless the lock were held
