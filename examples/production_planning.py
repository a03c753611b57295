"""Production planning (LP): how many of each product to make so that the
profit is largest without using more of any resource than is available.
The duals of the resource rows are their shadow prices."""

from typing import Dict, Tuple

import quorva

PRODUCTS = {"chairs": 45.0, "tables": 80.0, "desks": 110.0}  # profit per unit
RESOURCES = {  # available, and use per unit of each product
    "wood (m)": (450.0, {"chairs": 5, "tables": 20, "desks": 15}),
    "labour (h)": (300.0, {"chairs": 10, "tables": 5, "desks": 20}),
    "finishing (h)": (160.0, {"chairs": 2, "tables": 4, "desks": 6}),
}


def solve() -> Tuple[quorva.problem, Dict[str, quorva.var], Dict[str, quorva.constraint]]:
    p = quorva.problem(name="production")
    p.controls.outputlog = 0
    make = {name: quorva.var(name=name) for name in PRODUCTS}
    p.addVariable(make)
    rows = {
        resource: quorva.constraint(quorva.Sum(use[k] * make[k] for k in use) <= available, name=resource)
        for resource, (available, use) in RESOURCES.items()
    }
    p.addConstraint(rows)
    p.setObjective(quorva.Sum(PRODUCTS[k] * make[k] for k in PRODUCTS), sense=quorva.maximize)
    p.solve()
    return p, make, rows


def main() -> None:
    p, make, rows = solve()
    print(f"production plan ({p.getProbStatusString()}), profit {p.getObjVal():.2f}")
    for name, x in make.items():
        print(f"  {name:<8} {p.getSolution(x):8.2f}   reduced cost {p.getRCost(x) + 0.0:8.2f}")
    for resource, row in rows.items():
        print(f"  {resource:<14} unused {p.getSlack(row):8.2f}   shadow price {p.getDual(row):6.2f}")


if __name__ == "__main__":
    main()
