"""Whole SLP problems: copies (formulas, SLP settings, user functions and
controls onto the copied optimizer problem) and problem files with formulas
written as text, read back token for token and solved to the same optimum."""
import ctypes
import math
import random
from ctypes import byref, c_double, c_int, c_void_p

import pytest

from conftest import ERR_STATE
from slp_model import (USERFUNC, SlpModel, const, declare_slp, fn, formulas_of, user, var)

NLP_OPTIMAL, NLP_UNFINISHED = 1, 6
SENSE = 12146


def new_model(lib):
    q, s = c_void_p(), c_void_p()
    assert lib.QRVAcreateprob(byref(q)) == 0
    assert lib.QSLPcreateprob(byref(s), byref(q)) == 0
    return SlpModel(lib, q, s)


@pytest.fixture
def models(slp_env):
    declare_slp(slp_env)
    made = []

    def make():
        made.append(new_model(slp_env))
        return made[-1]
    yield make
    for m in made:
        assert slp_env.QSLPdestroyprob(m.slp) == 0
        assert slp_env.QRVAdestroyprob(m.prob) == 0


def register(m, name, address):
    """A user function without derivatives, registered as the extension does."""
    sname, direct = c_int(), c_int()
    m.sok("QSLPsetstring", byref(sname), name.encode())
    m.sok("QSLPsetstring", byref(direct), b"DirectC")
    m.sok("QSLPadduserfuncs", 1, (c_int * 5)(5, 87, 86, 5, 0),
          (c_double * 5)(sname.value, 1.0, 19, direct.value, 0))
    index = m.iattr(12031)
    if address is not None:
        m.sok("QSLPchguserfuncaddress", index, address)
    return index


def circle_model(m):
    """max x + 2 y + sin(z) - z/10 over x^2 + y(1)^2 <= 1 (a quoted column name),
    z in [0, 3]: optimum sqrt(5) + the best of sin(z) - z/10."""
    x, y, z, t = m.add_cols([0, 0, 0, 1], [-2, -2, 0, -1e20], [2, 2, 3, 1e20])
    m.set_names(2, ["x", "y(1)", "z", "t"])
    circle, transfer = m.add_rows("LE", [1, 0], [{}, {t: -1.0}])
    m.set_names(1, ["circle", "objrow"])
    X, Y, Z = var(x), var(y), var(z)
    m.add_coefs([(circle, x, 1.0, X), (circle, -1, 1.0, Y ** 2),
                 (transfer, -1, 1.0, X + 2 * Y + fn("sin", Z) - Z / 10)])
    m.sok("QSLPchgvar", z, None, None, None, None, None, byref(c_double(1.0)), None, None,
          None, None, None)
    m.sok("QSLPsetdblcontrol", SENSE, -1.0)
    zbest = math.acos(0.1)
    return math.sqrt(5) + math.sin(zbest) - zbest / 10


def test_write_read_gives_the_same_formulas_and_optimum(models, tmp_path):
    src = models()
    best = circle_model(src)
    path = tmp_path / "circle.mps"
    src.sok("QSLPwriteprob", str(path).encode(), b"")
    text = path.read_text()
    # Readable: formulas as infix text by column name, the maximizing sense kept.
    assert "NLCOEFS\n" in text and "OBJSENSE\n    MAX" in text
    assert 'circle x 1 : x\n' in text and 'circle 1 : "y(1)" ^ 2\n' in text
    assert 'objrow 1 : x + 2 * "y(1)" + sin(z) - z / 10\n' in text
    assert "SLPVARS\n    z IV 1\n" in text

    dst = models()
    dst.sok("QSLPreadprob", str(path).encode(), b"")
    assert formulas_of(dst) == formulas_of(src)
    assert (dst.iattr(12016), dst.iattr(12026)) == (3, 2)
    init = c_double()
    dst.sok("QSLPgetvar", 2, None, None, None, None, None, byref(init), None, None, None, None,
            None, None, None, None, None)
    assert init.value == 1.0
    sense = c_double()
    dst.sok("QSLPgetdblcontrol", SENSE, byref(sense))
    assert sense.value == -1.0
    for m in (src, dst):
        status, obj = m.solve(sense=-1.0)
        assert status == NLP_OPTIMAL and obj == pytest.approx(best, abs=1e-6)


def random_formula(rng, cols, depth):
    if depth == 0 or rng.random() < 0.2:
        return var(rng.choice(cols)) if rng.random() < 0.6 else const(
            rng.choice([0.0, -0.0, 1.0, -3.0, 2.5, 1e-7, -1e25, 12345.678901234567, 0.1]))
    kind = rng.randrange(7)
    sub = lambda: random_formula(rng, cols, depth - 1)
    if kind == 0:
        return -sub()
    if kind == 1:
        return fn(rng.choice(["sin", "exp", "log", "sqrt", "abs", "erf"]), sub())
    if kind == 2:
        return fn(rng.choice(["min", "max"]), *[sub() for _ in range(rng.randint(1, 3))])
    return sub()._bin(sub(), ["+", "-", "*", "/", "**"][kind - 3 if kind < 7 else 0])


def test_random_formulas_read_back_token_for_token(models, tmp_path):
    rng = random.Random(7)
    src = models()
    cols = src.add_cols([0] * 4, [-1] * 4, [1] * 4)
    src.set_names(2, ["a", "b.c", "x[1]", 'q"uote'])
    n = 60
    rows = src.add_rows("L" * n, [0] * n, [{}] * n)
    formulas = [random_formula(rng, cols, 5) for _ in range(n)]
    # Shapes the writer must bracket: constants under minus and powers,
    # right-nested sums and quotients, a power of a power.
    A, B = var(0), var(1)
    formulas[:6] = [-const(3), const(-2) ** 2, -(const(3) ** 2), A - (B - A),
                    A / (B / A), (A ** B) ** A]
    src.add_coefs([(r, -1 if r % 2 else r % 4, 0.5 + r, f) for r, f in zip(rows, formulas)])
    path = tmp_path / "random.mps"
    src.sok("QSLPwriteprob", str(path).encode(), b"")
    dst = models()
    dst.sok("QSLPreadprob", str(path).encode(), b"")
    got, want = formulas_of(dst), formulas_of(src)
    assert got.keys() == want.keys()
    for key in want:
        assert got[key][0] == want[key][0]
        assert [(t, v, math.copysign(1, v)) for t, v in got[key][1]] == \
            [(t, v, math.copysign(1, v)) for t, v in want[key][1]], key


def test_user_functions_travel_by_name(models, tmp_path):
    keep = USERFUNC(lambda v, f: (v[0] - 1) ** 2 + (v[1] - 2) ** 2)
    src = models()
    index = register(src, "dist", keep)
    a, b, t = src.add_cols([0, 0, 1], [-5, -5, -1e20], [5, 5, 1e20])
    row = src.add_rows("E", [0], [{t: -1.0}])[0]
    src.add_coefs([(row, -1, 1.0, user(index, var(a), var(b)) + 0)])
    path = tmp_path / "uf.mps"
    src.sok("QSLPwriteprob", str(path).encode(), b"")
    assert "USERFUNCS\n    dist 19\n" in path.read_text()
    assert "dist(C0, C1) + 0" in path.read_text()

    # A problem that has the function registered uses it as it is.
    ready = models()
    register(ready, "other", None)
    register(ready, "dist", keep)
    ready.sok("QSLPreadprob", str(path).encode(), b"")
    formula = formulas_of(ready)[(row, -1)][1]
    assert (11, 2.0) in formula and ready.iattr(12031) == 2
    status, obj = ready.solve()
    assert status == NLP_OPTIMAL and obj == pytest.approx(0, abs=1e-6)

    # Elsewhere it is defined by its name and needs its address before a solve.
    fresh = models()
    fresh.sok("QSLPreadprob", str(path).encode(), b"")
    assert fresh.iattr(12031) == 1
    assert fresh.solve()[0] == NLP_UNFINISHED
    fresh.sok("QSLPchguserfuncaddress", 1, keep)
    assert fresh.solve()[0] == NLP_OPTIMAL

    # Flags that disagree with the registered function are refused.
    clash = models()
    sname, direct = c_int(), c_int()
    clash.sok("QSLPsetstring", byref(sname), b"dist")
    clash.sok("QSLPsetstring", byref(direct), b"DirectC")
    clash.sok("QSLPadduserfuncs", 1, (c_int * 5)(5, 87, 86, 5, 0),
              (c_double * 5)(sname.value, 1.0, 110611, direct.value, 0))
    code, text = clash.sfails("QSLPreadprob", str(path).encode(), b"")
    assert "QSLPreadprob" in text and "flags 19 in the file but 110611" in text


def test_files_without_formulas_and_the_optimizer_reader(models, tmp_path):
    src = models()
    x, y = src.add_cols([1, 2], [0, 0], [4, 4])
    src.add_rows("G", [2], [{x: 1.0, y: 1.0}])
    plain = tmp_path / "plain.lp"
    src.sok("QSLPwriteprob", str(plain).encode(), b"")
    assert "NLCOEFS" not in plain.read_text()
    dst = models()
    dst.sok("QSLPreadprob", str(plain).encode(), b"")
    assert (dst.rows, dst.cols, dst.iattr(12016), dst.iattr(12026)) == (1, 2, 0, 0)
    assert dst.lpopt()[1] == pytest.approx(2)

    # With formulas: only MPS holds them, and the optimizer's reader refuses
    # the file, so that callers fall back to the SLP reader.
    src.add_coefs([(0, -1, 1.0, var(x) * var(y))])
    lp = tmp_path / "nl.lp"
    text = src.sfails("QSLPwriteprob", str(lp).encode(), b"")[1]
    assert "only the MPS format holds" in text and not lp.exists()
    mps = tmp_path / "nl"
    src.sok("QSLPwriteprob", str(mps).encode(), b"")
    assert "unknown section 'USERFUNCS'" not in dst.fails("QRVAreadprob", str(mps).encode(), b"")
    assert "unknown section 'NLCOEFS'" in dst.fails("QRVAreadprob", str(mps).encode(), b"")
    assert (dst.rows, dst.cols) == (1, 2)


def test_bad_files_leave_the_problem_as_it_was(models, tmp_path):
    m = models()
    circle_model(m)
    before = formulas_of(m)
    good = tmp_path / "good.mps"
    m.sok("QSLPwriteprob", str(good).encode(), b"")
    lines = good.read_text().split("\n")
    at = lines.index("    circle x 1 : x")
    cases = {
        "'w' is not a column at character 1": lines[at].replace(": x", ": w"),
        "is neither a built-in function nor a user function": lines[at].replace(": x", ": foo(x)"),
        "')' is expected": lines[at].replace(": x", ": (x"),
        "log takes one argument but has 2": lines[at].replace(": x", ": log(x, x)"),
        "a formula coefficient is": lines[at].replace(" : ", " "),
        "unknown row 'nowhere'": lines[at].replace("circle", "nowhere"),
    }
    for expected, line in cases.items():
        bad = tmp_path / "bad.mps"
        bad.write_text("\n".join(lines[:at] + [line] + lines[at + 1:]))
        code, text = m.sfails("QSLPreadprob", str(bad).encode(), b"")
        assert text.startswith("QSLPreadprob: ") and "line %d" % (at + 1) in text, text
        assert expected in text, text
        assert formulas_of(m) == before and (m.rows, m.cols) == (2, 4)
    assert "cannot open" in m.sfails("QSLPreadprob", str(tmp_path / "none.mps").encode(), b"")[1]
    # A user function whose name a formula cannot call is refused before any file is made.
    register(m, "sin", None)
    out = tmp_path / "never.mps"
    text = m.sfails("QSLPwriteprob", str(out).encode(), b"")[1]
    assert "user function 1 is called 'sin'" in text and not out.exists()


def test_copy_is_deep_and_complete(models, tmp_path):
    keep = USERFUNC(lambda v, f: v[0] * v[0])
    src = models()
    best = circle_model(src)
    index = register(src, "sq", keep)
    src.sok("QSLPsetuserfuncobject", index, c_void_p(4242))
    src.sok("QSLPsetintcontrol", 12415, 0)
    dst = models()
    dst.sok("QSLPcopyprob", src.slp, b"copied")
    assert formulas_of(dst) == formulas_of(src)
    assert (dst.rows, dst.cols, dst.iattr(12031)) == (2, 4, 1)
    obj = c_void_p()
    dst.sok("QSLPgetuserfuncobject", 1, byref(obj))
    assert obj.value == 4242
    echo, sense = c_int(), c_double()
    dst.sok("QSLPgetintcontrol", 12415, byref(echo))
    dst.sok("QSLPgetdblcontrol", SENSE, byref(sense))
    assert (echo.value, sense.value) == (0, -1.0)
    buf = ctypes.create_string_buffer(64)
    assert dst.lib.QRVAgetprobname(dst.prob, buf) == 0 and buf.value == b"copied"
    # The copy stands on its own: changing it leaves the source alone.
    dst.sok("QSLPdelcoefs", 1, (c_int * 1)(0), (c_int * 1)(0))
    assert len(formulas_of(src)) == 3 and len(formulas_of(dst)) == 2
    status, obj_value = src.solve(sense=-1.0)
    assert status == NLP_OPTIMAL and obj_value == pytest.approx(best, abs=1e-6)
    # Copying over a problem with content replaces all of it.
    dst.sok("QSLPcopyprob", src.slp, b"")
    assert formulas_of(dst) == formulas_of(src)
    status, obj_value = dst.solve(sense=-1.0)
    assert status == NLP_OPTIMAL and obj_value == pytest.approx(best, abs=1e-6)


def test_copy_refuses_a_source_without_its_optimizer_problem(slp_env):
    declare_slp(slp_env)
    a, b = new_model(slp_env), new_model(slp_env)
    a.add_cols([1], [0], [1])
    assert slp_env.QRVAdestroyprob(a.prob) == 0
    code, text = b.sfails("QSLPcopyprob", a.slp, b"")
    assert code == ERR_STATE and "QSLPcopyprob" in text and "source" in text
    assert b.cols == 0
    assert slp_env.QSLPdestroyprob(a.slp) == 0
    assert slp_env.QSLPdestroyprob(b.slp) == 0
    assert slp_env.QRVAdestroyprob(b.prob) == 0


def test_replacing_the_optimizer_problem_drops_its_formulas(models, tmp_path):
    m = models()
    circle_model(m)
    path = tmp_path / "lin.mps"
    other = models()
    other.add_cols([1], [0], [1])
    other.ok("QRVAwriteprob", str(path).encode(), b"")
    m.ok("QRVAreadprob", str(path).encode(), b"")
    assert (m.iattr(12016), m.iattr(12026), m.cols) == (0, 0, 1)
    circle_model(m)
    m.ok("QRVAloadlp", b"empty", 0, 0, *([None] * 10))
    assert m.iattr(12016) == 0
