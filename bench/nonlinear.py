"""Nonlinear benchmark: small classic test problems of the Hock-Schittkowski
collection with known optima, solved by quorva's SLP solver and by Ipopt
(through cyipopt) in the same run.

Ipopt comes through cyipopt, which PyPI ships for Linux only as source and
which builds against a system Ipopt (pkg-config ipopt); on Debian 12 (Ipopt
3.11.9) it builds once the LAPACK and BLAS link names are there too:
    apt-get install coinor-libipopt-dev liblapack-dev libblas-dev pkg-config
    pip install cython setuptools wheel && pip install --no-build-isolation cyipopt==1.7.0
Without cyipopt the table shows quorva alone.

Each problem is written once, over a math module `m` (quorva's functions for
the model, math for Ipopt's values, cmath for its exact complex-step
derivatives). Ipopt starts from the published starting point with
limited-memory Hessians; quorva starts from its default point (0 moved into
the bounds). Success: objective within 1e-5 (relative above 1) of the known
optimum.

    python bench/nonlinear.py
"""
import cmath
import math
import sys
import time

import quorva

INF = 1e20


class Problem:
    def __init__(self, name, bounds, x0, objective, constraints, optimum):
        self.name = name
        self.bounds = bounds  # [(lb, ub)] with +-INF for none
        self.x0 = x0
        self.objective = objective  # f(m, x)
        self.constraints = constraints  # [(g(m, x), lb, ub)]
        self.optimum = optimum


def P(name, bounds, x0, f, cons, opt):
    return Problem(name, bounds, x0, f, cons, opt)


FREE = (-INF, INF)
PROBLEMS = [
    P("hs004", [(1, INF), (0, INF)], [1.125, 0.125], lambda m, x: (x[0] + 1) ** 3 / 3 + x[1], [], 8 / 3),
    P("hs005", [(-1.5, 4), (-3, 3)], [0, 0],
      lambda m, x: m.sin(x[0] + x[1]) + (x[0] - x[1]) ** 2 - 1.5 * x[0] + 2.5 * x[1] + 1, [],
      -math.sqrt(3) / 2 - math.pi / 3),
    P("hs006", [FREE, FREE], [-1.2, 1], lambda m, x: (1 - x[0]) ** 2,
      [(lambda m, x: 10 * (x[1] - x[0] ** 2), 0, 0)], 0.0),
    P("hs007", [FREE, FREE], [2, 2], lambda m, x: m.log(1 + x[0] ** 2) - x[1],
      [(lambda m, x: (1 + x[0] ** 2) ** 2 + x[1] ** 2, 4, 4)], -math.sqrt(3)),
    P("hs009", [FREE, FREE], [0, 0], lambda m, x: m.sin(math.pi * x[0] / 12) * m.cos(math.pi * x[1] / 16),
      [(lambda m, x: 4 * x[0] - 3 * x[1], 0, 0)], -0.5),
    P("hs010", [FREE, FREE], [-10, 10], lambda m, x: x[0] - x[1],
      [(lambda m, x: -3 * x[0] ** 2 + 2 * x[0] * x[1] - x[1] ** 2, -1, INF)], -1.0),
    P("hs011", [FREE, FREE], [4.9, 0.1], lambda m, x: (x[0] - 5) ** 2 + x[1] ** 2 - 25,
      [(lambda m, x: -x[0] ** 2 + x[1], 0, INF)], -8.498464223),
    P("hs012", [FREE, FREE], [0, 0],
      lambda m, x: 0.5 * x[0] ** 2 + x[1] ** 2 - x[0] * x[1] - 7 * x[0] - 7 * x[1],
      [(lambda m, x: 4 * x[0] ** 2 + x[1] ** 2, -INF, 25)], -30.0),
    P("hs014", [FREE, FREE], [2, 2], lambda m, x: (x[0] - 2) ** 2 + (x[1] - 1) ** 2,
      [(lambda m, x: x[0] - 2 * x[1], -1, -1), (lambda m, x: x[0] ** 2 / 4 + x[1] ** 2, -INF, 1)],
      9 - 2.875 * math.sqrt(7)),
    P("hs015", [(-INF, 0.5), FREE], [-2, 1], lambda m, x: 100 * (x[1] - x[0] ** 2) ** 2 + (1 - x[0]) ** 2,
      [(lambda m, x: x[0] * x[1], 1, INF), (lambda m, x: x[0] + x[1] ** 2, 0, INF)], 306.5),
    P("hs018", [(2, 50), (0, 50)], [2, 2], lambda m, x: 0.01 * x[0] ** 2 + x[1] ** 2,
      [(lambda m, x: x[0] * x[1], 25, INF), (lambda m, x: x[0] ** 2 + x[1] ** 2, 25, INF)], 5.0),
    P("hs022", [FREE, FREE], [2, 2], lambda m, x: (x[0] - 2) ** 2 + (x[1] - 1) ** 2,
      [(lambda m, x: x[0] + x[1], -INF, 2), (lambda m, x: -x[0] ** 2 + x[1], 0, INF)], 1.0),
    P("hs023", [(-50, 50), (-50, 50)], [3, 1], lambda m, x: x[0] ** 2 + x[1] ** 2,
      [(lambda m, x: x[0] + x[1], 1, INF), (lambda m, x: x[0] ** 2 + x[1] ** 2, 1, INF),
       (lambda m, x: 9 * x[0] ** 2 + x[1] ** 2, 9, INF), (lambda m, x: x[0] ** 2 - x[1], 0, INF),
       (lambda m, x: x[1] ** 2 - x[0], 0, INF)], 2.0),
    P("hs029", [FREE] * 3, [1, 1, 1], lambda m, x: -x[0] * x[1] * x[2],
      [(lambda m, x: x[0] ** 2 + 2 * x[1] ** 2 + 4 * x[2] ** 2, -INF, 48)], -16 * math.sqrt(2)),
    P("hs035", [(0, INF)] * 3, [0.5, 0.5, 0.5],
      lambda m, x: 9 - 8 * x[0] - 6 * x[1] - 4 * x[2] + 2 * x[0] ** 2 + 2 * x[1] ** 2 + x[2] ** 2
      + 2 * x[0] * x[1] + 2 * x[0] * x[2],
      [(lambda m, x: x[0] + x[1] + 2 * x[2], -INF, 3)], 1 / 9),
    P("hs040", [FREE] * 4, [0.8, 0.8, 0.8, 0.8], lambda m, x: -x[0] * x[1] * x[2] * x[3],
      [(lambda m, x: x[0] ** 3 + x[1] ** 2, 1, 1), (lambda m, x: x[0] ** 2 * x[3] - x[2], 0, 0),
       (lambda m, x: x[3] ** 2 - x[1], 0, 0)], -0.25),
    P("hs043", [FREE] * 4, [0, 0, 0, 0],
      lambda m, x: x[0] ** 2 + x[1] ** 2 + 2 * x[2] ** 2 + x[3] ** 2 - 5 * x[0] - 5 * x[1] - 21 * x[2] + 7 * x[3],
      [(lambda m, x: x[0] ** 2 + x[1] ** 2 + x[2] ** 2 + x[3] ** 2 + x[0] - x[1] + x[2] - x[3], -INF, 8),
       (lambda m, x: x[0] ** 2 + 2 * x[1] ** 2 + x[2] ** 2 + 2 * x[3] ** 2 - x[0] - x[3], -INF, 10),
       (lambda m, x: 2 * x[0] ** 2 + x[1] ** 2 + x[2] ** 2 + 2 * x[0] - x[1] - x[3], -INF, 5)], -44.0),
    P("hs065", [(-4.5, 4.5), (-4.5, 4.5), (-5, 5)], [-5, 5, 0],
      lambda m, x: (x[0] - x[1]) ** 2 + (x[0] + x[1] - 10) ** 2 / 9 + (x[2] - 5) ** 2,
      [(lambda m, x: x[0] ** 2 + x[1] ** 2 + x[2] ** 2, -INF, 48)], 0.9535288567),
    P("hs071", [(1, 5)] * 4, [1, 5, 5, 1], lambda m, x: x[0] * x[3] * (x[0] + x[1] + x[2]) + x[2],
      [(lambda m, x: x[0] * x[1] * x[2] * x[3], 25, INF),
       (lambda m, x: x[0] ** 2 + x[1] ** 2 + x[2] ** 2 + x[3] ** 2, 40, 40)], 17.0140173),
    P("hs078", [FREE] * 5, [-2, 1.5, 2, -1, -1],
      lambda m, x: x[0] * x[1] * x[2] * x[3] * x[4],
      [(lambda m, x: sum(v ** 2 for v in x), 10, 10), (lambda m, x: x[1] * x[2] - 5 * x[3] * x[4], 0, 0),
       (lambda m, x: x[0] ** 3 + x[2] ** 3, -1, -1)], -2.91970041),
    P("rosen5", [(-5, 5)] * 5, [-1.2, 1, -1.2, 1, -1.2],
      lambda m, x: sum(100 * (x[i + 1] - x[i] ** 2) ** 2 + (1 - x[i]) ** 2 for i in range(4)), [], 0.0),
]


def solved_well(value, optimum):
    return value is not None and abs(value - optimum) <= 1e-5 * max(1.0, abs(optimum))


# ---- quorva ----

def run_quorva(prob):
    p = quorva.problem()
    p.controls.outputlog = 0
    p.controls.slplog = 0
    xs = [quorva.var(lb=-quorva.infinity if lb <= -INF else lb, ub=quorva.infinity if ub >= INF else ub)
          for lb, ub in prob.bounds]
    p.addVariable(xs)
    for g, lb, ub in prob.constraints:
        body = g(quorva, xs)
        if lb == ub:
            p.addConstraint(body == lb)
        else:
            if lb > -INF:
                p.addConstraint(body >= lb)
            if ub < INF:
                p.addConstraint(body <= ub)
    objective = prob.objective(quorva, xs)
    p.setObjective(objective)
    start = time.perf_counter()
    try:
        p.solve()
        elapsed = time.perf_counter() - start
    except quorva.SolverError as error:
        return dict(status=f"error: {error}"[:40], value=None, iterations=0, time=time.perf_counter() - start)
    status = p.getProbStatusString()
    iterations = p.attributes.slpiterations
    # A solve that ended without a solution has no objective value to show.
    value = p.getObjVal() if status in ("nlp_solution", "nlp_globally_optimal", "lp_optimal") else None
    return dict(status=status, value=value, iterations=iterations, time=elapsed)


# ---- Ipopt ----

def run_ipopt(prob):
    import cyipopt
    import numpy as np

    n = len(prob.bounds)
    rows = []
    for g, lb, ub in prob.constraints:
        rows.append((g, lb, ub))

    def complex_step(fun, x):
        h = 1e-30
        grad = np.zeros(n)
        for j in range(n):
            z = [complex(v) for v in x]
            z[j] += complex(0, h)
            grad[j] = fun(cmath, z).imag / h
        return grad

    counter = {"iterations": 0}

    class Model:
        def objective(self, x):
            return float(prob.objective(math, list(x)))

        def gradient(self, x):
            return complex_step(prob.objective, list(x))

        def constraints(self, x):
            return np.array([float(g(math, list(x))) for g, _, _ in rows])

        def jacobian(self, x):
            return np.concatenate([complex_step(g, list(x)) for g, _, _ in rows]) if rows else np.zeros(0)

        def intermediate(self, alg_mod, iter_count, *args):
            counter["iterations"] = iter_count

    nlp = cyipopt.Problem(
        n=n, m=len(rows), problem_obj=Model(),
        lb=[b[0] for b in prob.bounds], ub=[b[1] for b in prob.bounds],
        cl=[r[1] for r in rows], cu=[r[2] for r in rows])
    nlp.add_option("print_level", 0)
    nlp.add_option("sb", "yes")
    nlp.add_option("hessian_approximation", "limited-memory")
    nlp.add_option("tol", 1e-9)
    start = time.perf_counter()
    x, info = nlp.solve(np.array(prob.x0, dtype=float))
    elapsed = time.perf_counter() - start
    ok = info["status"] in (0, 1)
    return dict(status="optimal" if ok else f"status {info['status']}", value=info["obj_val"] if ok else None,
                iterations=counter["iterations"], time=elapsed)


def main():
    try:
        import cyipopt  # noqa: F401
        peers = [("ipopt", run_ipopt)]
    except ImportError:
        peers = []
        print("cyipopt is not installed: quorva only (see the top of this file)", file=sys.stderr)
    solvers = [("quorva", run_quorva)] + peers
    header = f"{'problem':8} {'optimum':>13}"
    for name, _ in solvers:
        header += f" | {name + ' objective':>18} {'error':>8} {'iter':>5} {'ms':>8} {'status':<16}"
    print(header)
    totals = {name: [0, 0.0] for name, _ in solvers}
    for prob in PROBLEMS:
        line = f"{prob.name:8} {prob.optimum:13.6f}"
        for name, run in solvers:
            r = run(prob)
            good = solved_well(r["value"], prob.optimum)
            totals[name][0] += good
            totals[name][1] += r["time"]
            value = f"{r['value']:18.8f}" if r["value"] is not None else f"{'-':>18}"
            error = f"{abs(r['value'] - prob.optimum):8.1e}" if r["value"] is not None else f"{'-':>8}"
            line += f" | {value} {error} {r['iterations']:5d} {1000 * r['time']:8.1f} {r['status'][:16]:<16}"
        print(line)
    for name, (good, seconds) in totals.items():
        print(f"{name}: {good}/{len(PROBLEMS)} solved to the known optimum, {1000 * seconds:.1f} ms in all")


if __name__ == "__main__":
    main()
