"""Formulas in their three forms (text, unparsed tokens in reading order,
parsed postfix tokens): every conversion between them round-trips, the
evaluations agree across forms, and formulas that do not parse are refused
with the position of the fault."""
import ctypes
import math
from ctypes import POINTER, byref, c_char_p, c_double, c_int, c_void_p

import pytest

from conftest import ERR_ARGUMENT, global_error
from engine_model import dbl, ints
from slp_model import fn, formulas_of, pack, var

P, I, D = c_void_p, POINTER(c_int), POINTER(c_double)
SIGNATURES = {
    "QSLPparsecformula": [P, c_char_p, c_int, I, I, D],
    "QSLPparseformula": [P, I, D, c_int, I, I, D],
    "QSLPpreparseformula": [P, c_char_p, c_int, I, I, D, c_char_p, c_int],
    "QSLPvalidformula": [P, I, D, D, c_char_p, c_char_p, c_int],
}
LB, RB, DEL, OP, CON, VAR, IFUN = 21, 23, 24, 31, 1, 10, 12
TEXTS = [
    b"x + 2 * y",
    b"-x ^ 2 - (y - 1) / -4",
    b"sin(x) * cos(y) + max(x, y, -1.5)",
    b'exp(-"z 1") ^ 0.5 * x',
    b"-(3) + -3 ^ 2 + ((x))",
]


@pytest.fixture
def m(slp_problem):
    for name, args in SIGNATURES.items():
        f = getattr(slp_problem.lib, name)
        f.argtypes, f.restype = args, c_int
    slp_problem.add_cols([0, 0, 0], [-10] * 3, [10] * 3)
    slp_problem.set_names(2, ["x", "y", "z 1"])
    slp_problem.add_rows("L", [1], [{}])
    slp_problem.set_start({0: 0.5, 1: 2.0, 2: 1.0})
    return slp_problem


def tokens(m, name, *args, text=None):
    """Calls a text-or-token function twice: for the count, then the tokens."""
    count = c_int()
    extra = (None, 0) if text is None else ()
    m.sok(name, *args, 0, byref(count), None, None, *extra)
    t, v = (c_int * count.value)(), (c_double * count.value)()
    tail = (ctypes.create_string_buffer(400), 400) if text is None and name == "QSLPpreparseformula" else ()
    m.sok(name, *args, count.value, byref(count), t, v, *tail)
    assert (t[count.value - 1], len(t)) == (0, count.value)  # the end token is counted
    return list(zip(t, v))[:-1], tail[0].value if tail else None


def arrays(toks):
    return ints([t for t, _ in toks] + [0]), dbl([v for _, v in toks] + [0.0])


def test_every_form_round_trips(m):
    lib = m.lib
    for text in TEXTS:
        parsed, _ = tokens(m, "QSLPparsecformula", text)
        unparsed, written = tokens(m, "QSLPpreparseformula", text)
        count = c_int()
        assert lib.QSLPtokencount(text, byref(count)) == 0
        assert count.value == len(unparsed) + 1
        # Unparsed tokens parse into the parsed form of the text, and so does
        # the text written back.
        assert tokens(m, "QSLPparseformula", *arrays(unparsed))[0] == parsed
        assert tokens(m, "QSLPparsecformula", written)[0] == parsed
        # A coefficient given either way is stored alike and gives both
        # forms back; its value is that of the formula in either form.
        t, v = arrays(unparsed)
        m.sok("QSLPchgcoef", 0, 1, None, 0, t, v)
        assert formulas_of(m)[(0, 1)][1][:-1] == parsed
        factor, again = c_double(), c_int()
        m.sok("QSLPgetcoefformula", 0, 1, byref(factor), 0, 0, byref(again), None, None)
        out_t, out_v = (c_int * again.value)(), (c_double * again.value)()
        m.sok("QSLPgetcoefformula", 0, 1, byref(factor), 0, again.value, byref(again), out_t, out_v)
        assert tokens(m, "QSLPparseformula", out_t, out_v)[0] == parsed
        values = []
        for parsed_flag, toks in ((1, parsed), (0, unparsed)):
            r = c_double()
            m.sok("QSLPevaluateformula", parsed_flag, *arrays(toks), byref(r))
            values.append(r.value)
        coef = c_double()
        m.sok("QSLPevaluatecoef", 0, 1, byref(coef))
        assert values[0] == values[1] == coef.value
        # validformula gives the same value and a text that reads back.
        result = c_double()
        ftext, msg = ctypes.create_string_buffer(400), ctypes.create_string_buffer(400)
        m.sok("QSLPvalidformula", *arrays(parsed), byref(result), ftext, msg, 400)
        assert result.value == values[0] and msg.value == b"the formula is valid"
        assert ftext.value == written
        assert tokens(m, "QSLPparsecformula", ftext.value)[0] == parsed


def test_unparsed_tokens_mean_what_they_read(m):
    x, y = (VAR, 0.0), (VAR, 1.0)
    unparsed, _ = tokens(m, "QSLPpreparseformula", b"-3 ^ 2 + min(x, y)")
    assert unparsed == [(OP, 6), (CON, 3), (OP, 2), (CON, 2), (OP, 5), (IFUN, 33), (LB, 0),
                        x, (DEL, 1), y, (RB, 0)]
    expected = (-(3 ** 2) + min(0.5, 2.0))
    r = c_double()
    m.sok("QSLPevaluateformula", 0, *arrays(unparsed), byref(r))
    assert r.value == expected
    # Precedence and grouping: x - y - 1 is (x - y) - 1, 2 ^ 3 ^ 2 is 2 ^ 9.
    for toks, value in (([x, (OP, 6), y, (OP, 6), (CON, 1)], 0.5 - 2 - 1),
                        ([(CON, 2), (OP, 2), (CON, 3), (OP, 2), (CON, 2)], 512.0),
                        ([(OP, 1), x, (OP, 3), y], -1.0)):
        m.sok("QSLPevaluateformula", 0, *arrays(toks), byref(r))
        assert r.value == value
    # Two unparsed formulas one after the other in one block of coefficients.
    first = [x, (OP, 3), y]
    second = [(IFUN, 18), (LB, 0), y, (RB, 0)]
    types = [t for t, _ in first] + [0] + [t for t, _ in second] + [0]
    values = [v for _, v in first] + [0] + [v for _, v in second] + [0]
    m.sok("QSLPaddcoefs", 2, ints([0, 0]), ints([0, 2]), None, ints([0, 4]), 0, ints(types),
          dbl(values))
    stored = formulas_of(m)
    assert stored[(0, 0)][1][:-1] == (var(0) * var(1)).tokens
    assert stored[(0, 2)][1][:-1] == fn("sqrt", var(1)).tokens


BAD_TEXTS = [
    (b"x + * y", "'x + * y': a number, a name or '(' is expected here at character 5"),
    (b"sin(x", "',' or ')' is expected after a function argument at character 6"),
    (b"x y", "an operator or the end of the formula is expected at character 3"),
    (b"x + w", "'w' is not a column at character 5"),
    (b"nosuch(x)", "'nosuch' is neither a built-in function nor a user function at character 1"),
    (b"x % 2", "character '%' is not part of a formula at character 3"),
    (b"2 *", "the formula ends where a value is expected at character 4"),
]


def test_bad_formulas_name_the_position(m):
    out_t, out_v, count = (c_int * 50)(), (c_double * 50)(), c_int()
    for text, fault in BAD_TEXTS:
        code, message = m.sfails("QSLPparsecformula", text, 50, byref(count), out_t, out_v)
        assert code == ERR_ARGUMENT and fault in message, message
        assert message.startswith("QSLPparsecformula: the formula text: formula ")
    x = (VAR, 0.0)
    for toks, fault in (([(LB, 0), x], "')' is expected at token 2"),
                        ([x, (RB, 0)], "an operator or the end of the formula is expected at token 1"),
                        ([(IFUN, 18), x], "'(' is expected after a function at token 1"),
                        ([x, (OP, 5), (OP, 5), x], "a number, a name or '(' is expected here at token 2"),
                        ([(22, 0), x], "token 0 (type 22, value 0) is not a token of the unparsed form"),
                        ([(VAR, 7)], "variable token 7 is not a column index")):
        code, message = m.sfails("QSLPparseformula", *arrays(toks), 50, byref(count), out_t, out_v)
        assert code == ERR_ARGUMENT and fault in message, message
    # Too little room: the count is given, nothing is written.
    out_t[0] = -7
    code, message = m.sfails("QSLPparsecformula", b"x + y", 2, byref(count), out_t, out_v)
    assert "maxtokens is 2; the formula has 4 tokens with its end token" in message
    assert out_t[0] == -7
    # A text that does not fit gives the bytes it needs.
    parsed, _ = tokens(m, "QSLPparsecformula", b"x + y")
    small = ctypes.create_string_buffer(4)
    code, message = m.sfails("QSLPvalidformula", *arrays(parsed), byref(c_double()), small, None, 4)
    assert "maxbytes is 4; the formula text needs 6 bytes" in message
    # The coefficient store is untouched by every refusal.
    assert formulas_of(m) == {}
    assert m.lib.QSLPtokencount(b"x # y", byref(count)) == ERR_ARGUMENT
    assert "character '#' is not part of a formula at character 3" in global_error(m.lib)[1]


def test_validformula_reports_a_formula_it_cannot_evaluate(m):
    parsed, _ = tokens(m, "QSLPparsecformula", b"log(x - 0.5) + y")
    result = c_double()
    ftext, msg = ctypes.create_string_buffer(200), ctypes.create_string_buffer(200)
    m.sok("QSLPvalidformula", *arrays(parsed), byref(result), ftext, msg, 200)
    assert math.isnan(result.value)
    assert msg.value.startswith(b"the formula cannot be evaluated at the current point: ")
    assert ftext.value == b"log(x - 0.5) + y"
