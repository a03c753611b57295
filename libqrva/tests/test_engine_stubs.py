"""Functions that later versions provide must fail loudly now, never succeed
silently; their handles are still checked."""
import ctypes
from ctypes import byref, c_char_p, c_double, c_int, c_void_p

import pytest

from conftest import (ERR_ARGUMENT, ERR_NOT_AVAILABLE, global_error, problem_error,
                      slp_error)


@pytest.mark.parametrize("name,args", [
    ("QRVAstrongbranch", (0, None, None, None, 0, None, None)),
])
def test_optimizer_stubs_report_not_available(env, prob, name, args):
    fn = getattr(env, name)
    assert fn(prob, *args) == ERR_NOT_AVAILABLE
    assert problem_error(env, prob) == \
        "%s: not available yet in this version of the library" % name
    assert fn(None, *args) == ERR_ARGUMENT
    assert global_error(env)[1] == "%s: problem handle is NULL" % name


def test_slp_stubs_report_not_available(slp_env):
    slp, qprob = c_void_p(), c_void_p()
    assert slp_env.QSLPcreateprob(byref(slp), byref(qprob)) == 0
    try:
        assert slp_env.QSLPglobal(slp) == ERR_NOT_AVAILABLE
        code, text = slp_error(slp_env, slp)
        assert code == ERR_NOT_AVAILABLE
        assert text == "QSLPglobal: not available yet in this version of the library"
        assert problem_error(slp_env, qprob) == text
        assert slp_env.QSLPglobal(None) == ERR_ARGUMENT
        assert global_error(slp_env)[1] == "QSLPglobal: SLP problem handle is NULL"
    finally:
        slp_env.QSLPdestroyprob(slp)


def test_branching_object_lifecycle_and_stub_errors(env, prob):
    bo = c_void_p()
    assert env.QRVA_bo_create(byref(bo), prob, 2) == ERR_ARGUMENT
    assert "isoriginal is 2" in problem_error(env, prob)
    assert env.QRVA_bo_create(byref(bo), prob, 1) == 0
    try:
        assert env.QRVA_bo_addbranches(bo, 2) == ERR_NOT_AVAILABLE
        code, size = c_int(), c_int()
        buffer = ctypes.create_string_buffer(2048)
        assert env.QRVA_bo_getlasterror(bo, byref(code), buffer, 2048, byref(size)) == 0
        assert code.value == ERR_NOT_AVAILABLE
        assert buffer.value == b"QRVA_bo_addbranches: not available yet in this version of the library"
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
