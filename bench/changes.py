"""Cost of sending bound changes of added objects to the library: a model of
10^6 columns (0 <= x_j <= 1, one row sum x_j <= n/2, minimise sum x_j: an
optimum HiGHS reaches without iterations, so the solve times are those of
sending the model and the changes, not of the simplex), built and solved once, then re-solved after no change, after one changed bound and
after every bound changed. The push itself is timed apart from the solve
(problem.write of a tiny problem holding none of the objects is not used:
the push runs inside solve, so 'solve' columns include it).

    python bench/changes.py [columns]
"""

import sys
import time

import quorva


def timed(f):
    t = time.perf_counter()
    f()
    return time.perf_counter() - t


def main(n):
    x = [quorva.var(ub=1) for _ in range(n)]
    p = quorva.problem()
    p.controls.outputlog = 0
    build = timed(lambda: (p.addVariable(x), p.addConstraint(quorva.Sum(x) <= n / 2),
                           p.setObjective(quorva.Sum(x))))
    rows = [("build (addVariable, addConstraint, setObjective)", build)]
    rows.append(("first solve", timed(p.solve)))
    rows.append(("re-solve, nothing changed", timed(p.solve)))
    x[7].ub = 0.5
    rows.append(("re-solve after 1 bound changed", timed(p.solve)))

    def change_all():
        for v in x:
            v.ub = 0.75
    rows.append(("assign ub of all %d variables" % n, timed(change_all)))
    rows.append(("re-solve after all bounds changed", timed(p.solve)))
    # The push alone: a copy pushes and then copies; a second copy has
    # nothing to push, so the difference is the push.
    for v in x:
        v.ub = 0.8
    with_push = timed(p.copy)
    without = timed(p.copy)
    rows.append(("copy() with all bounds pending", with_push))
    rows.append(("copy() with nothing pending", without))
    for name, seconds in rows:
        print("%-55s %8.3f s" % (name, seconds))


if __name__ == "__main__":
    main(int(sys.argv[1]) if len(sys.argv) > 1 else 10**6)
