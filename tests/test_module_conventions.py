"""Python conventions of the package: exception classes, attribute lookups,
module-wide control values checked when set, and error texts that name what
was wrong."""

import pydoc

import pytest

import quorva


class TestModuleWideControlValues:
    @pytest.mark.parametrize(
        "name, value, text",
        [
            ("outputlog", 2, r"outputlog\) is outside its range \[0, 1\]"),
            ("feastol", -5, r"feastol\) is outside its range"),
            ("timelimit", float("nan"), r"timelimit\) is not a number"),
            ("mpsrhsname", "r" * 300, r"mpsrhsname\) is longer than its limit"),
        ],
    )
    def test_library_refuses_when_set(self, name, value, text):
        before = getattr(quorva.controls, name)
        with pytest.raises(quorva.SolverError, match=text):
            setattr(quorva.controls, name, value)
        assert getattr(quorva.controls, name) == before
        quorva.problem()  # later problems are not poisoned

    @pytest.mark.parametrize("name, value", [("lpiterlimit", 2**31), ("threads", 2**63), ("threads", -(2**40))])
    def test_integers_beyond_the_interface(self, name, value):
        with pytest.raises(quorva.ModelError, match=rf"^Value {value} for integer control \d+ \({name}\) is outside"):
            setattr(quorva.controls, name, value)
        quorva.problem()

    def test_accepted_value_reaches_new_problems(self):
        quorva.controls.feastol = 1e-5
        assert quorva.controls.feastol == 1e-5
        assert quorva.problem().controls.feastol == 1e-5

    def test_same_text_on_a_problem(self):
        p = quorva.problem()
        with pytest.raises(quorva.ModelError, match=r"\(lpiterlimit\) is outside the range of integer controls"):
            p.setControl("lpiterlimit", 2**40)
        with pytest.raises(quorva.SolverError, match=r"outputlog\) is outside its range"):
            p.controls.outputlog = 2


class TestUnknownNames:
    def test_hasattr_and_getattr_default(self):
        p = quorva.problem()
        for holder in (quorva.controls, p.controls, p.attributes):
            assert not hasattr(holder, "nosuch")
            assert getattr(holder, "nosuch", 7) == 7
        assert hasattr(p.controls, "feastol") and hasattr(p.attributes, "rows")

    def test_class_and_text_kept(self):
        p = quorva.problem()
        with pytest.raises(quorva.ModelError, match="^Incorrect control name$") as info:
            p.controls.nosuch
        assert isinstance(info.value, AttributeError)
        with pytest.raises(AttributeError, match="^Incorrect attribute name$"):
            p.attributes.nosuch
        with pytest.raises(quorva.ModelError, match="^Incorrect control name$"):
            quorva.controls.nosuch = 1
        assert quorva.UnknownNameError.__mro__[1:3] == (quorva.ModelError, AttributeError)

    def test_help_renders(self):
        text = pydoc.render_doc(quorva.controls)
        assert "quorva.control" in text


class TestLookupsOutOfRange:
    def test_index_errors_are_the_modules(self):
        p = quorva.problem()
        x, y = quorva.var("x"), quorva.var("y")
        p.addVariable(x, y)
        p.addConstraint(x + y <= 1)
        with pytest.raises(quorva.ModelError, match="^Index 2 is out of range: valid indices are 0 to 1$"):
            p.getVariable(2)
        with pytest.raises(quorva.ModelError, match="^Index -1 is out of range"):
            p.getVariable(-1)
        with pytest.raises(quorva.ModelError, match=r"^Index 1180591620717411303424 is out of range"):
            p.getConstraint(2**70)
        with pytest.raises(quorva.ModelError, match="^Index 3 is out of range"):
            p.getVariable([0, [3]])
        with pytest.raises(quorva.ModelError, match="^Index 0 is out of range: there are no objects$"):
            p.getSOS(0)
        assert p.getVariable([1, 0]) == [y, x]


class TestErrorTexts:
    def test_bytes_that_are_not_utf8(self, tmp_path):
        path = tmp_path / "bad.mps"
        path.write_bytes(b"NAME t\nROWS\n N obj\n L c1\nCOLUMNS\n x obj 1 r\xff 2\nRHS\n rhs c1 4\nENDATA\n")
        p = quorva.problem()
        with pytest.raises(quorva.SolverError, match=r"r\\xff"):
            p.read(str(path))
        code, text = quorva.getlasterror()
        assert isinstance(text, str)

    def test_reading_a_directory_or_an_empty_file(self, tmp_path):
        p = quorva.problem()
        x = quorva.var("x")
        p.addVariable(x)
        with pytest.raises(quorva.SolverError, match=f"cannot read '{tmp_path}': it is a directory$"):
            p.read(str(tmp_path))
        empty = tmp_path / "empty.mps"
        empty.write_text("")
        with pytest.raises(quorva.SolverError, match="the file holds no MPS sections"):
            p.read(str(empty))
        assert p.getVariable() == [x]  # a failed read keeps the problem
