"""Speed of the engine's own tree search against HiGHS's MIP.

Each MIP instance (the public ones under ../shared/instances and generated
families of bench/engine.py) is solved three ways in the same run:
  - HiGHS's MIP through libqrva (no callbacks: treesearch 0 picks it),
  - the engine's tree with an empty prenode callback registered (ctypes),
  - PySCIPOpt with an empty node event handler, when it is installed.
Each with a time limit; the table shows time, nodes, optimum, status and
the ratio of the tree's time to HiGHS's and to PySCIPOpt's. Last, the node
throughput of the tree with an empty prenode callback on a 100-row model.

--threads N sets control threads for the tree's runs (its workers: 0 or 1
one, N above 1 that many on threads of their own); HiGHS's MIP keeps the
library's default.

Usage: python bench/tree.py [--only flugpl,lseu] [--limit 120] [--threads 2]
"""

import argparse
import ctypes
import os
import sys
import tempfile
import time
from ctypes import POINTER, byref, c_char_p, c_double, c_int, c_int64, c_void_p

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from engine import facility, library_path, set_cover  # noqa: E402

SHARED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "shared",
                      "instances")
if not os.path.isdir(SHARED):
    SHARED = "/work/shared/instances"
PUBLIC = ["flugpl", "egout", "lseu", "p0548"]
GENERATED = [("facility-10x40", facility, (10, 40)), ("setcover-300x900", set_cover, (300, 900))]
PRENODE = ctypes.CFUNCTYPE(None, c_void_p, c_void_p, POINTER(c_int))
TREESEARCH, TIMELIMIT, MAXNODE, THREADS = 8090, 7006, 8007, 8006
STATUS = {3: "no sol", 4: "solution", 5: "infeasible", 6: "optimal"}


class Engine:
    def __init__(self, path):
        lib = ctypes.CDLL(path)
        for name, args in {
            "QRVAinit": [c_char_p], "QRVAcreateprob": [POINTER(c_void_p)],
            "QRVAdestroyprob": [c_void_p], "QRVAsetintcontrol": [c_void_p, c_int, c_int],
            "QRVAsetdblcontrol": [c_void_p, c_int, c_double],
            "QRVAreadprob": [c_void_p, c_char_p, c_char_p],
            "QRVAmipoptimize": [c_void_p, c_char_p],
            "QRVAgetdblattrib": [c_void_p, c_int, POINTER(c_double)],
            "QRVAgetintattrib64": [c_void_p, c_int, POINTER(c_int64)],
            "QRVAaddcbprenode": [c_void_p, PRENODE, c_void_p, c_int],
        }.items():
            getattr(lib, name).argtypes, getattr(lib, name).restype = args, c_int
        assert lib.QRVAinit(None) == 0
        self.lib = lib
        self.empty = PRENODE(lambda prob, data, infeasible: None)

    def solve(self, path, tree, limit, maxnode=None, threads=0):
        """(seconds, nodes, objective, status) of a read + MIP solve."""
        lib, prob = self.lib, c_void_p()
        assert lib.QRVAcreateprob(byref(prob)) == 0
        try:
            lib.QRVAsetintcontrol(prob, 8035, 0)
            assert lib.QRVAreadprob(prob, path.encode(), b"") == 0
            lib.QRVAsetdblcontrol(prob, TIMELIMIT, limit)
            if maxnode:
                lib.QRVAsetintcontrol(prob, MAXNODE, maxnode)
            if tree:
                lib.QRVAsetintcontrol(prob, THREADS, threads)
                assert lib.QRVAaddcbprenode(prob, self.empty, None, 0) == 0
            started = time.perf_counter()
            assert lib.QRVAmipoptimize(prob, b"") == 0
            elapsed = time.perf_counter() - started
            obj, nodes, status = c_double(), c_int64(), c_int64()
            lib.QRVAgetdblattrib(prob, 2003, byref(obj))
            lib.QRVAgetintattrib64(prob, 1042, byref(nodes))
            lib.QRVAgetintattrib64(prob, 1011, byref(status))
            return elapsed, nodes.value, obj.value, STATUS.get(status.value, str(status.value))
        finally:
            lib.QRVAdestroyprob(prob)


def scip(path, limit):
    """(seconds, nodes, objective, status) with PySCIPOpt and an empty node
    event handler, or None when it is not installed."""
    try:
        import pyscipopt
    except ImportError:
        return None

    class Empty(pyscipopt.Eventhdlr):
        def eventinit(self):
            self.model.catchEvent(pyscipopt.SCIP_EVENTTYPE.NODEFOCUSED, self)

        def eventexec(self, event):
            pass
    model = pyscipopt.Model()
    model.hideOutput()
    model.readProblem(path)
    model.setParam("limits/time", limit)
    model.includeEventhdlr(Empty(), "empty", "an empty node handler")
    started = time.perf_counter()
    model.optimize()
    elapsed = time.perf_counter() - started
    status = model.getStatus()
    obj = model.getObjVal() if model.getNSols() else float("nan")
    return elapsed, model.getNNodes(), obj, status


def throughput(engine, workdir, threads):
    """Nodes per second of the tree with an empty prenode callback on a
    100-row model whose search is long (a market split)."""
    import random
    rnd = random.Random(1)
    rows, cols = 100, 40
    lines = ["NAME split", "ROWS", " N obj"] + [" E r%d" % i for i in range(rows)]
    a = [[rnd.randint(0, 99) for _ in range(cols)] for _ in range(rows)]
    lines += ["COLUMNS", " M1 'MARKER' 'INTORG'"]
    for j in range(cols):
        for i in range(rows):
            lines.append(" x%d r%d %d" % (j, i, a[i][j]))
    lines.append(" M2 'MARKER' 'INTEND'")
    for i in range(rows):
        lines.append(" sp%d obj 1 r%d 1" % (i, i))
        lines.append(" sm%d obj 1 r%d -1" % (i, i))
    lines.append("RHS")
    lines += [" rhs r%d %d" % (i, sum(a[i]) // 2) for i in range(rows)]
    lines.append("BOUNDS")
    lines += [" UP bnd x%d 1" % j for j in range(cols)]
    lines.append("ENDATA")
    path = os.path.join(workdir, "split.mps")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    seconds, nodes, _, _ = engine.solve(path, True, 60.0, maxnode=5000, threads=threads)
    return nodes, seconds


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--only", default="")
    parser.add_argument("--limit", type=float, default=120.0)
    parser.add_argument("--threads", type=int, default=0)
    args = parser.parse_args()
    engine = Engine(library_path())
    only = set(filter(None, args.only.split(",")))
    with tempfile.TemporaryDirectory() as workdir:
        cases = [(name, os.path.join(SHARED, name + ".mps")) for name in PUBLIC]
        for name, make, size in GENERATED:
            path = os.path.join(workdir, name + ".mps")
            with open(path, "w") as f:
                f.write(make(size, 1)[0])  # the text; the sizes follow it
            cases.append((name, path))
        print("tree workers: control threads %d" % args.threads)
        header = "%-18s %28s %34s %30s %7s %7s" % ("instance", "HiGHS MIP (s, nodes, obj)",
                                                   "tree + prenode (s, nodes, obj)",
                                                   "PySCIPOpt (s, nodes, obj)", "tree/H", "tree/S")
        print(header)
        for name, path in cases:
            if only and name not in only:
                continue
            h = engine.solve(path, False, args.limit)
            t = engine.solve(path, True, args.limit, threads=args.threads)
            s = scip(path, args.limit)
            cell = lambda r: "%7.2f %8d %12.6g" % r[:3] if r else "%28s" % "not installed"
            print("%-18s %28s %26s %-7s %30s %7.2f %7s" % (
                name, cell(h), cell(t), t[3], cell(s), t[0] / max(h[0], 1e-9),
                "%.2f" % (t[0] / max(s[0], 1e-9)) if s else "-"), flush=True)
        nodes, seconds = throughput(engine, workdir, args.threads)
        print("empty prenode on a 100-row market split: %d nodes in %.2f s, %.0f nodes/s"
              % (nodes, seconds, nodes / max(seconds, 1e-9)))


if __name__ == "__main__":
    main()
