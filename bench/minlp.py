"""Mixed-integer nonlinear benchmark: small problems with integer or binary
columns and nonlinear objectives or rows, solved in the same run by
quorva's tree search over SLP node solves and by SCIP (PySCIPOpt from
PyPI, see bench/requirements.txt), with optima and times side by side.

Each problem is written once over a small builder `b` (variables, rows,
objective and the functions exp and log of the modeller at hand). SCIP
takes a nonlinear objective as a variable bounding it (its objective is
linear). Known optima are given where they follow by hand; otherwise the
two solvers' values are compared with each other. quorva's node solves are
local: on the non-convex problems (the Rosenbrock ones) its optimum is local.

    python bench/minlp.py
"""
import math
import random
import sys
import time

import quorva

INF = 1e20


class QuorvaBuilder:
    def __init__(self):
        self.p = quorva.problem()
        self.p.controls.outputlog = 0
        self.exp, self.log = quorva.exp, quorva.log

    def var(self, lb, ub, kind="C"):
        vt = {"C": quorva.continuous, "I": quorva.integer, "B": quorva.binary}[kind]
        v = quorva.var(lb=lb, ub=ub, vartype=vt)
        self.p.addVariable(v)
        return v

    def row(self, c):
        self.p.addConstraint(c)

    def objective(self, f, sense):
        self.p.setObjective(f, sense=quorva.minimize if sense > 0 else quorva.maximize)

    def solve(self):
        start = time.perf_counter()
        self.p.solve()
        seconds = time.perf_counter() - start
        ok = self.p.attributes.mipstatus == quorva.mip_optimal
        return (self.p.getObjVal() if ok else None), seconds, self.p.attributes.nodes


class ScipBuilder:
    def __init__(self, pyscipopt):
        self.s = pyscipopt
        self.m = pyscipopt.Model()
        self.m.hideOutput()
        self.exp, self.log = pyscipopt.exp, pyscipopt.log

    def var(self, lb, ub, kind="C"):
        return self.m.addVar(lb=None if lb <= -INF else lb, ub=None if ub >= INF else ub, vtype=kind)

    def row(self, c):
        self.m.addCons(c)

    def objective(self, f, sense):
        t = self.m.addVar(lb=None, ub=None)
        self.m.addCons(t >= f if sense > 0 else t <= f)
        self.m.setObjective(t, sense="minimize" if sense > 0 else "maximize")

    def solve(self):
        start = time.perf_counter()
        self.m.optimize()
        seconds = time.perf_counter() - start
        ok = self.m.getStatus() == "optimal"
        return (self.m.getObjVal() if ok else None), seconds, int(self.m.getNNodes())


def rosenbrock(a):
    def build(b):
        x, y = b.var(-5, 5, "I"), b.var(-5, 5, "I")
        b.objective((a - x) ** 2 + 100 * (y - x ** 2) ** 2, 1)
    return build


def synthesis(b):
    # Product from process 1 (z1 <= 0.9 log(1 + x1), fixed cost 7) or
    # process 2 (z2 <= 1.1 log(1 + x2), fixed cost 5, x2 costs 1.2).
    x1, x2 = b.var(0, 10), b.var(0, 10)
    z1, z2 = b.var(0, 5), b.var(0, 5)
    y1, y2 = b.var(0, 1, "B"), b.var(0, 1, "B")
    b.row(z1 - 0.9 * b.log(1 + x1) <= 0)
    b.row(z2 - 1.1 * b.log(1 + x2) <= 0)
    b.row(z1 + z2 >= 1)
    b.row(x1 - 10 * y1 <= 0)
    b.row(x2 - 10 * y2 <= 0)
    b.objective(x1 + 1.2 * x2 + 7 * y1 + 5 * y2, 1)


def convex_small(b):
    x1, x2, x3 = b.var(0, 4, "I"), b.var(0, 4, "I"), b.var(0, 5)
    b.row(b.exp(0.5 * x1) + x2 ** 2 + x3 <= 10)
    b.objective((x1 - 2.6) ** 2 + (x2 - 2.4) ** 2 + 0.5 * x3 ** 2 - 2 * x3, 1)


def allocation(n, seed):
    # Integer amounts near targets, a budget and a convex resource row.
    rnd = random.Random(seed)
    targets = [rnd.uniform(1, 9) for _ in range(n)]
    weights = [rnd.uniform(0.1, 0.4) for _ in range(n)]

    def build(b):
        xs = [b.var(0, 10, "I") for _ in range(n)]
        b.row(sum(xs) <= 0.6 * sum(targets))
        b.row(sum(b.exp(w * x) for w, x in zip(weights, xs)) <= 3 * n)
        b.objective(sum((x - t) ** 2 for x, t in zip(xs, targets)), 1)
    return build


def discs(b):
    # Pick at most two of three points to lie within one unit disc.
    u, v = b.var(-3, 3), b.var(-3, 3)
    ys = [b.var(0, 1, "B") for _ in range(3)]
    for (px, py), y in zip([(0, 0), (1.5, 0), (0, 3)], ys):
        b.row((u - px) * (u - px) + (v - py) * (v - py) + 20 * y <= 21)
    b.row(ys[0] + ys[1] + ys[2] <= 2)
    b.objective(3 * ys[0] + 2 * ys[1] + 2 * ys[2], -1)


PROBLEMS = [
    ("rosenbrock-int a=1", rosenbrock(1.0), 0.0),
    ("rosenbrock-int a=1.4", rosenbrock(1.4), 0.16),
    ("rosenbrock-int a=2.6", rosenbrock(2.6), 0.36),
    ("synthesis", synthesis, 5 + 1.2 * (math.exp(1 / 1.1) - 1)),
    ("convex-3", convex_small, None),
    ("allocation-6", allocation(6, 1), None),
    ("allocation-10", allocation(10, 2), None),
    ("discs", discs, 5.0),
]


def show(v):
    return "-" if v is None else "%.6f" % v


def main():
    try:
        import pyscipopt
    except ImportError:
        pyscipopt = None
        print("PySCIPOpt is not installed (pip install pyscipopt): quorva alone", file=sys.stderr)
    print("%-22s %12s | %12s %9s %6s | %12s %9s %6s | %s" % (
        "problem", "optimum", "quorva", "seconds", "nodes", "scip", "seconds", "nodes", "agree"))
    for name, build, optimum in PROBLEMS:
        q = QuorvaBuilder()
        build(q)
        qv, qt, qn = q.solve()
        sv = st = sn = None
        if pyscipopt:
            s = ScipBuilder(pyscipopt)
            build(s)
            sv, st, sn = s.solve()
        ref = optimum if optimum is not None else sv
        agree = "-" if ref is None or qv is None else (
            "yes" if abs(qv - ref) <= 1e-5 * max(1.0, abs(ref)) else "no")
        print("%-22s %12s | %12s %9.4f %6d | %12s %9s %6s | %s" % (
            name, show(optimum), show(qv), qt, qn, show(sv),
            "-" if st is None else "%.4f" % st, "-" if sn is None else sn, agree))


if __name__ == "__main__":
    main()
