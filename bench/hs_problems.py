"""Classic small test problems of the Hock-Schittkowski collection, each
with its published starting point and its known optimum, for
bench/nonlinear.py.

Each problem is written once, over a math module `m` (quorva's functions for
the model, math for values, cmath for exact complex-step derivatives), so the
same text is the model of every solver.
"""
import math

INF = 1e20


class Problem:
    def __init__(self, name, bounds, x0, objective, constraints, optimum):
        self.name = name
        self.bounds = bounds  # [(lb, ub)] with +-INF for none
        self.x0 = x0
        self.objective = objective  # f(m, x)
        self.constraints = constraints  # [(g(m, x), lb, ub)]
        self.optimum = optimum


def P(name, bounds, x0, f, cons, opt):
    return Problem(name, bounds, x0, f, cons, opt)


def _rosenbrock(x):
    return 100 * (x[1] - x[0] ** 2) ** 2 + (1 - x[0]) ** 2


# hs025: a fit of 99 points; (u - x2) ** x3 is written through exp and log,
# its base staying positive over the bounds.
_HS25_U = [25 + (-50 * math.log(0.01 * i)) ** (2 / 3) for i in range(1, 100)]


def _hs25(m, x):
    return sum((m.exp(-m.exp(x[2] * m.log(u - x[1])) / x[0]) - 0.01 * i) ** 2 for i, u in enumerate(_HS25_U, 1))


# hs057: a fit of 44 measurements (a, b).
_HS57_A = [8, 8, 10, 10, 10, 10, 12, 12, 12, 12, 14, 14, 14, 16, 16, 16, 18, 18, 20, 20, 20, 22,
           22, 22, 24, 24, 24, 26, 26, 26, 28, 28, 30, 30, 30, 32, 32, 34, 36, 36, 38, 38, 40, 42]
_HS57_B = [.49, .49, .48, .47, .48, .47, .46, .46, .45, .43, .45, .43, .43, .44, .43, .43, .46, .45, .42, .42, .43,
           .41, .41, .40, .42, .40, .40, .41, .40, .41, .41, .40, .40, .40, .38, .41, .40, .40, .41, .38, .40, .40,
           .39, .39]


def _hs57(m, x):
    return sum((b - x[0] - (0.49 - x[0]) * m.exp(-x[1] * (a - 8))) ** 2 for a, b in zip(_HS57_A, _HS57_B))


# hs086: a cubic objective over ten linear constraints.
_HS86_E = [-15, -27, -36, -18, -12]
_HS86_C = [[30, -20, -10, 32, -10], [-20, 39, -6, -31, 32], [-10, -6, 10, -6, -10],
           [32, -31, -6, 39, -20], [-10, 32, -10, -20, 30]]
_HS86_D = [4, 8, 10, 6, 2]
_HS86_A = [[-16, 2, 0, 1, 0], [0, -2, 0, 0.4, 2], [-3.5, 0, 2, 0, 0], [0, -2, 0, -4, -1], [0, -9, -2, 1, -2.8],
           [2, 0, -4, 0, 0], [-1, -1, -1, -1, -1], [-1, -2, -3, -2, -1], [1, 2, 3, 4, 5], [1, 1, 1, 1, 1]]
_HS86_B = [-40, -2, -0.25, -4, -4, -1, -40, -60, 5, 1]


def _hs86(m, x):
    return (sum(e * v for e, v in zip(_HS86_E, x))
            + sum(_HS86_C[i][j] * x[i] * x[j] for i in range(5) for j in range(5))
            + sum(d * v ** 3 for d, v in zip(_HS86_D, x)))


def _linear_rows(a, b):
    return [(lambda m, x, row=row: sum(c * v for c, v in zip(row, x) if c), lo, INF) for row, lo in zip(a, b)]


# hs111 and hs112: one chemical equilibrium, over the amounts (hs112) or
# their logarithms (hs111).
_HS111_C = [-6.089, -17.164, -34.054, -5.914, -24.721, -14.986, -24.1, -10.708, -26.662, -22.179]
_HS111_BALANCE = [([1, 2, 2, 0, 0, 1, 0, 0, 0, 1], 2), ([0, 0, 0, 1, 2, 1, 1, 0, 0, 0], 1),
                  ([0, 0, 1, 0, 0, 0, 1, 1, 2, 1], 1)]


def _hs111(m, x):
    total = m.log(sum(m.exp(v) for v in x))
    return sum(m.exp(v) * (c + v - total) for c, v in zip(_HS111_C, x))


def _hs112(m, x):
    total = sum(x)
    return sum(v * (c + m.log(v / total)) for c, v in zip(_HS111_C, x))


def _balance(exponential):
    def row(coefficients, amount):
        if exponential:
            return (lambda m, x: sum(c * m.exp(v) for c, v in zip(coefficients, x) if c), amount, amount)
        return (lambda m, x: sum(c * v for c, v in zip(coefficients, x) if c), amount, amount)
    return [row(c, b) for c, b in _HS111_BALANCE]


# hs118: five periods of three units, each unit's change between periods
# bounded, each period's demand met.
def _hs118(m, x):
    return sum(2.3 * x[3 * k] + 0.0001 * x[3 * k] ** 2 + 1.7 * x[3 * k + 1] + 0.0001 * x[3 * k + 1] ** 2
               + 2.2 * x[3 * k + 2] + 0.00015 * x[3 * k + 2] ** 2 for k in range(5))


def _hs118_rows():
    rows = []
    for j in range(1, 5):
        for unit, top in ((0, 13), (1, 14), (2, 13)):
            rows.append((lambda m, x, i=3 * j + unit: x[i] - x[i - 3] + 7, 0, top))
    for k, demand in enumerate((60, 50, 70, 85, 100)):
        rows.append((lambda m, x, k=k: x[3 * k] + x[3 * k + 1] + x[3 * k + 2], demand, INF))
    return rows


def _product(x):
    p = x[0]
    for v in x[1:]:
        p = p * v
    return p


def _hs104(x):
    return 0.4 * x[0] ** 0.67 * x[6] ** -0.67 + 0.4 * x[1] ** 0.67 * x[7] ** -0.67 + 10 - x[0] - x[1]


FREE = (-INF, INF)


def hs074_family(name, a, optimum):
    """hs074 and hs075: the same generator dispatch, with a the bound on the
    two phase angles and on their difference."""
    return P(name, [(0, 1200), (0, 1200), (-a, a), (-a, a)], [0, 0, 0, 0],
             lambda m, x: 3 * x[0] + 1e-6 * x[0] ** 3 + 2 * x[1] + 2e-6 / 3 * x[1] ** 3,
             [(lambda m, x: x[3] - x[2], -a, a),
              (lambda m, x: 1000 * m.sin(-x[2] - 0.25) + 1000 * m.sin(-x[3] - 0.25) - x[0], -894.8, -894.8),
              (lambda m, x: 1000 * m.sin(x[2] - 0.25) + 1000 * m.sin(x[2] - x[3] - 0.25) - x[1], -894.8, -894.8),
              (lambda m, x: 1000 * m.sin(x[3] - 0.25) + 1000 * m.sin(x[3] - x[2] - 0.25), -1294.8, -1294.8)],
             optimum)


PROBLEMS = [
    P("hs001", [FREE, (-1.5, INF)], [-2, 1], lambda m, x: _rosenbrock(x), [], 0.0),
    P("hs002", [FREE, (1.5, INF)], [-2, 1], lambda m, x: _rosenbrock(x), [], 0.0504261879),
    P("hs003", [FREE, (0, INF)], [10, 1], lambda m, x: x[1] + 1e-5 * (x[1] - x[0]) ** 2, [], 0.0),
    P("hs004", [(1, INF), (0, INF)], [1.125, 0.125], lambda m, x: (x[0] + 1) ** 3 / 3 + x[1], [], 8 / 3),
    P("hs005", [(-1.5, 4), (-3, 3)], [0, 0],
      lambda m, x: m.sin(x[0] + x[1]) + (x[0] - x[1]) ** 2 - 1.5 * x[0] + 2.5 * x[1] + 1, [],
      -math.sqrt(3) / 2 - math.pi / 3),
    P("hs006", [FREE, FREE], [-1.2, 1], lambda m, x: (1 - x[0]) ** 2,
      [(lambda m, x: 10 * (x[1] - x[0] ** 2), 0, 0)], 0.0),
    P("hs007", [FREE, FREE], [2, 2], lambda m, x: m.log(1 + x[0] ** 2) - x[1],
      [(lambda m, x: (1 + x[0] ** 2) ** 2 + x[1] ** 2, 4, 4)], -math.sqrt(3)),
    P("hs008", [FREE, FREE], [2, 1], lambda m, x: 0 * x[0] - 1,
      [(lambda m, x: x[0] ** 2 + x[1] ** 2, 25, 25), (lambda m, x: x[0] * x[1], 9, 9)], -1.0),
    P("hs009", [FREE, FREE], [0, 0], lambda m, x: m.sin(math.pi * x[0] / 12) * m.cos(math.pi * x[1] / 16),
      [(lambda m, x: 4 * x[0] - 3 * x[1], 0, 0)], -0.5),
    P("hs010", [FREE, FREE], [-10, 10], lambda m, x: x[0] - x[1],
      [(lambda m, x: -3 * x[0] ** 2 + 2 * x[0] * x[1] - x[1] ** 2, -1, INF)], -1.0),
    P("hs011", [FREE, FREE], [4.9, 0.1], lambda m, x: (x[0] - 5) ** 2 + x[1] ** 2 - 25,
      [(lambda m, x: -x[0] ** 2 + x[1], 0, INF)], -8.498464223),
    P("hs012", [FREE, FREE], [0, 0],
      lambda m, x: 0.5 * x[0] ** 2 + x[1] ** 2 - x[0] * x[1] - 7 * x[0] - 7 * x[1],
      [(lambda m, x: 4 * x[0] ** 2 + x[1] ** 2, -INF, 25)], -30.0),
    P("hs014", [FREE, FREE], [2, 2], lambda m, x: (x[0] - 2) ** 2 + (x[1] - 1) ** 2,
      [(lambda m, x: x[0] - 2 * x[1], -1, -1), (lambda m, x: x[0] ** 2 / 4 + x[1] ** 2, -INF, 1)],
      9 - 2.875 * math.sqrt(7)),
    P("hs015", [(-INF, 0.5), FREE], [-2, 1], lambda m, x: 100 * (x[1] - x[0] ** 2) ** 2 + (1 - x[0]) ** 2,
      [(lambda m, x: x[0] * x[1], 1, INF), (lambda m, x: x[0] + x[1] ** 2, 0, INF)], 306.5),
    P("hs016", [(-0.5, 0.5), (-INF, 1)], [-2, 1], lambda m, x: _rosenbrock(x),
      [(lambda m, x: x[0] + x[1] ** 2, 0, INF), (lambda m, x: x[0] ** 2 + x[1], 0, INF)], 0.25),
    P("hs017", [(-0.5, 0.5), (-INF, 1)], [-2, 1], lambda m, x: _rosenbrock(x),
      [(lambda m, x: x[1] ** 2 - x[0], 0, INF), (lambda m, x: x[0] ** 2 - x[1], 0, INF)], 1.0),
    P("hs018", [(2, 50), (0, 50)], [2, 2], lambda m, x: 0.01 * x[0] ** 2 + x[1] ** 2,
      [(lambda m, x: x[0] * x[1], 25, INF), (lambda m, x: x[0] ** 2 + x[1] ** 2, 25, INF)], 5.0),
    P("hs019", [(13, 100), (0, 100)], [20.1, 5.84], lambda m, x: (x[0] - 10) ** 3 + (x[1] - 20) ** 3,
      [(lambda m, x: (x[0] - 5) ** 2 + (x[1] - 5) ** 2, 100, INF),
       (lambda m, x: (x[1] - 5) ** 2 + (x[0] - 6) ** 2, -INF, 82.81)], -6961.81381),
    P("hs020", [(-0.5, 0.5), FREE], [-2, 1], lambda m, x: _rosenbrock(x),
      [(lambda m, x: x[0] + x[1] ** 2, 0, INF), (lambda m, x: x[0] ** 2 + x[1], 0, INF),
       (lambda m, x: x[0] ** 2 + x[1] ** 2, 1, INF)], 81.5 - 25 * math.sqrt(3)),
    P("hs021", [(2, 50), (-50, 50)], [-1, -1], lambda m, x: 0.01 * x[0] ** 2 + x[1] ** 2 - 100,
      [(lambda m, x: 10 * x[0] - x[1], 10, INF)], -99.96),
    P("hs022", [FREE, FREE], [2, 2], lambda m, x: (x[0] - 2) ** 2 + (x[1] - 1) ** 2,
      [(lambda m, x: x[0] + x[1], -INF, 2), (lambda m, x: -x[0] ** 2 + x[1], 0, INF)], 1.0),
    P("hs023", [(-50, 50), (-50, 50)], [3, 1], lambda m, x: x[0] ** 2 + x[1] ** 2,
      [(lambda m, x: x[0] + x[1], 1, INF), (lambda m, x: x[0] ** 2 + x[1] ** 2, 1, INF),
       (lambda m, x: 9 * x[0] ** 2 + x[1] ** 2, 9, INF), (lambda m, x: x[0] ** 2 - x[1], 0, INF),
       (lambda m, x: x[1] ** 2 - x[0], 0, INF)], 2.0),
    P("hs024", [(0, INF), (0, INF)], [1, 0.5],
      lambda m, x: ((x[0] - 3) ** 2 - 9) * x[1] ** 3 / (27 * math.sqrt(3)),
      [(lambda m, x: x[0] / math.sqrt(3) - x[1], 0, INF), (lambda m, x: x[0] + math.sqrt(3) * x[1], 0, 6)], -1.0),
    P("hs025", [(0.1, 100), (0, 25.6), (0, 5)], [100, 12.5, 3], _hs25, [], 0.0),
    P("hs026", [FREE] * 3, [-2.6, 2, 2], lambda m, x: (x[0] - x[1]) ** 2 + (x[1] - x[2]) ** 4,
      [(lambda m, x: (1 + x[1] ** 2) * x[0] + x[2] ** 4, 3, 3)], 0.0),
    P("hs027", [FREE] * 3, [2, 2, 2], lambda m, x: 0.01 * (x[0] - 1) ** 2 + (x[1] - x[0] ** 2) ** 2,
      [(lambda m, x: x[0] + x[2] ** 2, -1, -1)], 0.04),
    P("hs028", [FREE] * 3, [-4, 1, 1], lambda m, x: (x[0] + x[1]) ** 2 + (x[1] + x[2]) ** 2,
      [(lambda m, x: x[0] + 2 * x[1] + 3 * x[2], 1, 1)], 0.0),
    P("hs029", [FREE] * 3, [1, 1, 1], lambda m, x: -x[0] * x[1] * x[2],
      [(lambda m, x: x[0] ** 2 + 2 * x[1] ** 2 + 4 * x[2] ** 2, -INF, 48)], -16 * math.sqrt(2)),
    P("hs030", [(1, 10), (-10, 10), (-10, 10)], [1, 1, 1], lambda m, x: x[0] ** 2 + x[1] ** 2 + x[2] ** 2,
      [(lambda m, x: x[0] ** 2 + x[1] ** 2, 1, INF)], 1.0),
    P("hs031", [(-10, 10), (1, 10), (-10, 1)], [1, 1, 1], lambda m, x: 9 * x[0] ** 2 + x[1] ** 2 + 9 * x[2] ** 2,
      [(lambda m, x: x[0] * x[1], 1, INF)], 6.0),
    P("hs032", [(0, INF)] * 3, [0.1, 0.7, 0.2], lambda m, x: (x[0] + 3 * x[1] + x[2]) ** 2 + 4 * (x[0] - x[1]) ** 2,
      [(lambda m, x: 6 * x[1] + 4 * x[2] - x[0] ** 3, 3, INF), (lambda m, x: x[0] + x[1] + x[2], 1, 1)], 1.0),
    P("hs033", [(0, INF), (0, INF), (0, 5)], [0, 0, 3], lambda m, x: (x[0] - 1) * (x[0] - 2) * (x[0] - 3) + x[2],
      [(lambda m, x: x[2] ** 2 - x[0] ** 2 - x[1] ** 2, 0, INF),
       (lambda m, x: x[0] ** 2 + x[1] ** 2 + x[2] ** 2, 4, INF)], math.sqrt(2) - 6),
    P("hs034", [(0, 100), (0, 100), (0, 10)], [0, 1.05, 2.9], lambda m, x: -x[0],
      [(lambda m, x: x[1] - m.exp(x[0]), 0, INF), (lambda m, x: x[2] - m.exp(x[1]), 0, INF)],
      -math.log(math.log(10))),
    P("hs035", [(0, INF)] * 3, [0.5, 0.5, 0.5],
      lambda m, x: 9 - 8 * x[0] - 6 * x[1] - 4 * x[2] + 2 * x[0] ** 2 + 2 * x[1] ** 2 + x[2] ** 2
      + 2 * x[0] * x[1] + 2 * x[0] * x[2],
      [(lambda m, x: x[0] + x[1] + 2 * x[2], -INF, 3)], 1 / 9),
    P("hs036", [(0, 20), (0, 11), (0, 42)], [10, 10, 10], lambda m, x: -x[0] * x[1] * x[2],
      [(lambda m, x: x[0] + 2 * x[1] + 2 * x[2], -INF, 72)], -3300.0),
    P("hs037", [(0, 42)] * 3, [10, 10, 10], lambda m, x: -x[0] * x[1] * x[2],
      [(lambda m, x: x[0] + 2 * x[1] + 2 * x[2], 0, 72)], -3456.0),
    P("hs038", [(-10, 10)] * 4, [-3, -1, -3, -1],
      lambda m, x: 100 * (x[1] - x[0] ** 2) ** 2 + (1 - x[0]) ** 2 + 90 * (x[3] - x[2] ** 2) ** 2 + (1 - x[2]) ** 2
      + 10.1 * ((x[1] - 1) ** 2 + (x[3] - 1) ** 2) + 19.8 * (x[1] - 1) * (x[3] - 1), [], 0.0),
    P("hs039", [FREE] * 4, [2, 2, 2, 2], lambda m, x: -x[0],
      [(lambda m, x: x[1] - x[0] ** 3 - x[2] ** 2, 0, 0), (lambda m, x: x[0] ** 2 - x[1] - x[3] ** 2, 0, 0)], -1.0),
    P("hs040", [FREE] * 4, [0.8, 0.8, 0.8, 0.8], lambda m, x: -x[0] * x[1] * x[2] * x[3],
      [(lambda m, x: x[0] ** 3 + x[1] ** 2, 1, 1), (lambda m, x: x[0] ** 2 * x[3] - x[2], 0, 0),
       (lambda m, x: x[3] ** 2 - x[1], 0, 0)], -0.25),
    P("hs041", [(0, 1), (0, 1), (0, 1), (0, 2)], [2, 2, 2, 2], lambda m, x: 2 - x[0] * x[1] * x[2],
      [(lambda m, x: x[0] + 2 * x[1] + 2 * x[2] - x[3], 0, 0)], 52 / 27),
    P("hs042", [FREE] * 4, [1, 1, 1, 1],
      lambda m, x: (x[0] - 1) ** 2 + (x[1] - 2) ** 2 + (x[2] - 3) ** 2 + (x[3] - 4) ** 2,
      [(lambda m, x: x[0], 2, 2), (lambda m, x: x[2] ** 2 + x[3] ** 2, 2, 2)], 28 - 10 * math.sqrt(2)),
    P("hs043", [FREE] * 4, [0, 0, 0, 0],
      lambda m, x: x[0] ** 2 + x[1] ** 2 + 2 * x[2] ** 2 + x[3] ** 2 - 5 * x[0] - 5 * x[1] - 21 * x[2] + 7 * x[3],
      [(lambda m, x: x[0] ** 2 + x[1] ** 2 + x[2] ** 2 + x[3] ** 2 + x[0] - x[1] + x[2] - x[3], -INF, 8),
       (lambda m, x: x[0] ** 2 + 2 * x[1] ** 2 + x[2] ** 2 + 2 * x[3] ** 2 - x[0] - x[3], -INF, 10),
       (lambda m, x: 2 * x[0] ** 2 + x[1] ** 2 + x[2] ** 2 + 2 * x[0] - x[1] - x[3], -INF, 5)], -44.0),
    P("hs044", [(0, INF)] * 4, [0, 0, 0, 0],
      lambda m, x: x[0] - x[1] - x[2] - x[0] * x[2] + x[0] * x[3] + x[1] * x[2] - x[1] * x[3],
      [(lambda m, x: x[0] + 2 * x[1], -INF, 8), (lambda m, x: 4 * x[0] + x[1], -INF, 12),
       (lambda m, x: 3 * x[0] + 4 * x[1], -INF, 12), (lambda m, x: 2 * x[2] + x[3], -INF, 8),
       (lambda m, x: x[2] + 2 * x[3], -INF, 8), (lambda m, x: x[2] + x[3], -INF, 5)], -15.0),
    P("hs045", [(0, i) for i in range(1, 6)], [2] * 5, lambda m, x: 2 - x[0] * x[1] * x[2] * x[3] * x[4] / 120, [],
      1.0),
    P("hs046", [FREE] * 5, [math.sqrt(2) / 2, 1.75, 0.5, 2, 2],
      lambda m, x: (x[0] - x[1]) ** 2 + (x[2] - 1) ** 2 + (x[3] - 1) ** 4 + (x[4] - 1) ** 6,
      [(lambda m, x: x[0] ** 2 * x[3] + m.sin(x[3] - x[4]), 1, 1),
       (lambda m, x: x[1] + x[2] ** 4 * x[3] ** 2, 2, 2)], 0.0),
    P("hs047", [FREE] * 5, [2, math.sqrt(2), -1, 2 - math.sqrt(2), 0.5],
      lambda m, x: (x[0] - x[1]) ** 2 + (x[1] - x[2]) ** 3 + (x[2] - x[3]) ** 4 + (x[3] - x[4]) ** 4,
      [(lambda m, x: x[0] + x[1] ** 2 + x[2] ** 3, 3, 3), (lambda m, x: x[1] - x[2] ** 2 + x[3], 1, 1),
       (lambda m, x: x[0] * x[4], 1, 1)], 0.0),
    P("hs048", [FREE] * 5, [3, 5, -3, 2, -2],
      lambda m, x: (x[0] - 1) ** 2 + (x[1] - x[2]) ** 2 + (x[3] - x[4]) ** 2,
      [(lambda m, x: x[0] + x[1] + x[2] + x[3] + x[4], 5, 5), (lambda m, x: x[2] - 2 * (x[3] + x[4]), -3, -3)], 0.0),
    P("hs049", [FREE] * 5, [10, 7, 2, -3, 0.8],
      lambda m, x: (x[0] - x[1]) ** 2 + (x[2] - 1) ** 2 + (x[3] - 1) ** 4 + (x[4] - 1) ** 6,
      [(lambda m, x: x[0] + x[1] + x[2] + 4 * x[3], 7, 7), (lambda m, x: x[2] + 5 * x[4], 6, 6)], 0.0),
    P("hs050", [FREE] * 5, [35, -31, 11, 5, -5],
      lambda m, x: (x[0] - x[1]) ** 2 + (x[1] - x[2]) ** 2 + (x[2] - x[3]) ** 4 + (x[3] - x[4]) ** 2,
      [(lambda m, x: x[0] + 2 * x[1] + 3 * x[2], 6, 6), (lambda m, x: x[1] + 2 * x[2] + 3 * x[3], 6, 6),
       (lambda m, x: x[2] + 2 * x[3] + 3 * x[4], 6, 6)], 0.0),
    P("hs051", [FREE] * 5, [2.5, 0.5, 2, -1, 0.5],
      lambda m, x: (x[0] - x[1]) ** 2 + (x[1] + x[2] - 2) ** 2 + (x[3] - 1) ** 2 + (x[4] - 1) ** 2,
      [(lambda m, x: x[0] + 3 * x[1], 4, 4), (lambda m, x: x[2] + x[3] - 2 * x[4], 0, 0),
       (lambda m, x: x[1] - x[4], 0, 0)], 0.0),
    P("hs052", [FREE] * 5, [2] * 5,
      lambda m, x: (4 * x[0] - x[1]) ** 2 + (x[1] + x[2] - 2) ** 2 + (x[3] - 1) ** 2 + (x[4] - 1) ** 2,
      [(lambda m, x: x[0] + 3 * x[1], 0, 0), (lambda m, x: x[2] + x[3] - 2 * x[4], 0, 0),
       (lambda m, x: x[1] - x[4], 0, 0)], 1859 / 349),
    P("hs053", [(-10, 10)] * 5, [2] * 5,
      lambda m, x: (x[0] - x[1]) ** 2 + (x[1] + x[2] - 2) ** 2 + (x[3] - 1) ** 2 + (x[4] - 1) ** 2,
      [(lambda m, x: x[0] + 3 * x[1], 0, 0), (lambda m, x: x[2] + x[3] - 2 * x[4], 0, 0),
       (lambda m, x: x[1] - x[4], 0, 0)], 176 / 43),
    P("hs055", [(0, 1), (0, INF), (0, INF), (0, 1), (0, INF), (0, INF)], [1, 2, 0, 0, 0, 2],
      lambda m, x: x[0] + 2 * x[1] + 4 * x[4] + m.exp(x[0] * x[3]),
      [(lambda m, x: x[0] + 2 * x[1] + 5 * x[4], 6, 6), (lambda m, x: x[0] + x[1] + x[2], 3, 3),
       (lambda m, x: x[3] + x[4] + x[5], 2, 2), (lambda m, x: x[0] + x[3], 1, 1),
       (lambda m, x: x[1] + x[4], 2, 2), (lambda m, x: x[2] + x[5], 2, 2)], 19 / 3),
    P("hs056", [FREE] * 7,
      [1, 1, 1] + [math.asin(math.sqrt(1 / 4.2))] * 3 + [math.asin(math.sqrt(5 / 7.2))],
      lambda m, x: -x[0] * x[1] * x[2],
      [(lambda m, x: x[0] - 4.2 * m.sin(x[3]) ** 2, 0, 0), (lambda m, x: x[1] - 4.2 * m.sin(x[4]) ** 2, 0, 0),
       (lambda m, x: x[2] - 4.2 * m.sin(x[5]) ** 2, 0, 0),
       (lambda m, x: x[0] + 2 * x[1] + 2 * x[2] - 7.2 * m.sin(x[6]) ** 2, 0, 0)], -3.456),
    P("hs057", [(0.4, INF), (-4, INF)], [0.42, 5], _hs57,
      [(lambda m, x: 0.49 * x[1] - x[0] * x[1], 0.09, INF)], 0.02845966972),
    P("hs060", [(-10, 10)] * 3, [2, 2, 2], lambda m, x: (x[0] - 1) ** 2 + (x[0] - x[1]) ** 2 + (x[1] - x[2]) ** 4,
      [(lambda m, x: x[0] * (1 + x[1] ** 2) + x[2] ** 4, 4 + 3 * math.sqrt(2), 4 + 3 * math.sqrt(2))],
      0.03256820025),
    P("hs061", [FREE] * 3, [0, 0, 0],
      lambda m, x: 4 * x[0] ** 2 + 2 * x[1] ** 2 + 2 * x[2] ** 2 - 33 * x[0] + 16 * x[1] - 24 * x[2],
      [(lambda m, x: 3 * x[0] - 2 * x[1] ** 2, 7, 7), (lambda m, x: 4 * x[0] - x[2] ** 2, 11, 11)], -143.6461422),
    P("hs062", [(0, 1)] * 3, [0.7, 0.2, 0.1],
      lambda m, x: -32.174 * (255 * m.log((x[0] + x[1] + x[2] + 0.03) / (0.09 * x[0] + x[1] + x[2] + 0.03))
                              + 280 * m.log((x[1] + x[2] + 0.03) / (0.07 * x[1] + x[2] + 0.03))
                              + 290 * m.log((x[2] + 0.03) / (0.13 * x[2] + 0.03))),
      [(lambda m, x: x[0] + x[1] + x[2], 1, 1)], -26272.51448),
    P("hs063", [(0, INF)] * 3, [2, 2, 2],
      lambda m, x: 1000 - x[0] ** 2 - 2 * x[1] ** 2 - x[2] ** 2 - x[0] * x[1] - x[0] * x[2],
      [(lambda m, x: 8 * x[0] + 14 * x[1] + 7 * x[2], 56, 56),
       (lambda m, x: x[0] ** 2 + x[1] ** 2 + x[2] ** 2, 25, 25)], 961.7151721),
    P("hs064", [(1e-5, INF)] * 3, [1, 1, 1],
      lambda m, x: 5 * x[0] + 50000 / x[0] + 20 * x[1] + 72000 / x[1] + 10 * x[2] + 144000 / x[2],
      [(lambda m, x: 1 - 4 / x[0] - 32 / x[1] - 120 / x[2], 0, INF)], 6299.842428),
    P("hs065", [(-4.5, 4.5), (-4.5, 4.5), (-5, 5)], [-5, 5, 0],
      lambda m, x: (x[0] - x[1]) ** 2 + (x[0] + x[1] - 10) ** 2 / 9 + (x[2] - 5) ** 2,
      [(lambda m, x: x[0] ** 2 + x[1] ** 2 + x[2] ** 2, -INF, 48)], 0.9535288567),
    P("hs066", [(0, 100), (0, 100), (0, 10)], [0, 1.05, 2.9], lambda m, x: 0.2 * x[2] - 0.8 * x[0],
      [(lambda m, x: x[1] - m.exp(x[0]), 0, INF), (lambda m, x: x[2] - m.exp(x[1]), 0, INF)], 0.5181632741),
    P("hs071", [(1, 5)] * 4, [1, 5, 5, 1], lambda m, x: x[0] * x[3] * (x[0] + x[1] + x[2]) + x[2],
      [(lambda m, x: x[0] * x[1] * x[2] * x[3], 25, INF),
       (lambda m, x: x[0] ** 2 + x[1] ** 2 + x[2] ** 2 + x[3] ** 2, 40, 40)], 17.0140173),
    P("hs072", [(0.001, (5 - i) * 1e5) for i in range(1, 5)], [1, 1, 1, 1],
      lambda m, x: 1 + x[0] + x[1] + x[2] + x[3],
      [(lambda m, x: 4 / x[0] + 2.25 / x[1] + 1 / x[2] + 0.25 / x[3], -INF, 0.0401),
       (lambda m, x: 0.16 / x[0] + 0.36 / x[1] + 0.64 / x[2] + 0.64 / x[3], -INF, 0.010085)], 727.6793634),
    P("hs073", [(0, INF)] * 4, [1, 1, 1, 1],
      lambda m, x: 24.55 * x[0] + 26.75 * x[1] + 39 * x[2] + 40.5 * x[3],
      [(lambda m, x: 2.3 * x[0] + 5.6 * x[1] + 11.1 * x[2] + 1.3 * x[3], 5, INF),
       (lambda m, x: 12 * x[0] + 11.9 * x[1] + 41.8 * x[2] + 52.1 * x[3]
        - 1.645 * m.sqrt(0.28 * x[0] ** 2 + 0.19 * x[1] ** 2 + 20.5 * x[2] ** 2 + 0.62 * x[3] ** 2), 21, INF),
       (lambda m, x: x[0] + x[1] + x[2] + x[3], 1, 1)], 29.89437816),
    hs074_family("hs074", 0.55, 5126.4981),
    hs074_family("hs075", 0.48, 5174.4129),
    P("hs076", [(0, INF)] * 4, [0.5] * 4,
      lambda m, x: x[0] ** 2 + 0.5 * x[1] ** 2 + x[2] ** 2 + 0.5 * x[3] ** 2 - x[0] * x[2] + x[2] * x[3]
      - x[0] - 3 * x[1] + x[2] - x[3],
      [(lambda m, x: x[0] + 2 * x[1] + x[2] + x[3], -INF, 5), (lambda m, x: 3 * x[0] + x[1] + 2 * x[2] - x[3], -INF, 4),
       (lambda m, x: x[1] + 4 * x[2], 1.5, INF)], -103 / 22),
    P("hs077", [FREE] * 5, [2] * 5,
      lambda m, x: (x[0] - 1) ** 2 + (x[0] - x[1]) ** 2 + (x[2] - 1) ** 2 + (x[3] - 1) ** 4 + (x[4] - 1) ** 6,
      [(lambda m, x: x[0] ** 2 * x[3] + m.sin(x[3] - x[4]), 2 * math.sqrt(2), 2 * math.sqrt(2)),
       (lambda m, x: x[1] + x[2] ** 4 * x[3] ** 2, 8 + math.sqrt(2), 8 + math.sqrt(2))], 0.2415051288),
    P("hs078", [FREE] * 5, [-2, 1.5, 2, -1, -1],
      lambda m, x: x[0] * x[1] * x[2] * x[3] * x[4],
      [(lambda m, x: sum(v ** 2 for v in x), 10, 10), (lambda m, x: x[1] * x[2] - 5 * x[3] * x[4], 0, 0),
       (lambda m, x: x[0] ** 3 + x[2] ** 3, -1, -1)], -2.91970041),
    P("hs079", [FREE] * 5, [2] * 5,
      lambda m, x: (x[0] - 1) ** 2 + (x[0] - x[1]) ** 2 + (x[1] - x[2]) ** 2 + (x[2] - x[3]) ** 4 + (x[3] - x[4]) ** 4,
      [(lambda m, x: x[0] + x[1] ** 2 + x[2] ** 3, 2 + 3 * math.sqrt(2), 2 + 3 * math.sqrt(2)),
       (lambda m, x: x[1] - x[2] ** 2 + x[3], 2 * math.sqrt(2) - 2, 2 * math.sqrt(2) - 2),
       (lambda m, x: x[0] * x[4], 2, 2)], 0.0787768209),
    P("hs080", [(-2.3, 2.3)] * 2 + [(-3.2, 3.2)] * 3, [-2, 2, 2, -1, -1],
      lambda m, x: m.exp(x[0] * x[1] * x[2] * x[3] * x[4]),
      [(lambda m, x: sum(v ** 2 for v in x), 10, 10), (lambda m, x: x[1] * x[2] - 5 * x[3] * x[4], 0, 0),
       (lambda m, x: x[0] ** 3 + x[1] ** 3, -1, -1)], 0.0539498478),
    P("hs081", [(-2.3, 2.3)] * 2 + [(-3.2, 3.2)] * 3, [-2, 2, 2, -1, -1],
      lambda m, x: m.exp(x[0] * x[1] * x[2] * x[3] * x[4]) - 0.5 * (x[0] ** 3 + x[1] ** 3 + 1) ** 2,
      [(lambda m, x: sum(v ** 2 for v in x), 10, 10), (lambda m, x: x[1] * x[2] - 5 * x[3] * x[4], 0, 0),
       (lambda m, x: x[0] ** 3 + x[1] ** 3, -1, -1)], 0.0539498478),
    P("hs083", [(78, 102), (33, 45), (27, 45), (27, 45), (27, 45)], [78, 33, 27, 27, 27],
      lambda m, x: 5.3578547 * x[2] ** 2 + 0.8356891 * x[0] * x[4] + 37.293239 * x[0] - 40792.141,
      [(lambda m, x: 85.334407 + 0.0056858 * x[1] * x[4] + 0.0006262 * x[0] * x[3] - 0.0022053 * x[2] * x[4], 0, 92),
       (lambda m, x: 80.51249 + 0.0071317 * x[1] * x[4] + 0.0029955 * x[0] * x[1] + 0.0021813 * x[2] ** 2, 90, 110),
       (lambda m, x: 9.300961 + 0.0047026 * x[2] * x[4] + 0.0012547 * x[0] * x[2] + 0.0019085 * x[2] * x[3], 20, 25)],
      -30665.53867),
    P("hs086", [(0, INF)] * 5, [0, 0, 0, 0, 1], _hs86, _linear_rows(_HS86_A, _HS86_B), -32.34867897),
    P("hs093", [(0, INF)] * 6, [5.54, 4.4, 12.02, 11.82, 0.702, 0.852],
      lambda m, x: 0.0204 * x[0] * x[3] * (x[0] + x[1] + x[2]) + 0.0187 * x[1] * x[2] * (x[0] + 1.57 * x[1] + x[3])
      + 0.0607 * x[0] * x[3] * x[4] ** 2 * (x[0] + x[1] + x[2])
      + 0.0437 * x[1] * x[2] * x[5] ** 2 * (x[0] + 1.57 * x[1] + x[3]),
      [(lambda m, x: 0.001 * x[0] * x[1] * x[2] * x[3] * x[4] * x[5], 2.07, INF),
       (lambda m, x: 0.00062 * x[0] * x[3] * x[4] ** 2 * (x[0] + x[1] + x[2])
        + 0.00058 * x[1] * x[2] * x[5] ** 2 * (x[0] + 1.57 * x[1] + x[3]), -INF, 1)], 135.075961),
    P("hs100", [FREE] * 7, [1, 2, 0, 4, 0, 1, 1],
      lambda m, x: (x[0] - 10) ** 2 + 5 * (x[1] - 12) ** 2 + x[2] ** 4 + 3 * (x[3] - 11) ** 2 + 10 * x[4] ** 6
      + 7 * x[5] ** 2 + x[6] ** 4 - 4 * x[5] * x[6] - 10 * x[5] - 8 * x[6],
      [(lambda m, x: 2 * x[0] ** 2 + 3 * x[1] ** 4 + x[2] + 4 * x[3] ** 2 + 5 * x[4], -INF, 127),
       (lambda m, x: 7 * x[0] + 3 * x[1] + 10 * x[2] ** 2 + x[3] - x[4], -INF, 282),
       (lambda m, x: 23 * x[0] + x[1] ** 2 + 6 * x[5] ** 2 - 8 * x[6], -INF, 196),
       (lambda m, x: 4 * x[0] ** 2 + x[1] ** 2 - 3 * x[0] * x[1] + 2 * x[2] ** 2 + 5 * x[5] - 11 * x[6], -INF, 0)],
      680.6300573),
    P("hs104", [(0.1, 10)] * 8, [6, 3, 0.4, 0.2, 6, 6, 1, 0.5],
      lambda m, x: _hs104(x),
      [(lambda m, x: 0.0588 * x[4] * x[6] + 0.1 * x[0], -INF, 1),
       (lambda m, x: 0.0588 * x[5] * x[7] + 0.1 * x[0] + 0.1 * x[1], -INF, 1),
       (lambda m, x: 4 * x[2] / x[4] + 2 / (x[2] ** 0.71 * x[4]) + 0.0588 * x[6] / x[2] ** 1.3, -INF, 1),
       (lambda m, x: 4 * x[3] / x[5] + 2 / (x[3] ** 0.71 * x[5]) + 0.0588 * x[7] / x[3] ** 1.3, -INF, 1),
       (lambda m, x: _hs104(x), 0.1, 4.2)], 3.9511634396),
    # The collection first printed 7049.330923, the value of a feasible point
    # short of the optimum (x1 = 579.3167); 7049.248021 is the true optimum.
    P("hs106", [(100, 10000), (1000, 10000), (1000, 10000)] + [(10, 1000)] * 5,
      [5000, 5000, 5000, 200, 350, 150, 225, 425], lambda m, x: x[0] + x[1] + x[2],
      [(lambda m, x: 0.0025 * (x[3] + x[5]), -INF, 1), (lambda m, x: 0.0025 * (x[4] + x[6] - x[3]), -INF, 1),
       (lambda m, x: 0.01 * (x[7] - x[4]), -INF, 1),
       (lambda m, x: x[0] * x[5] - 833.33252 * x[3] - 100 * x[0] + 83333.333, 0, INF),
       (lambda m, x: x[1] * x[6] - 1250 * x[4] - x[1] * x[3] + 1250 * x[3], 0, INF),
       (lambda m, x: x[2] * x[7] - 1250000 - x[2] * x[4] + 2500 * x[4], 0, INF)], 7049.248021),
    P("hs108", [FREE] * 8 + [(0, INF)], [1] * 9,
      lambda m, x: -0.5 * (x[0] * x[3] - x[1] * x[2] + x[2] * x[8] - x[4] * x[8] + x[4] * x[7] - x[5] * x[6]),
      [(lambda m, x: x[2] ** 2 + x[3] ** 2, -INF, 1), (lambda m, x: x[8] ** 2, -INF, 1),
       (lambda m, x: x[4] ** 2 + x[5] ** 2, -INF, 1), (lambda m, x: x[0] ** 2 + (x[1] - x[8]) ** 2, -INF, 1),
       (lambda m, x: (x[0] - x[4]) ** 2 + (x[1] - x[5]) ** 2, -INF, 1),
       (lambda m, x: (x[0] - x[6]) ** 2 + (x[1] - x[7]) ** 2, -INF, 1),
       (lambda m, x: (x[2] - x[4]) ** 2 + (x[3] - x[5]) ** 2, -INF, 1),
       (lambda m, x: (x[2] - x[6]) ** 2 + (x[3] - x[7]) ** 2, -INF, 1),
       (lambda m, x: x[6] ** 2 + (x[7] - x[8]) ** 2, -INF, 1),
       (lambda m, x: x[0] * x[3] - x[1] * x[2], 0, INF), (lambda m, x: x[2] * x[8], 0, INF),
       (lambda m, x: x[4] * x[8], -INF, 0), (lambda m, x: x[4] * x[7] - x[5] * x[6], 0, INF)],
      -math.sqrt(3) / 2),
    P("hs110", [(2.001, 9.999)] * 10, [9] * 10,
      lambda m, x: sum(m.log(v - 2) ** 2 + m.log(10 - v) ** 2 for v in x) - _product(x) ** 0.2, [], -45.77846971),
    P("hs111", [(-100, 100)] * 10, [-2.3] * 10, _hs111, _balance(True), -47.76109026),
    P("hs112", [(1e-6, INF)] * 10, [0.1] * 10, _hs112, _balance(False), -47.76109026),
    P("hs113", [FREE] * 10, [2, 3, 5, 5, 1, 2, 7, 3, 6, 10],
      lambda m, x: x[0] ** 2 + x[1] ** 2 + x[0] * x[1] - 14 * x[0] - 16 * x[1] + (x[2] - 10) ** 2
      + 4 * (x[3] - 5) ** 2 + (x[4] - 3) ** 2 + 2 * (x[5] - 1) ** 2 + 5 * x[6] ** 2 + 7 * (x[7] - 11) ** 2
      + 2 * (x[8] - 10) ** 2 + (x[9] - 7) ** 2 + 45,
      [(lambda m, x: 4 * x[0] + 5 * x[1] - 3 * x[6] + 9 * x[7], -INF, 105),
       (lambda m, x: -10 * x[0] + 8 * x[1] + 17 * x[6] - 2 * x[7], 0, INF),
       (lambda m, x: 8 * x[0] - 2 * x[1] - 5 * x[8] + 2 * x[9], -12, INF),
       (lambda m, x: 3 * (x[0] - 2) ** 2 + 4 * (x[1] - 3) ** 2 + 2 * x[2] ** 2 - 7 * x[3], -INF, 120),
       (lambda m, x: 5 * x[0] ** 2 + 8 * x[1] + (x[2] - 6) ** 2 - 2 * x[3], -INF, 40),
       (lambda m, x: 0.5 * (x[0] - 8) ** 2 + 2 * (x[1] - 4) ** 2 + 3 * x[4] ** 2 - x[5], -INF, 30),
       (lambda m, x: x[0] ** 2 + 2 * (x[1] - 2) ** 2 - 2 * x[0] * x[1] + 14 * x[4] - 6 * x[5], -INF, 0),
       (lambda m, x: 3 * x[0] - 6 * x[1] - 12 * (x[8] - 8) ** 2 + 7 * x[9], 0, INF)], 24.3062091),
    P("hs118", [(8, 21), (43, 57), (3, 16)] + [(0, 90), (0, 120), (0, 60)] * 4,
      [20, 55, 15] + [20, 60, 20] * 4, _hs118, _hs118_rows(), 664.82045),
    P("rosen5", [(-5, 5)] * 5, [-1.2, 1, -1.2, 1, -1.2],
      lambda m, x: sum(100 * (x[i + 1] - x[i] ** 2) ** 2 + (1 - x[i]) ** 2 for i in range(4)), [], 0.0),
]
