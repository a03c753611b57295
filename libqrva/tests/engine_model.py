"""Small helpers of the engine tests: argument types of the store and solve
functions, and a thin Python face over a problem handle."""
import ctypes
from ctypes import POINTER, byref, c_char, c_char_p, c_double, c_int, c_int64, c_void_p

from conftest import problem_error

P = c_void_p
D, I, I64 = POINTER(c_double), POINTER(c_int), POINTER(c_int64)
_LINEAR = [P, c_char_p, c_int, c_int]
SIGNATURES = {
    "QRVAloadlp64": _LINEAR + [c_char_p, D, D, D, I64, I, I, D, D, D],
    "QRVAloadqp64": _LINEAR + [c_int64, c_char_p, D, D, D, I64, I, I, D, D, D, I, I, D],
    "QRVAloadglobal64": _LINEAR + [c_int, c_int, c_char_p, D, D, D, I64, I, I, D, D, D,
                                   c_char_p, I, D, c_char_p, I64, I, D],
    "QRVAloadqcqp64": _LINEAR + [c_int64, c_int, c_char_p, D, D, D, I64, I, I, D, D, D, I, I, D,
                                 I, I64, I, I, D],
    "QRVAaddrows64": [P, c_int, c_int64, c_char_p, D, D, I64, I, D],
    "QRVAaddcols64": [P, c_int, c_int64, D, I64, I, D, D, D],
    "QRVAaddqmatrix64": [P, c_int, c_int64, I, I, D],
    "QRVAdelqmatrix": [P, c_int],
    "QRVAaddsets64": [P, c_int, c_int64, c_char_p, I64, I, D],
    "QRVAaddnames": [P, c_int, c_char_p, c_int, c_int],
    "QRVAsetindicators": [P, c_int, I, I, I],
    "QRVAdelrows": [P, c_int, I], "QRVAdelcols": [P, c_int, I], "QRVAdelsets": [P, c_int, I],
    "QRVAchgcoltype": [P, c_int, I, c_char_p],
    "QRVAchgobj": [P, c_int, I, D],
    "QRVAchgmqobj64": [P, c_int64, I, I, D],
    "QRVAchgqobj": [P, c_int, c_int, c_double],
    "QRVAchgobjsense": [P, c_int],
    "QRVAchgglblimit": [P, c_int, I, D],
    "QRVAchgcoef": [P, c_int, c_int, c_double],
    "QRVAchgmcoef": [P, c_int, I, I, D],
    "QRVAchgqrowcoeff": [P, c_int, c_int, c_int, c_double],
    "QRVAchgrhs": [P, c_int, I, D], "QRVAchgrhsrange": [P, c_int, I, D],
    "QRVAchgrowtype": [P, c_int, I, c_char_p],
    "QRVAchgbounds": [P, c_int, I, c_char_p, D],
    "QRVAgetlb": [P, D, c_int, c_int], "QRVAgetub": [P, D, c_int, c_int],
    "QRVAgetobj": [P, D, c_int, c_int], "QRVAgetrhs": [P, D, c_int, c_int],
    "QRVAgetrhsrange": [P, D, c_int, c_int],
    "QRVAgetrowtype": [P, c_char_p, c_int, c_int], "QRVAgetcoltype": [P, c_char_p, c_int, c_int],
    "QRVAgetindicators": [P, I, I, c_int, c_int],
    "QRVAgetrows64": [P, I64, I, D, c_int64, I64, c_int, c_int],
    "QRVAgetcols64": [P, I64, I, D, c_int64, I64, c_int, c_int],
    "QRVAgetmqobj": [P, I, I, D, c_int, I, c_int, c_int],
    "QRVAgetmqobj64": [P, I64, I, D, c_int64, I64, c_int, c_int],
    "QRVAgetqrowqmatrixtriplets": [P, c_int, I, I, I, D],
    "QRVAgetqrows": [P, I, I],
    "QRVAgetcoef": [P, c_int, c_int, D], "QRVAgetqobj": [P, c_int, c_int, D],
    "QRVAgetqrowcoeff": [P, c_int, c_int, c_int, D],
    "QRVAgetnames": [P, c_int, c_char_p, c_int, I, c_int, c_int],
    "QRVAgetindex": [P, c_int, c_char_p, I],
    "QRVAgetglobal64": [P, I, I, c_char_p, I, D, c_char_p, I64, I, D],
    "QRVAcopyprob": [P, P, c_char_p],
    "QRVAlpoptimize": [P, c_char_p], "QRVAmipoptimize": [P, c_char_p],
    "QRVAinterrupt": [P, c_int],
    "QRVAgetlpsol": [P, D, D, D, D], "QRVAgetmipsol": [P, D, D],
    "QRVAloadlpsol": [P, D, D, D, D, I],
    "QRVAaddmipsol": [P, c_int, D, I, c_char_p], "QRVAloadmipsol": [P, D, I],
    "QRVAgetbasis": [P, I, I], "QRVAloadbasis": [P, I, I],
    "QRVAgetinfeas": [P, I, I, I, I, I, I, I, I],
    "QRVAgetprimalray": [P, D, I], "QRVAgetdualray": [P, D, I],
    "QRVAgetunbvec": [P, I],
    "QRVAreadprob": [P, c_char_p, c_char_p], "QRVAwriteprob": [P, c_char_p, c_char_p],
}
INF = 1e20


def declare(lib):
    for name, args in SIGNATURES.items():
        fn = getattr(lib, name)
        fn.argtypes, fn.restype = args, c_int


def dbl(values):
    return (c_double * max(1, len(values)))(*values)


def ints(values):
    return (c_int * max(1, len(values)))(*values)


def int64s(values):
    return (c_int64 * max(1, len(values)))(*values)


def chars(text):
    return text.encode() if isinstance(text, str) else text


class Model:
    """A problem handle with list-based calls; every call must succeed."""

    def __init__(self, lib, prob):
        self.lib, self.prob = lib, prob

    def ok(self, name, *args):
        rc = getattr(self.lib, name)(self.prob, *args)
        assert rc == 0, "%s failed: %s" % (name, problem_error(self.lib, self.prob))

    def fails(self, name, *args):
        """Calls name expecting a failure; returns the error text."""
        rc = getattr(self.lib, name)(self.prob, *args)
        assert rc != 0, "%s unexpectedly succeeded" % name
        return problem_error(self.lib, self.prob)

    def attr(self, ident):
        v = c_int64()
        self.ok("QRVAgetintattrib64", ident, byref(v))
        return v.value

    def dattr(self, ident):
        v = c_double()
        self.ok("QRVAgetdblattrib", ident, byref(v))
        return v.value

    @property
    def rows(self):
        return self.attr(1001)

    @property
    def cols(self):
        return self.attr(1018)

    def add_cols(self, obj, lb, ub, columns=None, types=None):
        """columns: one dict {row: value} per column."""
        columns = columns or [{} for _ in obj]
        start, rind, vals = [0], [], []
        for c in columns:
            for r, v in sorted(c.items()):
                rind.append(r), vals.append(v)
            start.append(len(rind))
        first = self.cols
        self.ok("QRVAaddcols64", len(obj), len(rind), dbl(obj), int64s(start), ints(rind),
                dbl(vals), dbl(lb), dbl(ub))
        if types:
            idx = list(range(first, first + len(obj)))
            self.ok("QRVAchgcoltype", len(idx), ints(idx), chars(types))
        return list(range(first, first + len(obj)))

    def add_rows(self, types, rhs, rows, ranges=None):
        """rows: one dict {col: value} per row."""
        start, cind, vals = [0], [], []
        for r in rows:
            for c, v in r.items():
                cind.append(c), vals.append(v)
            start.append(len(cind))
        first = self.rows
        self.ok("QRVAaddrows64", len(types), len(cind), chars(types), dbl(rhs),
                dbl(ranges) if ranges else None, int64s(start), ints(cind), dbl(vals))
        return list(range(first, first + len(types)))

    def names(self, kind, first, last):
        size = c_int()
        self.ok("QRVAgetnames", kind, None, 0, byref(size), first, last)
        buf = ctypes.create_string_buffer(size.value)
        self.ok("QRVAgetnames", kind, buf, size.value, byref(size), first, last)
        return buf.raw[:size.value].split(b"\0")[:-1]

    def set_names(self, kind, names, first=0):
        packed = b"".join(n.encode() + b"\0" for n in names)
        self.ok("QRVAaddnames", kind, packed, first, first + len(names) - 1)

    def get(self, name, n, first=0, kind=c_double):
        out = (kind * max(1, n))()
        self.ok(name, out, first, first + n - 1)
        return list(out)[:n]

    def rows_of(self, first, last):
        n = c_int64()
        self.ok("QRVAgetrows64", None, None, None, 0, byref(n), first, last)
        start = (c_int64 * (last - first + 2))()
        cols, vals = (c_int * max(1, n.value))(), (c_double * max(1, n.value))()
        self.ok("QRVAgetrows64", start, cols, vals, n.value, byref(n), first, last)
        return [{cols[k]: vals[k] for k in range(start[i], start[i + 1])}
                for i in range(last - first + 1)]

    def lpsol(self):
        m, n = self.rows, self.cols
        x, s, y, d = (c_double * max(1, n))(), (c_double * max(1, m))(), \
            (c_double * max(1, m))(), (c_double * max(1, n))()
        self.ok("QRVAgetlpsol", x, s, y, d)
        return list(x)[:n], list(s)[:m], list(y)[:m], list(d)[:n]

    def mipsol(self):
        n = self.cols
        x = (c_double * max(1, n))()
        self.ok("QRVAgetmipsol", x, None)
        return list(x)[:n]

    def lpopt(self, flags=b""):
        self.ok("QRVAsetintcontrol", 8035, 0)
        self.ok("QRVAlpoptimize", flags)
        return self.attr(1010), self.dattr(2001)

    def mipopt(self, flags=b""):
        self.ok("QRVAsetintcontrol", 8035, 0)
        self.ok("QRVAmipoptimize", flags)
        return self.attr(1011), self.dattr(2003)


def market_split(m, rows=4, cols=30, seed=1):
    """A market split problem: binaries whose weighted sums must hit half of
    each row's total, with slacks to minimize. Tiny, yet a tree search needs
    a long time to prove it, which makes it a good long-running solve."""
    import random
    rnd = random.Random(seed)
    a = [[rnd.randint(0, 99) for _ in range(cols)] for _ in range(rows)]
    m.add_cols([0] * cols, [0] * cols, [1] * cols, types="B" * cols)
    slacks = m.add_cols([1] * (2 * rows), [0] * (2 * rows), [INF] * (2 * rows))
    body = []
    for i in range(rows):
        row = {j: a[i][j] for j in range(cols)}
        row[slacks[2 * i]], row[slacks[2 * i + 1]] = 1, -1
        body.append(row)
    m.add_rows("E" * rows, [sum(r) // 2 for r in a], body)
