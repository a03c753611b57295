"""The wheel a user builds with `pip wheel .`: it holds the optimizer
library, finds HiGHS in the highsbox package beside it through relative run
paths, and installs into a fresh virtual environment without a compiler,
with NumPy 2 or NumPy 1, and works there from any directory."""

import os
import subprocess
import sys
import venv
import zipfile
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[1]

# Building the wheel takes a package build of its own: `make check-wheel`
# builds it and names it in QUORVA_WHEEL; the suite's other runs skip this.
WHEEL = os.environ.get("QUORVA_WHEEL")
pytestmark = pytest.mark.skipif(not WHEEL, reason="make check-wheel builds the wheel and runs this")


def _run(args, **kwargs):
    run = subprocess.run([str(a) for a in args], capture_output=True, text=True, timeout=1200, **kwargs)
    assert run.returncode == 0, (run.stdout + run.stderr)[-4000:]
    return run.stdout


@pytest.fixture(scope="module")
def wheel():
    return Path(WHEEL)


def test_wheel_carries_the_library_and_no_build_paths(wheel):
    with zipfile.ZipFile(wheel) as archive:
        names = archive.namelist()
        binaries = [n for n in names if ".so" in n]
        assert any(n.startswith("quorva/libqrva.so") for n in binaries)
        assert any(n.startswith("quorva/quorvalib.") for n in binaries)
        assert "quorva/__init__.py" in names
        # The type stubs and their marker travel with the module.
        assert {"quorva/__init__.pyi", "quorva/quorvalib.pyi", "quorva/py.typed"} <= set(names)
        for name in binaries:
            # A run path into the build tree or the build's environment would
            # only work on the machine that built the wheel.
            data = archive.read(name)
            assert b"highs_dist/lib" not in data or b"$ORIGIN/../highsbox/highs_dist/lib" in data
            assert str(ROOT).encode() not in data and b"/tmp/" not in data


NUMPYS = ["numpy>=2"] + (["numpy==1.26.*"] if sys.version_info < (3, 13) else [])


@pytest.mark.parametrize("numpy", NUMPYS)
def test_wheel_installs_without_a_compiler_and_runs_an_example(wheel, tmp_path, numpy):
    env_dir = tmp_path / "venv"
    venv.create(env_dir, with_pip=True)
    python = env_dir / "bin" / "python"
    # No compiler on PATH and only binary packages: nothing can be built.
    no_compiler = dict(os.environ, CC="/bin/false", CXX="/bin/false", PIP_ONLY_BINARY=":all:")
    no_compiler.pop("LD_LIBRARY_PATH", None)
    _run([python, "-m", "pip", "install", "--quiet", numpy, wheel], env=no_compiler)
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    where = _run([python, "-c", "import numpy, quorva; print(quorva.__file__); print(numpy.__version__)"],
                 cwd=elsewhere, env=no_compiler).split()
    assert where[0].startswith(str(env_dir)) and where[1].startswith(numpy[7] if "==" in numpy else "2")
    out = _run([python, ROOT / "examples" / "production_planning.py"], cwd=elsewhere, env=no_compiler)
    assert out.startswith("production plan (lp_optimal), profit 2376.92")
