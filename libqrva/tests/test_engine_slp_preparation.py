"""Preparing and reporting nonlinear solves: presolve with the solution,
duals and reduced costs reported on the problem's own rows and columns,
scaling of the linearizations, fixed penalties, the linearization shown in
the optimizer problem, the unique prefix, the solution file and the log
reports; each on real solves, and refusals that change nothing."""
import csv
import re
from ctypes import byref, c_char_p, c_double, c_int, c_void_p, create_string_buffer

import pytest

from conftest import ERR_STATE, MESSAGE_CB
from engine_model import dbl, ints
from slp_model import var

NLP_OPTIMAL, NLP_INFEASIBLE = 1, 4
PRESOLVED = 0x20000000
STATUS, SCALE, PENALTYCOST, PREFIX = 12062, 12007, 12103, 12301
PENALTYFACTOR = 7


@pytest.fixture
def m(slp_problem):
    return slp_problem


@pytest.fixture
def log(m):
    """The problem's messages, as a list that grows."""
    got = []
    cb = MESSAGE_CB(lambda p, data, msg, length, t: got.append(msg[:length].decode()))
    m.ok("QRVAaddcbmessage", cb, None, 0)
    yield got
    m.ok("QRVAremovecbmessage", cb, None)


def reducible(m, sx=1.0, sy=1.0):
    """min (X-1)^2 + (Y-2)^2 + 3z - w + u/2 with X = sx x, Y = sy y, on
    XY + z >= 5 with z fixed at 2, w <= 4 and 2u = 6 (rows of one element),
    z <= 5 (empty once z goes) and X + Y + w <= 20; from (X, Y) = (1, 2)."""
    x, y, z, w, u, t = m.add_cols([0, 0, 3, -1, 0.5, 1], [-10 / sx, -10 / sy, 2, 0, -1e20, -1e20],
                                  [10 / sx, 10 / sy, 2, 100, 1e20, 1e20])
    rows = m.add_rows("GLELLE", [5, 4, 6, 5, 20, 0],
                      [{z: 1}, {w: 1}, {u: 2}, {z: 1}, {x: sx, y: sy, w: 1}, {t: -1}])
    big_x, big_y = var(x) * sx, var(y) * sy
    m.add_coefs([(rows[0], -1, 1.0, big_x * big_y),
                 (rows[5], -1, 1.0, (big_x - 1) ** 2 + (big_y - 2) ** 2)])
    m.set_start({x: 1 / sx, y: 2 / sy})
    return [x, y, z, w, u, t], rows


def solved(m):
    status, obj = m.solve()
    assert status == NLP_OPTIMAL
    return obj, m.slpsol()


class TestPresolve:
    def test_same_optimum_solution_and_duals_on_the_original_problem(self, m, log):
        cols, rows = reducible(m)
        reference = solved(m)
        m.sok("QSLPreinitialize")
        m.sok("QSLPpresolve")
        assert m.iattr(STATUS) & PRESOLVED
        assert any("2 fixed columns and 1 empty rows removed, 2 rows made bounds; 3 rows and 4 "
                   "columns remain" in line for line in log)
        obj, (x, slack, dual, dj) = solved(m)
        assert obj == pytest.approx(reference[0], abs=1e-7)
        for got, want in zip((x, slack, dual, dj), reference[1]):
            assert got == pytest.approx(want, abs=1e-5)
        # The rows that became bounds carry their columns' reduced costs:
        # w held at 4 by its row, u fixed by 2u = 6.
        assert dual[rows[1]] == pytest.approx(-1, abs=1e-6) and dj[cols[3]] == pytest.approx(0, abs=1e-6)
        assert dual[rows[2]] == pytest.approx(0.25, abs=1e-6) and dj[cols[4]] == pytest.approx(0, abs=1e-6)
        assert x[cols[2]] == 2 and x[cols[4]] == pytest.approx(3)
        # Postsolve ends it: the next solve takes the problem as it stands.
        m.sok("QSLPpostsolve")
        assert not m.iattr(STATUS) & PRESOLVED
        count = len(log)
        assert solved(m)[0] == pytest.approx(reference[0], abs=1e-7)
        assert not any("SLP presolve" in line for line in log[count:])

    def test_contradicting_singleton_row_is_left_to_the_solve(self, m):
        cols, _ = reducible(m)
        m.add_rows("G", [200], [{cols[3]: 1}])  # w >= 200 beyond its bound 100
        assert m.solve()[0] == NLP_INFEASIBLE
        m.sok("QSLPpresolve")
        assert m.solve()[0] == NLP_INFEASIBLE


class TestScaling:
    def test_badly_scaled_problem_reaches_the_same_optimum(self, m, log):
        cols, _ = reducible(m, sx=1e-3, sy=1e3)
        obj, (x, *_rest) = solved(m)
        assert int_control(m, SCALE) == 0
        m.sok("QSLPreinitialize")
        m.sok("QSLPscaling")
        assert int_control(m, SCALE) == 1
        before, after = None, None
        for line in log:
            if "SLP scaling of the linearization" in line:
                nums = [float(v) for v in line.split("from ")[1].split(";")[0].replace(" become ", " ")
                        .replace(" to ", " ").split()]
                before, after = nums[1] / nums[0], nums[3] / nums[2]
        assert before is not None and after < before / 1e3
        scaled_obj, (scaled_x, *_rest) = solved(m)
        assert scaled_obj == pytest.approx(obj, abs=1e-6)
        assert scaled_x[:2] == pytest.approx(x[:2], rel=1e-5)
        assert any("SLP: linearizations scaled" in line for line in log)

    def test_refused_where_the_current_point_cannot_be_evaluated(self, m):
        x = m.add_cols([0], [0], [10])[0]
        row = m.add_rows("L", [5], [{}])[0]
        m.add_coefs([(row, -1, 1.0, fn_log(x))])
        m.set_start({x: 0.0})
        code, text = m.sfails("QSLPscaling")
        assert code == ERR_STATE and "at the current point" in text
        assert int_control(m, SCALE) == 0


def int_control(m, ident):
    v = c_int()
    m.sok("QSLPgetintcontrol", ident, byref(v))
    return v.value


def fn_log(j):
    from slp_model import fn
    return fn("log", var(j))


def penalty_factor(m, row):
    v = c_double()
    m.sok("QSLPgetrowinfo", PENALTYFACTOR, row, byref(v))
    return v.value


class TestFixedPenalties:
    def test_fixed_for_the_next_solve_only(self, m):
        _, rows = reducible(m)
        m.sok("QSLPsetdblcontrol", PENALTYCOST, 1e-3)
        m.set_start({0: -1.0, 1: 1.0})  # far from XY >= 3: the penalty has to rise
        m.sok("QSLPfixpenalties")  # before any solve: slppenaltycost
        m.solve()
        assert penalty_factor(m, rows[0]) == pytest.approx(1e-3)
        m.solve()
        risen = penalty_factor(m, rows[0])
        assert risen > 1e-3
        m.sok("QSLPfixpenalties")
        m.solve()
        assert penalty_factor(m, rows[0]) == pytest.approx(risen)


class TestShownLinearization:
    def test_getters_show_the_linearization_until_the_engine_reads_the_problem(self, m):
        cols, rows = reducible(m)
        x, y, z = cols[:3]
        original = m.rows_of(rows[0], rows[0])[0]
        reference = solved(m)[0]
        m.sok("QSLPreinitialize")
        m.sok("QSLPupdatelinearization")
        # XY at (1, 2): derivatives 2 and 1, and the constant 2 - 2 - 2 moves
        # the right-hand side from 5 to 7.
        assert m.rows_of(rows[0], rows[0])[0] == pytest.approx({z: 1.0, x: 2.0, y: 1.0})
        assert m.get("QRVAgetrhs", 1, rows[0]) == [pytest.approx(7.0)]
        assert m.get("QRVAgetobj", 6) == [0, 0, 3, -1, 0.5, 1]
        # A second call rebuilds at the same point rather than adding up.
        m.sok("QSLPupdatelinearization")
        assert m.rows_of(rows[0], rows[0])[0] == pytest.approx({z: 1.0, x: 2.0, y: 1.0})
        # The solve reads the problem's own rows.
        assert solved(m)[0] == pytest.approx(reference, abs=1e-7)
        assert m.rows_of(rows[0], rows[0])[0] == original
        assert m.get("QRVAgetrhs", 1, rows[0]) == [5.0]
        # At the solution: the derivatives of XY are (Y*, X*).
        m.sok("QSLPupdatelinearization")
        xs = m.slpsol()[0]
        shown = m.rows_of(rows[0], rows[0])[0]
        assert shown[x] == pytest.approx(xs[y]) and shown[y] == pytest.approx(xs[x])

    def test_user_edits_of_the_shown_problem_are_kept(self, m):
        cols, rows = reducible(m)
        x, y = cols[:2]
        m.sok("QSLPupdatelinearization")
        m.ok("QRVAchgcoef", rows[0], x, 5.0)
        m.sok("QSLPvalidatevector", dbl([1, 2, 2, 4, 3, 0]), None, None, None)
        assert m.rows_of(rows[0], rows[0])[0] == {cols[2]: 1.0, x: 5.0}

    def test_deleting_rows_and_saving_put_the_problem_back_first(self, m, tmp_path, monkeypatch):
        cols, rows = reducible(m)
        m.sok("QSLPupdatelinearization")
        m.ok("QRVAdelrows", 1, ints([rows[3]]))
        assert m.rows_of(0, 0)[0] == {cols[2]: 1.0}
        assert m.get("QRVAgetrhs", 1, 0) == [5.0]
        # A saved problem holds its own rows, not the linearization shown.
        monkeypatch.chdir(tmp_path)
        m.lib.QRVAsave.argtypes = [c_void_p]
        m.lib.QRVArestore.argtypes = [c_void_p, c_char_p, c_char_p]
        m.ok("QRVAsetprobname", b"shown")
        m.sok("QSLPupdatelinearization")
        m.ok("QRVAsave")
        m.ok("QRVArestore", b"shown", b"")
        assert m.rows_of(0, 0)[0] == {cols[2]: 1.0}
        assert m.get("QRVAgetrhs", 1, 0) == [5.0]

    def test_refused_where_a_formula_cannot_be_evaluated(self, m):
        x = m.add_cols([0], [0], [10])[0]
        row = m.add_rows("L", [5], [{x: 1}])[0]
        m.add_coefs([(row, -1, 1.0, fn_log(x))])
        m.set_start({x: 0.0})
        code, text = m.sfails("QSLPupdatelinearization")
        assert code == ERR_STATE and "cannot be evaluated" in text
        assert m.rows_of(row, row)[0] == {x: 1.0} and m.get("QRVAgetrhs", 1, row) == [5.0]


def string_control(m, ident):
    buf, n = create_string_buffer(64), c_int()
    m.sok("QSLPgetstrcontrol", ident, buf, 64, byref(n))
    return buf.value.decode()


class TestSolutionFile:
    def test_round_trip_through_csv(self, m, tmp_path):
        cols, rows = reducible(m)
        m.set_names(2, ["slp_x", "y", "z", "w", "u", "t"])
        m.set_names(1, ["prod", "wcap", "u2", "zcap", "sum", "obj"])
        m.sok("QSLPsetuniqueprefix")
        assert string_control(m, PREFIX) == "slp_1_"
        _, (x, slack, dual, dj) = solved(m)
        path = tmp_path / "plan.csv"
        m.sok("QSLPfilesol", str(path).encode())
        with open(path, newline="") as f:
            lines = list(csv.DictReader(f))
        by_kind = {k: [r for r in lines if r["kind"] == k] for k in "RCE"}
        assert [r["name"] for r in by_kind["C"]] == ["slp_x", "y", "z", "w", "u", "t"]
        assert [float(r["value"]) for r in by_kind["C"]] == pytest.approx(x, rel=1e-12)
        assert [float(r["dual"]) for r in by_kind["C"]] == pytest.approx(dj, rel=1e-12)
        assert [float(r["slack"]) for r in by_kind["R"]] == pytest.approx(slack, rel=1e-12)
        assert [float(r["dual"]) for r in by_kind["R"]] == pytest.approx(dual, rel=1e-12)
        # One pair of error vectors per nonlinear row, named with the prefix.
        assert [r["name"] for r in by_kind["E"]] == ["slp_1_plus_prod", "slp_1_minus_prod",
                                                     "slp_1_plus_obj", "slp_1_minus_obj"]
        assert all(float(r["value"]) >= 0 for r in by_kind["E"])
        # An empty file name takes the problem's name with .csv added.
        m.ok("QRVAsetprobname", str(tmp_path / "named").encode())
        m.sok("QSLPfilesol", b"")
        assert (tmp_path / "named.csv").read_text() == path.read_text()

    def test_refusals(self, m, tmp_path):
        reducible(m)
        code, text = m.sfails("QSLPfilesol", str(tmp_path / "early.csv").encode())
        assert code == ERR_STATE and "no nonlinear solution" in text
        assert not (tmp_path / "early.csv").exists()
        solved(m)
        code, text = m.sfails("QSLPfilesol", str(tmp_path / "missing" / "x.csv").encode())
        assert code != 0 and "missing" in text


class TestReports:
    def test_evaluation_counts_and_memory_in_the_log(self, m, log):
        reducible(m)
        m.sok("QSLPprintevalinfo")
        assert "0 points (0 with derivatives), 0 formula evaluations" in log[-2]
        solved(m)
        iterations = m.iattr(12040)
        count = len(log)
        m.sok("QSLPprintevalinfo")
        points, gradients, formulas = (int(v) for v in re.match(
            r"SLP evaluations since the last solve started: (\d+) points \((\d+) with derivatives\), "
            r"(\d+) formula evaluations", log[count]).groups())
        assert points >= gradients >= iterations and formulas == 2 * points
        assert "2 formula coefficients in 2 rows, 0 user functions" in log[count + 1]
        count = len(log)
        m.sok("QSLPprintmemory")
        report = log[count:]
        assert "6 rows, 6 columns, 8 elements" in report[1]
        assert "(2 coefficients," in report[2]
        parts = [int(line.split(": ")[1].split()[0]) for line in report[1:6]]
        assert report[-1] == "  total: %d" % sum(parts)
        assert parts[0] > 0 and parts[1] > 0 and parts[4] > 0
