"""Counts that disagree with one another are refused before any array is
read by them, with a text naming the disagreement; the problem stays as it
was. Every array passed is long enough for what the counts claim."""
from ctypes import c_double, c_int, c_int64

import pytest

from engine_model import INF, dbl, int64s, ints
from test_engine_solve import m  # noqa: F401 (the fixture)

BIG = 64  # entries of every array passed: more than any count below reads


def zeros(ctype):
    return (ctype * BIG)()


def rows(m, nrows, ncoefs, start):
    return m.fails("QRVAaddrows64", nrows, ncoefs, b"L" * BIG, zeros(c_double), None,
                   int64s(start + [0] * BIG), zeros(c_int), zeros(c_double))


def cols(m, ncols, ncoefs, start):
    return m.fails("QRVAaddcols64", ncols, ncoefs, zeros(c_double), int64s(start + [0] * BIG),
                   zeros(c_int), zeros(c_double), zeros(c_double), dbl([INF] * BIG))


def load(m, start, mnel):
    return m.fails("QRVAloadlp64", b"p", 2, 1, b"L", dbl([1]), None, zeros(c_double),
                   int64s(start), ints(mnel), zeros(c_int), zeros(c_double), zeros(c_double),
                   dbl([INF] * BIG))


CASES = [
    (lambda m: rows(m, 0, 3, [0, 3]),
     "QRVAaddrows64: ncoefs is 3 but nrows is 0: there are no rows to hold them"),
    (lambda m: cols(m, 0, 3, [0, 3]),
     "QRVAaddcols64: ncoefs is 3 but ncols is 0: there are no columns to hold them"),
    (lambda m: m.fails("QRVAaddsets64", 0, 2, b"1", int64s([0, 2]), ints([0, 1]),
                       dbl([1, 2])),
     "QRVAaddsets64: nelems is 2 but nsets is 0: there are no sets to hold them"),
    (lambda m: cols(m, 1, -1, [0, 1]), "QRVAaddcols64: ncoefs is -1; it must not be negative"),
    (lambda m: cols(m, 2, 3, [0, 2, 5]),
     "QRVAaddcols64: 'start' ends at 5 but the element count is 3"),
    (lambda m: rows(m, 2, 3, [1, 2, 3]), "QRVAaddrows64: 'start' must start at 0, not 1"),
    (lambda m: rows(m, 2, 3, [0, 4, 3]),
     "QRVAaddrows64: 'start' decreases at position 2 (3 after 4)"),
    (lambda m: m.fails("QRVAaddsets64", 1, 2, b"1", int64s([0, 3]), ints([0, 1, 0]),
                       dbl([1, 2, 3])),
     "QRVAaddsets64: 'start' ends at 3 but the element count is 2"),
    # A start whose block would end past every index: nothing may read there.
    (lambda m: load(m, [0, 2 ** 63 - 1], [1, 1]),
     "QRVAloadlp64: 'start' 9223372036854775807 of column 1 with its 1 elements ends beyond"),
    (lambda m: load(m, [0, 1], [1, -1]),
     "QRVAloadlp64: column 1 has -1 elements in 'mnel'"),
]


@pytest.mark.parametrize("call,text", CASES)
def test_disagreeing_counts_are_refused_and_change_nothing(m, call, text):
    m.add_cols([1, 2], [0, 0], [4, 4])
    m.add_rows("LG", [4, 1], [{0: 1, 1: 1}, {1: 3}])
    m.ok("QRVAaddsets64", 1, 2, b"1", int64s([0, 2]), ints([0, 1]), dbl([1, 2]))
    before = (m.rows, m.cols, m.attr(1002), m.attr(1004), m.rows_of(0, 1))
    assert call(m).startswith(text)
    assert (m.rows, m.cols, m.attr(1002), m.attr(1004), m.rows_of(0, 1)) == before
