"""The package's type stubs: written from the built module's own docstrings
by tools/gen_stubs.py, committed, shipped beside the module, true to it
(stubtest) and enough to check the examples with mypy --strict."""

import importlib.util
import subprocess
import sys
from pathlib import Path

import pytest

import quorva

ROOT = Path(__file__).resolve().parents[1]
GENERATOR = ROOT / "tools" / "gen_stubs.py"


def _generator():
    spec = importlib.util.spec_from_file_location("gen_stubs", GENERATOR)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def _run(args, cwd):
    run = subprocess.run([sys.executable] + [str(a) for a in args], capture_output=True, text=True,
                         cwd=cwd, timeout=600)
    return run.returncode, run.stdout + run.stderr


def test_committed_stubs_are_those_of_the_built_module():
    # A method, function, class or constant added without `make stubs`
    # leaves the committed files behind the module: this fails then.
    code, out = _run([GENERATOR, "--check"], ROOT)
    assert code == 0, out


def test_every_public_name_and_method_has_a_stub():
    stub = _generator().module_stub()
    for name in quorva.__all__:
        assert ("\ndef %s(" % name in stub or "\nclass %s" % name in stub or "\n%s: " % name in stub), name
    x = quorva.var()
    for cls in (quorva.problem, quorva.constraint, quorva.sos, quorva.var, type(x + 1)):
        for name, member in vars(cls).items():
            if not name.startswith("_"):
                assert ("    def %s(self" % name in stub or "    %s: Any" % name in stub), (cls, name)


def test_synopsis_forms_give_the_parameters_a_caller_may_pass():
    params = _generator()._parameters
    # Every form is allowed: an argument that one form leaves out is optional.
    assert params(["", "c"]) == ["c: Any = ..."]
    assert params(["index", "first=f, last=l"]) == ["index: Any = ...", "first: Any = ...", "last: Any = ..."]
    # Any number of values, written as "..." or as example values.
    assert params(["a, b, ..., out=None"]) == ["*args: Any", "out: Any = ..."]
    assert params(["", "x", "[x, y], 'z', 3"]) == ["*args: Any"]
    assert params(["{name1: value1, ...}", "name, value"]) == ["*args: Any"]
    assert params(["*indices, name='x', lb=0"]) == ["*indices: Any", "name: Any = ...", "lb: Any = ..."]
    # A keyword of Python as a name can only be passed by position.
    assert params(["in, outlist, x, maxpiv"])[:2] == ["__in: Any", "outlist: Any"]


def test_stubs_are_installed_with_the_marker():
    folder = Path(quorva.__file__).parent
    assert (folder / "py.typed").exists()
    assert (folder / "quorvalib.pyi").read_text() == (ROOT / "python" / "quorva" / "quorvalib.pyi").read_text()


@pytest.fixture(scope="module")
def mypy():
    return pytest.importorskip("mypy.stubtest")


def test_stubtest_finds_the_stubs_true_to_the_module(mypy, tmp_path):
    # Run outside the source tree, so that the installed package is checked.
    code, out = _run(["-m", "mypy.stubtest", "quorva"], tmp_path)
    assert code == 0 and "Success" in out, out


def test_examples_pass_mypy_strict_with_the_stubs(mypy, tmp_path):
    code, out = _run(["-m", "mypy", "--strict", "--cache-dir", tmp_path / "cache", ROOT / "examples"], tmp_path)
    assert code == 0, out
