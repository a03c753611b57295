"""Time to the first irreducible infeasible subsystem and its size, quorva
(iisfirst, deletion filter) against HiGHS's own IIS (highspy, strategy
from-ray + irreducible), on the same MPS files in the same run.

Families: a transportation problem whose supply falls short of demand, a
scheduling model whose deadlines conflict with its precedences, and netlib
LPs made infeasible by one tightened bound.

    python bench/analysis.py [--repeat N]
"""

import argparse
import os
import sys
import tempfile
import time

import highspy

import quorva

INSTANCES = "/work/shared/instances"


def quiet():
    p = quorva.problem()
    p.controls.outputlog = 0
    return p


def transportation(k):
    """k plants of supply 10 serve k markets of demand 11."""
    p = quiet()
    x = [[quorva.var(name="x_%d_%d" % (i, j)) for j in range(k)] for i in range(k)]
    p.addVariable(*[v for row in x for v in row])
    p.addConstraint(*[quorva.Sum(x[i]) <= 10 for i in range(k)])
    p.addConstraint(*[quorva.Sum(x[i][j] for i in range(k)) >= 11 for j in range(k)])
    p.setObjective(quorva.Sum((1 + (i * 7 + j * 3) % 5) * x[i][j] for i in range(k) for j in range(k)))
    return p


def scheduling(jobs):
    """A chain of jobs of length 2 each, start times s_j: s_{j+1} >= s_j + 2;
    every job must end by its deadline 2j + 3, but the last one by 2 * jobs - 1."""
    p = quiet()
    s = [quorva.var(name="s%d" % j) for j in range(jobs)]
    p.addVariable(*s)
    p.addConstraint(*[s[j + 1] >= s[j] + 2 for j in range(jobs - 1)])
    p.addConstraint(*[s[j] + 2 <= 2 * j + 3 for j in range(jobs - 1)])
    p.addConstraint(s[jobs - 1] + 2 <= 2 * jobs - 1)
    p.setObjective(quorva.Sum(s))
    return p


def tightened(name, col, kind, value):
    p = quiet()
    p.read(os.path.join(INSTANCES, name))
    p.chgbounds([col], [kind], [value])
    return p


CASES = [
    ("transport-20", lambda: transportation(20)),
    ("transport-60", lambda: transportation(60)),
    ("schedule-200", lambda: scheduling(200)),
    ("schedule-1000", lambda: scheduling(1000)),
    ("afiro+lb", lambda: tightened("afiro.mps", 0, "L", 800.0)),
    ("israel+ub", lambda: tightened("israel.mps", 41, "U", 110.0)),
    ("25fv47+ub", lambda: tightened("25fv47.mps", 1012, "U", 20.176)),
]


def ours(p):
    start = time.perf_counter()
    status = p.iisfirst(0)
    elapsed = time.perf_counter() - start
    rows, cols = [], []
    p.iisstatus(rows, cols, None, None)
    return elapsed, (rows[1] + cols[1]) if status == 0 else None


def highs(path):
    h = highspy.Highs()
    h.setOptionValue("output_flag", False)
    h.readModel(path)
    h.setOptionValue("iis_strategy", int(highspy.IisStrategy.kIisStrategyFromRay) |
                     int(highspy.IisStrategy.kIisStrategyIrreducible))
    start = time.perf_counter()
    status, iis = h.getIis()
    elapsed = time.perf_counter() - start
    size = len(iis.col_index_) + len(iis.row_index_)
    return elapsed, size if size else None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    print("first IIS: best of %d runs; size = rows + columns in it" % args.repeat)
    print("%-14s %8s %8s | %10s %10s | %6s" % ("case", "rows", "cols", "quorva s", "HiGHS s", "sizes"))
    worst = 0.0
    with tempfile.TemporaryDirectory() as tmp:
        for name, make in CASES:
            p = make()
            path = os.path.join(tmp, name + ".mps")
            p.write(path)
            t_ours = t_highs = float("inf")
            for _ in range(args.repeat):
                q = quiet()
                q.read(path)
                t, size_ours = ours(q)
                t_ours = min(t_ours, t)
                t, size_highs = highs(path)
                t_highs = min(t_highs, t)
            ratio = t_ours / t_highs if t_highs > 0 else float("inf")
            worst = max(worst, ratio)
            print("%-14s %8d %8d | %10.4f %10.4f | %s vs %s (%.2fx)" %
                  (name, p.attributes.rows, p.attributes.cols, t_ours, t_highs, size_ours, size_highs, ratio),
                  flush=True)
    print("largest time ratio quorva / HiGHS: %.2f" % worst)
    return 0


if __name__ == "__main__":
    sys.exit(main())
