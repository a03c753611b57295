"""Runs every benchmark of bench/ in turn, each in its own interpreter, at
sizes small enough for one sitting; a benchmark that fails is reported and
the others still run. The exit status is non-zero when any failed.

    python bench/run_all.py            # the small sizes below
    python bench/run_all.py --full     # each benchmark's own default sizes
"""

import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))

# Each benchmark with the arguments of its small run.
BENCHMARKS = [
    ("analysis.py", ["--repeat", "1"]),
    ("api.py", ["--sizes", "100000", "--repeat", "1"]),
    ("build.py", ["fac-25", "lqcp-500"]),
    ("callbacks.py", ["--sizes", "1000,100000", "--repeat", "5"]),
    ("changes.py", ["100000"]),
    ("engine.py", ["--repeat", "1", "--only", "transport-200,sparse-1k,facility-10"]),
    ("minlp.py", []),
    ("modeling.py", ["--sizes", "100000"]),
    ("nonlinear.py", ["--sizes", "100,1000"]),
    ("nonlinear_sums.py", ["4000"]),
    ("numpy_majors.py", ["--repeat", "1"]),
    ("tree.py", ["--only", "flugpl,egout,facility-10x40", "--limit", "60"]),
]


def main(full):
    listed = {name for name, _ in BENCHMARKS}
    # Modules that only hold a benchmark's problems have no main of their own.
    present = sorted(f for f in os.listdir(HERE) if f.endswith(".py") and f != os.path.basename(__file__)
                     and "__main__" in open(os.path.join(HERE, f)).read())
    unlisted = [f for f in present if f not in listed]
    failed = []
    for name, args in BENCHMARKS + [(f, []) for f in unlisted]:
        command = [sys.executable, os.path.join(HERE, name)] + ([] if full else args)
        print(f"==== {name} {' '.join(command[2:])}", flush=True)
        start = time.perf_counter()
        if subprocess.run(command).returncode != 0:
            failed.append(name)
        print(f"==== {name}: {time.perf_counter() - start:.1f} s", flush=True)
    if failed:
        print("failed: " + ", ".join(failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main("--full" in sys.argv[1:]))
