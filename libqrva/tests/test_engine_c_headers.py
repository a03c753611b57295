"""The public headers compile as strict C99 and a C program built on them
links with the library and solves an LP."""
import os
import shutil
import subprocess

import pytest

from conftest import _library_path

HERE = os.path.dirname(os.path.abspath(__file__))
INCLUDE = os.path.join(HERE, "..", "include")


def test_c99_program_on_the_headers(tmp_path):
    cc = shutil.which(os.environ.get("CC", "cc"))
    if cc is None:
        pytest.skip("no C compiler")
    lib = _library_path()
    if lib is None:
        pytest.skip("libqrva not found: set QRVA_LIB or install the quorva package")
    exe = str(tmp_path / "headers")
    libdir = os.path.dirname(os.path.abspath(lib))
    build = subprocess.run(
        [cc, "-std=c99", "-pedantic", "-Wall", "-Wextra", "-Werror", "-I", INCLUDE,
         os.path.join(HERE, "c", "headers.c"), "-o", exe, os.path.abspath(lib),
         "-Wl,-rpath," + libdir, "-lm"],
        capture_output=True, text=True)
    assert build.returncode == 0, build.stderr
    run = subprocess.run([exe], capture_output=True, text=True, timeout=120)
    assert run.returncode == 0, run.stdout + run.stderr
    assert run.stdout.startswith("ok ")
