"""Speed and memory of building expressions, quorva against peers from PyPI.

For n = 10^5 and 10^6 terms it measures, each in a fresh interpreter:
  (a) loop     e += c * x[i]                 (n linear terms)
  (b) sum      one call summing a generator   (n linear terms)
  (c) quad     e += x[i] * x[i+1]            (n/10 quadratic terms)
and prints time per term and bytes per term (growth of the resident set
while building, the variables already made). Peers that are not installed,
or cannot express a case, show "-". Install the peers with
    pip install -r bench/requirements.txt

Usage: python bench/expressions.py [--sizes 100000,1000000]
"""

import argparse
import gc
import json
import subprocess
import sys
import time

CASES = ("loop", "sum", "quad")
LIBRARIES = ("quorva", "pyoptinterface", "highspy", "pulp")


def resident_bytes():
    with open("/proc/self/statm") as statm:
        pages = int(statm.read().split()[1])
    import resource
    return pages * resource.getpagesize()


def coefficients(n):
    return [1.0 + (i % 7) for i in range(n)]


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
    else:
        def build():
            e = 0.0 + x[0]
            for i in range(0, n, 10):
                e += x[i] * x[i + 1]
            return e
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
    else:
        def build():
            e = poi.ExprBuilder()
            for i in range(0, n, 10):
                e += x[i] * x[i + 1]
            return e
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
    terms = n if case != "quad" else len(range(0, n, 10))
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
