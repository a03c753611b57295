"""The C boundary: an allocation that fails inside the library becomes an
error code with a text on the object, never a C++ exception in the caller."""
import os
import subprocess
import sys

import pytest

from conftest import _library_path

# In a process of its own: the address space is capped a little above what
# is in use, so copying a problem of two million columns cannot get its
# memory; the cap is then lifted and the same copy succeeds.
COPY_WITHOUT_MEMORY = r"""
import ctypes, resource, sys
from ctypes import byref, c_char_p, c_double, c_int, c_void_p
lib = ctypes.CDLL(sys.argv[1])
lib.QRVAloadlp.argtypes = [c_void_p, c_char_p, c_int, c_int] + [c_void_p] * 10
lib.QRVAcopyprob.argtypes = [c_void_p, c_void_p, c_char_p]
lib.QRVAgetlasterror.argtypes = [c_void_p, c_char_p]
lib.QRVAgetintattrib.argtypes = [c_void_p, c_int, ctypes.POINTER(c_int)]
assert lib.QRVAinit(None) == 0
src, dest = c_void_p(), c_void_p()
assert lib.QRVAcreateprob(byref(src)) == 0 and lib.QRVAcreateprob(byref(dest)) == 0
n = 2000000
zeros, ones, starts = (c_double * n)(), (c_double * n)(*([1.0] * n)), (c_int * (n + 1))()
assert lib.QRVAloadlp(src, b"big", n, 0, None, None, None, zeros, starts, None, None, None, zeros, ones) == 0
del ones
with open('/proc/self/status') as f:
    size = next(int(line.split()[1]) * 1024 for line in f if line.startswith('VmSize'))
soft, hard = resource.getrlimit(resource.RLIMIT_AS)
resource.setrlimit(resource.RLIMIT_AS, (size + (8 << 20), hard))
rc = lib.QRVAcopyprob(dest, src, None)
text = ctypes.create_string_buffer(512)
lib.QRVAgetlasterror(dest, text)
resource.setrlimit(resource.RLIMIT_AS, (soft, hard))
print(rc, text.value.decode())
cols = c_int()
print(lib.QRVAcopyprob(dest, src, None), lib.QRVAgetintattrib(dest, 1018, byref(cols)), cols.value)
"""


@pytest.mark.skipif("libasan" in os.environ.get("LD_PRELOAD", ""),
                    reason="the sanitizer's shadow memory does not fit a capped address space")
def test_copy_without_memory_fails_with_the_memory_code_and_the_library_stays_usable():
    path = _library_path()
    if path is None:
        pytest.skip("libqrva not found")
    run = subprocess.run([sys.executable, "-c", COPY_WITHOUT_MEMORY, path], capture_output=True, text=True,
                         timeout=300)
    assert run.returncode == 0, run.stderr[-2000:]
    failed, retried = run.stdout.split("\n")[:2]
    assert failed == "4 QRVAcopyprob: out of memory"
    assert retried == "0 0 2000000"
