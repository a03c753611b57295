"""Functions that later versions provide must fail loudly now, never succeed
silently; their handles are still checked."""
import ctypes
from ctypes import byref, c_char_p, c_double, c_int, c_void_p

import pytest

from conftest import ERR_ARGUMENT, global_error, problem_error


def test_the_tree_search_of_the_slp_checks_its_handle(slp_env):
    # The last SLP entry point to come, QSLPglobal, is there: it refuses a
    # null handle like every other.
    assert slp_env.QSLPglobal(None) == ERR_ARGUMENT
    assert global_error(slp_env)[1] == "QSLPglobal: SLP problem handle is NULL"


def test_branching_object_lifecycle_and_its_own_last_error(env, prob):
    bo = c_void_p()
    assert env.QRVA_bo_create(byref(bo), prob, 2) == ERR_ARGUMENT
    assert "isoriginal is 2" in problem_error(env, prob)
    assert env.QRVA_bo_create(byref(bo), prob, 1) == 0
    try:
        assert env.QRVA_bo_addbranches(bo, 2) == 0
        assert env.QRVA_bo_addbranches(bo, -1) == ERR_ARGUMENT
        code, size = c_int(), c_int()
        buffer = ctypes.create_string_buffer(2048)
        assert env.QRVA_bo_getlasterror(bo, byref(code), buffer, 2048, byref(size)) == 0
        assert code.value == ERR_ARGUMENT
        assert buffer.value == b"QRVA_bo_addbranches: nbranches is -1; it must not be negative"
    finally:
        assert env.QRVA_bo_destroy(bo) == 0
    assert env.QRVA_bo_destroy(bo) == ERR_ARGUMENT  # already gone: refused, not freed twice
    assert "does not name a live branching object" in global_error(env)[1]


def test_callback_registration_checks_its_arguments(env, prob):
    from conftest import MESSAGE_CB
    assert env.QRVAaddcbmessage(prob, MESSAGE_CB(), None, 0) == ERR_ARGUMENT
    assert problem_error(env, prob) == "QRVAaddcbmessage: argument 'f' is NULL"
    # Removing what is not registered is no error.
    assert env.QRVAremovecbmessage(prob, MESSAGE_CB(), None) == 0
