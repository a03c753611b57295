"""Loads libqrva with ctypes for the engine tests.

The library comes from $QRVA_LIB, else from the installed quorva package;
without either the engine tests are skipped.
"""
import ctypes
import importlib.util
import os
import re

import pytest

from ctypes import POINTER, byref, c_char_p, c_double, c_int, c_int64, c_void_p

INCLUDE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "include")


def header_version():
    """(major, minor, patch) as the version macros of qrva.h give them."""
    with open(os.path.join(INCLUDE, "qrva.h")) as header:
        text = header.read()
    return tuple(int(re.search(r"^#define QRVA_VERSION_%s (\d+)$" % part, text, re.M).group(1))
                 for part in ("MAJOR", "MINOR", "PATCH"))


VERSION_TEXT = "%d.%02d.%02d" % header_version()
SONAME = "libqrva.so.%d.%02d" % header_version()[:2]

MSGHANDLER = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p, c_void_p, c_char_p, c_int, c_int)
MESSAGE_CB = ctypes.CFUNCTYPE(None, c_void_p, c_void_p, c_char_p, c_int, c_int)

ERR_ARGUMENT, ERR_NOT_INITIALISED, ERR_NOT_AVAILABLE, ERR_STATE = 1, 2, 3, 5


def _library_path():
    path = os.environ.get("QRVA_LIB")
    if path:
        return path
    try:
        spec = importlib.util.find_spec("quorva")
    except (ImportError, ValueError):
        spec = None
    if spec is None or not spec.submodule_search_locations:
        return None
    candidate = os.path.join(list(spec.submodule_search_locations)[0], SONAME)
    return candidate if os.path.exists(candidate) else None


def _declare(lib):
    """Argument types of the functions the tests call (the rest default to int)."""
    P = c_void_p
    sig = {
        "QRVAinit": [c_char_p], "QRVAfree": [], "QRVAenablemessages": [c_int],
        "QRVAgetversion": [c_char_p], "QRVAgetbanner": [c_char_p],
        "QRVAsetcheckedmode": [c_int], "QRVAgetcheckedmode": [POINTER(c_int)],
        "QRVA_ge_getlasterror": [POINTER(c_int), c_char_p, c_int, POINTER(c_int)],
        "QRVA_ge_addcbmsghandler": [MSGHANDLER, c_void_p, c_int],
        "QRVA_ge_removecbmsghandler": [MSGHANDLER, c_void_p],
        "QRVAsetprintfunction": [MSGHANDLER, c_void_p],
        "QRVAcreateprob": [POINTER(P)], "QRVAdestroyprob": [P],
        "QRVAgetlasterror": [P, c_char_p],
        "QRVAsetprobname": [P, c_char_p], "QRVAgetprobname": [P, c_char_p],
        "QRVAloadlp": [P, c_char_p, c_int, c_int] + [c_void_p] * 10,
        "QRVAgetintcontrol": [P, c_int, POINTER(c_int)],
        "QRVAsetintcontrol": [P, c_int, c_int],
        "QRVAgetdblcontrol": [P, c_int, POINTER(c_double)],
        "QRVAsetdblcontrol": [P, c_int, c_double],
        "QRVAgetstrcontrol": [P, c_int, c_char_p, c_int, POINTER(c_int)],
        "QRVAsetstrcontrol": [P, c_int, c_char_p],
        "QRVAgetintattrib": [P, c_int, POINTER(c_int)],
        "QRVAgetintattrib64": [P, c_int, POINTER(c_int64)],
        "QRVAgetdblattrib": [P, c_int, POINTER(c_double)],
        "QRVAgetstringattrib": [P, c_int, c_char_p, c_int, POINTER(c_int)],
        "QRVAsetdefaultcontrol": [P, c_int], "QRVAsetdefaults": [P],
        "QRVAdumpcontrols": [P], "QRVAcopycontrols": [P, P],
        "QRVAgetcalist_c": [P, POINTER(POINTER(c_int)), POINTER(POINTER(c_char_p)),
                            POINTER(POINTER(c_int))],
        "QRVAgetcontrolinfo": [P, c_char_p, POINTER(c_int), POINTER(c_int)],
        "QRVAgetattribinfo": [P, c_char_p, POINTER(c_int), POINTER(c_int)],
        "QRVAaddcbmessage": [P, MESSAGE_CB, c_void_p, c_int],
        "QRVAremovecbmessage": [P, MESSAGE_CB, c_void_p],
        "QRVAsetlogfile": [P, c_char_p],
        "QRVA_bo_create": [POINTER(P), P, c_int], "QRVA_bo_destroy": [P],
        "QRVA_bo_getlasterror": [P, POINTER(c_int), c_char_p, c_int, POINTER(c_int)],
        "QSLPinit": [], "QSLPfree": [],
        "QSLPcreateprob": [POINTER(P), POINTER(P)], "QSLPdestroyprob": [P],
        "QSLPgetlasterror": [P, POINTER(c_int), c_char_p],
        "QSLPgetcalist": [P, POINTER(POINTER(c_int)), POINTER(POINTER(c_char_p))],
        "QSLPcontrolname": [c_int, POINTER(c_char_p), POINTER(c_int)],
        "QSLPgetintcontrol": [P, c_int, POINTER(c_int)],
        "QSLPsetintcontrol": [P, c_int, c_int],
        "QSLPgetdblcontrol": [P, c_int, POINTER(c_double)],
        "QSLPsetdblcontrol": [P, c_int, c_double],
        "QSLPgetstrcontrol": [P, c_int, c_char_p, c_int, POINTER(c_int)],
        "QSLPsetstrcontrol": [P, c_int, c_char_p],
        "QSLPgetintattrib": [P, c_int, POINTER(c_int)],
        "QSLPgetdblattrib": [P, c_int, POINTER(c_double)],
        "QSLPgetstrattrib": [P, c_int, c_char_p, c_int, POINTER(c_int)],
        "QSLPgetptrattrib": [P, c_int, POINTER(c_void_p)],
        "QSLPprintmsg": [P, c_int, c_char_p],
        "QSLPsetdefaults": [P],
    }
    for name, args in sig.items():
        fn = getattr(lib, name)
        fn.argtypes = args
        fn.restype = c_int


@pytest.fixture(scope="session")
def lib():
    path = _library_path()
    if path is None:
        pytest.skip("libqrva not found: set QRVA_LIB or install the quorva package")
    library = ctypes.CDLL(path)
    _declare(library)
    return library


@pytest.fixture
def env(lib):
    """The environment started once for the test, and stopped after it."""
    assert lib.QRVAinit(None) == 0
    yield lib
    assert lib.QRVAfree() == 0, global_error(lib)


@pytest.fixture
def prob(env):
    handle = c_void_p()
    assert env.QRVAcreateprob(byref(handle)) == 0
    yield handle
    assert env.QRVAdestroyprob(handle) == 0


@pytest.fixture
def slp_env(env):
    assert env.QSLPinit() == 0
    yield env
    assert env.QSLPfree() == 0


@pytest.fixture
def slp_problem(slp_env):
    """An optimizer problem with an SLP problem on it, as an SlpModel."""
    from slp_model import SlpModel, declare_slp  # it imports this module

    declare_slp(slp_env)
    q, s = c_void_p(), c_void_p()
    assert slp_env.QRVAcreateprob(byref(q)) == 0
    assert slp_env.QSLPcreateprob(byref(s), byref(q)) == 0
    yield SlpModel(slp_env, q, s)
    assert slp_env.QSLPdestroyprob(s) == 0
    assert slp_env.QRVAdestroyprob(q) == 0


def global_error(lib):
    code, size = c_int(), c_int()
    buffer = ctypes.create_string_buffer(1024)
    assert lib.QRVA_ge_getlasterror(byref(code), buffer, 1024, byref(size)) == 0
    return code.value, buffer.value.decode()


def problem_error(lib, prob):
    buffer = ctypes.create_string_buffer(512)
    assert lib.QRVAgetlasterror(prob, buffer) == 0
    return buffer.value.decode()


def slp_error(lib, slp):
    code = c_int()
    buffer = ctypes.create_string_buffer(512)
    assert lib.QSLPgetlasterror(slp, byref(code), buffer) == 0
    return code.value, buffer.value.decode()


def walk_calist(ids, names, flags=None, start=0, stop_on_name=False):
    """The entries of an identifier list up to its terminator."""
    entries, k = [], start
    while True:
        name = names[k]
        if (stop_on_name and name == b"") or (not stop_on_name and ids[k] == 0):
            return entries
        entries.append((ids[k], name.decode(), flags[k] if flags else None))
        k += 1
        assert k < 10000, "identifier list has no terminator"
