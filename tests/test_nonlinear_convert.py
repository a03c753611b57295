"""Nonlinear terms as formula coefficients: columns, factors and postfix
tokens, the counting mode's bounds, user-function registration, and the
errors of terms the problem cannot take."""
import pytest

import quorva
from quorva import quorvalib

convert = quorvalib._convert_expr

END = (0, 0.0)
MARK = (22, 0.0)
PLUS, TIMES, NEG, MINUS, DIV, POW = (31, 5.0), (31, 3.0), (31, 1.0), (31, 6.0), (31, 4.0), (31, 2.0)
SIN, COS, EXP, LOG, MAX, MIN = (12, 27.0), (12, 28.0), (12, 16.0), (12, 15.0), (12, 34.0), (12, 33.0)


def var(col):
    return (10, float(col))


def con(value):
    return (1, float(value))


@pytest.fixture
def model():
    prob = quorva.problem()
    xs = [quorva.var(name=n, lb=-10, ub=10) for n in "xyabcd"]
    prob.addVariable(xs)
    return prob, xs


def only_coefficient(result):
    constant, linear, quadratic, coefficients, _ = result
    assert (constant, linear, quadratic) == (0.0, [], [])
    assert len(coefficients) == 1
    return coefficients[0]


class TestTokens:
    def test_product_gives_its_numbers_and_first_variable_to_the_coefficient(self, model):
        p, xs = model
        x, y = xs[:2]
        for product in (3 * x * quorva.sin(y), quorva.Prod([3, x, quorva.sin(y)])):
            col, factor, tokens = only_coefficient(convert(p, product))
            assert (col, factor) == (0, 3.0)
            assert tokens == [MARK, var(1), SIN, END]

    def test_a_function_alone_stands_in_the_special_column(self, model):
        p, xs = model
        col, factor, tokens = only_coefficient(convert(p, quorva.sin(xs[1])))
        assert (col, factor, tokens) == (p.attributes.slpunitcol, 1.0, [MARK, var(1), SIN, END])

    def test_difference_splits_into_a_linear_entry_and_a_negated_coefficient(self, model):
        p, xs = model
        a, y = xs[2], xs[1]
        constant, linear, quadratic, coefficients, counts = convert(p, a - quorva.sin(y))
        assert (constant, linear, quadratic) == (0.0, [(2, 1.0)], [])
        assert coefficients == [(-1, -1.0, [MARK, var(1), SIN, END])]

    def test_sum_keeps_linear_and_quadratic_parts_out_of_the_formulas(self, model):
        p, xs = model
        x, y = xs[:2]
        constant, linear, quadratic, coefficients, _ = convert(p, x * y + quorva.exp(x) + 2 * x + 3 - quorva.cos(y))
        assert constant == 3.0 and linear == [(0, 2.0)] and quadratic == [(0, 1, 0.5)]
        assert sorted(coefficients) == sorted([(-1, 1.0, [MARK, var(0), EXP, END]),
                                               (-1, 1.0, [MARK, var(1), COS, NEG, END])])
        # In the objective the quadratic entries are doubled.
        assert convert(p, x * y + quorva.exp(x), True)[2] == [(0, 1, 1.0)]

    def test_max_of_four_and_three_operands_join_pairwise(self, model):
        p, xs = model
        a, b, c, d = xs[2:]
        _, _, tokens = only_coefficient(convert(p, quorva.max(a, b, c, d)))
        assert tokens == [MARK, MARK, var(2), var(3), MAX, MARK, var(4), var(5), MAX, MAX, END]
        _, _, tokens = only_coefficient(convert(p, quorva.min(a, b, c)))
        assert tokens == [MARK, MARK, var(2), var(3), MIN, var(4), MIN, END]
        _, _, tokens = only_coefficient(convert(p, quorva.max(a)))
        assert tokens == [var(2), END]

    def test_long_sums_inside_formulas_keep_the_stack_shallow(self, model):
        p, xs = model
        inner = quorva.Sum([quorva.sin(v) for v in xs[:4]])
        _, _, tokens = only_coefficient(convert(p, quorva.exp(inner)))
        ops = [i for i, t in enumerate(tokens) if t == PLUS]
        # o1 o2 + o3 o4 + + (each sine is marker, variable, function).
        assert tokens[1:7] == [MARK, var(0), SIN, MARK, var(1), SIN] and ops == [7, 14, 15]

    def test_terms_and_expressions_inside_formulas(self, model):
        p, xs = model
        x, y = xs[:2]
        _, _, tokens = only_coefficient(convert(p, quorva.exp(-x)))
        assert tokens == [MARK, var(0), NEG, EXP, END]
        _, _, tokens = only_coefficient(convert(p, quorva.exp(2.5 * x * y)))
        assert tokens == [MARK, con(2.5), var(0), var(1), TIMES, TIMES, EXP, END]
        _, _, tokens = only_coefficient(convert(p, quorva.log(x + 1)))
        assert tokens == [MARK, con(1), var(0), PLUS, LOG, END]
        _, _, tokens = only_coefficient(convert(p, x / y))
        assert tokens == [var(0), var(1), DIV, END]
        _, _, tokens = only_coefficient(convert(p, quorva.sin(x) ** 3))
        assert tokens == [MARK, var(0), SIN, con(3), POW, END]

    def test_counting_mode_bounds_what_is_written(self, model):
        p, xs = model
        x, y, a, b, c, d = xs
        cases = [
            3 * x * quorva.sin(y), quorva.max(a, b, c, d, x), quorva.exp(2 * x * y + 3 * y - 1) - quorva.log(a),
            x * y + quorva.user(lambda u, v: u + v, x, y) + 4 * a, quorva.sqrt(quorva.Sum([v * v for v in xs])),
            -quorva.cos(x / (y + 2)) ** 2,
        ]
        for expr in cases:
            constant, linear, quadratic, coefficients, counts = convert(p, expr)
            tokens = sum(len(t) for _, _, t in coefficients)
            assert counts[0] >= len(linear) and counts[1] >= len(quadratic)
            assert counts[2] == len(coefficients) and counts[3] >= tokens


class TestUserFunctions:
    def test_registered_once_per_callable_and_problem(self, model):
        p, xs = model
        x, y = xs[:2]

        def f(u, v):
            return u * v

        first = only_coefficient(convert(p, quorva.user(f, x, y)))[2]
        again = only_coefficient(convert(p, quorva.user(f, y, x, derivatives=True)))[2]
        other = only_coefficient(convert(p, quorva.user(abs, x)))[2]
        # Arguments are written last first, after the marker.
        assert first == [MARK, var(1), var(0), (11, 1.0), END]
        assert again == [MARK, var(0), var(1), (11, 1.0), END]
        assert other == [MARK, var(0), (11, 2.0), END]
        assert p.attributes.slpuserfuncs == 2
        q = quorva.problem()
        q.addVariable(x)
        assert only_coefficient(convert(q, quorva.user(abs, x)))[2][-2] == (11, 1.0)

    def test_user_function_in_two_constraints_shares_one_index(self, model):
        p, xs = model
        x, y = xs[:2]
        g = lambda u: u * u  # noqa: E731
        p.addConstraint(quorva.user(g, x) <= 4, quorva.user(g, y) + x >= 1)
        assert p.attributes.slpuserfuncs == 1 and p.attributes.slpcoefficients == 2


class TestErrors:
    def test_variables_outside_the_problem(self, model):
        p, xs = model
        x = xs[0]
        z = quorva.var(name="z")
        cases = [
            (quorva.sin(z), "Variable in nonlinear part of constraint has not been added to problem yet"),
            (quorva.exp(2 * z), "Variable in nonlinear expression has not been added to problem yet"),
            (quorva.exp(x + z), "Variable in nonlinear expression has not been added to problem yet"),
            (z * quorva.sin(x), "Variable in nonlinear term not added to problem yet"),
            (z + quorva.sin(x), "Variable in linear term defining constraint has not been added to problem yet"),
        ]
        for expr, message in cases:
            with pytest.raises(quorva.ModelError, match=f"^{message}$"):
                convert(p, expr)
            # A constraint keeps its body's variables in expressions of its own.
            with pytest.raises(quorva.ModelError, match="^Variable in .* added to problem yet$"):
                p.addConstraint(expr <= 1)
        assert p.attributes.rows == 0 and p.getConstraint() == []
        assert p.attributes.slpcoefficients == 0

    def test_objective_over_a_missing_variable_keeps_the_old_objective(self, model):
        p, xs = model
        x = xs[0]
        p.setObjective(quorva.exp(x))
        cols, rows = p.attributes.cols, p.attributes.rows
        with pytest.raises(quorva.ModelError):
            p.setObjective(quorva.exp(quorva.var()))
        assert (p.attributes.cols, p.attributes.rows) == (cols, rows)
        assert p.getIndexFromName(2, "objtransfercol") == cols - 1

    def test_deep_formula_raises_instead_of_overflowing(self, model):
        p, xs = model
        e = xs[0]
        for _ in range(100000):
            e = quorva.sin(e)
        with pytest.raises(RecursionError):
            p.addConstraint(e <= 1)
        assert p.attributes.rows == 0
