"""Bad arguments to every implemented entry point, one at a time.

The prototypes come from the public headers; each argument gets the bad
values of its type (a NULL handle or array, -1, 1e7, NaN, 'X', arrays of
such values) while the others keep ordinary values, on a problem with rows,
columns, an integer column, a set, a formula coefficient and an SLP variable.
A bad value must be refused with a last error naming the function and leave
the problem as it was; the few values that are meaningful rather than bad are
listed in ACCEPTED with what they mean. NULL arrays may be accepted (many
arrays are optional), but a refusal must still be clean.
"""
import ctypes
import math
import os
import re
from ctypes import byref, c_char, c_double, c_int, c_int64, c_void_p

import pytest

from conftest import MSGHANDLER

HERE = os.path.dirname(os.path.abspath(__file__))
INCLUDE = os.path.join(HERE, "..", "include")
SRC = os.path.join(HERE, "..", "src")

# Environment lifecycle: started and stopped by the fixtures, tested elsewhere.
LIFECYCLE = {"QRVAinit", "QRVAfree", "QSLPinit", "QSLPfree"}

# (function, argument, bad value) that mean something; everything else is refused.
ACCEPTED = {
    ("QRVAstrongbranch", "itrlimit", "1e7"): "a large iteration limit is a limit",
    ("QRVAstrongbranchcb", "itrlimit", "1e7"): "a large iteration limit is a limit",
    ("QRVAchgobj", "colind", "-1s"): "column -1 holds the objective constant",
    ("QRVAscale", "rowscale", "-1s"): "exponent -1 halves the row",
    ("QRVAscale", "colscale", "-1s"): "exponent -1 halves the column",
    ("QRVAaddqmatrix64", "row", "-1"): "row -1 is the objective",
    ("QRVAdelqmatrix", "row", "-1"): "row -1 is the objective",
    ("QRVAchgobjsense", "objsense", "-1"): "-1 maximises",
    ("QRVAsetcheckedmode", "checked_mode", "-1"): "any non-zero value turns it on",
    ("QRVAsetcheckedmode", "checked_mode", "1e7"): "any non-zero value turns it on",
    ("QRVAenablemessages", "enable", "-1"): "any non-zero value turns them on",
    ("QRVAenablemessages", "enable", "1e7"): "any non-zero value turns them on",
    ("QRVAinterrupt", "reason", "-1"): "the reason is the caller's own code",
    ("QRVAinterrupt", "reason", "1e7"): "the reason is the caller's own code",
    ("QSLPinterrupt", "reason", "-1"): "the reason is the caller's own code",
    ("QSLPinterrupt", "reason", "1e7"): "the reason is the caller's own code",
    ("QRVAgetmessagestatus", "errcode", "-1"): "any message code has a status",
    ("QRVAgetmessagestatus", "errcode", "1e7"): "any message code has a status",
    ("QRVAsetmessagestatus", "errcode", "-1"): "any message code has a status",
    ("QRVAsetmessagestatus", "errcode", "1e7"): "any message code has a status",
    ("QRVAsetmessagestatus", "status", "-1"): "non-zero shows the message",
    ("QRVAsetmessagestatus", "status", "1e7"): "non-zero shows the message",
    ("QSLPchgvar", "detrow", "-1s"): "detrow -1 is none",
    ("QSLPaddvars", "detrow", "-1s"): "detrow -1 is none",
    ("QSLPloadvars", "detrow", "-1s"): "detrow -1 is none",
    ("QSLPaddcoefs", "colindex", "-1s"): "column -1 is a formula on its own",
    ("QSLPchgcoef", "col", "-1"): "column -1 is a formula on its own",
    ("QSLPaddvars", "vartype", "1e7s"): "variable types are codes of 0 or more",
    ("QSLPloadvars", "vartype", "1e7s"): "variable types are codes of 0 or more",
    ("QSLPchgvar", "vartype", "1e7s"): "variable types are codes of 0 or more",
    ("QSLPloadcoefs", "colindex", "-1s"): "column -1 is a formula on its own",
    ("QRVAdelcpcuts", "ncuts", "-1"): "ncuts -1 selects the cuts by type",
}
# Arguments whose every integer value is meaningful.
ANY_INT = {"priority", "seqnum", "history", "converged", "cuttype"}
# Ranges are read only for rows of type 'R' (the rows here are 'L').
RANGE_UNREAD = {"QRVAloadlp", "QRVAloadlp64", "QRVAloadqp64", "QRVAloadglobal64",
                "QRVAloadqglobal64", "QRVAloadqcqp64", "QRVAloadqcqpglobal64",
                "QRVAaddrows64"}

BASE_MPS = """NAME base
ROWS
 N obj
 L r0
 G r1
COLUMNS
    x obj 1 r0 1
    y obj 2 r0 1 r1 1
    MARKER 'MARKER' 'INTORG'
    z obj 1 r1 1
    MARKER 'MARKER' 'INTEND'
RHS
    RHS r0 4 r1 1
BOUNDS
 UP BND x 3
 UP BND y 3
 UP BND z 3
SOS
 S1 SOS s0
    x 1
    y 2
NLCOEFS
    r0 x 1 : y ^ 2
SLPVARS
    x IV 1
ENDATA
"""
# Identifiers that make the control and attribute functions work at all (the
# integer controls take 0 or 1, so -1 and 1e7 are out of range).
IDENTIFIERS = {
    "QRVAgetintcontrol": 8003, "QRVAsetintcontrol": 8003, "QRVAsetdefaultcontrol": 8003,
    "QRVAgetdblcontrol": 7001, "QRVAsetdblcontrol": 7001,
    "QRVAgetstrcontrol": 6001, "QRVAsetstrcontrol": 6001,
    "QRVAgetintattrib": 1001, "QRVAgetintattrib64": 1002, "QRVAgetdblattrib": 2001,
    "QRVAgetstringattrib": 3001,
    "QSLPgetintcontrol": 12002, "QSLPsetintcontrol": 12002, "QSLPsetdefaultcontrol": 12002,
    "QSLPgetdblcontrol": 12101, "QSLPsetdblcontrol": 12101,
    "QSLPgetstrcontrol": 12301, "QSLPsetstrcontrol": 12301,
    "QSLPgetintattrib": 11999, "QSLPgetdblattrib": 12179, "QSLPgetstrattrib": 12350,
    "QSLPgetptrattrib": 12601, "QSLPcontrolname": 12001,
}


def _prototypes():
    """name -> [(type, argument)] of every function the headers declare,
    with the callback families' macros expanded."""
    protos = {}
    for header in ("qrva.h", "qslp.h"):
        text = open(os.path.join(INCLUDE, header)).read()
        text = re.sub(r"/\*.*?\*/", "", text, flags=re.S).replace("\\\n", " ")
        for macro, body in re.findall(r"#define (\w+)\(kind\)(.*)", text):
            for kind in re.findall(r"^%s\((\w+)\)" % macro, text, flags=re.M):
                text += body.replace("##kind", kind) + "\n"
        for name, params in re.findall(r"QRVA_API\s+int\s+(\w+)\s*\(([^)]*)\)\s*;", text):
            args = []
            for param in params.split(","):
                param = param.strip()
                if param in ("", "void"):
                    continue
                typ, arg, array = re.match(r"(.*?)(\w+)\s*(\[\])?$", param).groups()
                typ = re.sub(r"\s*\*\s*", "*", typ.strip()) + ("*" if array else "")
                args.append((typ, arg))
            protos[name] = args
    return protos


def _stubs():
    names = set()
    for source in ("api/slp_not_available.cpp",):
        names |= set(re.findall(r"NOT_YET\((\w+)", open(os.path.join(SRC, source)).read()))
    return names


PROTOS = _prototypes()
FUNCTIONS = sorted(set(PROTOS) - _stubs() - LIFECYCLE)
HANDLES = ("QRVAprob", "QSLPprob", "QRVAbranchobject", "QSLPfunc")
COUNT_ARGS = re.compile(r"^(n|max)")
# Per-item element counts: how many entries of the element arrays each item owns.
COUNT_ARRAYS = {"mnel", "qcnquads"}


def _ctype(typ):
    return {"int": c_int, "int64_t": c_int64, "double": c_double, "char": c_char}.get(typ, c_void_p)


def _array(ctype, values, keep):
    array = (ctype * 256)(*values)
    keep.append(array)
    return ctypes.cast(array, c_void_p)


def bad_values(typ, arg, keep):
    """(label, value) of the bad values of an argument."""
    if typ in HANDLES:
        return [("NULL", None)]
    if typ in ("int", "int64_t"):
        if arg in ANY_INT:
            return []
        return [("-1", -1)] + ([] if COUNT_ARGS.match(arg) else [("1e7", 10 ** 7)])
    if typ == "double":
        return [("NaN", math.nan)]
    if typ == "char":
        return [("'X'", b"X")]
    values = [("NULL", None)]
    if typ == "const double*":
        values.append(("NaNs", _array(c_double, [math.nan] * 256, keep)))
    if typ == "const int*" and arg not in ANY_INT:
        values.append(("-1s", _array(c_int, [-1] * 256, keep)))
        # Element counts of 1e7 would claim arrays far longer than the 256
        # entries passed: nothing can refuse that, the library would read
        # past the caller's arrays. Negative counts are refused before any read.
        if arg not in COUNT_ARRAYS:
            values.append(("1e7s", _array(c_int, [10 ** 7] * 256, keep)))
    if typ == "const char*" and arg in ("rowtype", "coltype", "bndtype", "settype"):
        values.append(("'X's", ctypes.cast(ctypes.c_char_p(b"X" * 64), c_void_p)))
    return values


class Setting:
    """An optimizer problem with its SLP problem, built from BASE_MPS, and
    the ordinary value of every argument type."""

    def __init__(self, lib, tmp):
        self.lib, self.tmp, self.keep = lib, str(tmp), []
        self.base = os.path.join(self.tmp, "base.mps")
        with open(self.base, "w") as f:
            f.write(BASE_MPS)
        # Any callback the library is handed: reads nothing, returns 0.
        self.callback = MSGHANDLER(lambda *args: 0)
        self.q = self.s = self.bo = None
        self.build()

    def build(self):
        self.close()
        lib = self.lib
        self.q, self.s, self.bo = c_void_p(), c_void_p(), c_void_p()
        assert lib.QRVAcreateprob(byref(self.q)) == 0
        assert lib.QSLPcreateprob(byref(self.s), byref(self.q)) == 0
        assert lib.QSLPreadprob(self.s, self.base.encode(), b"") == 0
        assert lib.QRVA_bo_create(byref(self.bo), self.q, 1) == 0
        with open(os.path.join(self.tmp, "io.mps"), "w") as f:  # the linear part only
            f.write(BASE_MPS[:BASE_MPS.index("NLCOEFS")] + "ENDATA\n")
        self.before = self.snapshot()

    def close(self):
        if self.q is not None:
            self.lib.QRVA_bo_destroy(self.bo)
            self.lib.QSLPdestroyprob(self.s)
            self.lib.QRVAdestroyprob(self.q)
            self.q = None

    def snapshot(self):
        """The whole problem as its file (formulas and SLP settings included)."""
        path = os.path.join(self.tmp, "snapshot.mps")
        if self.lib.QSLPwriteprob(self.s, path.encode(), b"") != 0:
            return "not writable: " + self.errors()[1]
        with open(path) as f:
            return f.read()

    def errors(self):
        """The global, the problem's and the branching object's last error texts."""
        code, size = c_int(), c_int()
        buffer = ctypes.create_string_buffer(1024)
        self.lib.QRVA_ge_getlasterror(byref(code), buffer, 1024, byref(size))
        global_text = buffer.value.decode(errors="replace")
        self.lib.QRVAgetlasterror(self.q, buffer)
        problem_text = buffer.value.decode(errors="replace")
        self.lib.QRVA_bo_getlasterror(self.bo, byref(code), buffer, 1024, byref(size))
        return global_text, problem_text, buffer.value.decode(errors="replace")

    def mark_errors(self):
        """Leaves last errors that name no function under test."""
        self.lib.QRVAsetprobname(None, b"mark")
        self.lib.QRVAsetintcontrol(self.q, -4711, 0)
        self.lib.QRVA_bo_setpreferredbranch(self.bo, -4711)
        assert all("-4711" in t or "QRVAsetprobname" in t for t in self.errors())

    def ordinary(self, name, typ, arg):
        keep = self.keep
        if typ == "QRVAprob":
            return self.q
        if typ == "QSLPprob":
            return self.s
        if typ == "QRVAbranchobject":
            return self.bo
        if typ == "QSLPfunc":
            return None  # exists only inside a user function: every call is refused
        if typ.startswith("QRVAcb"):
            return ctypes.cast(self.callback, c_void_p)
        if typ in ("int", "int64_t"):
            if arg == "id":
                return IDENTIFIERS.get(name, 1)
            if arg.startswith("max"):
                return 1000
            if name == "QSLPaddnames" and arg == "type":
                return 5  # user functions
            return 0 if arg in ("row", "col", "col1", "col2", "reason") else 1
        if typ == "double":
            return 1.0
        if typ == "char":
            return b"L"
        if typ == "const char*":
            if "file" in arg:
                return os.path.join(self.tmp, "io.mps").encode()
            text = {"rowtype": b"L" * 64, "coltype": b"C" * 64, "bndtype": b"U" * 64,
                    "settype": b"1" * 64, "names": b"nm\0" * 64, "flags": b""}.get(arg, b"p")
            return ctypes.cast(ctypes.c_char_p(text), c_void_p)
        if typ in ("const int*", "const int64_t*"):
            ctype = c_int64 if "int64" in typ else c_int
            # Element counts of 1 make the loads read their element arrays;
            # complements of 1 make indicator rows read their columns.
            if arg in ("mnel", "qcnquads", "complement"):
                return _array(ctype, [1] * 256, keep)
            if arg == "type":  # the formula "1" (a constant, then the end)
                return _array(ctype, [1] + [0] * 255, keep)
            if "int64" in typ or arg in ("start", "mstart"):
                return _array(ctype, [0] + [1] * 255, keep)
            return _array(ctype, [0] * 256, keep)
        if typ == "const double*":
            return _array(c_double, [1.0] * 256, keep)
        # Output arrays and buffers, and the library's arrays handed back.
        buffer = ctypes.create_string_buffer(8 * 4096)
        keep.append(buffer)
        return ctypes.cast(buffer, c_void_p)

    def restore_globals(self):
        """Undoes what an accepted call may have changed outside the problem."""
        self.lib.QRVA_ge_removecbmsghandler(self.callback, None)
        self.lib.QRVAsetprintfunction(MSGHANDLER(), None)
        self.lib.QRVAenablemessages(0)
        self.lib.QRVAsetcheckedmode(1)


@pytest.fixture
def setting(slp_env, tmp_path, monkeypatch):
    # Files named after the problem (a save, a basis without a file name) go
    # to the working directory: the test's own.
    monkeypatch.chdir(tmp_path)
    s = Setting(slp_env, tmp_path)
    yield s
    s.close()
    s.restore_globals()


def _faults(setting, name, lib):
    """What goes wrong for each bad argument of one function."""
    function = getattr(lib, name)
    args = PROTOS[name]
    function.argtypes = [_ctype(t) for t, _ in args]
    function.restype = c_int
    faults = []
    for position, (typ, arg) in enumerate(args):
        for label, bad in bad_values(typ, arg, setting.keep):
            if (label == "NaNs" and arg == "range" and name in RANGE_UNREAD) or \
                    (name, arg, label) in ACCEPTED:
                continue
            values = [setting.ordinary(name, t, a) for t, a in args]
            values[position] = bad
            setting.mark_errors()
            rc = function(*values)
            case = "%s(%s=%s)" % (name, arg, label)
            if rc == 0:
                if label != "NULL":
                    faults.append(case + " accepted")
                setting.restore_globals()
                setting.build()
                continue
            texts = setting.errors()
            if not any(t.startswith(name + ":") for t in texts):
                faults.append("%s: error text names another function: %r" % (case, texts))
            if setting.snapshot() != setting.before:
                faults.append(case + " changed the problem")
                setting.build()
    return faults


@pytest.mark.parametrize("name", FUNCTIONS)
def test_bad_arguments_are_refused_cleanly(setting, name):
    # A private view of the library, so the argument types set here stay here.
    lib = ctypes.CDLL(setting.lib._name)
    assert _faults(setting, name, lib) == []


def test_the_sweep_covers_the_library():
    assert len(FUNCTIONS) > 150
    assert {"QRVAloadqcqpglobal64", "QSLPchgvar", "QRVAaddcbintsol"} <= set(FUNCTIONS)
    for (name, arg, _label) in ACCEPTED:
        assert arg in [a for _t, a in PROTOS[name]], (name, arg)


def _private(setting):
    """The library with every function's argument types from the headers."""
    lib = ctypes.CDLL(setting.lib._name)
    for name in FUNCTIONS:
        function = getattr(lib, name)
        function.argtypes = [_ctype(t) for t, _ in PROTOS[name]]
        function.restype = c_int
    return lib


def _ptr(ctype, values):
    return ctypes.cast((ctype * len(values))(*values), c_void_p)


def test_load_starts_with_element_counts_follow_one_another(setting):
    lib, q = _private(setting), setting.q

    def load(starts, counts):
        # Two columns over rows r0 (L 4) and r1 (G 1); element 2 is a gap.
        return lib.QRVAloadlp(q, b"p", 2, 2, _ptr(c_char, b"LG"), _ptr(c_double, [4, 1]), None,
                              _ptr(c_double, [1, 2]), _ptr(c_int, starts), _ptr(c_int, counts),
                              _ptr(c_int, [0, 1, 0, 0]), _ptr(c_double, [5, 6, 99, 7]),
                              _ptr(c_double, [0, 0]), _ptr(c_double, [3, 3]))

    def coefficient(row, col):
        value = c_double()
        assert lib.QRVAgetcoef(q, row, col, byref(value)) == 0
        return value.value

    assert load([0, 3], [2, 1]) == 0
    assert (coefficient(0, 0), coefficient(1, 0), coefficient(0, 1)) == (5, 6, 7)
    for starts, counts, text in [
            ([1, 3], [2, 1], "'start' must start at 0, not 1"),
            ([0, 1], [2, 1], "'start' 1 of column 1 lies before the end 2 of column 0's"),
            ([0, 3], [-1, 1], "column 0 has -1 elements in 'mnel'")]:
        setting.mark_errors()
        assert load(starts, counts) != 0
        assert setting.errors()[1].startswith("QRVAloadlp: " + text)
        assert coefficient(1, 0) == 6  # the first load stands


def test_slp_variables_take_tolerance_sets_that_exist_and_types_of_0_or_more(setting):
    lib, s = _private(setting), setting.s
    one = _ptr(c_int, [1])
    zero, minus = _ptr(c_int, [0]), _ptr(c_int, [-1])
    # Column 1 (y): type 3, no tolerance set.
    assert lib.QSLPaddvars(s, 1, one, _ptr(c_int, [3]), None, None, zero, None, None) == 0
    failures = [
        (lambda: lib.QSLPaddvars(s, 1, one, None, None, None, one, None, None),
         "QSLPaddvars: tolindex 1 at position 0 names a tolerance set, but the problem has "
         "none; give 0 (none)"),
        (lambda: lib.QSLPloadvars(s, 1, one, minus, None, None, None, None, None),
         "QSLPloadvars: vartype -1 at position 0 is negative"),
        (lambda: lib.QSLPchgvar(s, 1, *[None] * 7, minus, None, None, None),
         "QSLPchgvar: tolset -1 names a tolerance set, but the problem has none"),
        (lambda: lib.QSLPchgvar(s, 1, *[None] * 10, minus),
         "QSLPchgvar: vartype -1 is negative"),
    ]
    for call, text in failures:
        assert call() != 0
        assert setting.errors()[1].startswith(text)
    vartype, tolset = c_int(), c_int()
    assert lib.QSLPgetvar(s, 1, *[None] * 7, byref(tolset), None, None, byref(vartype),
                          None, None, None, None) == 0
    assert (vartype.value, tolset.value) == (3, 0)
