"""Directives and row marks in the engine's store through the C interface:
copies carry them, deletions renumber them, and the save file takes them
along with the rest of the problem."""
import os
from ctypes import byref, c_char, c_char_p, c_double, c_int, c_void_p

import pytest

from engine_model import INF, Model, chars, dbl, declare, ints

DIRS = {"QRVAloaddirs": [c_void_p, c_int, c_void_p, c_void_p, c_char_p, c_void_p, c_void_p],
        "QRVAgetdirs": [c_void_p, c_void_p, c_void_p, c_void_p, c_void_p, c_void_p, c_void_p],
        "QRVAloaddelayedrows": [c_void_p, c_int, c_void_p],
        "QRVAloadmodelcuts": [c_void_p, c_int, c_void_p],
        "QRVAloadsecurevecs": [c_void_p, c_int, c_int, c_void_p, c_void_p],
        "QRVAsave": [c_void_p], "QRVArestore": [c_void_p, c_char_p, c_char_p]}


@pytest.fixture
def model(env, prob):
    declare(env)
    for name, args in DIRS.items():
        getattr(env, name).argtypes = args
    m = Model(env, prob)
    m.add_cols([1, 1, 1, 1], [0] * 4, [INF] * 4)
    m.add_rows("GGG", [1, 2, 3], [{0: 1}, {1: 1, 2: 1}, {3: 1}])
    return m


def directives(m):
    n = c_int()
    m.ok("QRVAgetdirs", byref(n), None, None, None, None, None)
    cols, pri = (c_int * max(1, n.value))(), (c_int * max(1, n.value))()
    br, up = (c_char * max(1, n.value))(), (c_double * max(1, n.value))()
    m.ok("QRVAgetdirs", byref(n), cols, pri, br, up, None)
    k = n.value
    return list(cols)[:k], list(pri)[:k], br.raw[:k].decode(), list(up)[:k]


def marked_rows_in_log(m, tmp_path):
    log = str(tmp_path / ("log%d.txt" % len(os.listdir(tmp_path))))
    m.ok("QRVAsetlogfile", log.encode())
    m.lpopt()
    m.ok("QRVAsetlogfile", b"")
    text = open(log).read()
    line = [l for l in text.splitlines() if "delayed rows and" in l]
    return line[0].split()[:5:4] if line else None


def test_copies_carry_and_deletions_renumber_directives(env, model, tmp_path):
    m = model
    m.ok("QRVAloaddirs", 3, ints([1, 3, 2]), ints([7, 9, 8]), b"UDN", dbl([0.5, 1.5, 2.5]), None)
    assert directives(m) == ([1, 2, 3], [7, 8, 9], "UND", [0.5, 2.5, 1.5])
    other = c_void_p()
    assert env.QRVAcreateprob(byref(other)) == 0
    try:
        m.ok("QRVAcopyprob", m.prob, b"")  # self-copy: nothing moves
        assert env.QRVAcopyprob(other, m.prob, b"copy") == 0
        assert directives(Model(env, other)) == directives(m)
    finally:
        env.QRVAdestroyprob(other)
    m.ok("QRVAdelcols", 2, ints([0, 2]))  # columns 1 and 3 become 0 and 1
    assert directives(m)[:3] == ([0, 1], [7, 9], "UD")


def test_marks_follow_their_rows_and_need_consistent_counts(model, tmp_path):
    m = model
    m.ok("QRVAloaddelayedrows", 2, ints([0, 2]))
    m.ok("QRVAloadmodelcuts", 1, ints([1]))
    assert marked_rows_in_log(m, tmp_path) == ["2", "1"]
    m.ok("QRVAdelrows", 1, ints([0]))
    assert marked_rows_in_log(m, tmp_path) == ["1", "1"]
    m.ok("QRVAloaddelayedrows", 0, None)
    m.ok("QRVAloadmodelcuts", 0, None)
    assert marked_rows_in_log(m, tmp_path) is None  # nothing marked: nothing said
    assert "a count of -1 needs a NULL array" in m.fails("QRVAloadsecurevecs", -1, 0, ints([0]), None)
    assert "4 entries in 'rowind' but the problem has 2 rows" in m.fails(
        "QRVAloaddelayedrows", 4, ints([0, 1, 0, 1]))
    m.ok("QRVAloadsecurevecs", -1, -1, None, None)


def test_save_takes_directives_and_marks_along(model, tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    m = model
    m.ok("QRVAsetprobname", b"marked")
    m.ok("QRVAloaddirs", 1, ints([3]), ints([4]), b"D", None, None)
    m.ok("QRVAloadmodelcuts", 1, ints([2]))
    m.ok("QRVAsave")
    m.ok("QRVAloaddirs", 0, None, None, None, None, None)
    m.ok("QRVAloadmodelcuts", 0, None)
    m.ok("QRVArestore", b"marked", b"")
    assert directives(m) == ([3], [4], "D", [-1.0])
    assert marked_rows_in_log(m, tmp_path) == ["0", "1"]
    assert "flag 'z'" in m.fails("QRVArestore", b"marked", b"z")
