"""Controls and attributes of optimizer problems, through the identifier list."""
import ctypes
import math
from ctypes import POINTER, byref, c_char_p, c_double, c_int, c_int64

import pytest

from conftest import ERR_ARGUMENT, VERSION_TEXT, problem_error, walk_calist

INT, DBL, CONTROL = 0x01, 0x02, 0x20

REQUIRED = {  # identifier: (is a control, type bits)
    1001: (False, INT), 1004: (False, INT), 1005: (False, INT), 1010: (False, INT),
    1011: (False, INT), 1018: (False, INT), 1019: (False, INT), 1028: (False, INT),
    1032: (False, INT), 1124: (False, INT), 1158: (False, INT), 1194: (False, INT),
    1214: (False, INT), 2001: (False, DBL), 2003: (False, DBL), 8035: (True, INT),
}


def calist(lib, prob):
    ids, names, flags = POINTER(c_int)(), POINTER(c_char_p)(), POINTER(c_int)()
    assert lib.QRVAgetcalist_c(prob, byref(ids), byref(names), byref(flags)) == 0
    return walk_calist(ids, names, flags)


def test_identifier_list_is_complete_and_consistent(env, prob):
    entries = calist(env, prob)
    ids = [e[0] for e in entries]
    names = [e[1] for e in entries]
    assert len(set(ids)) == len(ids) and len(set(names)) == len(names)
    assert all(n and n == n.lower() and n.isidentifier() for n in names)
    byid = {e[0]: e for e in entries}
    for ident, (control, typebits) in REQUIRED.items():
        assert ident in byid, ident
        assert bool(byid[ident][2] & CONTROL) == control
        assert byid[ident][2] & (INT | DBL) == typebits
    assert byid[7001][1] == "feastol"
    for _, _, flags in entries:
        assert flags & ~(INT | DBL | CONTROL) == 0 and (flags & (INT | DBL)) != (INT | DBL)
    assert env.QRVAgetcalist_c(prob, None, None, None) == ERR_ARGUMENT


def read_value(lib, prob, ident, flags):
    """Reads one entry with the function its flags select."""
    control = bool(flags & CONTROL)
    if flags & INT:
        v = c_int()
        fn = lib.QRVAgetintcontrol if control else lib.QRVAgetintattrib
        assert fn(prob, ident, byref(v)) == 0, problem_error(lib, prob)
        return v.value
    if flags & DBL:
        v = c_double()
        fn = lib.QRVAgetdblcontrol if control else lib.QRVAgetdblattrib
        assert fn(prob, ident, byref(v)) == 0, problem_error(lib, prob)
        return v.value
    fn = lib.QRVAgetstrcontrol if control else lib.QRVAgetstringattrib
    size = c_int()
    assert fn(prob, ident, None, 0, byref(size)) == 0
    buffer = ctypes.create_string_buffer(size.value)
    assert fn(prob, ident, buffer, size.value, byref(size)) == 0
    return buffer.value.decode()


def test_every_entry_reads_with_its_type_and_attributes_of_an_empty_problem(env, prob):
    values = {e[0]: read_value(env, prob, e[0], e[2]) for e in calist(env, prob)}
    for ident in (1001, 1004, 1005, 1010, 1011, 1018, 1019, 1028, 1032, 1124, 1194, 1214):
        assert values[ident] == 0, ident
    assert values[2001] == 0.0 and values[2003] == 0.0
    assert values[1158] == 1 and values[3001] == "" and values[3002] == VERSION_TEXT
    assert values[8035] == 1 and values[7001] == 1e-7
    elems = c_int64(-1)
    assert env.QRVAgetintattrib64(prob, 1002, byref(elems)) == 0 and elems.value == 0


@pytest.mark.parametrize("ident,good,bad", [(8003, 0, 2), (8035, 0, -1), (8006, 8, 5000)])
def test_int_controls_set_check_and_default(env, prob, ident, good, bad):
    value = c_int()
    env.QRVAgetintcontrol(prob, ident, byref(value))
    default = value.value
    assert env.QRVAsetintcontrol(prob, ident, good) == 0
    assert env.QRVAgetintcontrol(prob, ident, byref(value)) == 0 and value.value == good
    assert env.QRVAsetintcontrol(prob, ident, bad) == ERR_ARGUMENT
    text = problem_error(env, prob)
    assert text.startswith("QRVAsetintcontrol: value %d for control %d (" % (bad, ident))
    assert "outside its range" in text
    assert env.QRVAgetintcontrol(prob, ident, byref(value)) == 0 and value.value == good
    assert env.QRVAsetdefaultcontrol(prob, ident) == 0
    assert env.QRVAgetintcontrol(prob, ident, byref(value)) == 0 and value.value == default


def test_double_controls_refuse_nan_and_out_of_range(env, prob):
    value = c_double()
    assert env.QRVAsetdblcontrol(prob, 7001, 1e-5) == 0
    assert env.QRVAgetdblcontrol(prob, 7001, byref(value)) == 0 and value.value == 1e-5
    assert env.QRVAsetdblcontrol(prob, 7001, math.nan) == ERR_ARGUMENT
    assert "not a number" in problem_error(env, prob)
    assert env.QRVAsetdblcontrol(prob, 7001, 0.5) == ERR_ARGUMENT
    assert "(feastol) is outside its range" in problem_error(env, prob)
    assert env.QRVAgetdblcontrol(prob, 7001, byref(value)) == 0 and value.value == 1e-5
    assert env.QRVAsetdefaults(prob) == 0
    assert env.QRVAgetdblcontrol(prob, 7001, byref(value)) == 0 and value.value == 1e-7


def test_string_controls_sizes_and_limits(env, prob):
    assert env.QRVAsetstrcontrol(prob, 6002, b"BND") == 0
    size = c_int()
    small = ctypes.create_string_buffer(3)
    assert env.QRVAgetstrcontrol(prob, 6002, small, 3, byref(size)) == ERR_ARGUMENT
    assert size.value == 4 and "too small" in problem_error(env, prob)
    buffer = ctypes.create_string_buffer(4)
    assert env.QRVAgetstrcontrol(prob, 6002, buffer, 4, byref(size)) == 0
    assert buffer.value == b"BND"
    assert env.QRVAsetstrcontrol(prob, 6002, b"x" * 65) == ERR_ARGUMENT
    assert "longer than its limit of 64 bytes" in problem_error(env, prob)
    assert env.QRVAsetstrcontrol(prob, 6002, None) == ERR_ARGUMENT
    assert env.QRVAgetstrcontrol(prob, 6002, None, 0, None) == ERR_ARGUMENT


def test_wrong_kind_and_type_are_refused_with_names(env, prob):
    i, d = c_int(), c_double()
    cases = [
        (lambda: env.QRVAgetintcontrol(prob, 7001, byref(i)),
         "QRVAgetintcontrol: 7001 (feastol) is a double control, not an integer one"),
        (lambda: env.QRVAgetdblcontrol(prob, 8035, byref(d)),
         "QRVAgetdblcontrol: 8035 (outputlog) is an integer control, not a double one"),
        (lambda: env.QRVAsetintcontrol(prob, 1001, 5),
         "QRVAsetintcontrol: 1001 (rows) is an attribute, not a control (attributes cannot be set)"),
        (lambda: env.QRVAgetintattrib(prob, 8035, byref(i)),
         "QRVAgetintattrib: 8035 (outputlog) is a control, not an attribute"),
        (lambda: env.QRVAgetdblattrib(prob, 0, byref(d)),
         "QRVAgetdblattrib: 0 is not a known attribute identifier"),
        (lambda: env.QRVAgetintcontrol(prob, 8035, None),
         "QRVAgetintcontrol: argument 'value' is NULL (identifier 8035)"),
        (lambda: env.QRVAsetdefaultcontrol(prob, 2001),
         "QRVAsetdefaultcontrol: 2001 (lpobjval) is an attribute, not a control (attributes cannot be set)"),
    ]
    for call, text in cases:
        assert call() == ERR_ARGUMENT
        assert problem_error(env, prob) == text


def test_info_by_name_and_copying_controls(env, prob):
    ident, kind = c_int(), c_int()
    assert env.QRVAgetcontrolinfo(prob, b"FeasTol", byref(ident), byref(kind)) == 0
    assert (ident.value, kind.value) == (7001, 3)
    assert env.QRVAgetattribinfo(prob, b"elems", byref(ident), byref(kind)) == 0
    assert (ident.value, kind.value) == (1002, 2)
    assert env.QRVAgetattribinfo(prob, b"feastol", byref(ident), byref(kind)) == 0
    assert (ident.value, kind.value) == (0, 0)
    other = ctypes.c_void_p()
    assert env.QRVAcreateprob(byref(other)) == 0
    try:
        env.QRVAsetintcontrol(prob, 8004, 3)
        assert env.QRVAcopycontrols(other, prob) == 0
        v = c_int()
        assert env.QRVAgetintcontrol(other, 8004, byref(v)) == 0 and v.value == 3
    finally:
        env.QRVAdestroyprob(other)
