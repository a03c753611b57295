"""Problem handles: creation, destruction, names, last error and the empty load."""
import ctypes
from ctypes import byref, c_int, c_void_p

from conftest import (ERR_ARGUMENT, ERR_NOT_AVAILABLE, ERR_NOT_INITIALISED, global_error,
                      problem_error)

NAMEBUF, MAXPROBNAMELENGTH = 1158, 8010


def test_create_needs_an_environment_and_an_out_pointer(lib):
    handle = c_void_p()
    assert lib.QRVAcreateprob(byref(handle)) == ERR_NOT_INITIALISED
    assert lib.QRVAinit(None) == 0
    try:
        assert lib.QRVAcreateprob(None) == ERR_ARGUMENT
        assert global_error(lib)[1] == "QRVAcreateprob: argument 'prob' is NULL"
        assert lib.QRVAcreateprob(byref(handle)) == 0
        # Destroying while the environment is down fails cleanly and keeps the problem.
        assert lib.QRVAfree() == 0
        assert lib.QRVAdestroyprob(handle) == ERR_NOT_INITIALISED
        assert lib.QRVAinit(None) == 0
        assert lib.QRVAdestroyprob(handle) == 0
    finally:
        lib.QRVAfree()


def test_many_problems_are_independent(env):
    handles = [c_void_p() for _ in range(20)]
    for i, h in enumerate(handles):
        assert env.QRVAcreateprob(byref(h)) == 0
        assert env.QRVAsetprobname(h, b"p%d" % i) == 0
    assert len({h.value for h in handles}) == 20
    buffer = ctypes.create_string_buffer(16)
    for i, h in enumerate(handles):
        assert env.QRVAgetprobname(h, buffer) == 0 and buffer.value == b"p%d" % i
        assert env.QRVAdestroyprob(h) == 0


def test_problem_name_round_trip_and_limits(env, prob):
    size = c_int()
    assert env.QRVAgetintattrib(prob, NAMEBUF, byref(size)) == 0 and size.value == 1
    assert env.QRVAsetprobname(prob, b"transport") == 0
    assert env.QRVAgetintattrib(prob, NAMEBUF, byref(size)) == 0 and size.value == 10
    buffer = ctypes.create_string_buffer(size.value)
    assert env.QRVAgetprobname(prob, buffer) == 0 and buffer.value == b"transport"
    # Longer than maxprobnamelength: refused, the old name stays.
    assert env.QRVAsetintcontrol(prob, MAXPROBNAMELENGTH, 8) == 0
    assert env.QRVAsetprobname(prob, b"ninechars") == ERR_ARGUMENT
    text = problem_error(env, prob)
    assert "QRVAsetprobname" in text and "9 bytes" in text and "maxprobnamelength (8)" in text
    assert env.QRVAgetprobname(prob, buffer) == 0 and buffer.value == b"transport"
    assert env.QRVAsetprobname(prob, None) == ERR_ARGUMENT
    assert problem_error(env, prob) == "QRVAsetprobname: argument 'name' is NULL"


def test_last_error_is_empty_until_something_fails(env, prob):
    assert problem_error(env, prob) == ""
    assert env.QRVAsetintcontrol(prob, 123456, 1) == ERR_ARGUMENT
    assert problem_error(env, prob) == "QRVAsetintcontrol: 123456 is not a known control identifier"
    # Reading the error with no buffer fails globally and keeps the problem's text.
    assert env.QRVAgetlasterror(prob, None) == ERR_ARGUMENT
    assert "errmsg" in global_error(env)[1]
    assert problem_error(env, prob).startswith("QRVAsetintcontrol")


def test_empty_load_names_and_clears_the_problem(env, prob):
    assert env.QRVAsetprobname(prob, b"old") == 0
    assert env.QRVAloadlp(prob, b"noname", 0, 0, *([None] * 10)) == 0
    buffer = ctypes.create_string_buffer(16)
    assert env.QRVAgetprobname(prob, buffer) == 0 and buffer.value == b"noname"
    # Zero sizes with (empty) arrays given are an empty load too.
    empty = (ctypes.c_double * 1)()
    assert env.QRVAloadlp(prob, b"again", 0, 0, *([ctypes.addressof(empty)] * 10)) == 0


def test_load_refuses_bad_sizes_and_missing_data(env, prob):
    args = [None] * 10
    assert env.QRVAloadlp(prob, b"x", -1, 0, *args) == ERR_ARGUMENT
    assert problem_error(env, prob) == "QRVAloadlp: ncols is -1; it must not be negative"
    assert env.QRVAloadlp(prob, None, 0, 0, *args) == ERR_ARGUMENT
    assert env.QRVAloadlp(prob, b"x", 2, 1, *args) == ERR_ARGUMENT
    assert problem_error(env, prob) == "QRVAloadlp: argument 'rowtype' is NULL"
    buffer = ctypes.create_string_buffer(16)
    assert env.QRVAgetprobname(prob, buffer) == 0 and buffer.value == b""  # unchanged
