"""Module functions acting on the process-wide environment."""

import importlib.metadata
import re

import pytest

import quorva


def test_version_and_banner():
    version = quorva.getversion()
    assert re.fullmatch(r"\d+\.\d+\.\d+", version)
    banner = quorva.getbanner()
    assert version in banner and "HiGHS" in banner
    # The package's own version, apart from the library's: the installed
    # distribution's metadata is built from __version__.
    assert quorva.__version__ == importlib.metadata.version("quorva") != version


def test_environment_switches_off_and_on_again():
    quorva.free()
    assert quorva.getversion()  # starts it again
    quorva.free()
    p = quorva.problem()  # so does a problem
    assert p.name() == "noname"
    quorva.init()
    quorva.init()  # starting an environment that is on is allowed
    assert quorva.getbanner()


def test_problem_outlives_free():
    p = quorva.problem(name="survivor")
    quorva.free()
    assert p.getControl("feastol") > 0
    del p  # destroying it with the environment off must not fail


def test_lasterror_is_a_code_and_a_text(fresh_python):
    rc, out, err = fresh_python("import quorva; print(quorva.getlasterror())")
    assert rc == 0, err
    assert out.strip() == "(0, '')"
    code, text = quorva.getlasterror()
    assert isinstance(code, int) and isinstance(text, str)


def test_checked_mode_only_true_switches_it_on():
    try:
        quorva.setcheckedmode(True)
        assert quorva.getcheckedmode() is True
        quorva.setcheckedmode(1)
        assert quorva.getcheckedmode() is False
        quorva.setcheckedmode(True)
        quorva.setcheckedmode("yes")
        assert quorva.getcheckedmode() is False
    finally:
        quorva.setcheckedmode(True)


class TestMessageHandlers:
    def test_add_and_remove(self):
        def handler(obj, data, context, msg, length, msgtype):
            pass

        quorva.addcbmsghandler(handler, "d1", 0)
        quorva.addcbmsghandler(handler, "d2", 5)
        quorva.removecbmsghandler(handler, "d1")
        with pytest.raises(quorva.InterfaceError, match="^Callback not found$"):
            quorva.removecbmsghandler(handler, "d1")
        quorva.removecbmsghandler(handler, None)  # None matches any data
        with pytest.raises(quorva.InterfaceError, match="^Callback not found$"):
            quorva.removecbmsghandler(None, None)

    def test_argument_messages(self):
        with pytest.raises(RuntimeError) as info:
            quorva.addcbmsghandler(print)
        assert str(info.value) == (
            "Incorrect arguments in addcbmsghandler. Must provide correct list of three arguments")
        with pytest.raises(RuntimeError) as info:
            quorva.addcbmsghandler(print, None, "high")
        assert "three arguments" in str(info.value)
        with pytest.raises(RuntimeError) as info:
            quorva.removecbmsghandler(print)
        assert str(info.value) == (
            "Incorrect arguments in removecbmsghandler. Must provide correct list of two arguments")

    def test_handler_entries_keep_their_objects_alive(self):
        import sys

        data = object()
        before = sys.getrefcount(data)
        handler = lambda *args: None  # noqa: E731
        quorva.addcbmsghandler(handler, data, 0)
        assert sys.getrefcount(data) == before + 1
        quorva.removecbmsghandler(handler, data)
        assert sys.getrefcount(data) == before


class TestModuleWideControls:
    def test_defaults_apply_to_new_problems_until_removed(self):
        default = quorva.controls.feastol
        quorva.controls.feastol = 1e-7
        assert quorva.controls.feastol == 1e-7
        assert quorva.problem().controls.feastol == 1e-7
        quorva.setdefaultcontrol("feastol")
        assert quorva.controls.feastol == default
        assert quorva.problem().controls.feastol == default
        quorva.setdefaultcontrol("never_set_name")  # does nothing

    def test_setdefaults_removes_every_value(self):
        quorva.controls.feastol = 1e-8
        quorva.setdefaults()
        assert quorva.problem().controls.feastol == quorva.controls.__dict__["feastol"]

    def test_type_checks_and_unknown_names(self):
        with pytest.raises(quorva.ModelError, match="^Cannot set non-numerical value to a floating-point control$"):
            quorva.controls.feastol = "tight"
        quorva.controls.timelimit = 100  # an int is a number
        with pytest.raises(quorva.ModelError, match="^Incorrect control name$"):
            quorva.controls.no_such_control = 1
        with pytest.raises(quorva.ModelError, match="^Incorrect control name$"):
            quorva.controls.FEASTOL
        with pytest.raises(quorva.ModelError, match="^Incorrect control name$"):
            quorva.controls.no_such_control

    def test_str_lists_the_defaults(self):
        text = str(quorva.controls)
        assert text.startswith("{") and "'feastol'" in text
