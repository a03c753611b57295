"""Nonlinear solves with known optima: formulas in rows and in the objective
transfer row, quadratic rows and objectives, user functions with and without
derivatives, failing user functions, domain errors and refused models."""
import math
from ctypes import byref, c_int, c_void_p

import pytest

from conftest import ERR_STATE
from engine_model import Model, dbl, ints
from slp_model import USERFUNC, USERFUNC_DERIV, fn, user, var

NLP_OPTIMAL, NLP_GLOBAL, NLP_UNFINISHED = 1, 2, 6


@pytest.fixture
def m(slp_problem):
    return slp_problem


def transfer_objective(m, formula):
    """The objective as a formula in an equality row with a free column."""
    t = m.add_cols([1], [-1e20], [1e20])[0]
    row = m.add_rows("E", [0], [{t: -1.0}])[0]
    m.add_coefs([(row, -1, 1.0, formula)])
    return t, row


def test_rosenbrock_from_the_origin_with_bounds(m):
    x, y = m.add_cols([0, 0], [-1.5, -0.5], [2, 2])
    X, Y = var(x), var(y)
    transfer_objective(m, (1 - X) ** 2 + 100 * (Y - X ** 2) ** 2)
    m.set_start({x: 0.0, y: 0.0})
    status, obj = m.solve()
    assert status == NLP_OPTIMAL and obj == pytest.approx(0, abs=1e-8)
    assert m.slpsol()[0][:2] == pytest.approx([1, 1], abs=1e-4)
    # The upper bound 0.5 on y moves the optimum onto it.
    m.ok("QRVAchgbounds", 1, ints([y]), b"U", dbl([0.5]))
    status, obj = m.solve()
    xs = m.slpsol()[0][x]
    assert status == NLP_OPTIMAL and m.slpsol()[0][y] == pytest.approx(0.5, abs=1e-6)
    assert obj == pytest.approx((1 - xs) ** 2 + 100 * (0.5 - xs ** 2) ** 2, abs=1e-9)
    assert obj == pytest.approx(0.0858, abs=1e-3)


def test_circle_constraint_maximizing(m):
    x, y = m.add_cols([1, 1], [-2, -2], [2, 2])
    row = m.add_rows("L", [1], [{}])[0]
    m.add_coefs([(row, -1, 1.0, var(x) * var(x) + var(y) * var(y))])
    status, obj = m.solve(sense=-1.0)
    assert status == NLP_OPTIMAL and obj == pytest.approx(math.sqrt(2), abs=1e-6)
    xs, slack, dual, _ = m.slpsol()
    assert xs == pytest.approx([1 / math.sqrt(2)] * 2, abs=1e-5)
    assert slack[0] == pytest.approx(0, abs=1e-6)
    assert abs(dual[0]) == pytest.approx(1 / math.sqrt(2), abs=1e-3)  # the multiplier


def test_product_constraint_through_a_coefficient_column(m):
    # x * y >= 1 as the coefficient y of column x.
    x, y = m.add_cols([1, 1], [0, 0], [10, 10])
    row = m.add_rows("G", [1], [{}])[0]
    m.add_coefs([(row, x, 1.0, var(y))])
    status, obj = m.solve()
    assert status == NLP_OPTIMAL and obj == pytest.approx(2, abs=1e-6)
    assert m.slpsol()[0] == pytest.approx([1, 1], abs=1e-4)
    assert m.iattr(12040) > 1


def test_model_with_sin_exp_and_log(m):
    x, y, z = m.add_cols([0, 0, 0], [-5, 0.01, 2], [5, 10, 6])
    X, Y, Z = var(x), var(y), var(z)
    transfer_objective(m, fn("exp", X) - 2 * X + Y - fn("log", Y) + fn("sin", Z))
    row = m.add_rows("G", [-0.5], [{}])[0]
    m.add_coefs([(row, -1, 1.0, fn("sin", Z))])
    m.set_start({z: 3.0})
    status, obj = m.solve()
    assert status == NLP_OPTIMAL and obj == pytest.approx(2 - 2 * math.log(2) + 1 - 0.5, abs=1e-6)
    xs = m.slpsol()[0]
    assert xs[x] == pytest.approx(math.log(2), abs=1e-5) and xs[y] == pytest.approx(1, abs=1e-5)
    assert math.sin(xs[z]) == pytest.approx(-0.5, abs=1e-6)


def qcqp(model):
    """min x^2 + y^2 - 4x - 2y s.t. x^2 + y^2 <= 1: optimum 1 - 2 sqrt(5)."""
    model.add_cols([-4, -2], [-5, -5], [5, 5])
    model.ok("QRVAchgmqobj64", 2, ints([0, 1]), ints([0, 1]), dbl([2, 2]))
    model.add_rows("L", [1], [{}])
    model.ok("QRVAaddqmatrix64", 0, 2, ints([0, 1]), ints([0, 1]), dbl([1, 1]))
    return 1 - 2 * math.sqrt(5)


def test_qcqp_through_the_slp_engine_and_lpoptimize(m, env):
    best = qcqp(m)
    status, obj = m.solve()
    assert status == NLP_OPTIMAL and obj == pytest.approx(best, abs=1e-6)
    assert m.slpsol()[0] == pytest.approx([2 / math.sqrt(5), 1 / math.sqrt(5)], abs=1e-5)
    # A plain optimizer problem with quadratic rows: lpoptimize solves it too.
    q = c_void_p()
    assert env.QRVAcreateprob(byref(q)) == 0
    try:
        plain = Model(env, q)
        qcqp(plain)
        status, obj = plain.lpopt()
        assert status == 1 and obj == pytest.approx(best, abs=1e-6)
        assert plain.lpsol()[0] == pytest.approx([2 / math.sqrt(5), 1 / math.sqrt(5)], abs=1e-5)
    finally:
        env.QRVAdestroyprob(q)


def register(m, name, address, derivatives):
    """Registers a user function the way the extension does; returns its index."""
    sname, direct = c_int(), c_int()
    m.sok("QSLPsetstring", byref(sname), name.encode())
    m.sok("QSLPsetstring", byref(direct), b"DirectC")
    before = m.iattr(12031)
    flags = 110611 if derivatives else 19
    m.sok("QSLPadduserfuncs", 1, ints([5, 87, 86, 5, 0]),
          dbl([sname.value, 1.0, flags, direct.value, 0]))
    index = before + 1
    m.sok("QSLPaddnames", 5, name.encode() + b"\0", index, index)
    m.sok("QSLPchguserfuncaddress", index, address)
    m.sok("QSLPsetuserfuncobject", index, c_void_p(1000 + index))
    return index


def test_refused_user_function_definitions_name_what_is_accepted(m):
    sname = c_int()
    m.sok("QSLPsetstring", byref(sname), b"f")
    code, text = m.sfails("QSLPadduserfuncs", 1, ints([5, 88, 0]), dbl([sname.value, 1.0, 0]))
    assert text.endswith("token type 88 at position 1 of function 0 is not one of 0 (end), "
                         "5 (string), 86 (flags), 87 (values returned)")
    code, text = m.sfails("QSLPadduserfuncs", 1, ints([87, 0]), dbl([1.0, 0]))
    assert text.endswith("function 0 has no name (a string token of type 5)")
    code, text = m.sfails("QSLPaddnames", 1, b"f\0", 1, 1)
    assert "name type 1 is not 5 (user functions)" in text
    assert m.iattr(12031) == 0  # nothing was defined


@pytest.mark.parametrize("derivatives", [False, True], ids=["differences", "derivatives"])
def test_user_function_model(m, derivatives):
    calls = {"n": 0, "info": None}
    lib = m.lib

    def value_of(v):
        return (v[0] - 1) ** 2 + (v[1] - 2) ** 2

    def plain(values, func):
        calls["n"] += 1
        nargs, res, der, idx = c_int(), c_int(), c_int(), c_int()
        lib.QSLPgetfuncinfo(func, byref(nargs), byref(res), byref(der), byref(idx))
        obj, owner = c_void_p(), c_void_p()
        lib.QSLPgetfuncobject(func, 12602, byref(owner))
        lib.QSLPgetuserfuncobject(owner, idx.value, byref(obj))
        calls["info"] = (nargs.value, idx.value, obj.value, owner.value == m.slp.value)
        return value_of(values)

    def with_derivatives(values, func, deltas, results):
        calls["n"] += 1
        results[0] = value_of(values)
        if deltas[0]:
            results[1] = 2 * (values[0] - 1)
        if deltas[1]:
            results[2] = 2 * (values[1] - 2)
        return 0.0

    address = USERFUNC_DERIV(with_derivatives) if derivatives else USERFUNC(plain)
    index = register(m, "dist", address, derivatives)
    a, b = m.add_cols([0, 0], [-5, -5], [5, 5])
    m.add_rows("L", [2], [{a: 1.0, b: 1.0}])
    transfer_objective(m, user(index, var(a), var(b)))
    status, obj = m.solve()
    assert status == NLP_OPTIMAL and obj == pytest.approx(0.5, abs=1e-6)
    assert m.slpsol()[0][:2] == pytest.approx([0.5, 1.5], abs=1e-4)
    assert calls["n"] > 0
    if not derivatives:
        assert calls["info"] == (2, index, 1000 + index, True)


def test_failing_user_function_stops_the_solve(m):
    lib = m.lib

    def raises(values, func, deltas, results):
        return -3.0  # what a failed call leaves: results untouched

    def interrupts(values, func):
        owner = c_void_p()
        lib.QSLPgetfuncobject(func, 12602, byref(owner))
        lib.QSLPinterrupt(owner, 9)
        return -3.0

    keep = [USERFUNC_DERIV(raises), USERFUNC(interrupts)]
    a = m.add_cols([0], [-5], [5])[0]
    row = m.add_rows("L", [1], [{}])[0]
    for k, address in enumerate(keep):
        index = register(m, "bad%d" % k, address, k == 0)
        m.add_coefs([(row, -1, 1.0, user(index, var(a)))], name="QSLPloadcoefs")
        status, _ = m.solve()
        assert status == NLP_UNFINISHED
        assert m.iattr(12045) == 9


def test_domain_errors_back_off_or_are_reported(m):
    x = m.add_cols([1], [-1], [10])[0]
    t, _ = transfer_objective(m, -2 * fn("log", var(x) + 0.5))
    # Long first steps cross into log of a negative number and are refused.
    m.set_start({x: 0.1})
    status, obj = m.solve()
    assert status == NLP_OPTIMAL and m.slpsol()[0][x] == pytest.approx(1.5, abs=1e-5)
    # A start outside the domain cannot be linearized at all.
    m.set_start({x: -0.75})
    code, text = m.sfails("QSLPnlpoptimize", b"")
    assert code == ERR_STATE
    assert "log of -0.25" in text and "at the starting point" in text


def test_discrete_columns_with_formulas_are_solved_by_the_tree_search(m):
    x = m.add_cols([1], [0], [4], types="I")[0]
    row = m.add_rows("G", [2], [{}])[0]
    m.add_coefs([(row, -1, 1.0, var(x) * var(x))])
    # x^2 >= 2 holds for x >= 1.414 continuous, x = 2 integer.
    status, obj = m.solve()
    assert status == NLP_OPTIMAL and obj == pytest.approx(2, abs=1e-9)
    assert m.slpsol()[0][x] == pytest.approx(2, abs=1e-9)


def test_linear_content_only_is_globally_optimal_and_infeasible_linear_rows(m):
    x, y = m.add_cols([1, 2], [0, 0], [10, 10])
    m.add_rows("G", [3], [{x: 1.0, y: 1.0}])
    status, obj = m.solve()
    assert status == NLP_GLOBAL and obj == pytest.approx(3)
    m.add_rows("L", [1], [{x: 1.0, y: 1.0}])
    row = m.add_rows("L", [5], [{}])[0]
    m.add_coefs([(row, -1, 1.0, var(x) * var(y))])
    assert m.solve()[0] == 4  # the linear rows alone have no solution
