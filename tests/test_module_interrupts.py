"""The interpreter's Ctrl-C handling around solves: whatever the solves do
with SIGINT while they run, Ctrl-C raises KeyboardInterrupt again once the
last of them has returned. Each case runs in its own interpreter, since a
lost handler would kill it."""

import pytest

# The last line of each script: whether Ctrl-C raises KeyboardInterrupt now.
# The signal may reach any thread of the process (HiGHS keeps worker threads
# after a solve); the interpreter's handler, wherever it runs, makes the main
# thread raise at its next check, so the script waits for that (a lost
# handler never raises).
CTRL_C_RAISES = """
import time
try:
    os.kill(os.getpid(), signal.SIGINT)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        time.sleep(0.01)
    print("not interrupted")
except KeyboardInterrupt:
    print("KeyboardInterrupt")
"""

CONCURRENT = """
import os, random, signal, threading
import quorva

def solve_market_split(seed):
    rng = random.Random(seed)
    p = quorva.problem()
    p.controls.outputlog = 0
    p.controls.timelimit = 0.5
    xs = [quorva.var(vartype=quorva.binary) for _ in range(40)]
    p.addVariable(xs)
    for _ in range(5):
        a = [rng.randint(0, 99) for _ in range(40)]
        p.addConstraint(quorva.Sum(a[j] * xs[j] for j in range(40)) == sum(a) // 2)
    p.setObjective(quorva.Sum(xs))
    p.solve()

threads = [threading.Thread(target=solve_market_split, args=(seed,)) for seed in range(NTHREADS)]
for t in threads:
    t.start()
for t in threads:
    t.join()
""" + CTRL_C_RAISES


@pytest.mark.parametrize("nthreads", [2, 3])
def test_ctrl_c_works_after_concurrent_solves(fresh_python, nthreads):
    rc, out, err = fresh_python(CONCURRENT.replace("NTHREADS", str(nthreads)))
    assert (rc, out.strip()) == (0, "KeyboardInterrupt"), err


DURING_TRANSFER = """
import os, random, signal
import quorva

rng = random.Random(5)
p = quorva.problem()
p.controls.outputlog = 0
p.controls.presolve = 0  # the run iterates, so it meets its interrupt points
xs = [quorva.var(ub=10, vartype=VARTYPE) for _ in range(60)]
p.addVariable(xs)
for i in range(40):
    p.addConstraint(quorva.Sum(rng.randint(1, 9) * x for x in xs) <= rng.randint(100, 200))
# A coefficient HiGHS drops with a warning while it takes the model in: the
# handler hears that warning in the middle of the transfer.
p.addConstraint(xs[0] + 1e-12 * xs[1] <= 7)
p.setObjective(quorva.Sum(-rng.randint(1, 9) * x for x in xs))
sent = []

def handler(obj, data, prob, msg, n, msgtype):
    if msg and "ignored" in msg and not sent:
        sent.append(msg)
        os.kill(os.getpid(), signal.SIGINT)

quorva.addcbmsghandler(handler, None, 0)
p.solve()
print(len(sent), p.attributes.stopstatus == quorva.stop_ctrlc)
quorva.removecbmsghandler(handler, None)
p.solve()
print(p.attributes.stopstatus, p.getProbStatusString())
""" + CTRL_C_RAISES


@pytest.mark.parametrize("vartype, solved", [("quorva.continuous", "lp_optimal"),
                                             ("quorva.integer", "mip_optimal")])
def test_ctrl_c_while_the_model_is_passed_stops_the_solve(fresh_python, vartype, solved):
    """Ctrl-C before the engine's run has started (here while HiGHS takes the
    model in) stops the solve with the Ctrl-C reason instead of ending the
    process; the problem then solves to the end."""
    rc, out, err = fresh_python(DURING_TRANSFER.replace("VARTYPE", vartype))
    assert rc == 0, err
    assert out.split("\n")[:3] == ["1 True", "0 " + solved, "KeyboardInterrupt"], out
