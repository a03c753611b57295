"""Messages: global handlers (priority, removal, life with the environment),
per-problem message callbacks, standard output under the outputlog control
and the log file.

The engine's own messages observable before any solve are the load line of
QRVAloadlp (of a problem that is not empty), the lines of QRVAdumpcontrols
and QSLPprintmsg's message.
"""
import ctypes
from ctypes import byref, c_void_p

import pytest

from conftest import ERR_ARGUMENT, ERR_NOT_INITIALISED, MESSAGE_CB, MSGHANDLER, global_error

OUTPUTLOG = 8035


def empty_load(lib, prob, name=b"demo"):
    return lib.QRVAloadlp(prob, name, 0, 0, *([None] * 10))


def load_one_column(lib, prob, name=b"demo"):
    """A load of one column without rows: the load line says so."""
    nothing = ctypes.c_double(0.0)
    start = (ctypes.c_int * 2)(0, 0)
    lb, ub = ctypes.c_double(0.0), ctypes.c_double(1.0)
    return lib.QRVAloadlp(prob, name, 1, 0, None, None, None, byref(nothing), start, None,
                          None, None, byref(lb), byref(ub))


class Recorder:
    """Handlers that note (tag, sender, text, type) of every message."""

    def __init__(self):
        self.seen = []
        self.keep = []

    def handler(self, tag):
        def call(sender, data, context, msg, length, msgtype):
            self.seen.append((tag, sender, msg[:length].decode(), msgtype))
            return 0
        fn = MSGHANDLER(call)
        self.keep.append(fn)
        return fn


@pytest.fixture
def recorder(env):
    rec = Recorder()
    yield rec
    assert env.QRVA_ge_removecbmsghandler(MSGHANDLER(), None) == 0


def test_handlers_receive_problem_messages_in_priority_order(env, prob, recorder):
    low, high, tie = recorder.handler("low"), recorder.handler("high"), recorder.handler("tie")
    assert env.QRVA_ge_addcbmsghandler(low, None, 1) == 0
    assert env.QRVA_ge_addcbmsghandler(high, None, 5) == 0
    assert env.QRVA_ge_addcbmsghandler(tie, None, 1) == 0
    assert load_one_column(env, prob) == 0
    assert [s[0] for s in recorder.seen] == ["high", "low", "tie"]
    tag, sender, text, msgtype = recorder.seen[0]
    assert sender == prob.value
    assert text == "Problem 'demo' loaded: 0 rows, 1 columns, 0 elements"
    assert msgtype == 1
    # An empty problem carries no information: its load says nothing.
    recorder.seen.clear()
    assert empty_load(env, prob) == 0
    assert recorder.seen == []


def test_remove_matches_function_and_data_with_null_as_wildcard(env, prob, recorder):
    a, b = recorder.handler("a"), recorder.handler("b")
    d1, d2 = ctypes.c_int(1), ctypes.c_int(2)
    for fn, data in ((a, d1), (a, d2), (b, d1)):
        assert env.QRVA_ge_addcbmsghandler(fn, ctypes.addressof(data), 0) == 0
    assert env.QRVA_ge_removecbmsghandler(a, ctypes.addressof(d1)) == 0
    load_one_column(env, prob)
    assert sorted(s[0] for s in recorder.seen) == ["a", "b"]
    recorder.seen.clear()
    assert env.QRVA_ge_removecbmsghandler(MSGHANDLER(), ctypes.addressof(d1)) == 0
    load_one_column(env, prob)
    assert [s[0] for s in recorder.seen] == ["a"]
    # Removing something not registered is no error.
    assert env.QRVA_ge_removecbmsghandler(b, ctypes.addressof(d2)) == 0


def test_dumpcontrols_reports_changed_controls(env, prob, recorder):
    assert env.QRVA_ge_addcbmsghandler(recorder.handler("h"), None, 0) == 0
    assert env.QRVAdumpcontrols(prob) == 0
    assert [s[2] for s in recorder.seen] == ["All controls are at their default values"]
    recorder.seen.clear()
    assert env.QRVAsetdblcontrol(prob, 7001, 1e-4) == 0
    assert env.QRVAsetstrcontrol(prob, 6001, b"RHS1") == 0
    assert env.QRVAdumpcontrols(prob) == 0
    assert [s[2] for s in recorder.seen] == ["feastol = 0.0001", "mpsrhsname = 'RHS1'"]


def test_outputlog_governs_standard_output_only(env, prob, recorder, capfd):
    assert env.QRVA_ge_addcbmsghandler(recorder.handler("h"), None, 0) == 0
    assert env.QRVAenablemessages(1) == 0
    try:
        assert load_one_column(env, prob, b"loud") == 0
        assert "Problem 'loud' loaded" in capfd.readouterr().out
        assert env.QRVAsetintcontrol(prob, OUTPUTLOG, 0) == 0
        assert load_one_column(env, prob, b"quiet") == 0
        assert env.QRVAdumpcontrols(prob) == 0
        assert capfd.readouterr().out == ""
    finally:
        assert env.QRVAenablemessages(0) == 0
    # Handlers heard all three, printed or not.
    assert [s[2] for s in recorder.seen] == [
        "Problem 'loud' loaded: 0 rows, 1 columns, 0 elements",
        "Problem 'quiet' loaded: 0 rows, 1 columns, 0 elements", "outputlog = 0"]
    # Without QRVAenablemessages nothing is printed, whatever the control says.
    assert env.QRVAsetintcontrol(prob, OUTPUTLOG, 1) == 0
    assert load_one_column(env, prob) == 0
    assert capfd.readouterr().out == ""


def test_print_function_takes_the_place_of_standard_output(env, prob, recorder, capfd):
    printed = recorder.handler("printer")
    assert env.QRVAsetprintfunction(printed, ctypes.c_void_p(7)) == 0
    assert env.QRVAenablemessages(1) == 0
    try:
        assert load_one_column(env, prob, b"loud") == 0
        assert env.QRVAsetintcontrol(prob, OUTPUTLOG, 0) == 0
        assert load_one_column(env, prob, b"quiet") == 0
        # Only what would have been printed, and nothing on the streams.
        assert [(s[0], s[2], s[3]) for s in recorder.seen] == [
            ("printer", "Problem 'loud' loaded: 0 rows, 1 columns, 0 elements", 1)]
        assert capfd.readouterr() == ("", "")
        assert env.QRVAsetintcontrol(prob, OUTPUTLOG, 1) == 0
        assert env.QRVAsetprintfunction(MSGHANDLER(), None) == 0
        assert load_one_column(env, prob, b"again") == 0
        assert "Problem 'again' loaded" in capfd.readouterr().out and len(recorder.seen) == 1
    finally:
        env.QRVAsetprintfunction(MSGHANDLER(), None)
        assert env.QRVAenablemessages(0) == 0


def test_handlers_end_with_the_environment(lib):
    rec = Recorder()
    fn = rec.handler("h")
    assert lib.QRVA_ge_addcbmsghandler(fn, None, 0) == ERR_NOT_INITIALISED
    assert lib.QRVAinit(None) == 0
    assert lib.QRVA_ge_addcbmsghandler(fn, None, 0) == 0
    assert lib.QRVA_ge_addcbmsghandler(MSGHANDLER(), None, 0) == ERR_ARGUMENT
    assert "handler function is NULL" in global_error(lib)[1]
    assert lib.QRVAfree() == 0
    assert lib.QRVAinit(None) == 0
    prob = c_void_p()
    assert lib.QRVAcreateprob(byref(prob)) == 0
    load_one_column(lib, prob)
    assert rec.seen == []  # the handler went with the old environment
    assert lib.QRVAdestroyprob(prob) == 0
    assert lib.QRVAfree() == 0


def test_handler_may_call_back_into_the_library(env, prob):
    names = []

    def call(sender, data, context, msg, length, msgtype):
        buffer = ctypes.create_string_buffer(64)
        env.QRVAgetprobname(c_void_p(sender), buffer)
        names.append(buffer.value)
        # Changing the handler list from inside a handler must not deadlock.
        env.QRVA_ge_removecbmsghandler(MSGHANDLER(), None)
        return 0

    fn = MSGHANDLER(call)
    assert env.QRVA_ge_addcbmsghandler(fn, None, 0) == 0
    load_one_column(env, prob, b"inner")
    load_one_column(env, prob, b"second")
    assert names == [b"inner"]


def test_problem_message_callbacks_and_log_file(env, prob, tmp_path):
    got = []
    cb = MESSAGE_CB(lambda p, data, msg, length, t: got.append((p, msg[:length].decode(), t)))
    assert env.QRVAaddcbmessage(prob, cb, None, 0) == 0
    log = tmp_path / "run.log"
    assert env.QRVAsetlogfile(prob, str(log).encode()) == 0
    assert load_one_column(env, prob, b"logged") == 0
    assert got == [(prob.value, "Problem 'logged' loaded: 0 rows, 1 columns, 0 elements", 1)]
    # The output control does not silence callbacks or the log file.
    assert env.QRVAsetintcontrol(prob, OUTPUTLOG, 0) == 0
    assert load_one_column(env, prob, b"quiet") == 0
    assert len(got) == 2
    assert env.QRVAremovecbmessage(prob, MESSAGE_CB(), None) == 0
    assert env.QRVAsetlogfile(prob, None) == 0
    load_one_column(env, prob, b"after")
    assert len(got) == 2
    assert log.read_text() == ("Problem 'logged' loaded: 0 rows, 1 columns, 0 elements\n"
                               "Problem 'quiet' loaded: 0 rows, 1 columns, 0 elements\n")
    bad = str(tmp_path / "no" / "such" / "dir.log").encode()
    assert env.QRVAsetlogfile(prob, bad) == ERR_ARGUMENT


def test_handler_removed_during_a_delivery_is_not_called_by_it(env, prob, recorder):
    """The first handler removes the second (and adds a third) while a message
    is delivered: the removed one, whose data its owner may free right after
    the removal, must not be called with that message."""
    second = recorder.handler("second")
    third = recorder.handler("third")

    def call(sender, data, context, msg, length, msgtype):
        recorder.seen.append(("first", None, msg[:length].decode(), msgtype))
        env.QRVA_ge_removecbmsghandler(second, None)
        env.QRVA_ge_addcbmsghandler(third, None, 0)
        return 0

    first = MSGHANDLER(call)
    recorder.keep.append(first)
    assert env.QRVA_ge_addcbmsghandler(first, None, 9) == 0
    assert env.QRVA_ge_addcbmsghandler(second, None, 5) == 0
    assert load_one_column(env, prob, b"one") == 0
    assert [tag for tag, *_ in recorder.seen] == ["first"]
    assert env.QRVA_ge_removecbmsghandler(first, None) == 0
    assert load_one_column(env, prob, b"two") == 0
    assert [tag for tag, *_ in recorder.seen] == ["first", "third"]


def test_message_callback_removed_by_another_during_a_message(env, prob):
    got = []
    later = MESSAGE_CB(lambda p, data, msg, length, t: got.append("later"))

    def call(p, data, msg, length, t):
        got.append("first")
        env.QRVAremovecbmessage(prob, later, None)

    first = MESSAGE_CB(call)
    assert env.QRVAaddcbmessage(prob, first, None, 2) == 0
    assert env.QRVAaddcbmessage(prob, later, None, 1) == 0
    assert load_one_column(env, prob) == 0
    assert got == ["first"]
    assert env.QRVAremovecbmessage(prob, MESSAGE_CB(), None) == 0
