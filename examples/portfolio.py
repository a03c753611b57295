"""Portfolio (QP): the least-variance mix of four assets that earns at least
the target expected return."""

from typing import List, Tuple

import numpy as np

import quorva

ASSETS = ["bonds", "equity", "property", "gold"]
RETURN = np.array([0.03, 0.08, 0.06, 0.04])
COVARIANCE = np.array([
    [0.0010, 0.0002, 0.0001, 0.0000],
    [0.0002, 0.0400, 0.0100, -0.0020],
    [0.0001, 0.0100, 0.0200, 0.0010],
    [0.0000, -0.0020, 0.0010, 0.0150],
])
TARGET = 0.05


def solve() -> Tuple[quorva.problem, List[quorva.var]]:
    p = quorva.problem(name="portfolio")
    p.controls.outputlog = 0
    share = [quorva.var(name=a) for a in ASSETS]
    p.addVariable(share)
    p.addConstraint(quorva.Sum(share) == 1, quorva.Sum(float(r) * x for r, x in zip(RETURN, share)) >= TARGET)
    n = len(share)
    p.setObjective(quorva.Sum(float(COVARIANCE[i, j]) * share[i] * share[j] for i in range(n) for j in range(n)))
    p.solve()
    return p, share


def main() -> None:
    p, share = solve()
    x = np.array(p.getSolution(share))
    print(f"portfolio ({p.getProbStatusString()}): expected return {RETURN @ x:.4f}, "
          f"standard deviation {np.sqrt(p.getObjVal()):.4f}")
    for asset, value in zip(ASSETS, x):
        print(f"  {asset:<9} {100 * value:6.2f} %")


if __name__ == "__main__":
    main()
