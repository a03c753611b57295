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


FREE = (-INF, INF)
PROBLEMS = [
    P("hs004", [(1, INF), (0, INF)], [1.125, 0.125], lambda m, x: (x[0] + 1) ** 3 / 3 + x[1], [], 8 / 3),
    P("hs005", [(-1.5, 4), (-3, 3)], [0, 0],
      lambda m, x: m.sin(x[0] + x[1]) + (x[0] - x[1]) ** 2 - 1.5 * x[0] + 2.5 * x[1] + 1, [],
      -math.sqrt(3) / 2 - math.pi / 3),
    P("hs006", [FREE, FREE], [-1.2, 1], lambda m, x: (1 - x[0]) ** 2,
      [(lambda m, x: 10 * (x[1] - x[0] ** 2), 0, 0)], 0.0),
    P("hs007", [FREE, FREE], [2, 2], lambda m, x: m.log(1 + x[0] ** 2) - x[1],
      [(lambda m, x: (1 + x[0] ** 2) ** 2 + x[1] ** 2, 4, 4)], -math.sqrt(3)),
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
    P("hs018", [(2, 50), (0, 50)], [2, 2], lambda m, x: 0.01 * x[0] ** 2 + x[1] ** 2,
      [(lambda m, x: x[0] * x[1], 25, INF), (lambda m, x: x[0] ** 2 + x[1] ** 2, 25, INF)], 5.0),
    P("hs022", [FREE, FREE], [2, 2], lambda m, x: (x[0] - 2) ** 2 + (x[1] - 1) ** 2,
      [(lambda m, x: x[0] + x[1], -INF, 2), (lambda m, x: -x[0] ** 2 + x[1], 0, INF)], 1.0),
    P("hs023", [(-50, 50), (-50, 50)], [3, 1], lambda m, x: x[0] ** 2 + x[1] ** 2,
      [(lambda m, x: x[0] + x[1], 1, INF), (lambda m, x: x[0] ** 2 + x[1] ** 2, 1, INF),
       (lambda m, x: 9 * x[0] ** 2 + x[1] ** 2, 9, INF), (lambda m, x: x[0] ** 2 - x[1], 0, INF),
       (lambda m, x: x[1] ** 2 - x[0], 0, INF)], 2.0),
    P("hs029", [FREE] * 3, [1, 1, 1], lambda m, x: -x[0] * x[1] * x[2],
      [(lambda m, x: x[0] ** 2 + 2 * x[1] ** 2 + 4 * x[2] ** 2, -INF, 48)], -16 * math.sqrt(2)),
    P("hs035", [(0, INF)] * 3, [0.5, 0.5, 0.5],
      lambda m, x: 9 - 8 * x[0] - 6 * x[1] - 4 * x[2] + 2 * x[0] ** 2 + 2 * x[1] ** 2 + x[2] ** 2
      + 2 * x[0] * x[1] + 2 * x[0] * x[2],
      [(lambda m, x: x[0] + x[1] + 2 * x[2], -INF, 3)], 1 / 9),
    P("hs040", [FREE] * 4, [0.8, 0.8, 0.8, 0.8], lambda m, x: -x[0] * x[1] * x[2] * x[3],
      [(lambda m, x: x[0] ** 3 + x[1] ** 2, 1, 1), (lambda m, x: x[0] ** 2 * x[3] - x[2], 0, 0),
       (lambda m, x: x[3] ** 2 - x[1], 0, 0)], -0.25),
    P("hs043", [FREE] * 4, [0, 0, 0, 0],
      lambda m, x: x[0] ** 2 + x[1] ** 2 + 2 * x[2] ** 2 + x[3] ** 2 - 5 * x[0] - 5 * x[1] - 21 * x[2] + 7 * x[3],
      [(lambda m, x: x[0] ** 2 + x[1] ** 2 + x[2] ** 2 + x[3] ** 2 + x[0] - x[1] + x[2] - x[3], -INF, 8),
       (lambda m, x: x[0] ** 2 + 2 * x[1] ** 2 + x[2] ** 2 + 2 * x[3] ** 2 - x[0] - x[3], -INF, 10),
       (lambda m, x: 2 * x[0] ** 2 + x[1] ** 2 + x[2] ** 2 + 2 * x[0] - x[1] - x[3], -INF, 5)], -44.0),
    P("hs065", [(-4.5, 4.5), (-4.5, 4.5), (-5, 5)], [-5, 5, 0],
      lambda m, x: (x[0] - x[1]) ** 2 + (x[0] + x[1] - 10) ** 2 / 9 + (x[2] - 5) ** 2,
      [(lambda m, x: x[0] ** 2 + x[1] ** 2 + x[2] ** 2, -INF, 48)], 0.9535288567),
    P("hs071", [(1, 5)] * 4, [1, 5, 5, 1], lambda m, x: x[0] * x[3] * (x[0] + x[1] + x[2]) + x[2],
      [(lambda m, x: x[0] * x[1] * x[2] * x[3], 25, INF),
       (lambda m, x: x[0] ** 2 + x[1] ** 2 + x[2] ** 2 + x[3] ** 2, 40, 40)], 17.0140173),
    P("hs078", [FREE] * 5, [-2, 1.5, 2, -1, -1],
      lambda m, x: x[0] * x[1] * x[2] * x[3] * x[4],
      [(lambda m, x: sum(v ** 2 for v in x), 10, 10), (lambda m, x: x[1] * x[2] - 5 * x[3] * x[4], 0, 0),
       (lambda m, x: x[0] ** 3 + x[2] ** 3, -1, -1)], -2.91970041),
    P("rosen5", [(-5, 5)] * 5, [-1.2, 1, -1.2, 1, -1.2],
      lambda m, x: sum(100 * (x[i + 1] - x[i] ** 2) ** 2 + (1 - x[i]) ** 2 for i in range(4)), [], 0.0),
]
