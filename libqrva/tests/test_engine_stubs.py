"""Functions that later versions provide must fail loudly now, never succeed
silently; their handles are still checked."""
import ctypes
from ctypes import byref, c_char_p, c_double, c_int, c_void_p

import pytest

from conftest import (ERR_ARGUMENT, ERR_NOT_AVAILABLE, global_error, problem_error,
                      slp_error)


def test_slp_stubs_report_not_available(slp_env):
    slp, qprob = c_void_p(), c_void_p()
    assert slp_env.QSLPcreateprob(byref(slp), byref(qprob)) == 0
    try:
        assert slp_env.QSLPmsclear(slp) == ERR_NOT_AVAILABLE
        code, text = slp_error(slp_env, slp)
        assert code == ERR_NOT_AVAILABLE
        assert text == "QSLPmsclear: not available yet in this version of the library"
        assert problem_error(slp_env, qprob) == text
        assert slp_env.QSLPmsclear(None) == ERR_ARGUMENT
        assert global_error(slp_env)[1] == "QSLPmsclear: SLP problem handle is NULL"
    finally:
        slp_env.QSLPdestroyprob(slp)


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
