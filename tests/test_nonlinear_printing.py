"""Printed nonlinear formulas read back as the same formula: random trees are
printed, the text is evaluated with numbers for the variables (and Python's
math for the functions), and must give the value the tree was built to."""

import math
import random

import pytest

import quorva

NAMES = ("x", "y", "z")
FUNCTIONS = {
    "exp": (quorva.exp, math.exp),
    "sin": (quorva.sin, math.sin),
    "cos": (quorva.cos, math.cos),
    "atan": (quorva.atan, math.atan),
    "abs": (quorva.abs, abs),
}


def random_tree(rng, variables, point, depth):
    """(modeling object, its value at point), built by the package's own
    operators and functions."""
    if depth == 0 or rng.random() < 0.2:
        if rng.random() < 0.3:
            c = rng.choice([-2.5, -1, 0.5, 1, 2, 3.25, rng.uniform(-3, 3)])
            return c, c
        name = rng.choice(NAMES)
        return variables[name], point[name]
    a, va = random_tree(rng, variables, point, depth - 1)
    choice = rng.randrange(9)
    if choice == 0:
        fn, num = FUNCTIONS[rng.choice(sorted(FUNCTIONS))]
        return fn(a), num(va)
    if choice == 1:
        return -a, -va
    b, vb = random_tree(rng, variables, point, depth - 1)
    if choice == 2:
        return a + b, va + vb
    if choice == 3:
        return a - b, va - vb
    if choice in (4, 5):
        return a * b, va * vb
    if choice == 6 and abs(vb) > 0.1:
        return a / b, va / vb
    if choice == 7 and va > 0.1 and abs(vb) < 3:
        k = rng.choice([0.5, 1.5, 2.5, -1.5])
        return (a + 0) ** k if isinstance(a, float) else a ** k, va ** k
    return quorva.max(a, b), max(va, vb)


@pytest.mark.parametrize("seed", range(40))
def test_printed_formulas_evaluate_to_the_same_value(seed):
    rng = random.Random(seed)
    variables = {n: quorva.var(n) for n in NAMES}
    for _ in range(25):
        point = {n: rng.uniform(0.5, 2.0) for n in NAMES}
        tree, value = random_tree(rng, variables, point, 4)
        if not type(tree).__name__ == "nonlinear":
            continue  # terms and sums print in their own form
        text = str(tree)
        namespace = dict(point, max=max, min=min, **{k: v[1] for k, v in FUNCTIONS.items()})
        try:
            read_back = eval(text, {"__builtins__": {}}, namespace)
        except OverflowError:
            continue
        assert read_back == pytest.approx(value, rel=1e-9, abs=1e-9), text


@pytest.mark.parametrize("seed", range(10))
def test_reading_with_the_package_gives_the_same_function(seed):
    rng = random.Random(1000 + seed)
    variables = {n: quorva.var(n) for n in NAMES}
    modeling = dict(variables, max=quorva.max, **{k: v[0] for k, v in FUNCTIONS.items()})
    for _ in range(25):
        point = {n: rng.uniform(0.5, 2.0) for n in NAMES}
        tree, _ = random_tree(rng, variables, point, 3)
        if type(tree).__name__ != "nonlinear":
            continue
        again = eval(str(tree), {"__builtins__": {}}, modeling)
        numbers = dict(point, max=max, **{k: v[1] for k, v in FUNCTIONS.items()})
        values = [eval(str(t), {"__builtins__": {}}, numbers) for t in (tree, again)]
        assert values[1] == pytest.approx(values[0], rel=1e-9, abs=1e-9), (str(tree), str(again))


@pytest.mark.parametrize(
    "build, text",
    [
        (lambda x, y: (x + 1) ** 2.5, "((1 + x) ** 2.5)"),
        (lambda x, y: (2 * x) ** 2.5, "((2*x) ** 2.5)"),
        (lambda x, y: (-quorva.exp(x)) ** 2, "((- (exp (x))) ** 2)"),
        (lambda x, y: quorva.exp(x) / (2 * y), "(exp (x) / (2*y))"),
        (lambda x, y: quorva.exp(x) - (x + y), "(exp (x) - (x + y))"),
        (lambda x, y: quorva.exp(x) ** -1.5, "(exp (x) ** -1.5)"),
        (lambda x, y: quorva.exp(0.1 * x + y), "exp (0.1*x + y)"),
    ],
)
def test_parentheses_where_precedence_needs_them(build, text):
    assert str(build(quorva.var("x"), quorva.var("y"))) == text
