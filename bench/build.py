"""Model building speed: build fac-N and lqcp-N and hand them to the solver
(time limit 0, presolve off, output off), each cell in a fresh process, for
quorva and the peers that are installed: pyoptinterface with HiGHS, highspy,
Pyomo (fac through its appsi HiGHS interface; lqcp written as an LP file that
HiGHS reads, since that interface takes no quadratic objective), python-mip
with its bundled CBC, and gurobipy (its size-limited licence refuses these
models; the cell then reads "licence limit").

    python bench/build.py                 # every model and size
    python bench/build.py fac-25 lqcp-500 # chosen cells

The time is build + hand-off (the peer's package imported before the clock
starts); peak memory is the process's maximum resident
set. Ratios are peer time / quorva time (above 1: quorva is faster)."""

import json
import resource
import subprocess
import sys
import time

MODELS = ["fac-25", "fac-50", "fac-75", "fac-100", "lqcp-500", "lqcp-1000", "lqcp-1500", "lqcp-2000"]
PEERS = ["quorva", "pyoptinterface", "highspy", "pyomo", "mip", "gurobipy"]


# ---- quorva ----

def quorva_fac(N):
    import quorva

    G = F = N
    M = 2 * 1.414
    p = quorva.problem(name=f"fac{N}")
    p.controls.outputlog = 0
    p.controls.presolve = 0
    p.controls.timelimit = 0.0
    R = range(G + 1)
    y = {(f, k): quorva.var(ub=1) for f in range(1, F + 1) for k in (1, 2)}
    s = {(i, j, f): quorva.var() for i in R for j in R for f in range(1, F + 1)}
    z = {(i, j, f): quorva.var(vartype=quorva.binary) for i in R for j in R for f in range(1, F + 1)}
    r = {(i, j, f, k): quorva.var(lb=-quorva.infinity) for i in R for j in R for f in range(1, F + 1) for k in (1, 2)}
    d = quorva.var(lb=-quorva.infinity)
    p.addVariable(y, s, z, r, d)
    p.addConstraint(quorva.Sum(z[i, j, f] for f in range(1, F + 1)) == 1 for i in R for j in R)
    p.addConstraint(s[i, j, f] == d + M * (1 - z[i, j, f]) for i in R for j in R for f in range(1, F + 1))
    p.addConstraint(r[i, j, f, 1] == i / G - y[f, 1] for i in R for j in R for f in range(1, F + 1))
    p.addConstraint(r[i, j, f, 2] == j / G - y[f, 2] for i in R for j in R for f in range(1, F + 1))
    p.addConstraint(
        r[i, j, f, 1] * r[i, j, f, 1] + r[i, j, f, 2] * r[i, j, f, 2] <= s[i, j, f] * s[i, j, f]
        for i in R for j in R for f in range(1, F + 1)
    )
    p.setObjective(d)
    solve_quietly(p)


def quorva_lqcp(N):
    import quorva

    p = quorva.problem(name=f"lqcp{N}")
    p.controls.outputlog = 0
    p.controls.presolve = 0
    p.controls.timelimit = 0.0
    dx, T = 1.0 / N, 1.58
    dt = T / N
    h2, a = dx * dx, 0.001
    yt = [0.5 * (1 - (j * dx) ** 2) for j in range(N + 1)]
    R = range(N + 1)
    y = [[quorva.var(ub=1) for j in R] for i in R]
    u = [quorva.var(lb=-1, ub=1) for i in R]
    p.addVariable(y, u)
    p.setObjective(
        0.25 * dx * ((y[N][0] - yt[0]) ** 2 + 2 * quorva.Sum((y[N][j] - yt[j]) ** 2 for j in range(1, N))
                     + (y[N][N] - yt[N]) ** 2)
        + 0.25 * a * dt * (2 * quorva.Sum(u[i] * u[i] for i in range(1, N)) + u[N] * u[N])
    )
    p.addConstraint(
        (y[i + 1][j] - y[i][j]) / dt
        == 0.5 * (y[i][j - 1] - 2 * y[i][j] + y[i][j + 1] + y[i + 1][j - 1] - 2 * y[i + 1][j] + y[i + 1][j + 1]) / h2
        for i in range(N) for j in range(1, N)
    )
    p.addConstraint(y[0][j] == 0 for j in R)
    p.addConstraint(y[i][2] - 4 * y[i][1] + 3 * y[i][0] == 0 for i in range(1, N + 1))
    p.addConstraint(
        y[i][N - 2] - 4 * y[i][N - 1] + 3 * y[i][N] == 2 * dx * (u[i] - y[i][N]) for i in range(1, N + 1)
    )
    solve_quietly(p)


def solve_quietly(p):
    import quorva

    try:
        p.solve()
    except quorva.SolverError:
        pass  # a model the engine does not solve yet was still handed over


# ---- pyoptinterface (HiGHS) ----

def poi_model():
    import pyoptinterface as poi
    from pyoptinterface import highs

    highs.autoload_library()
    m = highs.Model()
    m.set_model_attribute(poi.ModelAttribute.Silent, True)
    m.set_model_attribute(poi.ModelAttribute.TimeLimitSec, 0.0)
    m.set_raw_parameter("presolve", "off")
    return poi, m


def pyoptinterface_fac(N):
    poi, m = poi_model()
    G = F = N
    M = 2 * 1.414
    R = range(G + 1)
    Fs = range(1, F + 1)
    y = {(f, k): m.add_variable(lb=0, ub=1) for f in Fs for k in (1, 2)}
    s = {(i, j, f): m.add_variable(lb=0) for i in R for j in R for f in Fs}
    z = {(i, j, f): m.add_variable(domain=poi.VariableDomain.Binary) for i in R for j in R for f in Fs}
    r = {(i, j, f, k): m.add_variable() for i in R for j in R for f in Fs for k in (1, 2)}
    d = m.add_variable()
    for i in R:
        for j in R:
            m.add_linear_constraint(poi.quicksum(z[i, j, f] for f in Fs), poi.Eq, 1)
            for f in Fs:
                m.add_linear_constraint(s[i, j, f] - d + M * z[i, j, f], poi.Eq, M)
                m.add_linear_constraint(r[i, j, f, 1] + y[f, 1], poi.Eq, i / G)
                m.add_linear_constraint(r[i, j, f, 2] + y[f, 2], poi.Eq, j / G)
    # HiGHS has no quadratic rows: the peer builds the same model without them.
    m.set_objective(d, poi.ObjectiveSense.Minimize)
    m.optimize()


def pyoptinterface_lqcp(N):
    poi, m = poi_model()
    dx, T = 1.0 / N, 1.58
    dt = T / N
    h2, a = dx * dx, 0.001
    yt = [0.5 * (1 - (j * dx) ** 2) for j in range(N + 1)]
    R = range(N + 1)
    y = [[m.add_variable(lb=0, ub=1) for j in R] for i in R]
    u = [m.add_variable(lb=-1, ub=1) for i in R]
    obj = poi.ExprBuilder()
    obj += 0.25 * dx * (y[N][0] - yt[0]) * (y[N][0] - yt[0])
    for j in range(1, N):
        obj += 0.5 * dx * (y[N][j] - yt[j]) * (y[N][j] - yt[j])
    obj += 0.25 * dx * (y[N][N] - yt[N]) * (y[N][N] - yt[N])
    for i in range(1, N):
        obj += 0.5 * a * dt * u[i] * u[i]
    obj += 0.25 * a * dt * u[N] * u[N]
    m.set_objective(obj, poi.ObjectiveSense.Minimize)
    for i in range(N):
        for j in range(1, N):
            m.add_linear_constraint(
                (y[i + 1][j] - y[i][j]) / dt
                - 0.5 * (y[i][j - 1] - 2 * y[i][j] + y[i][j + 1] + y[i + 1][j - 1] - 2 * y[i + 1][j] + y[i + 1][j + 1]) / h2,
                poi.Eq, 0)
    for j in R:
        m.add_linear_constraint(y[0][j], poi.Eq, 0)
    for i in range(1, N + 1):
        m.add_linear_constraint(y[i][2] - 4 * y[i][1] + 3 * y[i][0], poi.Eq, 0)
        m.add_linear_constraint(y[i][N - 2] - 4 * y[i][N - 1] + 3 * y[i][N] - 2 * dx * (u[i] - y[i][N]), poi.Eq, 0)
    m.optimize()


# ---- highspy ----

def highspy_model():
    import highspy

    h = highspy.Highs()
    h.setOptionValue("output_flag", False)
    h.setOptionValue("time_limit", 0.0)
    h.setOptionValue("presolve", "off")
    return highspy, h


def highspy_fac(N):
    highspy, h = highspy_model()
    G = F = N
    M = 2 * 1.414
    R = range(G + 1)
    Fs = range(1, F + 1)
    inf = highspy.kHighsInf
    y = {(f, k): h.addVariable(lb=0, ub=1) for f in Fs for k in (1, 2)}
    s = {(i, j, f): h.addVariable(lb=0, ub=inf) for i in R for j in R for f in Fs}
    z = {(i, j, f): h.addBinary() for i in R for j in R for f in Fs}
    r = {(i, j, f, k): h.addVariable(lb=-inf, ub=inf) for i in R for j in R for f in Fs for k in (1, 2)}
    d = h.addVariable(lb=-inf, ub=inf)
    for i in R:
        for j in R:
            h.addConstr(sum(z[i, j, f] for f in Fs) == 1)
            for f in Fs:
                h.addConstr(s[i, j, f] - d + M * z[i, j, f] == M)
                h.addConstr(r[i, j, f, 1] + y[f, 1] == i / G)
                h.addConstr(r[i, j, f, 2] + y[f, 2] == j / G)
    h.minimize(d)


def highspy_lqcp(N):
    raise NotImplementedError("highspy has no quadratic objective in its modeling layer")


# ---- Pyomo ----

def pyomo_fac_model(N):
    import pyomo.environ as pe

    G = F = N
    M = 2 * 1.414
    m = pe.ConcreteModel()
    m.R = pe.RangeSet(0, G)
    m.F = pe.RangeSet(1, F)
    m.K = pe.Set(initialize=[1, 2])
    m.y = pe.Var(m.F, m.K, bounds=(0, 1))
    m.s = pe.Var(m.R, m.R, m.F, bounds=(0, None))
    m.z = pe.Var(m.R, m.R, m.F, domain=pe.Binary)
    m.r = pe.Var(m.R, m.R, m.F, m.K)
    m.d = pe.Var()
    m.assign = pe.Constraint(m.R, m.R, rule=lambda m, i, j: sum(m.z[i, j, f] for f in m.F) == 1)
    m.big_m = pe.Constraint(m.R, m.R, m.F, rule=lambda m, i, j, f: m.s[i, j, f] == m.d + M * (1 - m.z[i, j, f]))
    m.r1 = pe.Constraint(m.R, m.R, m.F, rule=lambda m, i, j, f: m.r[i, j, f, 1] == i / G - m.y[f, 1])
    m.r2 = pe.Constraint(m.R, m.R, m.F, rule=lambda m, i, j, f: m.r[i, j, f, 2] == j / G - m.y[f, 2])
    return pe, m


def pyomo_fac(N):
    from pyomo.contrib.appsi.solvers import Highs

    pe, m = pyomo_fac_model(N)
    # HiGHS has no quadratic rows: the peer builds the same model without them.
    m.obj = pe.Objective(expr=m.d)
    solver = Highs()
    solver.config.stream_solver = False
    solver.config.time_limit = 0.0
    solver.config.load_solution = False
    solver.highs_options = {"presolve": "off"}
    solver.solve(m)


def pyomo_lqcp(N):
    import os
    import tempfile

    import highspy
    import pyomo.environ as pe

    dx, T = 1.0 / N, 1.58
    dt = T / N
    h2, a = dx * dx, 0.001
    yt = [0.5 * (1 - (j * dx) ** 2) for j in range(N + 1)]
    m = pe.ConcreteModel()
    m.R = pe.RangeSet(0, N)
    m.y = pe.Var(m.R, m.R, bounds=(0, 1))
    m.u = pe.Var(m.R, bounds=(-1, 1))
    y, u = m.y, m.u
    m.obj = pe.Objective(expr=(
        0.25 * dx * ((y[N, 0] - yt[0]) ** 2 + 2 * sum((y[N, j] - yt[j]) ** 2 for j in range(1, N))
                     + (y[N, N] - yt[N]) ** 2)
        + 0.25 * a * dt * (2 * sum(u[i] * u[i] for i in range(1, N)) + u[N] * u[N])))
    m.pde = pe.Constraint(pe.RangeSet(0, N - 1), pe.RangeSet(1, N - 1), rule=lambda m, i, j: (
        (y[i + 1, j] - y[i, j]) / dt
        == 0.5 * (y[i, j - 1] - 2 * y[i, j] + y[i, j + 1] + y[i + 1, j - 1] - 2 * y[i + 1, j] + y[i + 1, j + 1]) / h2))
    m.start = pe.Constraint(m.R, rule=lambda m, j: y[0, j] == 0)
    m.left = pe.Constraint(pe.RangeSet(1, N), rule=lambda m, i: y[i, 2] - 4 * y[i, 1] + 3 * y[i, 0] == 0)
    m.right = pe.Constraint(pe.RangeSet(1, N), rule=lambda m, i: (
        y[i, N - 2] - 4 * y[i, N - 1] + 3 * y[i, N] == 2 * dx * (u[i] - y[i, N])))
    # The appsi HiGHS interface takes no quadratic objective, so the hand-off
    # is Pyomo's LP writer and HiGHS reading that file.
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "lqcp.lp")
        m.write(path, io_options={"symbolic_solver_labels": False})
        h = highspy.Highs()
        h.setOptionValue("output_flag", False)
        h.setOptionValue("time_limit", 0.0)
        h.setOptionValue("presolve", "off")
        h.readModel(path)
        h.run()


# ---- python-mip (CBC) ----

def mip_fac(N):
    import mip

    m = mip.Model(solver_name=mip.CBC)
    m.verbose = 0
    m.preprocess = 0
    G = F = N
    M = 2 * 1.414
    R = range(G + 1)
    Fs = range(1, F + 1)
    inf = mip.INF
    y = {(f, k): m.add_var(lb=0, ub=1) for f in Fs for k in (1, 2)}
    s = {(i, j, f): m.add_var(lb=0) for i in R for j in R for f in Fs}
    z = {(i, j, f): m.add_var(var_type=mip.BINARY) for i in R for j in R for f in Fs}
    r = {(i, j, f, k): m.add_var(lb=-inf) for i in R for j in R for f in Fs for k in (1, 2)}
    d = m.add_var(lb=-inf)
    for i in R:
        for j in R:
            m.add_constr(mip.xsum(z[i, j, f] for f in Fs) == 1)
            for f in Fs:
                m.add_constr(s[i, j, f] - d + M * z[i, j, f] == M)
                m.add_constr(r[i, j, f, 1] + y[f, 1] == i / G)
                m.add_constr(r[i, j, f, 2] + y[f, 2] == j / G)
    # CBC has no quadratic rows: the peer builds the same model without them.
    m.objective = mip.minimize(d)
    m.optimize(max_seconds=0.0)


def mip_lqcp(N):
    raise NotImplementedError("python-mip has no quadratic objective")


# ---- gurobipy ----

def gurobi_model(name):
    import gurobipy as gp

    env = gp.Env(params={"OutputFlag": 0})
    m = gp.Model(name, env=env)
    m.Params.TimeLimit = 0.0
    m.Params.Presolve = 0
    return gp, m


def gurobi_optimize(gp, m):
    try:
        m.optimize()
    except gp.GurobiError as error:
        if error.errno == gp.GRB.Error.SIZE_LIMIT_EXCEEDED:
            raise SystemExit("licence limit")
        raise


def gurobipy_fac(N):
    gp, m = gurobi_model(f"fac{N}")
    G = F = N
    M = 2 * 1.414
    R = range(G + 1)
    Fs = range(1, F + 1)
    inf = gp.GRB.INFINITY
    y = {(f, k): m.addVar(lb=0, ub=1) for f in Fs for k in (1, 2)}
    s = {(i, j, f): m.addVar(lb=0) for i in R for j in R for f in Fs}
    z = {(i, j, f): m.addVar(vtype=gp.GRB.BINARY) for i in R for j in R for f in Fs}
    r = {(i, j, f, k): m.addVar(lb=-inf) for i in R for j in R for f in Fs for k in (1, 2)}
    d = m.addVar(lb=-inf)
    for i in R:
        for j in R:
            m.addConstr(gp.quicksum(z[i, j, f] for f in Fs) == 1)
            for f in Fs:
                m.addConstr(s[i, j, f] == d + M * (1 - z[i, j, f]))
                m.addConstr(r[i, j, f, 1] == i / G - y[f, 1])
                m.addConstr(r[i, j, f, 2] == j / G - y[f, 2])
                m.addQConstr(r[i, j, f, 1] * r[i, j, f, 1] + r[i, j, f, 2] * r[i, j, f, 2]
                             <= s[i, j, f] * s[i, j, f])
    m.setObjective(d, gp.GRB.MINIMIZE)
    gurobi_optimize(gp, m)


def gurobipy_lqcp(N):
    gp, m = gurobi_model(f"lqcp{N}")
    dx, T = 1.0 / N, 1.58
    dt = T / N
    h2, a = dx * dx, 0.001
    yt = [0.5 * (1 - (j * dx) ** 2) for j in range(N + 1)]
    R = range(N + 1)
    y = [[m.addVar(lb=0, ub=1) for j in R] for i in R]
    u = [m.addVar(lb=-1, ub=1) for i in R]
    m.setObjective(
        0.25 * dx * ((y[N][0] - yt[0]) * (y[N][0] - yt[0])
                     + 2 * gp.quicksum((y[N][j] - yt[j]) * (y[N][j] - yt[j]) for j in range(1, N))
                     + (y[N][N] - yt[N]) * (y[N][N] - yt[N]))
        + 0.25 * a * dt * (2 * gp.quicksum(u[i] * u[i] for i in range(1, N)) + u[N] * u[N]),
        gp.GRB.MINIMIZE)
    for i in range(N):
        for j in range(1, N):
            m.addConstr(
                (y[i + 1][j] - y[i][j]) / dt
                == 0.5 * (y[i][j - 1] - 2 * y[i][j] + y[i][j + 1] + y[i + 1][j - 1] - 2 * y[i + 1][j]
                          + y[i + 1][j + 1]) / h2)
    for j in R:
        m.addConstr(y[0][j] == 0)
    for i in range(1, N + 1):
        m.addConstr(y[i][2] - 4 * y[i][1] + 3 * y[i][0] == 0)
        m.addConstr(y[i][N - 2] - 4 * y[i][N - 1] + 3 * y[i][N] == 2 * dx * (u[i] - y[i][N]))
    gurobi_optimize(gp, m)


# ---- driver ----

# What each peer imports before it builds: imported before the clock starts,
# so that the time is the model's and not the interpreter's loading.
IMPORTS = {"quorva": ["quorva"], "pyoptinterface": ["pyoptinterface", "pyoptinterface.highs"],
           "highspy": ["highspy"], "pyomo": ["pyomo.environ", "pyomo.contrib.appsi.solvers", "highspy"],
           "mip": ["mip"], "gurobipy": ["gurobipy"]}


def run_cell(peer, model):
    import importlib
    name, size = model.split("-")
    function = globals()[f"{peer}_{name}"]
    for module in IMPORTS[peer]:
        importlib.import_module(module)
    start = time.perf_counter()
    function(int(size))
    seconds = time.perf_counter() - start
    peak_mb = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0
    print(json.dumps({"seconds": seconds, "peak_mb": peak_mb}))


def measure(peer, model, timeout=1800):
    try:
        proc = subprocess.run([sys.executable, __file__, "--cell", peer, model], capture_output=True, text=True,
                              timeout=timeout)
    except subprocess.TimeoutExpired:
        return None, "timeout"
    if proc.returncode != 0:
        last = (proc.stderr.strip().splitlines() or ["failed"])[-1]
        return None, last[:60]
    return json.loads(proc.stdout.strip().splitlines()[-1]), None


def main(models):
    print(f"{'model':<10} {'peer':<15} {'seconds':>9} {'peak MB':>9} {'peer/quorva':>12}")
    for model in models:
        ours = None
        for peer in PEERS:
            result, failure = measure(peer, model)
            if result is None:
                print(f"{model:<10} {peer:<15} {'-':>9} {'-':>9}   ({failure})")
                continue
            if peer == "quorva":
                ours = result["seconds"]
            ratio = f"{result['seconds'] / ours:12.2f}" if ours else f"{'-':>12}"
            print(f"{model:<10} {peer:<15} {result['seconds']:9.2f} {result['peak_mb']:9.0f} {ratio}")
        sys.stdout.flush()


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--cell":
        run_cell(sys.argv[2], sys.argv[3])
    else:
        main(sys.argv[1:] or MODELS)
