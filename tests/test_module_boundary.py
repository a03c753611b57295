"""The module's boundary with Python: a C++ exception inside the module
becomes a Python exception instead of ending the interpreter, and every
function the module hands to Python goes through that boundary."""

import os
import pathlib
import re
import subprocess
import sys

import pytest

SOURCES = pathlib.Path(__file__).resolve().parent.parent / "quorvalib"

# The address space is capped a little above what the interpreter already
# uses, so that printing a formula that shares one node 2**30 ways runs out
# of memory in a second or two instead of filling the machine.
OUT_OF_MEMORY = r"""
import resource
import quorva as q
with open('/proc/self/status') as f:
    size = next(int(line.split()[1]) * 1024 for line in f if line.startswith('VmSize'))
limit = size + (256 << 20)
resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
x = q.var(name='x')
e = q.exp(x)
for _ in range(30):
    e = e * e
try:
    str(e)
except MemoryError:
    print('MemoryError')
# The module stays usable after the failure.
print(str(q.exp(x) * 2))
"""


@pytest.mark.skipif("libasan" in os.environ.get("LD_PRELOAD", ""),
                    reason="the sanitizer's shadow memory does not fit a capped address space")
def test_out_of_memory_while_printing_raises_memoryerror():
    run = subprocess.run([sys.executable, "-c", OUT_OF_MEMORY], capture_output=True, text=True, timeout=300)
    assert run.returncode == 0, run.stderr[-2000:]
    lines = run.stdout.split("\n")
    assert lines[0] == "MemoryError"
    assert "exp" in lines[1] and "x" in lines[1]


# Fields of a type object that hold data, not functions Python calls.
DATA_FIELDS = {"tp_flags", "tp_doc", "tp_methods", "tp_getset", "tp_members", "tp_basicsize", "tp_itemsize",
               "tp_base", "tp_as_number", "tp_as_sequence", "tp_as_mapping", "tp_name", "tp_dictoffset"}
# The collector's functions run while an unrelated exception may be pending
# and only visit or drop references, so they stay outside the boundary.
COLLECTOR_FIELDS = {"tp_traverse", "tp_clear"}
# CPython's own functions, which need no boundary of the module's.
CPYTHON_FUNCTIONS = {"PyType_GenericNew", "PyObject_GC_Del", "PyObject_Del", "PyObject_HashNotImplemented",
                     "nullptr"}
BOUNDARY = ("QRVA_METHOD(", "QRVA_ENTRY(", "QRVA_DEALLOC(")


def _unguarded(text):
    """Every function of a method table, getset table or type slot in one
    source file that is handed to Python without the boundary."""
    found = []
    for function in re.findall(r'\{"\w+",\s*([^,]+?),\s*METH_', text):
        if not function.startswith("QRVA_METHOD("):
            found.append(function)
    for table in re.findall(r"PyGetSetDef\s+\w+\[\]\s*=\s*\{(.*?)\n\};", text, re.S):
        for getter, setter in re.findall(r'\{(?:const_cast<char \*>\()?"\w+"\)?,\s*([^,]+),\s*([^,]+),', table):
            found += [f for f in (getter, setter) if f != "nullptr" and not f.startswith("QRVA_ENTRY(")]
    for field, value in re.findall(r"(?:\.|->)((?:tp|nb|sq|mp|am|bf)_\w+)\s*=\s*([^;]+);", text):
        if field in DATA_FIELDS or field in COLLECTOR_FIELDS or value in CPYTHON_FUNCTIONS:
            continue
        if not value.startswith(BOUNDARY):
            found.append(f"{field} = {value}")
    return found


def test_every_function_handed_to_python_goes_through_the_boundary():
    sources = sorted(SOURCES.rglob("*.cpp"))
    assert sources
    unguarded = {str(path.relative_to(SOURCES)): _unguarded(path.read_text()) for path in sources}
    assert {path: found for path, found in unguarded.items() if found} == {}
    # The scan itself finds what it looks for.
    assert _unguarded('{"f", f, METH_O, ""},\n  t.tp_str = s;\n  n.nb_add = QRVA_ENTRY(a);') == ["f", "tp_str = s"]
    assert _unguarded('static PyGetSetDef g[] = {\n    {"a", get, set, "doc", nullptr},\n};') == ["get", "set"]
