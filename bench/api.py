"""Speed of the library-named methods on large arrays: loadproblem of a random
sparse LP given as NumPy arrays, then getrows and getcols of all of it, for
quorva and highspy's passModel / getRows / getCols (same HiGHS underneath) in
the same run. Each time is the best of --repeat runs.

    python bench/api.py [--sizes 100000,1000000] [--repeat 3]

Sizes are numbers of matrix elements (5 per column, rows = columns / 2)."""

import argparse
import time

import numpy as np

import quorva


def instance(elements, seed=1):
    rng = np.random.default_rng(seed)
    per_col = 5
    n = elements // per_col
    m = max(1, n // 2)
    # Five distinct rows per column, spread over the rows.
    base = rng.integers(0, m, size=n)
    rows = (base[:, None] + np.arange(per_col) * max(1, m // per_col)) % m
    return dict(m=m, n=n, start=np.arange(0, n * per_col + 1, per_col, dtype=np.int64),
                index=rows.ravel().astype(np.int32), value=rng.uniform(1, 10, n * per_col),
                obj=-rng.uniform(0, 1, n), lb=np.zeros(n), ub=np.full(n, 10.0),
                rhs=np.full(m, 100.0))


def best(repeat, fn):
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return min(times)


def quorva_times(d, repeat):
    p = quorva.problem()
    p.controls.outputlog = 0
    rowtype = ["L"] * d["m"]
    load = best(repeat, lambda: p.loadproblem("api", rowtype, d["rhs"], None, d["obj"], d["start"], None,
                                              d["index"], d["value"], d["lb"], d["ub"]))

    def rows():
        s, c, v = [], [], []
        p.getrows(s, c, v, len(d["value"]), 0, d["m"] - 1)

    def cols():
        s, r, v = [], [], []
        p.getcols(s, r, v, len(d["value"]), 0, d["n"] - 1)

    return load, best(repeat, rows), best(repeat, cols)


def highspy_times(d, repeat):
    try:
        import highspy
    except ImportError:
        return None
    h = highspy.Highs()
    h.setOptionValue("output_flag", False)
    lp = highspy.HighsLp()
    lp.num_col_, lp.num_row_ = d["n"], d["m"]
    lp.col_cost_, lp.col_lower_, lp.col_upper_ = d["obj"], d["lb"], d["ub"]
    lp.row_lower_, lp.row_upper_ = np.full(d["m"], -highspy.kHighsInf), d["rhs"]
    lp.a_matrix_.format_ = highspy.MatrixFormat.kColwise
    lp.a_matrix_.start_, lp.a_matrix_.index_, lp.a_matrix_.value_ = d["start"].astype(np.int32), d["index"], d["value"]
    load = best(repeat, lambda: h.passModel(lp))
    rows = best(repeat, lambda: h.getRows(d["m"], np.arange(d["m"], dtype=np.int32)))
    cols = best(repeat, lambda: h.getCols(d["n"], np.arange(d["n"], dtype=np.int32)))
    return load, rows, cols


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--sizes", default="100000,1000000")
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    print(f"{'elements':>10} {'package':>9} {'loadproblem s':>14} {'getrows s':>10} {'getcols s':>10}")
    for size in (int(s) for s in args.sizes.split(",")):
        d = instance(size)
        for name, times in (("quorva", quorva_times(d, args.repeat)), ("highspy", highspy_times(d, args.repeat))):
            if times is None:
                print(f"{size:>10} {name:>9} {'-':>14} {'-':>10} {'-':>10}")
            else:
                print(f"{size:>10} {name:>9} {times[0]:>14.4f} {times[1]:>10.4f} {times[2]:>10.4f}")


if __name__ == "__main__":
    main()
