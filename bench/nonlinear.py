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

from hs_problems import INF, PROBLEMS


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
