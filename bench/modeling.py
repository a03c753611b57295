"""Speed and memory of building expressions, quorva against peers from PyPI.

For n = 10^5 and 10^6 terms it measures, each in a fresh interpreter:
  (a) loop     e += c * x[i]                 (n linear terms)
  (b) sum      one call summing a generator   (n linear terms)
  (c) quad     e += x[i] * x[i+1]            (n/10 quadratic terms)
  (d) dot      object matrix of variables (sqrt n x sqrt n) times a vector of numbers
  (e) family   a family of sqrt n x sqrt n variables indexed by two ranges
  (f) cons     n constraints e[i] <= 1 from a NumPy array of expressions
and prints time per term and bytes per term (growth of the resident set
while building, the variables already made). Peers that are not installed,
or cannot express a case, show "-". Install the peers with
    pip install -r bench/requirements.txt

Usage: python bench/modeling.py [--sizes 100000,1000000]
"""

import argparse
import gc
import json
import subprocess
import sys
import time

CASES = ("loop", "sum", "quad", "dot", "family", "cons")
LIBRARIES = ("quorva", "pyoptinterface", "highspy", "pulp")


def resident_bytes():
    with open("/proc/self/statm") as statm:
        pages = int(statm.read().split()[1])
    import resource
    return pages * resource.getpagesize()


def coefficients(n):
    return [1.0 + (i % 7) for i in range(n)]


def side(n):
    """Rows (and columns) of the square cases."""
    return max(1, int(round(n ** 0.5)))


def terms_of(case, n):
    if case == "quad":
        return len(range(0, n, 10))
    if case in ("dot", "family"):
        return side(n) ** 2
    return n


# Each builder gets n and returns (variables, build) where build() makes and
# returns the expression; it returns None when the library cannot do the case.

def quorva_case(case, n):
    import quorva
    x = [quorva.var() for _ in range(n + 1)]
    c = coefficients(n)
    if case == "loop":
        def build():
            e = 0.0 + x[0]
            for i in range(1, n):
                e += c[i] * x[i]
            return e
    elif case == "sum":
        if not hasattr(quorva, "Sum"):
            return None  # quorva.Sum arrives with the cumulative operators
        def build():
            return quorva.Sum(c[i] * x[i] for i in range(n))
    elif case == "quad":
        def build():
            e = 0.0 + x[0]
            for i in range(0, n, 10):
                e += x[i] * x[i + 1]
            return e
    elif case == "dot":
        import numpy as np
        s = side(n)
        matrix = np.array(x[: s * s], dtype=object).reshape(s, s)
        vector = np.array(c[:s])
        def build():
            return quorva.Dot(matrix, vector)
    elif case == "family":
        s = side(n)
        def build():
            return quorva.vars(s, s)
    else:
        import numpy as np
        expressions = np.array([x[i] + c[i] * x[i + 1] for i in range(n)], dtype=object)
        def build():
            return expressions <= 1
    return x, build


def pyoptinterface_case(case, n):
    import pyoptinterface as poi
    x = [poi.VariableIndex(i) for i in range(n + 1)]
    c = coefficients(n)
    if case == "loop":
        def build():
            e = poi.ExprBuilder()
            for i in range(n):
                e += c[i] * x[i]
            return e
    elif case == "sum":
        def build():
            return poi.quicksum(c[i] * x[i] for i in range(n))
    elif case == "quad":
        def build():
            e = poi.ExprBuilder()
            for i in range(0, n, 10):
                e += x[i] * x[i + 1]
            return e
    elif case == "dot":
        s = side(n)
        def build():
            return [poi.quicksum(c[j] * x[r * s + j] for j in range(s)) for r in range(s)]
    else:
        return None  # variables and constraints belong to a model
    return x, build


def highspy_case(case, n):
    import highspy
    h = highspy.Highs()
    h.silent()
    x = list(h.addVariables(n + 1))
    c = coefficients(n)
    if case == "loop":
        def build():
            e = highspy.highs.highs_linear_expression()
            for i in range(n):
                e += c[i] * x[i]
            return e
    elif case == "sum":
        def build():
            return h.qsum(c[i] * x[i] for i in range(n))
    elif case == "dot":
        s = side(n)
        def build():
            return [h.qsum(c[j] * x[r * s + j] for j in range(s)) for r in range(s)]
    elif case == "family":
        s = side(n)
        def build():
            return h.addVariables(range(s), range(s))
    elif case == "cons":
        expressions = [x[i] + c[i] * x[i + 1] for i in range(n)]
        def build():
            return [e <= 1 for e in expressions]
    else:
        return None  # linear expressions only
    return (h, x), build


def pulp_case(case, n):
    import pulp
    x = [pulp.LpVariable("x%d" % i) for i in range(n + 1)]
    c = coefficients(n)
    if case == "loop":
        def build():
            e = pulp.LpAffineExpression()
            for i in range(n):
                e += c[i] * x[i]
            return e
    elif case == "sum":
        def build():
            return pulp.lpSum(c[i] * x[i] for i in range(n))
    elif case == "dot":
        s = side(n)
        def build():
            return [pulp.lpDot(c[:s], x[r * s:(r + 1) * s]) for r in range(s)]
    elif case == "family":
        s = side(n)
        def build():
            return pulp.LpVariable.dicts("x", (range(s), range(s)))
    elif case == "cons":
        expressions = [x[i] + c[i] * x[i + 1] for i in range(n)]
        def build():
            return [e <= 1 for e in expressions]
    else:
        return None  # linear expressions only
    return x, build


BUILDERS = {"quorva": quorva_case, "pyoptinterface": pyoptinterface_case, "highspy": highspy_case,
            "pulp": pulp_case}


def measure_one(library, case, n):
    """Runs in the child: prints {"seconds": s, "bytes": b, "terms": t} or null."""
    try:
        made = BUILDERS[library](case, n)
    except ImportError:
        made = None
    if made is None:
        print(json.dumps(None))
        return
    variables, build = made
    gc.collect()
    gc.disable()
    before = resident_bytes()
    start = time.perf_counter()
    expression = build()
    seconds = time.perf_counter() - start
    gc.enable()
    gc.collect()
    grown = resident_bytes() - before
    terms = terms_of(case, n)
    print(json.dumps({"seconds": seconds, "bytes": grown, "terms": terms}))
    del expression, variables


def measure(library, case, n):
    child = subprocess.run([sys.executable, __file__, "--one", library, case, str(n)],
                           capture_output=True, text=True)
    if child.returncode != 0:
        return {"error": (child.stderr.strip().splitlines() or ["failed"])[-1]}
    return json.loads(child.stdout.strip().splitlines()[-1])


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sizes", default="100000,1000000")
    parser.add_argument("--one", nargs=3, metavar=("LIBRARY", "CASE", "N"), help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.one:
        measure_one(args.one[0], args.one[1], int(args.one[2]))
        return
    print("%-8s %-15s %10s %14s %14s" % ("case", "library", "n", "ns per term", "bytes per term"))
    for n in (int(s) for s in args.sizes.split(",")):
        for case in CASES:
            for library in LIBRARIES:
                result = measure(library, case, n)
                if result is None:
                    cells = ("-", "-")
                elif "error" in result:
                    cells = ("error", result["error"][:40])
                else:
                    cells = ("%.0f" % (1e9 * result["seconds"] / result["terms"]),
                             "%.0f" % (result["bytes"] / result["terms"]))
                print("%-8s %-15s %10d %14s %14s" % (case, library, n, cells[0], cells[1]), flush=True)


if __name__ == "__main__":
    main()
