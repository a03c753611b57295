"""Environment: start/stop counting, version, banner, checked mode, global errors."""
import ctypes
import re
from ctypes import byref, c_int, c_void_p

from conftest import ERR_ARGUMENT, ERR_NOT_INITIALISED, VERSION_TEXT, global_error


def test_init_and_free_are_counted(lib):
    assert lib.QRVAinit(None) == 0
    assert lib.QRVAinit(None) == 0
    assert lib.QRVAfree() == 0
    # One use is left: problems can still be made.
    handle = c_void_p()
    assert lib.QRVAcreateprob(byref(handle)) == 0
    assert lib.QRVAdestroyprob(handle) == 0
    assert lib.QRVAfree() == 0
    # Now the environment is down.
    assert lib.QRVAcreateprob(byref(handle)) == ERR_NOT_INITIALISED
    assert handle.value is None
    code, text = global_error(lib)
    assert code == ERR_NOT_INITIALISED and "QRVAcreateprob" in text and "QRVAinit" in text


def test_free_without_init_fails_with_a_text(lib):
    assert lib.QRVAfree() == ERR_NOT_INITIALISED
    code, text = global_error(lib)
    assert code == ERR_NOT_INITIALISED
    assert text.startswith("QRVAfree:") and "not initialised" in text
    # The failure changed nothing: a normal cycle still works.
    assert lib.QRVAinit(None) == 0
    assert lib.QRVAfree() == 0


def test_init_checks_its_directory(lib, tmp_path):
    assert lib.QRVAinit(str(tmp_path).encode()) == 0
    assert lib.QRVAfree() == 0
    missing = str(tmp_path / "missing").encode()
    assert lib.QRVAinit(missing) == ERR_ARGUMENT
    code, text = global_error(lib)
    assert "QRVAinit" in text and "missing" in text and "not an existing directory" in text
    # A refused init counts nothing.
    assert lib.QRVAfree() == ERR_NOT_INITIALISED


def test_version_and_banner(env):
    version = ctypes.create_string_buffer(16)
    assert env.QRVAgetversion(version) == 0
    assert version.value.decode() == VERSION_TEXT
    banner = ctypes.create_string_buffer(512)
    assert env.QRVAgetbanner(banner) == 0
    text = banner.value.decode()
    assert "quorva optimizer library" in text and VERSION_TEXT in text
    assert re.search(r"running on HiGHS v1\.15\.1\b", text), text
    assert env.QRVAgetversion(None) == ERR_ARGUMENT
    assert "QRVAgetversion" in global_error(env)[1]


def test_checked_mode_defaults_on_and_switches(env):
    mode = c_int(-1)
    assert env.QRVAgetcheckedmode(byref(mode)) == 0 and mode.value == 1
    try:
        assert env.QRVAsetcheckedmode(0) == 0
        assert env.QRVAgetcheckedmode(byref(mode)) == 0 and mode.value == 0
    finally:
        assert env.QRVAsetcheckedmode(1) == 0
    assert env.QRVAgetcheckedmode(None) == ERR_ARGUMENT


def test_checked_mode_refuses_dead_handles_and_unchecked_still_refuses_null(env):
    handle = c_void_p()
    assert env.QRVAcreateprob(byref(handle)) == 0
    assert env.QRVAdestroyprob(handle) == 0
    value = c_int()
    # Destroyed: refused in checked mode, without touching the memory.
    assert env.QRVAgetintcontrol(handle, 8035, byref(value)) == ERR_ARGUMENT
    code, text = global_error(env)
    assert "QRVAgetintcontrol" in text and "does not name a live problem" in text
    assert env.QRVAdestroyprob(handle) == ERR_ARGUMENT
    env.QRVAsetcheckedmode(0)
    try:
        assert env.QRVAgetintcontrol(None, 8035, byref(value)) == ERR_ARGUMENT
        assert global_error(env)[1] == "QRVAgetintcontrol: problem handle is NULL"
    finally:
        env.QRVAsetcheckedmode(1)


def test_global_last_error_truncates_and_reports_size(env):
    env.QRVAfree()  # leave the count at 0 for a moment
    try:
        assert env.QRVAfree() == ERR_NOT_INITIALISED
        code, size = c_int(), c_int()
        small = ctypes.create_string_buffer(10)
        assert env.QRVA_ge_getlasterror(byref(code), small, 10, byref(size)) == 0
        full = global_error(env)[1]
        assert small.value.decode() == full[:9]
        assert size.value == len(full) + 1
        assert env.QRVA_ge_getlasterror(byref(code), small, 0, byref(size)) == ERR_ARGUMENT
    finally:
        env.QRVAinit(None)


def test_enablemessages_takes_only_zero_or_one(env):
    assert env.QRVAenablemessages(1) == 0
    assert env.QRVAenablemessages(0) == 0
    assert env.QRVAenablemessages(2) == ERR_ARGUMENT
    assert "enable is 2" in global_error(env)[1]


def test_environment_is_thread_safe(lib):
    """Threads start and stop the environment, make problems, register and
    remove handlers and read errors at once; the counts stay exact."""
    import threading
    from conftest import MSGHANDLER

    failures = []
    handler = MSGHANDLER(lambda *args: 0)

    def work(seed):
        try:
            for i in range(200):
                assert lib.QRVAinit(None) == 0
                handle = c_void_p()
                assert lib.QRVAcreateprob(byref(handle)) == 0
                assert lib.QRVA_ge_addcbmsghandler(handler, c_void_p(seed + 1), i % 3) == 0
                assert lib.QRVAsetintcontrol(handle, 8006, i % 4) == 0
                assert lib.QRVAloadlp(handle, b"t", 0, 0, *([None] * 10)) == 0
                lib.QRVAsetintcontrol(handle, 8006, -1)  # a failure on this problem only
                global_error(lib)
                assert lib.QRVA_ge_removecbmsghandler(handler, c_void_p(seed + 1)) == 0
                assert lib.QRVAdestroyprob(handle) == 0
                assert lib.QRVAfree() == 0
        except AssertionError as exc:  # pragma: no cover - reported below
            failures.append((seed, exc))

    threads = [threading.Thread(target=work, args=(k,)) for k in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert failures == []
    assert lib.QRVAfree() == ERR_NOT_INITIALISED  # every init was matched
