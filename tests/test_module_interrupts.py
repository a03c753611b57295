"""The interpreter's Ctrl-C handling around solves: whatever the solves do
with SIGINT while they run, Ctrl-C raises KeyboardInterrupt again once the
last of them has returned. Each case runs in its own interpreter, since a
lost handler would kill it."""

import pytest

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
try:
    os.kill(os.getpid(), signal.SIGINT)
    for _ in range(1000):
        pass
    print("not interrupted")
except KeyboardInterrupt:
    print("KeyboardInterrupt")
"""


@pytest.mark.parametrize("nthreads", [2, 3])
def test_ctrl_c_works_after_concurrent_solves(fresh_python, nthreads):
    rc, out, err = fresh_python(CONCURRENT.replace("NTHREADS", str(nthreads)))
    assert (rc, out.strip()) == (0, "KeyboardInterrupt"), err
