"""Helpers of the SLP engine tests: argument types of the QSLP functions,
formulas written as Python expressions over token lists, and a face over an
optimizer problem with its SLP problem."""
import ctypes
from ctypes import POINTER, byref, c_double, c_int, c_void_p

from conftest import slp_error
from engine_model import Model, declare, dbl, ints

P = c_void_p
D, I = POINTER(c_double), POINTER(c_int)
USERFUNC = ctypes.CFUNCTYPE(c_double, D, c_void_p)
USERFUNC_DERIV = ctypes.CFUNCTYPE(c_double, D, c_void_p, D, D)

SIGNATURES = {
    "QSLPaddcoefs": [P, c_int, I, I, D, I, c_int, I, D],
    "QSLPloadcoefs": [P, c_int, I, I, D, I, c_int, I, D],
    "QSLPgetcoefs": [P, I, I, I],
    "QSLPdelcoefs": [P, c_int, I, I],
    "QSLPchgcoef": [P, c_int, c_int, D, c_int, I, D],
    "QSLPchgccoef": [P, c_int, c_int, D, ctypes.c_char_p],
    "QSLPgetccoef": [P, c_int, c_int, D, ctypes.c_char_p, c_int],
    "QSLPgetcoefformula": [P, c_int, c_int, D, c_int, c_int, I, I, D],
    "QSLPevaluatecoef": [P, c_int, c_int, D],
    "QSLPevaluateformula": [P, c_int, I, D, D],
    "QSLPchgvar": [P, c_int, I, D, D, D, D, D, D, I, I, I, I],
    "QSLPgetvar": [P, c_int, I, D, D, D, D, D, D, I, I, I, I, I, I, I, D],
    "QSLPaddvars": [P, c_int, I, I, I, I, I, D, D],
    "QSLPdelvars": [P, c_int, I],
    "QSLPgetslpsol": [P, D, D, D, D],
    "QSLPnlpoptimize": [P, ctypes.c_char_p],
    "QSLPinterrupt": [P, c_int],
    "QSLPsetstring": [P, I, ctypes.c_char_p],
    "QSLPadduserfuncs": [P, c_int, I, D],
    "QSLPaddnames": [P, c_int, ctypes.c_char_p, c_int, c_int],
    "QSLPchguserfuncaddress": [P, c_int, c_void_p],
    "QSLPsetuserfuncobject": [P, c_int, c_void_p],
    "QSLPgetuserfuncobject": [P, c_int, POINTER(c_void_p)],
    "QSLPgetfuncinfo": [P, I, I, I, I],
    "QSLPgetfuncobject": [P, c_int, POINTER(c_void_p)],
    "QSLPconstruct": [P], "QSLPunconstruct": [P], "QSLPpostsolve": [P],
    "QSLPcopyprob": [P, P, ctypes.c_char_p], "QSLPcopycontrols": [P, P],
    "QSLPreadprob": [P, ctypes.c_char_p, ctypes.c_char_p],
    "QSLPwriteprob": [P, ctypes.c_char_p, ctypes.c_char_p],
    "QSLPchgrowstatus": [P, c_int, I], "QSLPgetrowstatus": [P, c_int, I],
    "QSLPchgrowwt": [P, c_int, D], "QSLPgetrowwt": [P, c_int, D],
    "QSLPchgdeltatype": [P, c_int, I, I, D],
    "QSLPgetcolinfo": [P, c_int, c_int, c_void_p], "QSLPgetrowinfo": [P, c_int, c_int, c_void_p],
    "QSLPsetcurrentiv": [P], "QSLPreinitialize": [P], "QSLPgetdtime": [P, D],
    "QSLPvalidate": [P], "QSLPvalidaterow": [P, c_int],
    "QSLPcascade": [P], "QSLPcascadeorder": [P], "QSLPchgcascadenlimit": [P, c_int, c_int],
    "QSLPadddfs": [P, c_int, I, I, D], "QSLPloaddfs": [P, c_int, I, I, D],
    "QSLPchgdf": [P, c_int, c_int, D], "QSLPgetdf": [P, c_int, c_int, D],
    "QSLPvalidatevector": [P, D, D, D, D],
    "QSLPvalidatekkt": [P, c_int, c_int, c_int, c_double],
    "QSLPpresolve": [P], "QSLPscaling": [P], "QSLPfixpenalties": [P],
    "QSLPupdatelinearization": [P], "QSLPsetuniqueprefix": [P],
    "QSLPprintevalinfo": [P], "QSLPprintmemory": [P], "QSLPfilesol": [P, ctypes.c_char_p],
}


def declare_slp(lib):
    declare(lib)
    for name, args in SIGNATURES.items():
        fn = getattr(lib, name)
        fn.argtypes, fn.restype = args, c_int


# --- Formulas: token lists built like expressions ---------------------------

OPS = {"neg": 1, "**": 2, "*": 3, "/": 4, "+": 5, "-": 6}
FUNCS = {"log10": 14, "log": 15, "exp": 16, "abs": 17, "sqrt": 18, "sin": 27, "cos": 28,
         "tan": 29, "asin": 30, "acos": 31, "atan": 32, "min": 33, "max": 34, "sign": 46,
         "erf": 49, "erfc": 50}


class F:
    """A formula as postfix tokens [(type, value), ...] without the end token."""

    def __init__(self, tokens):
        self.tokens = list(tokens)

    def _bin(self, other, op, swap=False):
        other = other if isinstance(other, F) else const(other)
        a, b = (other, self) if swap else (self, other)
        return F(a.tokens + b.tokens + [(31, OPS[op])])

    __add__ = lambda s, o: s._bin(o, "+")
    __radd__ = lambda s, o: s._bin(o, "+", True)
    __sub__ = lambda s, o: s._bin(o, "-")
    __rsub__ = lambda s, o: s._bin(o, "-", True)
    __mul__ = lambda s, o: s._bin(o, "*")
    __rmul__ = lambda s, o: s._bin(o, "*", True)
    __truediv__ = lambda s, o: s._bin(o, "/")
    __rtruediv__ = lambda s, o: s._bin(o, "/", True)
    __pow__ = lambda s, o: s._bin(o, "**")
    __rpow__ = lambda s, o: s._bin(o, "**", True)

    def __neg__(self):
        return F(self.tokens + [(31, OPS["neg"])])


def const(c):
    return F([(1, float(c))])


def var(j):
    return F([(10, float(j))])


def fn(name, *args):
    """A built-in function: marker, arguments, function token."""
    toks = [(22, 0.0)]
    for a in args:
        toks += (a if isinstance(a, F) else const(a)).tokens
    return F(toks + [(12, float(FUNCS[name]))])


def user(index, *args):
    """A user function: marker, arguments last first, function token."""
    toks = [(22, 0.0)]
    for a in reversed(args):
        toks += (a if isinstance(a, F) else const(a)).tokens
    return F(toks + [(11, float(index))])


def pack(formulas):
    """Token arrays and formula starts (with the end token after each)."""
    types, values, starts = [], [], []
    for f in formulas:
        starts.append(len(types))
        for t, v in f.tokens + [(0, 0.0)]:
            types.append(t), values.append(v)
    starts.append(len(types))
    return starts, types, values


class SlpModel(Model):
    """An optimizer problem with its SLP problem; every call must succeed."""

    def __init__(self, lib, prob, slp):
        super().__init__(lib, prob)
        self.slp = slp

    def sok(self, name, *args):
        rc = getattr(self.lib, name)(self.slp, *args)
        assert rc == 0, "%s failed: %s" % (name, slp_error(self.lib, self.slp)[1])

    def sfails(self, name, *args):
        rc = getattr(self.lib, name)(self.slp, *args)
        assert rc != 0, "%s unexpectedly succeeded" % name
        return slp_error(self.lib, self.slp)

    def add_coefs(self, coefs, name="QSLPaddcoefs"):
        """coefs: (row, col, factor, formula) tuples."""
        starts, types, values = pack([c[3] for c in coefs])
        self.sok(name, len(coefs), ints([c[0] for c in coefs]), ints([c[1] for c in coefs]),
                 dbl([c[2] for c in coefs]), ints(starts), 1, ints(types), dbl(values))

    def set_start(self, values):
        for j, v in values.items():
            self.sok("QSLPchgvar", j, None, None, None, None, None, byref(c_double(v)), None,
                     None, None, None, None)

    def iattr(self, ident):
        v = c_int()
        self.sok("QSLPgetintattrib", ident, byref(v))
        return v.value

    def dslp(self, ident):
        v = c_double()
        self.sok("QSLPgetdblattrib", ident, byref(v))
        return v.value

    def solve(self, sense=1.0):
        self.ok("QRVAsetintcontrol", 8035, 0)
        self.sok("QSLPsetdblcontrol", 12146, sense)
        self.sok("QSLPnlpoptimize", b"")
        return self.iattr(12044), self.dslp(12179)

    def slpsol(self):
        m, n = self.rows, self.cols
        x, s, y, d = (c_double * max(1, n))(), (c_double * max(1, m))(), \
            (c_double * max(1, m))(), (c_double * max(1, n))()
        self.sok("QSLPgetslpsol", x, s, y, d)
        return list(x)[:n], list(s)[:m], list(y)[:m], list(d)[:n]

    def evaluate(self, formula):
        _, types, values = pack([formula])
        out = c_double()
        self.sok("QSLPevaluateformula", 1, ints(types), dbl(values), byref(out))
        return out.value


def formulas_of(m):
    """{(row, col): (factor, [(type, value), ...])} of every formula coefficient."""
    n = c_int()
    m.sok("QSLPgetcoefs", byref(n), None, None)
    rows, cols = (c_int * max(1, n.value))(), (c_int * max(1, n.value))()
    m.sok("QSLPgetcoefs", byref(n), rows, cols)
    out = {}
    for k in range(n.value):
        factor, count = c_double(), c_int()
        m.sok("QSLPgetcoefformula", rows[k], cols[k], byref(factor), 1, 0, byref(count), None,
              None)
        types, values = (c_int * count.value)(), (c_double * count.value)()
        m.sok("QSLPgetcoefformula", rows[k], cols[k], byref(factor), 1, count.value,
              byref(count), types, values)
        out[(rows[k], cols[k])] = (factor.value, list(zip(types, values)))
    return out
