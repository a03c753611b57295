"""quorva's modeling and model-building speed under two NumPy majors, in
the same run: each quorva cell of modeling.py (terms at n) and build.py
(fac-N, lqcp-N) runs in a fresh process of each interpreter in turn, the
two interpreters alternating, and the best of --repeat runs is kept.

    python bench/numpy_majors.py --against .venv-3.11-np1.26/bin/python

The interpreter running this script and --against must both have quorva
installed, each built against its own NumPy. Without --against the
interpreter of `make test-entry PYVER=3.11 NPVER=1.26` is used when it
exists; otherwise the benchmark says so and measures nothing. The last
column is this interpreter's time over the other's: above 1.05 is more
than 5% slower.
"""

import argparse
import json
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
MODELING_CASES = ("loop", "sum", "quad", "dot", "family", "cons")


def numpy_version(python):
    return subprocess.run([python, "-c", "import numpy; print(numpy.__version__)"],
                          capture_output=True, text=True, check=True).stdout.strip()


def cell_seconds(python, cell):
    """Seconds of one cell in a fresh process of python."""
    kind, args = cell
    if kind == "modeling":
        command = [python, os.path.join(HERE, "modeling.py"), "--one", "quorva"] + list(args)
    else:
        command = [python, os.path.join(HERE, "build.py"), "--cell", "quorva", args[0]]
    child = subprocess.run(command, capture_output=True, text=True)
    if child.returncode != 0:
        raise RuntimeError("%s failed: %s" % (" ".join(command), (child.stderr.strip().splitlines() or ["?"])[-1]))
    return json.loads(child.stdout.strip().splitlines()[-1])["seconds"]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--against", help="the other interpreter")
    parser.add_argument("--size", type=int, default=100000, help="terms of the modeling cells")
    parser.add_argument("--models", default="fac-25,lqcp-500", help="build.py models")
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    other = args.against or os.path.join(ROOT, ".venv-3.11-np1.26", "bin", "python")
    if not os.path.exists(other):
        print("no other interpreter: give --against, or make one with make test-entry PYVER=3.11 NPVER=1.26")
        return 0
    ours = sys.executable
    print("this: %s (NumPy %s); other: %s (NumPy %s); best of %d, each in a fresh process" %
          (ours, numpy_version(ours), other, numpy_version(other), args.repeat))
    cells = [("modeling", (case, str(args.size))) for case in MODELING_CASES]
    cells += [("build", (model,)) for model in args.models.split(",")]
    print("%-10s %-12s %12s %12s %8s" % ("bench", "cell", "this s", "other s", "ratio"))
    worst = 0.0
    for cell in cells:
        best = {ours: float("inf"), other: float("inf")}
        for _ in range(args.repeat):
            for python in (ours, other):
                best[python] = min(best[python], cell_seconds(python, cell))
        ratio = best[ours] / best[other]
        worst = max(worst, ratio)
        print("%-10s %-12s %12.4f %12.4f %8.3f" % (cell[0], " ".join(cell[1]), best[ours], best[other], ratio),
              flush=True)
    print("largest ratio this / other: %.3f" % worst)
    return 0


if __name__ == "__main__":
    sys.exit(main())
