"""Facility location (MIP): which warehouses to open, and which warehouse
serves each customer, so that opening plus transport costs are least and
no warehouse ships more than its capacity."""

from typing import Dict, Tuple

import quorva

WAREHOUSES = {"north": (250.0, 100), "south": (200.0, 80), "east": (300.0, 150)}  # opening cost, capacity
CUSTOMERS = {"a": 40, "b": 35, "c": 30, "d": 45, "e": 20}  # demand
COST = {  # transport cost per unit
    "north": {"a": 2, "b": 4, "c": 5, "d": 3, "e": 6},
    "south": {"a": 6, "b": 3, "c": 2, "d": 5, "e": 4},
    "east": {"a": 4, "b": 5, "c": 3, "d": 2, "e": 3},
}


def solve() -> Tuple[quorva.problem, Dict[str, quorva.var], Dict[Tuple[str, str], quorva.var]]:
    p = quorva.problem(name="facilities")
    p.controls.outputlog = 0
    opened = {w: quorva.var(name=f"open_{w}", vartype=quorva.binary) for w in WAREHOUSES}
    ship = {(w, c): quorva.var(name=f"ship_{w}_{c}") for w in WAREHOUSES for c in CUSTOMERS}
    p.addVariable(opened, ship)
    p.addConstraint(quorva.Sum(ship[w, c] for w in WAREHOUSES) == demand for c, demand in CUSTOMERS.items())
    p.addConstraint(
        quorva.Sum(ship[w, c] for c in CUSTOMERS) <= capacity * opened[w] for w, (_, capacity) in WAREHOUSES.items()
    )
    p.setObjective(
        quorva.Sum(cost * opened[w] for w, (cost, _) in WAREHOUSES.items())
        + quorva.Sum(COST[w][c] * ship[w, c] for w, c in ship)
    )
    p.solve()
    return p, opened, ship


def main() -> None:
    p, opened, ship = solve()
    print(f"facility location ({p.getProbStatusString()}), total cost {p.getObjVal():.2f}")
    for w, y in opened.items():
        if p.getSolution(y) > 0.5:
            served = {c: p.getSolution(ship[w, c]) for c in CUSTOMERS}
            listing = ", ".join(f"{c} {q:g}" for c, q in served.items() if q > 1e-6)
            print(f"  open {w:<6} ships {sum(served.values()):6.1f}: {listing}")
        else:
            print(f"  keep {w} closed")


if __name__ == "__main__":
    main()
