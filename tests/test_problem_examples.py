"""The example models of `make demo` solve to their known answers."""

import os
import sys

import pytest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples"))

import can_design  # noqa: E402
import facility_location  # noqa: E402
import portfolio  # noqa: E402
import production_planning  # noqa: E402


def test_production_planning():
    p, make, rows = production_planning.solve()
    assert p.getObjVal() == pytest.approx(2376.923, abs=1e-3)
    # Complementary slackness: an unused resource has no shadow price.
    for row in rows.values():
        assert p.getSlack(row) * p.getDual(row) == pytest.approx(0.0, abs=1e-9)


def test_facility_location():
    p, opened, ship = facility_location.solve()
    assert p.getProbStatusString() == "mip_optimal"
    assert p.getObjVal() == pytest.approx(915.0)
    assert [round(p.getSolution(y)) for y in opened.values()] == [1, 1, 0]


def test_portfolio():
    p, share = portfolio.solve()
    x = p.getSolution(share)
    assert sum(x) == pytest.approx(1.0)
    assert sum(r * v for r, v in zip(portfolio.RETURN, x)) >= portfolio.TARGET - 1e-7
    assert p.getObjVal() == pytest.approx(0.0687341 ** 2, rel=1e-4)


def test_can_design():
    # Least surface for a volume: height = diameter = 2 (V / 2 pi)^(1/3).
    p, r, h = can_design.solve()
    radius, height = p.getSolution(r, h)
    expected = (can_design.VOLUME / (2 * 3.141592653589793)) ** (1 / 3)
    assert radius == pytest.approx(expected, rel=1e-5)
    assert height == pytest.approx(2 * expected, rel=1e-5)
