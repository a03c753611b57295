"""Controls and attributes of a problem, by name."""

import pytest

import quorva


@pytest.fixture
def p():
    return quorva.problem(name="ctl")


def first_control_of(p, kind):
    for name, value in p.getControl().items():
        if type(value) is kind and name not in ("",):
            return name, value
    pytest.skip(f"no {kind.__name__} control in the catalog")


class TestReading:
    def test_forms_of_getcontrol(self, p):
        everything = p.getControl()
        assert isinstance(everything, dict) and "feastol" in everything
        assert p.getControl("feastol") == everything["feastol"]
        int_name, _ = first_control_of(p, int)
        two = p.getControl("feastol", int_name)
        assert list(two) == ["feastol", int_name]
        assert p.getControl(["feastol"]) == {"feastol": everything["feastol"]}
        assert p.getControl(("feastol",)) == {"feastol": everything["feastol"]}
        assert p.getControl(n for n in ["feastol"]) == {"feastol": everything["feastol"]}

    def test_control_object_reads_live_values(self, p):
        assert p.controls.feastol == p.getControl("feastol")
        p.setControl("feastol", 2e-6)
        assert p.controls.feastol == 2e-6
        assert "'feastol': 2e-06" in str(p.controls)

    def test_unknown_names(self, p):
        with pytest.raises(quorva.InterfaceError, match="^Requested value of an unknown control$"):
            p.getControl("FEASTOL")
        with pytest.raises(quorva.InterfaceError, match="^Requested value of an unknown attribute$"):
            p.getAttrib("no_such_attribute")
        with pytest.raises(quorva.ModelError, match="^Incorrect attribute name$"):
            p.attributes.no_such_attribute
        assert p.controls.__class__ is type(quorva.controls)
        assert p.controls.__dict__ is p.controls.__dict__  # the shared table

    def test_attributes_of_an_empty_problem(self, p):
        attributes = p.getAttrib()
        assert attributes and all(isinstance(v, (int, float, str)) for v in attributes.values())
        assert str(p.attributes).startswith("{")


class TestSetting:
    def test_forms_of_setcontrol(self, p):
        int_name, int_value = first_control_of(p, int)
        p.setControl({"feastol": 3e-6, int_name: int_value})
        assert p.getControl("feastol") == 3e-6
        p.controls.feastol = 4e-6
        assert p.controls.feastol == 4e-6

    @pytest.mark.parametrize(
        "args, message",
        [
            ((), "setControl requires at least one argument of type dictionary or two elements: parameter, value"),
            ((["feastol", 1e-6],), "single argument to setControl must be a dictionary"),
            (("feastol", 1e-6, 3), "setControl: arguments mismatch"),
            (({"feastol": 1e-6, "nope": 1},), "Incorrect control name"),
            (("feastol", "tight"), "Cannot set non-numerical value to a floating-point control"),
        ],
    )
    def test_messages(self, p, args, message):
        with pytest.raises(quorva.ModelError) as info:
            p.setControl(*args)
        assert str(info.value) == message

    def test_types_are_checked(self, p):
        int_name, _ = first_control_of(p, int)
        with pytest.raises(quorva.ModelError, match="^Cannot set non-integer value to an integer control$"):
            p.setControl(int_name, 1.5)
        p.controls.timelimit = 60  # an int is accepted for a double control
        assert p.controls.timelimit == 60.0

    def test_library_rejects_out_of_range_values(self, p):
        with pytest.raises(quorva.SolverError) as info:
            p.controls.feastol = -1.0
        assert "feastol" in str(info.value) or "-1" in str(info.value)
        assert p.controls.feastol > 0  # unchanged

    def test_attributes_cannot_be_set(self, p):
        with pytest.raises(quorva.ModelError, match="^A problem's attribute cannot be set$"):
            p.attributes.anything = 1

    def test_setdefaultcontrol(self, p):
        default = quorva.controls.feastol
        p.controls.feastol = 5e-6
        p.setdefaultcontrol("feastol")
        assert p.controls.feastol == default
        with pytest.raises(quorva.InterfaceError, match="^Incorrect control name$"):
            p.setdefaultcontrol("nope")


def test_controls_outliving_their_problem_fail_cleanly():
    p = quorva.problem()
    controls, attributes = p.controls, p.attributes
    del p
    with pytest.raises(quorva.ModelError, match="no longer exists"):
        controls.feastol
    with pytest.raises(quorva.ModelError, match="no longer exists"):
        str(attributes)


def test_a_replaced_value_whose_release_reads_the_controls_does_not_hang():
    # The replaced value is released after the tables' lock is let go; under
    # the lock its __del__ reading the controls spun for ever.
    import subprocess
    import sys
    code = (
        "import quorva\n"
        "class Tol(float):\n"
        "    def __del__(self):\n"
        "        quorva.controls.feastol\n"
        "quorva.controls.feastol = Tol(1e-6)\n"
        "quorva.controls.feastol = 1e-7\n"
        "print(quorva.controls.feastol)\n")
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr
    assert done.stdout.strip() == "1e-07"
