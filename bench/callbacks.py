"""Cost per call of an empty Python callback during a real solve: quorva's
message, lplog and intsol callbacks against highspy's logging, simplex
interrupt and improving-solution callbacks (same HiGHS underneath) and
PySCIPOpt's event handlers (an LP solved, a best solution found: it has no
callback per simplex iteration nor a Python message callback), measured in
the same run.

Each model is a generated set cover: n columns, 200 rows, every column in
two rows with a random cost. The message and lplog kinds solve its LP
relaxation with presolve off and a log line every simplex iteration
(lplogfreq 1); the intsol kind solves it with binary columns and a node
limit. Every solve runs twice on a fresh copy of the model, without and
with the callback (the callback only counts its calls); the cost per call
is the difference of the two solve times over the number of calls. Below
100000 columns each time is the best of --repeat solves, else of one.

    python bench/callbacks.py [--sizes 1000,1000000] [--repeat 10] [--no-scip]
"""

import argparse
import os
import platform
import sys
import tempfile
import time

import numpy as np

import quorva

ROWS = 200
NODES = 200  # node limit of the MIP solves


def cover(n, seed=1):
    rng = np.random.default_rng(seed)
    j = np.arange(n)
    index = np.stack([j % ROWS, (7 * j + 3) % ROWS], axis=1)
    index.sort(axis=1)
    return dict(n=n, start=np.arange(0, 2 * n + 1, 2, dtype=np.int64),
                index=index.ravel().astype(np.int32), value=np.ones(2 * n),
                obj=rng.uniform(1, 10, n))


def counting():
    calls = [0]

    def callback(*args):
        calls[0] += 1
    return callback, calls


# --- quorva -----------------------------------------------------------------------

def quorva_problem(d, mip):
    p = quorva.problem()
    p.controls.outputlog = 0
    n = d["n"]
    p.loadproblem("cover", ["G"] * ROWS, np.ones(ROWS), None, d["obj"], d["start"], None,
                  d["index"], d["value"], np.zeros(n), np.ones(n) if mip else np.full(n, 1e20))
    if mip:
        p.chgcoltype(list(range(n)), ["B"] * n)
        p.controls.maxnode = NODES
    else:
        p.controls.presolve = 0
        p.controls.lplogfreq = 1
    return p


def quorva_solve(d, kind, with_callback):
    p = quorva_problem(d, kind == "intsol")
    callback, calls = counting()
    if with_callback:
        getattr(p, "addcb" + kind)(callback)
    started = time.perf_counter()
    p.solve()
    return time.perf_counter() - started, calls[0]


# --- highspy ----------------------------------------------------------------------

def highspy_solve(d, kind, with_callback):
    import highspy
    h = highspy.Highs()
    # As in quorva, HiGHS makes its log only when a callback receives it.
    h.setOptionValue("output_flag", kind == "message" and with_callback)
    h.setOptionValue("log_to_console", False)
    n = d["n"]
    lp = highspy.HighsLp()
    lp.num_col_, lp.num_row_ = n, ROWS
    lp.col_cost_, lp.col_lower_ = d["obj"], np.zeros(n)
    lp.col_upper_ = np.ones(n) if kind == "intsol" else np.full(n, highspy.kHighsInf)
    lp.row_lower_, lp.row_upper_ = np.ones(ROWS), np.full(ROWS, highspy.kHighsInf)
    lp.a_matrix_.format_ = highspy.MatrixFormat.kColwise
    lp.a_matrix_.start_ = d["start"].astype(np.int32)
    lp.a_matrix_.index_, lp.a_matrix_.value_ = d["index"], d["value"]
    if kind == "intsol":
        lp.integrality_ = [highspy.HighsVarType.kInteger] * n
        h.setOptionValue("mip_max_nodes", NODES)
    else:
        h.setOptionValue("presolve", "off")
        h.setOptionValue("solver", "simplex")
    h.passModel(lp)
    callback, calls = counting()
    if with_callback:
        event = {"message": h.cbLogging, "lplog": h.cbSimplexInterrupt,
                 "intsol": h.cbMipImprovingSolution}[kind]
        event.subscribe(callback)
    started = time.perf_counter()
    h.run()
    return time.perf_counter() - started, calls[0]


# --- PySCIPOpt --------------------------------------------------------------------

def write_mps(d, path, mip):
    n = d["n"]
    with open(path, "w") as f:
        f.write("NAME cover\nROWS\n N obj\n")
        f.writelines(" G r%d\n" % i for i in range(ROWS))
        f.write("COLUMNS\n")
        if mip:
            f.write(" M1 'MARKER' 'INTORG'\n")
        idx = d["index"].reshape(n, 2)
        f.writelines(" x%d obj %.17g r%d 1\n x%d r%d 1\n" % (j, d["obj"][j], idx[j, 0], j, idx[j, 1])
                     for j in range(n))
        if mip:
            f.write(" M2 'MARKER' 'INTEND'\n")
        f.write("RHS\n")
        f.writelines(" rhs r%d 1\n" % i for i in range(ROWS))
        if mip:
            f.write("BOUNDS\n")
            f.writelines(" UP bnd x%d 1\n" % j for j in range(n))
        f.write("ENDATA\n")


def scip_solve(files, kind, with_callback):
    import pyscipopt
    event_type = {"lplog": pyscipopt.SCIP_EVENTTYPE.LPEVENT,
                  "intsol": pyscipopt.SCIP_EVENTTYPE.BESTSOLFOUND}[kind]
    callback, calls = counting()

    class Counter(pyscipopt.Eventhdlr):
        def eventinitsol(self):
            self.model.catchEvent(event_type, self)

        def eventexec(self, event):
            callback()

    model = pyscipopt.Model()
    model.hideOutput()
    model.readProblem(files[kind == "intsol"])
    if kind == "intsol":
        model.setParam("limits/nodes", NODES)
    else:
        model.setPresolve(pyscipopt.SCIP_PARAMSETTING.OFF)
    if with_callback:
        model.includeEventhdlr(Counter(), "counter", "counts its calls")
    started = time.perf_counter()
    model.optimize()
    return time.perf_counter() - started, calls[0]


def scip_available():
    try:
        import pyscipopt  # noqa: F401
        return True
    except ImportError:
        return False


# --- the table ---------------------------------------------------------------------

def measure(solve, repeat):
    """(calls of one solve, best seconds without, best seconds with,
    microseconds per call), the two kinds of solve taking turns."""
    base, with_cb, calls = [], [], 0
    for _ in range(repeat):
        base.append(solve(False)[0])
        seconds, calls = solve(True)
        with_cb.append(seconds)
    per_call = (min(with_cb) - min(base)) / calls * 1e6 if calls else float("nan")
    return calls, min(base), min(with_cb), per_call


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--sizes", default="1000,1000000")
    parser.add_argument("--repeat", type=int, default=10, help="solves summed at sizes below 100000")
    parser.add_argument("--no-scip", action="store_true")
    parser.add_argument("--kinds", default="message,lplog,intsol",
                        help="which callbacks (the intsol MIP of 10^6 columns takes minutes)")
    args = parser.parse_args()
    print("machine: %s, %d cores, Python %s, numpy %s" % (
        platform.processor() or platform.machine(), os.cpu_count(), platform.python_version(),
        np.__version__))
    header = "%9s %-8s %-30s %7s %12s %12s %12s" % ("columns", "kind", "callback", "calls",
                                                     "without s", "with s", "us per call")
    print(header)
    scip = scip_available() and not args.no_scip
    for n in (int(s) for s in args.sizes.split(",")):
        d = cover(n)
        repeat = args.repeat if n < 100000 else 1
        with tempfile.TemporaryDirectory() as work:
            files = {}
            if scip:
                for mip in (False, True):
                    files[mip] = os.path.join(work, "cover%d.mps" % mip)
                    write_mps(d, files[mip], mip)
            for kind in args.kinds.split(","):
                peers = [("quorva " + kind, lambda w: quorva_solve(d, kind, w)),
                         ("highspy " + {"message": "cbLogging", "lplog": "cbSimplexInterrupt",
                                        "intsol": "cbMipImprovingSolution"}[kind],
                          lambda w: highspy_solve(d, kind, w))]
                if kind != "message":
                    peers.append(("PySCIPOpt " + {"lplog": "LPEVENT", "intsol": "BESTSOLFOUND"}[kind],
                                  (lambda w: scip_solve(files, kind, w)) if scip else None))
                for name, solve in peers:
                    if solve is None:
                        print("%9d %-8s %-30s %7s" % (n, kind, name, "not installed"), flush=True)
                        continue
                    calls, base, with_cb, per_call = measure(solve, repeat)
                    print("%9d %-8s %-30s %7d %12.4f %12.4f %12.1f" % (n, kind, name, calls, base,
                                                                      with_cb, per_call), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
