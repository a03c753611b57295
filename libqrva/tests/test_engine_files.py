"""Problem files in MPS and LP form: write, read back and solve to the same
optimum with the same names; HiGHS's own program reads what we write and
finds the same optimum too; LP files of other writers; refusals."""
import os
import re
import subprocess
import ctypes
from ctypes import byref, c_double, c_int

import pytest

from engine_model import INF, Model, dbl, declare, int64s, ints


@pytest.fixture
def m(env, prob):
    declare(env)
    return Model(env, prob)


def fresh(env):
    from ctypes import byref, c_void_p
    handle = c_void_p()
    assert env.QRVAcreateprob(byref(handle)) == 0
    return Model(env, handle)


def lp_model(m):
    m.add_cols([3, 5, -1], [0, 0, -INF], [INF, INF, 4])
    m.add_rows("LLLR", [4, 12, 18, 10], [{0: 1}, {1: 2}, {0: 3, 1: 2}, {1: 1, 2: 1}],
               ranges=[0, 0, 0, 6])
    m.ok("QRVAchgobj", 1, ints([-1]), dbl([-2.5]))  # objective constant 2.5
    m.ok("QRVAchgobjsense", -1)
    m.set_names(2, ["x", "y", "z"])


def mip_model(m):
    m.add_cols([10, 13, 7, 8, 1], [0] * 5, [1, 1, 1, 1, 50], types="BBBIS")
    m.ok("QRVAchgglblimit", 1, ints([4]), dbl([2]))
    m.add_rows("LL", [10, 30], [{0: 4, 1: 6, 2: 3, 3: 5}, {4: 1, 0: 1}])
    m.ok("QRVAchgobjsense", -1)


def qp_model(m):
    m.add_cols([-2, -4], [-10, -10], [10, 10])
    m.ok("QRVAchgmqobj64", 3, ints([0, 1, 0]), ints([0, 1, 1]), dbl([2, 2, 0.5]))
    m.add_rows("L", [1], [{0: 1, 1: 1}])


def highs_optimum(path):
    import highsbox
    env = dict(os.environ, LD_LIBRARY_PATH=highsbox.highs_lib_dir())
    run = subprocess.run([highsbox.highs_bin_path(), path], capture_output=True, text=True,
                         env=env, timeout=120, cwd=os.path.dirname(path))
    found = re.search(r"Objective value\s*:\s*(\S+)", run.stdout) or \
        re.search(r"Primal bound\s+(\S+)", run.stdout)
    assert found, run.stdout + run.stderr
    return float(found.group(1))


@pytest.mark.parametrize("name,flags", [("model.mps", b""), ("model.lp", b""), ("model", b"l")])
@pytest.mark.parametrize("build,kind", [(lp_model, "lp"), (mip_model, "mip"), (qp_model, "lp")])
def test_write_read_solve_and_cross_check(env, m, tmp_path, build, kind, name, flags):
    build(m)
    solve = m.lpopt if kind == "lp" else m.mipopt
    status, optimum = solve()
    path = str(tmp_path / name)
    m.ok("QRVAwriteprob", path.encode(), flags)
    if flags:
        path += ".lp"
    other = fresh(env)
    try:
        other.ok("QRVAreadprob", path.encode(), flags)
        assert (other.rows, other.cols) == (m.rows, m.cols)
        assert other.names(2, 0, m.cols - 1) == m.names(2, 0, m.cols - 1)
        assert other.names(1, 0, m.rows - 1) == m.names(1, 0, m.rows - 1)
        assert other.get("QRVAgetrhsrange", m.rows) == m.get("QRVAgetrhsrange", m.rows)
        again = other.lpopt if kind == "lp" else other.mipopt
        assert again() == (status, pytest.approx(optimum, abs=1e-6))
    finally:
        env.QRVAdestroyprob(other.prob)
    pytest.importorskip("highsbox")
    assert highs_optimum(path) == pytest.approx(optimum, abs=1e-6)


def full_model(m, width=1):
    """Every kind of data a file holds; width repeats the columns to make long lines."""
    n = 6 * width
    types = "CCCBRI" * width
    m.add_cols([1, 2, 3, 0, 0.1, -1.25] * width, [0, -5, -INF, 0, 0, 2] * width,
               [1, 7, INF, 1, 40, 2] * width, types=types)
    m.ok("QRVAchgglblimit", width, ints(list(range(4, n, 6))), dbl([3] * width))
    m.ok("QRVAaddsets64", 2, 5, b"21", int64s([0, 3, 5]), ints([0, 1, 2, 1, 4]),
         dbl([1, 2, 3, 1.5, 2.5]))
    m.add_rows("LGENR", [1, -4, 2, 0, 1e-3],
               [{0: 1, 1: 1}, {j: 0.5 + j for j in range(n)}, {2: 1, 5: -2}, {0: 1, 2: 1},
                {1: 3, 4: -1}], ranges=[0, 0, 0, 0, 7.25])
    m.ok("QRVAsetindicators", 1, ints([0]), ints([3]), ints([-1]))
    m.ok("QRVAaddqmatrix64", 1, 3, ints([0, 0, 1]), ints([0, 1, 1]), dbl([1, 0.5, 2]))
    m.ok("QRVAchgmqobj64", 2, ints([0, 1]), ints([0, 2]), dbl([4, -1]))
    m.ok("QRVAchgobj", 1, ints([-1]), dbl([0.75]))
    m.set_names(2, ["x%d" % j for j in range(n)])
    m.set_names(1, ["cap", "demand", "balance", "free_row", "band"])
    m.set_names(3, ["pair", "choice"])
    m.ok("QRVAsetprobname", b"full")


def snapshot(m):
    """Everything the store answers about the problem, for comparisons."""
    rows, cols = m.rows, m.cols
    q = [[c_double() for _ in range(cols)] for _ in range(cols)]
    for i in range(cols):
        for j in range(cols):
            m.ok("QRVAgetqobj", i, j, byref(q[i][j]))
    qrow = c_double()
    m.ok("QRVAgetqrowcoeff", 0, 0, 1, byref(qrow))
    return dict(
        rows=m.rows_of(0, rows - 1),
        names=(m.names(1, 0, rows - 1), m.names(2, 0, cols - 1), m.names(3, 0, m.attr(1004) - 1)),
        lb=m.get("QRVAgetlb", cols), ub=m.get("QRVAgetub", cols), obj=m.get("QRVAgetobj", cols),
        rhs=m.get("QRVAgetrhs", rows), range=m.get("QRVAgetrhsrange", rows),
        types=(text_of(m, "QRVAgetrowtype", rows), text_of(m, "QRVAgetcoltype", cols)),
        q=[[v.value for v in r] for r in q], qrow=qrow.value,
        sets=(m.attr(1004), m.attr(1005)), indicators=indicators(m, rows))


def indicators(m, rows):
    cols, comps = (c_int * rows)(), (c_int * rows)()
    m.ok("QRVAgetindicators", cols, comps, 0, rows - 1)
    return list(cols), list(comps)


def text_of(m, name, n):
    buf = ctypes.create_string_buffer(max(1, n))
    m.ok(name, buf, 0, n - 1)
    return buf.raw[:n]


@pytest.mark.parametrize("fmt", ["mps", "lp"])
def test_everything_survives_a_round_trip(env, m, tmp_path, fmt):
    full_model(m, width=30)  # 180 columns: long objective and constraint lines
    path = str(tmp_path / ("full." + fmt))
    m.ok("QRVAwriteprob", path.encode(), b"")
    if fmt == "lp":
        assert max(len(line.rstrip("\n")) for line in open(path)) <= 100
    other = fresh(env)
    try:
        other.ok("QRVAreadprob", path.encode(), b"")
        assert snapshot(other) == snapshot(m)
        name = ctypes.create_string_buffer(64)
        other.ok("QRVAgetprobname", name)
        assert name.value == b"full"
        # Thresholds of semi-continuous columns come back too.
        assert other.attr(1032) == m.attr(1032)
    finally:
        env.QRVAdestroyprob(other.prob)


def test_fixed_mps_is_read(m, tmp_path):
    text = """NAME          FIXED
ROWS
 N  COST
 L  LIM1
 G  LIM2
COLUMNS
    X1        COST         1.0   LIM1         1.0
    X1        LIM2         1.0
    X2        COST         2.0   LIM1         1.0
RHS
    RHS       LIM1         4.0   LIM2         1.0
BOUNDS
 UP BND       X1           4.0
ENDATA
"""
    path = tmp_path / "fixed.mps"
    path.write_text(text)
    m.ok("QRVAreadprob", str(path).encode(), b"")
    assert (m.rows, m.cols) == (2, 2)
    assert m.lpopt() == (1, pytest.approx(1.0))


def test_file_errors(m, tmp_path):
    assert "cannot open" in m.fails("QRVAreadprob", str(tmp_path / "none.mps").encode(), b"")
    bad = tmp_path / "bad.mps"
    bad.write_text("NAME x\nROWS\n N obj\n L r\nCOLUMNS\n    c r abc\nENDATA\n")
    assert m.fails("QRVAreadprob", str(bad).encode(), b"") == \
        "QRVAreadprob: line 6: 'abc' is not a number"


def refused_reads(fails, tmp_path):
    """The texts of reading a directory (named with and without an
    extension) and a file without any section."""
    folder = tmp_path / "models"
    folder.mkdir()
    (tmp_path / "dir.mps").mkdir()
    empty = tmp_path / "empty.mps"
    empty.write_text("* only a comment\n\n")
    ended = tmp_path / "ended.mps"
    ended.write_text("NAME nothing\nENDATA\n")
    return [fails(str(path).encode(), b"") for path in (folder, tmp_path / "dir.mps", empty, ended)]


def test_directories_and_empty_files_are_refused(m, tmp_path):
    folder, named, empty, ended = refused_reads(lambda *a: m.fails("QRVAreadprob", *a), tmp_path)
    # the name as given, not the one with ".mps" added
    assert folder == f"QRVAreadprob: cannot read '{tmp_path}/models': it is a directory"
    assert named == f"QRVAreadprob: cannot read '{tmp_path}/dir.mps': it is a directory"
    assert empty == "QRVAreadprob: the file holds no MPS sections (NAME, ROWS, COLUMNS, ...)"
    assert ended == "QRVAreadprob: the file has no ROWS section"


def test_slp_reads_refuse_them_too(slp_problem, tmp_path):
    texts = refused_reads(lambda *a: slp_problem.sfails("QSLPreadprob", *a)[1], tmp_path)
    assert [t.split(": ", 1)[1] for t in texts] == [
        f"cannot read '{tmp_path}/models': it is a directory",
        f"cannot read '{tmp_path}/dir.mps': it is a directory",
        "the file holds no MPS sections (NAME, ROWS, COLUMNS, ...)",
        "the file has no ROWS section",
    ]


def test_lp_files_of_other_writers(m, tmp_path):
    """Double inequalities, constants on either side, "=<"/"=>", bounds with the
    number first, a quadratic objective without "/ 2", comments, sets
    without names, an indicator on 0, and a negative range column."""
    text = r"""\ written by hand
\Problem name: other
minimise
 cost: 2 x + 3y + 4 + [ x^2 + x*y ]
st
 twoSided: -2 <= x + y - 1 <= 5
 reversed: 8 => 2 x + 3 y
 c3: x - y =< 3
 i1: b = 0 -> x >= 1
 ranged: x + y - Rgranged = 1
 free: x + b >= -infinity
bounds
 -10 <= y
 3 >= x
 Rgranged <= 2
 b <= 1
binary
 b
sos
 S1:: x:1 y:2
end
this text after the end is not read
"""
    path = tmp_path / "other.lp"
    path.write_text(text)
    m.ok("QRVAreadprob", str(path).encode(), b"")
    assert m.names(2, 0, m.cols - 1) == [b"x", b"y", b"b"]
    assert m.names(1, 0, m.rows - 1) == [b"twoSided", b"reversed", b"c3", b"i1", b"ranged",
                                          b"free"]
    assert text_of(m, "QRVAgetrowtype", 6) == b"RLLGRN"
    assert m.get("QRVAgetrhs", 6)[:5] == [6, 8, 3, 1, 3]
    ranges = m.get("QRVAgetrhsrange", 6)
    assert (ranges[0], ranges[4]) == (7, 2)
    assert m.get("QRVAgetlb", 3) == [0, -10, 0] and m.get("QRVAgetub", 3) == [3, INF, 1]
    assert text_of(m, "QRVAgetcoltype", 3) == b"CCB"
    assert indicators(m, 6) == ([-1, -1, -1, 2, -1, -1], [0, 0, 0, -1, 0, 0])
    q = c_double()
    m.ok("QRVAgetqobj", 0, 0, byref(q))
    assert q.value == 2  # x^2 stands for 1/2 * 2 x^2
    m.ok("QRVAgetqobj", 0, 1, byref(q))
    assert q.value == 1
    assert (m.attr(1004), m.attr(1005)) == (1, 2)


LP_ERRORS = [
    ("max\n obj: x +\nst\n c: x <= 1\nend\n", "line 2: a term is expected after the sign at the end of the section"),
    ("max\n obj: x\nst\n c: x 1\nend\n", "line 4: one of <= >= = is expected at '1'"),
    ("max\n obj: x\nst\n c: x <= y\nend\n", "line 4: a number is expected at 'y'"),
    ("max\n obj: [ x ^ 3 ]\nend\n", "line 2: only squares (^ 2) are quadratic terms at '3'"),
    ("max\n obj: x\nst\n c: b = 2 -> x <= 1\nend\n",
     "line 4: an indicator's value is 0 or 1 at '->'"),
    ("max\n obj: x\nst\n c: 5 <= x <= 1\nend\n",
     "line 4: row 'c': the lower side of its range is above the upper side"),
    ("max\n obj: x\nst\n c: x = -inf\nend\n",
     "line 4: row 'c': an equality needs a finite right-hand side"),
    ("max\n obj: x\nsos\n s: S3:: x:1\nend\n", "line 4: a set starts with [name:] S1:: or S2:: at 'S3'"),
    ("x + y\n", "line 1: text before the objective (Minimize or Maximize)"),
    ("max\n obj: x \u00a7 y\n", "line 2: unexpected character (byte 194)"),
    ("max\n obj: x\nlazy constraints\n c: x <= 1\n",
     "line 3: lazy constraints and user cuts are not read from LP files"),
]


@pytest.mark.parametrize("text,error", LP_ERRORS)
def test_lp_read_errors_name_the_line_and_keep_the_problem(m, tmp_path, text, error):
    m.add_cols([1], [0], [1])
    path = tmp_path / "bad.lp"
    path.write_text(text)
    assert m.fails("QRVAreadprob", str(path).encode(), b"") == "QRVAreadprob: " + error
    assert m.cols == 1


@pytest.mark.parametrize("fmt,names,error", [
    ("lp", ["x-1"], "the name 'x-1' of column 0 cannot be written in the LP format"),
    ("lp", ["st"], "the name 'st' of column 0 cannot be written in the LP format"),
    ("lp", ["2x"], "the name '2x' of column 0 cannot be written in the LP format"),
    ("mps", ["a b"], "the name 'a b' of column 0 cannot be written in the MPS format"),
    ("mps", ["same", "same"], "the name 'same' is given to more than one column; a MPS file "
                              "needs distinct names"),
])
def test_names_a_format_cannot_hold_are_refused_without_a_file(m, tmp_path, fmt, names, error):
    m.add_cols([1, 1], [0, 0], [1, 1])
    m.set_names(2, names)
    path = tmp_path / ("named." + fmt)
    assert m.fails("QRVAwriteprob", str(path).encode(), b"") == "QRVAwriteprob: " + error
    assert not path.exists()


def test_generated_names_step_aside_for_own_names(env, m, tmp_path):
    m.add_cols([1, 2], [0, 0], [1, 1])
    m.set_names(2, ["C1"], first=0)  # column 1 has no name and would be "C1" too
    path = str(tmp_path / "clash.lp")
    m.ok("QRVAwriteprob", path.encode(), b"")
    other = fresh(env)
    try:
        other.ok("QRVAreadprob", path.encode(), b"")
        assert other.names(2, 0, 1) == [b"C1", b"C1_"]
        assert other.get("QRVAgetobj", 2) == [1, 2]
    finally:
        env.QRVAdestroyprob(other.prob)


@pytest.mark.parametrize("fmt", ["mps", "lp"])
def test_partially_integer_columns_are_refused(m, tmp_path, fmt):
    m.add_cols([1], [0], [10], types="P")
    error = m.fails("QRVAwriteprob", str(tmp_path / ("p." + fmt)).encode(), b"")
    assert error == "QRVAwriteprob: column 0 ('C0') is partially integer, which the %s " \
        "format cannot hold" % fmt.upper()
