"""Nonlinear benchmark: quorva's SLP solver and Ipopt (through cyipopt) in
the same run, every solver from the same published starting point, on

- the Hock-Schittkowski problems of bench/hs_problems.py, with their known
  optima (Ipopt with limited-memory Hessians and exact complex-step first
  derivatives, since the problems are written once for every solver);
- three scalable problems of bench/nl_scalable.py at n = 10^2, 10^3, 10^4
  (--sizes), where Ipopt gets exact sparse Hessians.

A solver succeeds where the point it hands back meets every bound and row
to 1e-6 (relative above 1) and its objective, computed here, is within 1e-5
(relative above 1) of the known optimum or below it; the scalable problems
without a known optimum take the best such objective of the run.

Ipopt comes through cyipopt, which PyPI ships for Linux only as source and
which builds against a system Ipopt (pkg-config ipopt); `make bench-ipopt`
installs Debian's (Ipopt 3.11.9) with the LAPACK and BLAS link names and
builds cyipopt 1.7.0 against it. Without cyipopt the tables show quorva
alone.

    python bench/nonlinear.py [--sizes 100,1000,10000] [--no-small]
"""
import argparse
import cmath
import math
import sys
import time

import quorva

from hs_problems import INF, PROBLEMS
from nl_scalable import KINDS


FEASIBLE = 1e-6  # largest violation of a bound or row, relative to the bound above 1


def violation(value, lb, ub):
    return max(0.0, (lb - value) / max(1.0, abs(lb)) if lb > -INF else 0.0,
               (value - ub) / max(1.0, abs(ub)) if ub < INF else 0.0)


def small_verdict(prob, r):
    """The objective at the point a solver handed back, recomputed here, when
    that point meets every bound and row; else None."""
    x = r["x"]
    if x is None:
        return None
    worst = max([violation(v, lb, ub) for v, (lb, ub) in zip(x, prob.bounds)] +
                [violation(g(math, x), lb, ub) for g, lb, ub in prob.constraints] + [0.0])
    return prob.objective(math, x) if worst <= FEASIBLE else None


def scalable_verdict(inst, r):
    import numpy as np
    x = None if r["x"] is None else np.asarray(r["x"], dtype=float)
    if x is None:
        return None
    worst = max(np.max(np.maximum(0.0, inst.lb - x) / np.maximum(1.0, np.abs(inst.lb))),
                np.max(np.maximum(0.0, x - inst.ub) / np.maximum(1.0, np.abs(inst.ub))))
    rows = inst.constraints(x)
    if len(rows):
        worst = max(worst, np.max(np.abs(rows - inst.cl) / np.maximum(1.0, np.abs(inst.cl))))
    return inst.objective(x) if worst <= FEASIBLE else None


def solved_well(value, optimum):
    """At the known optimum, or below it (a better point than the one
    published, as the checked point shows)."""
    return value is not None and value - optimum <= 1e-5 * max(1.0, abs(optimum))


# ---- quorva ----

def quorva_bound(value):
    return quorva.infinity if value >= INF else -quorva.infinity if value <= -INF else float(value)


def solve_quorva(bounds, x0, objective, rows):
    """Builds and solves one model: objective(xs) and rows(xs) give quorva's
    objective and [(body, lb, ub)]; the solve starts from x0."""
    start = time.perf_counter()
    p = quorva.problem()
    p.controls.outputlog = 0
    p.controls.slplog = 0
    xs = [quorva.var(lb=quorva_bound(lb), ub=quorva_bound(ub)) for lb, ub in bounds]
    p.addVariable(xs)
    for body, lb, ub in rows(xs):
        if lb == ub:
            p.addConstraint(body == lb)
        else:
            if lb > -INF:
                p.addConstraint(body >= lb)
            if ub < INF:
                p.addConstraint(body <= ub)
    p.setObjective(objective(xs))
    p.addvars(xs, None, None, None, None, [float(v) for v in x0], None)
    built = time.perf_counter()
    try:
        p.solve()
    except quorva.SolverError as error:
        return dict(status=f"error: {error}"[:40], value=None, iterations=0, time=time.perf_counter() - built,
                    build=built - start)
    elapsed = time.perf_counter() - built
    status = p.getProbStatusString()
    iterations = p.attributes.slpiterations
    # A solve that ended without a solution has no objective value to show.
    solved = status in ("nlp_solution", "nlp_globally_optimal", "lp_optimal")
    value = p.getObjVal() if solved else None
    x = p.getSolution(xs) if solved else None
    return dict(status=status, value=value, iterations=iterations, time=elapsed, build=built - start, x=x)


def run_quorva(prob):
    return solve_quorva(prob.bounds, prob.x0, lambda xs: prob.objective(quorva, xs),
                        lambda xs: [(g(quorva, xs), lb, ub) for g, lb, ub in prob.constraints])


def run_quorva_scalable(inst):
    return solve_quorva(list(zip(inst.lb, inst.ub)), inst.x0, inst.objective_model, inst.row_models)


# ---- Ipopt ----

def solve_ipopt(model, lb, ub, cl, cu, x0, **options):
    """Ipopt on model (an object with cyipopt's callbacks) from x0, quiet,
    with options; the result as the other runners give it."""
    import cyipopt
    import numpy as np

    counter = {"iterations": 0}

    def intermediate(alg_mod, iter_count, *args):
        counter["iterations"] = iter_count

    model.intermediate = intermediate
    nlp = cyipopt.Problem(n=len(lb), m=len(cl), problem_obj=model, lb=lb, ub=ub, cl=cl, cu=cu)
    for name, value in dict(print_level=0, sb="yes", **options).items():
        nlp.add_option(name, value)
    start = time.perf_counter()
    x, info = nlp.solve(np.array(x0, dtype=float))
    elapsed = time.perf_counter() - start
    ok = info["status"] in (0, 1)
    return dict(status="optimal" if ok else f"status {info['status']}", value=info["obj_val"] if ok else None,
                iterations=counter["iterations"], time=elapsed, build=0.0, x=list(x) if ok else None)


def run_ipopt(prob):
    import numpy as np

    n = len(prob.bounds)
    rows = prob.constraints

    def complex_step(fun, x):
        h = 1e-30
        grad = np.zeros(n)
        for j in range(n):
            z = [complex(v) for v in x]
            z[j] += complex(0, h)
            grad[j] = fun(cmath, z).imag / h
        return grad

    class Model:
        def objective(self, x):
            return float(prob.objective(math, list(x)))

        def gradient(self, x):
            return complex_step(prob.objective, list(x))

        def constraints(self, x):
            return np.array([float(g(math, list(x))) for g, _, _ in rows])

        def jacobian(self, x):
            return np.concatenate([complex_step(g, list(x)) for g, _, _ in rows]) if rows else np.zeros(0)

    return solve_ipopt(Model(), [b[0] for b in prob.bounds], [b[1] for b in prob.bounds],
                       [r[1] for r in rows], [r[2] for r in rows], prob.x0,
                       hessian_approximation="limited-memory", tol=1e-9)


def run_ipopt_scalable(inst):
    # The instance itself has cyipopt's callbacks, exact Hessians included.
    return solve_ipopt(inst, inst.lb, inst.ub, inst.cl, inst.cu, inst.x0)


def cell(r, reference):
    value = f"{r['value']:16.8g}" if r["value"] is not None else f"{'-':>16}"
    error = f"{abs(r['value'] - reference):8.1e}" if r["value"] is not None else f"{'-':>8}"
    return f" | {value} {error} {r['iterations']:5d} {1000 * r['time']:9.1f} {r['status'][:16]:<16}"


def header(first, solvers):
    line = first
    for name, _ in solvers:
        line += f" | {name + ' objective':>16} {'error':>8} {'iter':>5} {'ms':>9} {'status':<16}"
    return line


def small_set(solvers):
    print(header(f"{'problem':8} {'optimum':>13}", solvers))
    totals = {name: [0, 0.0] for name, _ in solvers}
    for prob in PROBLEMS:
        line = f"{prob.name:8} {prob.optimum:13.6f}"
        for name, run in solvers:
            r = run(prob)
            r["value"] = small_verdict(prob, r)
            totals[name][0] += solved_well(r["value"], prob.optimum)
            totals[name][1] += r["time"]
            line += cell(r, prob.optimum)
        print(line, flush=True)
    for name, (good, seconds) in totals.items():
        print(f"{name}: {good}/{len(PROBLEMS)} solved to the known optimum, {1000 * seconds:.1f} ms in all")
    return {name: good for name, (good, _) in totals.items()}


def scalable_set(solvers, sizes):
    """Each instance by every solver; the reference is the known optimum, or
    else the best objective a solver reached at a checked point."""
    print()
    print(header(f"{'problem':10} {'n':>6} {'reference':>13}", solvers) + " | quorva build ms | time ratio")
    totals = {name: 0 for name, _ in solvers}
    for kind in KINDS:
        for n in sizes:
            inst = kind(n)
            results = [run(inst) for _, run in solvers]
            for r in results:
                r["value"] = scalable_verdict(inst, r)
            values = [r["value"] for r in results if r["value"] is not None]
            reference = kind.known_optimum if kind.known_optimum is not None else (min(values) if values else 0.0)
            line = f"{kind.name:10} {inst.n:6d} {reference:13.6g}"
            for (name, _), r in zip(solvers, results):
                totals[name] += solved_well(r["value"], reference)
                line += cell(r, reference)
            if len(results) > 1:
                line += f" | {1000 * results[0]['build']:15.1f} | {results[0]['time'] / results[1]['time']:10.2f}"
            print(line, flush=True)
    count = len(KINDS) * len(sizes)
    for name, good in totals.items():
        print(f"{name}: {good}/{count} scalable instances solved to the reference")
    return totals


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--sizes", default="100,1000,10000", help="n of the scalable problems, comma-separated")
    parser.add_argument("--no-small", action="store_true", help="leave out the Hock-Schittkowski set")
    args = parser.parse_args()
    try:
        import cyipopt  # noqa: F401
        have_ipopt = True
    except ImportError:
        have_ipopt = False
        print("cyipopt is not installed: quorva only (see the top of this file)", file=sys.stderr)
    with_ipopt = [("ipopt", run_ipopt)] if have_ipopt else []
    counts = []
    if not args.no_small:
        counts.append(small_set([("quorva", run_quorva)] + with_ipopt))
    sizes = [int(s) for s in args.sizes.split(",") if s]
    if sizes:
        counts.append(scalable_set([("quorva", run_quorva_scalable)] +
                                   ([("ipopt", run_ipopt_scalable)] if have_ipopt else []), sizes))
    if len(counts) == 2:
        total = len(PROBLEMS) + len(KINDS) * len(sizes)
        print("whole set: " + ", ".join(f"{name} {counts[0][name] + counts[1][name]}/{total}" for name in counts[0]))


if __name__ == "__main__":
    main()
