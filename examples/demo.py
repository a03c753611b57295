"""A first look at quorva: the optimizer library behind it, its controls,
and three models solved end to end (LP, MIP, QP)."""

import os
import sys

import quorva

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import can_design  # noqa: E402
import facility_location  # noqa: E402
import portfolio  # noqa: E402
import production_planning  # noqa: E402


def main() -> None:
    print("quorva", quorva.__version__)
    print("optimizer library version:", quorva.getversion())
    print(quorva.getbanner())
    print()
    print("module-wide controls (defaults of every new problem):")
    defaults = quorva.controls.__dict__
    width = max(len(name) for name in defaults)
    for name in sorted(defaults):
        print(f"  {name:<{width}}  {defaults[name]!r}")

    # Values set module-wide apply to every problem created afterwards.
    quorva.controls.feastol = 1e-7
    p = quorva.problem(name="demo")
    print()
    print(f"problem {p.name()!r}: feastol = {p.controls.feastol}, rows = {p.attributes.rows}")
    quorva.setdefaults()

    for model in (production_planning, facility_location, portfolio, can_design):
        print()
        model.main()


if __name__ == "__main__":
    main()
