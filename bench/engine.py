"""Speed of the engine: libqrva against HiGHS's own program on the same files.

For generated LP and MIP instances (transportation, set cover, capacitated
facility location, random sparse LPs) written as free MPS files, it measures
the wall time of read + solve
  - through libqrva (ctypes, in this process: QRVAreadprob then
    QRVAlpoptimize / QRVAmipoptimize, solver log off), and
  - with the `highs` program of highsbox on the same file (a subprocess; the
    time of starting the program on an empty model is measured too and
    taken off, so that both columns count reading and solving only).
Both run with the same tolerances (an options file gives HiGHS the engine's
defaults). Each time is the median of --repeat runs, taken in turn in the
same run. The table shows the optimum of each and whether they agree.

The library comes from $QRVA_LIB, else from the installed quorva package.
    pip install -r bench/requirements.txt
Usage: python bench/engine.py [--repeat 3] [--only transport,setcover] [--keep DIR]
"""

import argparse
import ctypes
import glob
import importlib.util
import os
import random
import re
import statistics
import subprocess
import sys
import tempfile
import time
from ctypes import byref, c_char_p, c_double, c_int, c_void_p

# The engine's defaults, given to HiGHS so both solve the same problem.
HIGHS_OPTIONS = """primal_feasibility_tolerance = 1e-6
dual_feasibility_tolerance = 1e-7
mip_feasibility_tolerance = 1e-6
mip_rel_gap = 1e-4
mip_abs_gap = 0
"""


# --- Instances: each generator returns (rows, cols, entries, text of the MPS file) -------

class Mps:
    """A free MPS file built column by column."""

    def __init__(self, name, sense="MIN"):
        self.name, self.sense = name, sense
        self.rows, self.cols, self.bounds = [], [], []
        self.entries = 0

    def row(self, name, kind, rhs):
        self.rows.append((name, kind, rhs))

    def col(self, name, cost, coefs, integer=False, upper=None):
        self.cols.append((name, cost, coefs, integer))
        self.entries += len(coefs)
        if upper is not None:
            self.bounds.append(" %s BND %s %r" % ("BV" if integer and upper == 1 else "UP",
                                                  name, upper))

    def text(self):
        out = ["NAME %s" % self.name, "OBJSENSE", "    " + self.sense, "ROWS", " N obj"]
        out += [" %s %s" % (kind, name) for name, kind, _ in self.rows]
        out.append("COLUMNS")
        marker = False
        for name, cost, coefs, integer in self.cols:
            if integer != marker:
                out.append("    M%d 'MARKER' %s" % (len(out), "'INTORG'" if integer else "'INTEND'"))
                marker = integer
            out.append("    %s obj %r" % (name, cost))
            out += ["    %s %s %r" % (name, r, v) for r, v in coefs]
        if marker:
            out.append("    M%d 'MARKER' 'INTEND'" % len(out))
        out.append("RHS")
        out += ["    RHS %s %r" % (name, rhs) for name, _, rhs in self.rows if rhs]
        out.append("BOUNDS")
        out += self.bounds
        out.append("ENDATA")
        return "\n".join(out) + "\n", len(self.rows), len(self.cols), self.entries


def transport(size, seed):
    """Suppliers x customers: cheapest shipments meeting every demand."""
    rnd = random.Random(seed)
    s, d = size
    m = Mps("transport")
    supply = [rnd.randint(50, 150) for _ in range(s)]
    demand_total = int(sum(supply) * 0.9)
    demand = [demand_total // d] * d
    for i in range(s):
        m.row("s%d" % i, "L", supply[i])
    for j in range(d):
        m.row("d%d" % j, "G", demand[j])
    for i in range(s):
        for j in range(d):
            m.col("x%d_%d" % (i, j), rnd.randint(1, 100), [("s%d" % i, 1), ("d%d" % j, 1)])
    return m.text()


def set_cover(size, seed):
    """Elements x sets: the cheapest sets that cover every element. Most sets
    cover a window of neighbouring elements (random set cover is too hard to
    finish at any size worth timing); one in ten adds a few others."""
    rnd = random.Random(seed)
    elements, sets = size
    m = Mps("setcover")
    for e in range(elements):
        m.row("e%d" % e, "G", 1)
    for s in range(sets):
        width = rnd.randint(3, 15)
        start = rnd.randrange(elements - width + 1) if s >= elements // 3 else 3 * s % elements
        members = {min(elements - 1, start + k) for k in range(width)}
        if rnd.random() < 0.1:
            members.update(rnd.sample(range(elements), 2))
        m.col("s%d" % s, rnd.randint(1, 10) + len(members), [("e%d" % e, 1) for e in sorted(members)],
              integer=True, upper=1)
    return m.text()


def facility(size, seed):
    """Capacitated facility location: open facilities, serve every customer."""
    rnd = random.Random(seed)
    fac, cust = size
    m = Mps("facility")
    demand = [rnd.randint(5, 35) for _ in range(cust)]
    capacity = [rnd.randint(10, 16) * sum(demand) // fac // 6 for _ in range(fac)]
    for c in range(cust):
        m.row("serve%d" % c, "E", 1)
    for f in range(fac):
        m.row("cap%d" % f, "L", 0)
        for c in range(cust):
            m.row("link%d_%d" % (f, c), "L", 0)
    for f in range(fac):
        m.col("open%d" % f, rnd.randint(300, 700),
              [("cap%d" % f, -capacity[f])] + [("link%d_%d" % (f, c), -1) for c in range(cust)],
              integer=True, upper=1)
    for f in range(fac):
        for c in range(cust):
            m.col("x%d_%d" % (f, c), rnd.randint(1, 60),
                  [("serve%d" % c, 1), ("cap%d" % f, demand[c]), ("link%d_%d" % (f, c), 1)])
    return m.text()


def sparse_lp(size, seed):
    """A random sparse LP, feasible and bounded by construction."""
    rnd = random.Random(seed)
    rows, cols, per_col = size
    m = Mps("sparse", sense="MAX")
    x0 = [rnd.random() for _ in range(cols)]
    activity = [0.0] * rows
    columns = []
    for j in range(cols):
        coefs = {}
        for i in rnd.sample(range(rows), per_col):
            coefs[i] = round(rnd.uniform(-1, 3), 3)
            activity[i] += coefs[i] * x0[j]
        columns.append(coefs)
    for i in range(rows):
        m.row("r%d" % i, "L", round(activity[i] + rnd.uniform(0.1, 2), 4))
    for j in range(cols):
        m.col("c%d" % j, round(rnd.uniform(0, 2), 3), [("r%d" % i, v) for i, v in sorted(columns[j].items())],
              upper=round(1 + rnd.random() * 4, 3))
    return m.text()


INSTANCES = [
    ("transport-200x200", "lp", transport, (200, 200)),
    ("transport-400x400", "lp", transport, (400, 400)),
    ("sparse-1k x 2k", "lp", sparse_lp, (1000, 2000, 5)),
    ("sparse-2k x 4k", "lp", sparse_lp, (2000, 4000, 5)),
    ("setcover-3k x 9k", "mip", set_cover, (3000, 9000)),
    ("setcover-8k x 24k", "mip", set_cover, (8000, 24000)),
    ("facility-10x40", "mip", facility, (10, 40)),
    ("facility-15x60", "mip", facility, (15, 60)),
]


# --- Running ------------------------------------------------------------------------------

def library_path():
    path = os.environ.get("QRVA_LIB")
    if path:
        return path
    spec = importlib.util.find_spec("quorva")
    if spec is None or not spec.submodule_search_locations:
        sys.exit("libqrva not found: set QRVA_LIB or install the quorva package")
    # The package holds the library under its soname, libqrva.so.<version>.
    found = glob.glob(os.path.join(list(spec.submodule_search_locations)[0], "libqrva.so.*"))
    if len(found) != 1:
        sys.exit("the quorva package holds %d libqrva libraries; set QRVA_LIB" % len(found))
    return found[0]


class Engine:
    def __init__(self, path):
        lib = ctypes.CDLL(path)
        for name, args in {
            "QRVAinit": [c_char_p], "QRVAcreateprob": [ctypes.POINTER(c_void_p)],
            "QRVAdestroyprob": [c_void_p], "QRVAsetintcontrol": [c_void_p, c_int, c_int],
            "QRVAreadprob": [c_void_p, c_char_p, c_char_p],
            "QRVAlpoptimize": [c_void_p, c_char_p], "QRVAmipoptimize": [c_void_p, c_char_p],
            "QRVAgetdblattrib": [c_void_p, c_int, ctypes.POINTER(c_double)],
            "QRVAgetlasterror": [c_void_p, c_char_p],
        }.items():
            getattr(lib, name).argtypes = args
            getattr(lib, name).restype = c_int
        if lib.QRVAinit(None):
            sys.exit("QRVAinit failed")
        self.lib = lib

    def solve(self, path, kind):
        """(seconds for read + solve, optimum)."""
        lib, prob = self.lib, c_void_p()
        assert lib.QRVAcreateprob(byref(prob)) == 0
        try:
            lib.QRVAsetintcontrol(prob, 8035, 0)
            started = time.perf_counter()
            ok = lib.QRVAreadprob(prob, path.encode(), b"") == 0
            optimize = lib.QRVAlpoptimize if kind == "lp" else lib.QRVAmipoptimize
            ok = ok and optimize(prob, b"") == 0
            elapsed = time.perf_counter() - started
            if not ok:
                error = ctypes.create_string_buffer(512)
                lib.QRVAgetlasterror(prob, error)
                sys.exit("libqrva failed on %s: %s" % (path, error.value.decode()))
            value = c_double()
            lib.QRVAgetdblattrib(prob, 2001 if kind == "lp" else 2003, byref(value))
            return elapsed, value.value
        finally:
            lib.QRVAdestroyprob(prob)


class HighsProgram:
    def __init__(self, workdir):
        import highsbox
        self.binary = highsbox.highs_bin_path()
        self.env = dict(os.environ, LD_LIBRARY_PATH=highsbox.highs_lib_dir())
        self.workdir = workdir
        self.options = os.path.join(workdir, "highs.opt")
        with open(self.options, "w") as f:
            f.write(HIGHS_OPTIONS)

    def run(self, path):
        started = time.perf_counter()
        done = subprocess.run([self.binary, "--options_file", self.options, path],
                              capture_output=True, text=True, env=self.env, cwd=self.workdir)
        elapsed = time.perf_counter() - started
        found = re.search(r"Objective value\s*:\s*(\S+)", done.stdout) or \
            re.search(r"Primal bound\s+(\S+)", done.stdout)
        return elapsed, float(found.group(1)) if found else None

    def startup(self, repeat):
        """Median time of the program on a one-column model."""
        path = os.path.join(self.workdir, "empty.mps")
        with open(path, "w") as f:
            f.write("NAME empty\nROWS\n N obj\nCOLUMNS\n    x obj 1\nRHS\nBOUNDS\nENDATA\n")
        return statistics.median(self.run(path)[0] for _ in range(repeat))


def agree(a, b, kind):
    if a is None or b is None:
        return False
    tolerance = 1e-6 if kind == "lp" else 1e-4  # MIPs stop at a relative gap of 1e-4
    return abs(a - b) <= tolerance * max(1.0, abs(a), abs(b))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--only", default="", help="comma-separated name prefixes")
    parser.add_argument("--keep", default="", help="directory to keep the instances in")
    args = parser.parse_args()
    workdir = args.keep or tempfile.mkdtemp(prefix="qrva-bench-")
    os.makedirs(workdir, exist_ok=True)
    engine, highs = Engine(library_path()), HighsProgram(workdir)
    startup = highs.startup(max(3, args.repeat))
    print("libqrva %s; highs %s (program start %.3f s, taken off its times)"
          % (library_path(), highs.binary, startup))
    header = "%-20s %7s %7s %8s %9s %9s %6s  %-s" % (
        "instance", "rows", "cols", "nonzeros", "ours s", "HiGHS s", "ratio", "optimum")
    print(header)
    print("-" * len(header))
    only = [p for p in args.only.split(",") if p]
    for name, kind, generate, size in INSTANCES:
        if only and not any(name.startswith(p) for p in only):
            continue
        text, rows, cols, nonzeros = generate(size, seed=len(name))
        path = os.path.join(workdir, re.sub(r"[^\w.-]", "", name) + ".mps")
        with open(path, "w") as f:
            f.write(text)
        ours, theirs = [], []
        for _ in range(args.repeat):  # in turn, so that both see the same machine
            ours.append(engine.solve(path, kind))
            theirs.append(highs.run(path))
        our_time = statistics.median(t for t, _ in ours)
        their_time = max(1e-9, statistics.median(t for t, _ in theirs) - startup)
        a, b = ours[0][1], theirs[0][1]
        print("%-20s %7d %7d %8d %9.3f %9.3f %6.2f  %s" % (
            name, rows, cols, nonzeros, our_time, their_time, our_time / their_time,
            "agree %.8g" % a if agree(a, b, kind) else "DIFFER ours %r HiGHS %r" % (a, b)))
        sys.stdout.flush()


if __name__ == "__main__":
    main()
