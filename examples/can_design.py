"""Can design (nonlinear): the cylinder of least surface area that holds a
given volume. The optimum has its height equal to its diameter."""

import math
from typing import Tuple

import quorva

VOLUME = 330.0  # cm3


def solve() -> Tuple[quorva.problem, quorva.var, quorva.var]:
    p = quorva.problem(name="can")
    p.controls.outputlog = 0
    r = quorva.var(name="radius", lb=1, ub=20)
    h = quorva.var(name="height", lb=1, ub=40)
    p.addVariable(r, h)
    p.addConstraint(math.pi * r ** 2 * h == VOLUME)
    p.setObjective(2 * math.pi * r ** 2 + 2 * math.pi * r * h)
    p.solve()
    return p, r, h


def main() -> None:
    p, r, h = solve()
    radius, height = p.getSolution(r, h)
    print(f"can ({p.getProbStatusString()}): radius {radius:.3f} cm, height {height:.3f} cm, "
          f"surface {p.getObjVal():.2f} cm2")


if __name__ == "__main__":
    main()
