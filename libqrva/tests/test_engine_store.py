"""The problem store: loading, adding, changing, deleting and reading back,
with renumbering after deletes and refusal of bad input."""
import ctypes
from ctypes import byref, c_char, c_double, c_int, c_int64

import pytest

from engine_model import INF, Model, chars, dbl, declare, int64s, ints


@pytest.fixture
def m(env, prob):
    declare(env)
    return Model(env, prob)


def small(m):
    """3 columns, 3 rows with names."""
    m.add_cols([1, 2, 3], [0, -1, 0], [10, 5, INF])
    m.add_rows("LGE", [4, 1, 2], [{0: 1, 2: 2}, {1: 3}, {0: 1, 1: 1, 2: 1}])
    m.set_names(2, ["x", "y", "z"])
    m.set_names(1, ["c0", "c1", "c2"])


def test_load_and_read_back(m):
    start = int64s([0, 2, 3, 4])
    m.ok("QRVAloadlp64", b"lp", 3, 2, b"LR", dbl([4, 9]), dbl([0, 3]), dbl([1, 2, 3]), start,
         None, ints([0, 1, 0, 1]), dbl([1, 2, 3, 4]), dbl([0, 0, 0]), dbl([1, INF, 2]))
    assert (m.rows, m.cols, m.attr(1002)) == (2, 3, 4)
    assert m.get("QRVAgetub", 3) == [1, INF, 2]
    assert m.get("QRVAgetrhsrange", 2) == [INF, 3]
    assert m.get("QRVAgetrowtype", 2, kind=c_char) == [b"L", b"R"]
    assert m.rows_of(0, 1) == [{0: 1, 1: 3}, {0: 2, 2: 4}]
    coef = c_double()
    m.ok("QRVAgetcoef", 1, 2, byref(coef))
    assert coef.value == 4
    # Generated names for unnamed entries, found again by QRVAgetindex.
    assert m.names(2, 0, 2) == [b"C0", b"C1", b"C2"]
    idx = c_int()
    m.ok("QRVAgetindex", 2, b"C1", byref(idx))
    assert idx.value == 1


def test_delete_renumbers_everything(m):
    small(m)
    m.ok("QRVAchgmqobj64", 2, ints([0, 2]), ints([2, 2]), dbl([1.5, 4]))
    m.ok("QRVAchgcoltype", 1, ints([2]), b"B")
    m.ok("QRVAaddsets64", 1, 2, b"1", int64s([0, 2]), ints([0, 2]), dbl([1, 2]))
    m.ok("QRVAsetindicators", 1, ints([0]), ints([2]), ints([-1]))
    m.ok("QRVAdelcols", 1, ints([1]))
    m.ok("QRVAdelrows", 1, ints([1]))
    assert m.names(2, 0, 1) == [b"x", b"z"] and m.names(1, 0, 1) == [b"c0", b"c2"]
    assert m.rows_of(0, 1) == [{0: 1, 1: 2}, {0: 1, 1: 1}]
    q = c_double()
    m.ok("QRVAgetqobj", 1, 0, byref(q))
    assert q.value == 1.5
    inds, comps = (c_int * 2)(), (c_int * 2)()
    m.ok("QRVAgetindicators", inds, comps, 0, 1)
    assert list(inds) == [1, -1] and list(comps) == [-1, 0]
    ng, ns = c_int(), c_int()
    setind = (c_int * 2)()
    m.ok("QRVAgetglobal64", byref(ng), byref(ns), None, None, None, None, None, setind, None)
    assert (ng.value, ns.value, list(setind)) == (1, 1, [0, 1])
    idx = c_int()
    m.ok("QRVAgetindex", 2, b"z", byref(idx))
    assert idx.value == 1
    m.ok("QRVAgetindex", 2, b"y", byref(idx))
    assert idx.value == -1
    m.ok("QRVAdelsets", 1, ints([0]))
    assert m.attr(1004) == 0


def test_changes_and_quadratic_reads(m):
    small(m)
    m.ok("QRVAchgcoef", 1, 0, 7.0)
    m.ok("QRVAchgcoef", 0, 2, 0.0)  # zero removes the element
    assert m.rows_of(0, 1) == [{0: 1}, {0: 7, 1: 3}]
    m.ok("QRVAchgbounds", 2, ints([0, 1]), b"UB", dbl([8, 2]))
    assert m.get("QRVAgetlb", 3) == [0, 2, 0] and m.get("QRVAgetub", 3) == [8, 2, INF]
    m.ok("QRVAchgrhsrange", 1, ints([0]), dbl([3]))
    assert m.get("QRVAgetrowtype", 3, kind=c_char)[0] == b"R"
    m.ok("QRVAchgobj", 2, ints([-1, 1]), dbl([5, 9]))  # column -1: minus the constant
    assert m.get("QRVAgetobj", 3) == [1, 9, 3]
    m.ok("QRVAchgmqobj64", 2, ints([0, 1]), ints([1, 1]), dbl([2, 6]))
    n = c_int()
    m.ok("QRVAgetmqobj", None, None, None, 0, byref(n), 0, 2)
    assert n.value == 3  # (0,1) in both triangles and (1,1)
    start, col, val = (c_int * 4)(), (c_int * 3)(), (c_double * 3)()
    m.ok("QRVAgetmqobj", start, col, val, 3, byref(n), 0, 2)
    assert list(start) == [0, 1, 3, 3] and list(col) == [1, 0, 1] and list(val) == [2, 2, 6]
    m.ok("QRVAaddqmatrix64", 2, 2, ints([0, 2]), ints([2, 0]), dbl([1, 1]))
    m.ok("QRVAchgqrowcoeff", 2, 1, 1, 4.0)
    k = c_int()
    c1, c2, qv = (c_int * 2)(), (c_int * 2)(), (c_double * 2)()
    m.ok("QRVAgetqrowqmatrixtriplets", 2, byref(k), c1, c2, qv)
    assert (k.value, list(c1), list(c2), list(qv)) == (2, [0, 1], [2, 1], [2, 4])
    m.ok("QRVAgetqrows", byref(k), None)
    assert k.value == 1 and m.attr(1013) == 1
    m.ok("QRVAdelqmatrix", 2)
    m.ok("QRVAdelqmatrix", -1)
    assert m.attr(1013) == 0 and m.attr(1012) == 0


def test_copyprob_is_independent(env, m):
    small(m)
    other = ctypes.c_void_p()
    assert env.QRVAcreateprob(byref(other)) == 0
    try:
        assert env.QRVAcopyprob(other, m.prob, b"") == 0
        copy = Model(env, other)
        m.ok("QRVAdelrows", 1, ints([0]))
        assert copy.rows == 3 and copy.names(1, 0, 0) == [b"c0"]
    finally:
        env.QRVAdestroyprob(other)


@pytest.mark.parametrize("call,args,text", [
    ("QRVAaddrows64", (1, 0, b"X", dbl([1]), None, int64s([0, 0]), None, None),
     "QRVAaddrows64: row type 'X' in 'rowtype' at position 0 is not one of L G E R N"),
    ("QRVAaddrows64", (1, 1, b"L", dbl([1]), None, int64s([0, 1]), ints([7]), dbl([1])),
     "QRVAaddrows64: column index 7 in 'colind' at position 0 is out of range (columns 0 to 2)"),
    ("QRVAaddrows64", (1, 0, b"L", None, None, None, None, None),
     "QRVAaddrows64: argument 'rhs' is NULL"),
    ("QRVAaddcols64", (1, 0, dbl([0]), None, None, None, dbl([float("nan")]), dbl([1])),
     "QRVAaddcols64: 'lb' at position 0 is NaN"),
    ("QRVAaddcols64", (-2, 0, None, None, None, None, None, None),
     "QRVAaddcols64: ncols is -2; it must not be negative"),
    ("QRVAchgcoltype", (1, ints([0]), b"Q"),
     "QRVAchgcoltype: column type 'Q' in 'coltype' at position 0 is not one of C I B S R P"),
    ("QRVAchgbounds", (1, ints([0]), b"X", dbl([1])),
     "QRVAchgbounds: bound type 'X' in 'bndtype' at position 0 is not one of U L B"),
    ("QRVAdelrows", (2, ints([0, 3])),
     "QRVAdelrows: row index 3 in 'rowind' at position 1 is out of range (rows 0 to 2)"),
    ("QRVAchgobjsense", (0,), "QRVAchgobjsense: objsense 0 is not 1 (minimize) or -1 (maximize)"),
    ("QRVAaddsets64", (1, 2, b"3", int64s([0, 2]), ints([0, 1]), dbl([1, 2])),
     "QRVAaddsets64: set type '3' in 'settype' at position 0 is not one of 1 2"),
    ("QRVAaddsets64", (1, 3, b"1", int64s([0, 3]), ints([1, 0, 1]), dbl([1, 2, 3])),
     "QRVAaddsets64: set 0 has column 1 twice (positions 0 and 2); a column is a member of a "
     "set once"),
    ("QRVAaddsets64", (1, 3, b"2", int64s([0, 3]), ints([0, 1, 2]), dbl([2, 1, 2])),
     "QRVAaddsets64: set 0 has the weight 2 twice (positions 0 and 2); weights order the "
     "members and must differ"),
    ("QRVAsetindicators", (1, ints([0]), ints([0]), ints([1])),
     "QRVAsetindicators: column 0 at position 0 is of type 'C'; an indicator column must be "
     "binary"),
    ("QRVAgetlb", (None, 0, 2), "QRVAgetlb: argument 'lb' is NULL"),
    ("QRVAaddnames", (5, b"a\0", 0, 0),
     "QRVAaddnames: name type 5 is not one of 1 (rows) 2 (columns) 3 (sets)"),
    ("QRVAgetcoef", (0, 9, None), "QRVAgetcoef: column index 9 in 'col' is out of range "
     "(columns 0 to 2)"),
])
def test_bad_input_is_refused_and_changes_nothing(m, call, args, text):
    small(m)
    before = (m.rows, m.cols, m.attr(1002), m.rows_of(0, 2), m.get("QRVAgetlb", 3))
    assert m.fails(call, *args) == text
    assert (m.rows, m.cols, m.attr(1002), m.rows_of(0, 2), m.get("QRVAgetlb", 3)) == before


def test_load_failure_keeps_old_problem(m):
    small(m)
    text = m.fails("QRVAloadlp64", b"bad", 1, 1, b"L", dbl([1]), None, dbl([1]),
                   int64s([0, 1]), None, ints([4]), dbl([1]), dbl([0]), dbl([1]))
    assert text == "QRVAloadlp64: row index 4 in 'rowind' at position 0 is out of range " \
                   "(rows 0 to 0)"
    assert (m.rows, m.cols) == (3, 3)


@pytest.mark.parametrize("value", [1e20, -1e20, 1e25, float("inf"), float("-inf")])
def test_coefficients_at_infinity_are_refused_and_bounds_there_kept(m, value):
    small(m)
    calls = [
        ("QRVAchgobj", 1, ints([1]), dbl([value])),
        ("QRVAchgobj", 1, ints([-1]), dbl([value])),
        ("QRVAchgcoef", 0, 1, value),
        ("QRVAchgmcoef", 1, ints([0]), ints([1]), dbl([value])),
        ("QRVAchgmqobj64", 1, ints([0]), ints([1]), dbl([value])),
        ("QRVAchgqrowcoeff", 0, 0, 1, value),
        ("QRVAaddcols64", 1, 1, dbl([value]), int64s([0, 1]), ints([0]), dbl([1]), dbl([0]), dbl([1])),
        ("QRVAaddcols64", 1, 1, dbl([1]), int64s([0, 1]), ints([0]), dbl([value]), dbl([0]), dbl([1])),
        ("QRVAaddrows64", 1, 1, b"L", dbl([1]), None, int64s([0, 1]), ints([0]), dbl([value])),
    ]
    for name, *args in calls:
        assert "1e20" in m.fails(name, *args), name
    assert m.cols == 3 and m.rows == 3
    assert m.rows_of(0, 0) == [{0: 1, 2: 2}]
    # A bound at infinity still means "none".
    m.add_cols([1], [-INF], [INF])
    assert m.get("QRVAgetlb", 1, first=3) == [-INF]


def test_an_indicators_column_cannot_be_deleted(m):
    small(m)
    m.ok("QRVAchgcoltype", 1, ints([2]), b"B")
    m.ok("QRVAsetindicators", 1, ints([0]), ints([2]), ints([1]))
    text = m.fails("QRVAdelcols", 2, ints([0, 2]))
    assert "column 2 (z) is the indicator column of row 0 (c0)" in text
    assert m.cols == 3
    m.ok("QRVAdelrows", 1, ints([0]))
    m.ok("QRVAdelcols", 2, ints([0, 2]))
    assert m.cols == 1
