"""The public headers compile as strict C99 and a C program built on them
links with the library and solves an LP; every control and attribute of the
two catalogs is published in them under its own name."""
import os
import re
import shutil
import subprocess
from ctypes import POINTER, byref, c_char_p, c_int

import pytest

from conftest import INCLUDE, _library_path, walk_calist

HERE = os.path.dirname(os.path.abspath(__file__))


def _compiler():
    cc = shutil.which(os.environ.get("CC", "cc"))
    if cc is None:
        pytest.skip("no C compiler")
    return cc


def header_macros():
    """Integer macros of qrva.h and qslp.h as the C preprocessor sees them."""
    listing = subprocess.run(
        [_compiler(), "-std=c99", "-dM", "-E", "-I", INCLUDE, "-x", "c", "-"],
        input='#include "qslp.h"\n', capture_output=True, text=True, check=True).stdout
    macros = {}
    for name, value in re.findall(r"^#define (Q(?:RVA|SLP)_\w+) (\S+)$", listing, re.M):
        try:
            macros[name] = int(value, 0)
        except ValueError:
            pass  # not an integer literal
    return macros


def test_every_catalog_entry_is_published_under_its_name(slp_env, slp_problem):
    qprob, slp = slp_problem.prob, slp_problem.slp
    macros = header_macros()
    ids, names, flags = POINTER(c_int)(), POINTER(c_char_p)(), POINTER(c_int)()
    assert slp_env.QRVAgetcalist_c(qprob, byref(ids), byref(names), byref(flags)) == 0
    optimizer = walk_calist(ids, names, flags)
    assert slp_env.QSLPgetcalist(slp, byref(ids), byref(names)) == 0
    nonlinear = walk_calist(ids, names, start=1, stop_on_name=True)
    assert len(optimizer) > 40 and len(nonlinear) > 20
    wrong = [(prefix + name.upper(), ident, macros.get(prefix + name.upper()))
             for prefix, entries in (("QRVA_", optimizer), ("QSLP_", nonlinear))
             for ident, name, _ in entries if macros.get(prefix + name.upper()) != ident]
    assert wrong == []


def test_c99_program_on_the_headers(tmp_path):
    cc = _compiler()
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
