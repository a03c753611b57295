"""Three scalable nonlinear problems for bench/nonlinear.py, each at any size
n, each with its starting point, its model for quorva and exact sparse
derivatives (gradient, Jacobian, Hessian of the Lagrangian) for Ipopt:

- rosenbrock: the chained Rosenbrock function, no rows, optimum 0;
- control: a discretised optimal-control problem, minimise the energy
  h/2 (x_i^2 + u_i^2) summed over N steps of the explicit Euler scheme for
  x' = u - x^3 with x(0) = 1 and -0.5 <= u <= 0.5 (n = 2N + 1 columns, N
  cubic equality rows);
- leastsq: a sparse nonlinear least-squares problem with bounds, the sum of
  squares of the tridiagonal residuals r_i = (3 - 2 x_i) x_i - x_{i-1}
  - 2 x_{i+1} + 1 with -0.5 <= x_i <= 0 (the bounds keep the residuals from
  vanishing).

The last two have no closed-form optimum at every n: the benchmark takes the
best objective any solver reaches at a feasible point as the reference.
"""
import numpy as np

INF = 1e20


class Scalable:
    """One instance: n columns with bounds, a starting point, rows with
    their bounds, and what each solver needs."""

    name = ""
    known_optimum = None  # a value for every n, where there is one

    def __init__(self, n):
        self.n = n

    # quorva: the model over the problem's variables xs
    def objective_model(self, xs):
        raise NotImplementedError

    def row_models(self, xs):
        """[(body, lb, ub)] of quorva rows."""
        return []

    # Ipopt: values and sparse derivatives (row-major lower triangle for the Hessian)
    def constraints(self, x):
        return np.zeros(0)

    def jacobianstructure(self):
        return np.zeros(0, dtype=int), np.zeros(0, dtype=int)

    def jacobian(self, x):
        return np.zeros(0)


class Rosenbrock(Scalable):
    name = "rosenbrock"
    known_optimum = 0.0

    def __init__(self, n):
        super().__init__(n)
        self.lb = np.full(n, -INF)
        self.ub = np.full(n, INF)
        self.x0 = np.where(np.arange(n) % 2 == 0, -1.2, 1.0)
        self.cl = self.cu = np.zeros(0)

    def objective_model(self, xs):
        import quorva
        return quorva.Sum(100 * (xs[i + 1] - xs[i] ** 2) ** 2 + (1 - xs[i]) ** 2 for i in range(self.n - 1))

    def objective(self, x):
        a, b = x[:-1], x[1:]
        return float(np.sum(100 * (b - a * a) ** 2 + (1 - a) ** 2))

    def gradient(self, x):
        a, b = x[:-1], x[1:]
        g = np.zeros(self.n)
        g[:-1] = -400 * a * (b - a * a) - 2 * (1 - a)
        g[1:] += 200 * (b - a * a)
        return g

    def hessianstructure(self):
        n = self.n
        diag = np.arange(n)
        rows = np.concatenate([diag, np.arange(1, n)])
        cols = np.concatenate([diag, np.arange(n - 1)])
        return rows, cols

    def hessian(self, x, lagrange, obj_factor):
        a, b = x[:-1], x[1:]
        d = np.zeros(self.n)
        d[:-1] = 1200 * a * a - 400 * b + 2
        d[1:] += 200
        return obj_factor * np.concatenate([d, -400 * a])


class Control(Scalable):
    """Columns x_0..x_N then u_0..u_{N-1}; row i is
    x_{i+1} - x_i - h (u_i - x_i^3) = 0."""

    name = "control"

    def __init__(self, n):
        super().__init__(n)
        self.N = N = max(1, (n - 1) // 2)
        self.n = 2 * N + 1
        self.h = 1.0 / N
        self.lb = np.concatenate([[1.0], np.full(N, -INF), np.full(N, -0.5)])
        self.ub = np.concatenate([[1.0], np.full(N, INF), np.full(N, 0.5)])
        self.x0 = np.concatenate([np.ones(N + 1), np.zeros(N)])
        self.cl = self.cu = np.zeros(N)

    def objective_model(self, xs):
        import quorva
        N, h = self.N, self.h
        return quorva.Sum(h / 2 * (xs[i + 1] ** 2 + xs[N + 1 + i] ** 2) for i in range(N))

    def row_models(self, xs):
        N, h = self.N, self.h
        return [(xs[i + 1] - xs[i] - h * (xs[N + 1 + i] - xs[i] ** 3), 0.0, 0.0) for i in range(N)]

    def _parts(self, x):
        N = self.N
        return x[:N + 1], x[N + 1:]

    def objective(self, x):
        s, u = self._parts(x)
        return float(self.h / 2 * (np.sum(s[1:] ** 2) + np.sum(u ** 2)))

    def gradient(self, x):
        s, u = self._parts(x)
        g = np.zeros(self.n)
        g[1:self.N + 1] = self.h * s[1:]
        g[self.N + 1:] = self.h * u
        return g

    def constraints(self, x):
        s, u = self._parts(x)
        return s[1:] - s[:-1] - self.h * (u - s[:-1] ** 3)

    def jacobianstructure(self):
        N = self.N
        i = np.arange(N)
        return np.concatenate([i, i, i]), np.concatenate([i + 1, i, N + 1 + i])

    def jacobian(self, x):
        s, _ = self._parts(x)
        N = self.N
        return np.concatenate([np.ones(N), -1 + 3 * self.h * s[:-1] ** 2, np.full(N, -self.h)])

    def hessianstructure(self):
        d = np.arange(self.n)
        return d, d

    def hessian(self, x, lagrange, obj_factor):
        s, _ = self._parts(x)
        d = np.zeros(self.n)
        d[1:self.N + 1] = obj_factor * self.h
        d[self.N + 1:] = obj_factor * self.h
        d[:self.N] += lagrange * 6 * self.h * s[:-1]
        return d


class LeastSquares(Scalable):
    name = "leastsq"

    def __init__(self, n):
        super().__init__(n)
        self.lb = np.full(n, -0.5)
        self.ub = np.zeros(n)
        self.x0 = np.full(n, -0.5)
        self.cl = self.cu = np.zeros(0)

    def _residuals(self, x):
        left = np.concatenate([[0.0], x[:-1]])
        right = np.concatenate([x[1:], [0.0]])
        return (3 - 2 * x) * x - left - 2 * right + 1

    def objective_model(self, xs):
        import quorva
        n = self.n

        def residual(i):
            r = (3 - 2 * xs[i]) * xs[i] + 1
            if i > 0:
                r = r - xs[i - 1]
            if i + 1 < n:
                r = r - 2 * xs[i + 1]
            return r

        return quorva.Sum(residual(i) ** 2 for i in range(n))

    def objective(self, x):
        return float(np.sum(self._residuals(x) ** 2))

    def gradient(self, x):
        # 2 J^T r with J tridiagonal: 3 - 4 x_i on the diagonal, -1 below, -2 above
        r = self._residuals(x)
        g = 2 * (3 - 4 * x) * r
        g[:-1] += 2 * -1 * r[1:]
        g[1:] += 2 * -2 * r[:-1]
        return g

    def hessianstructure(self):
        n = self.n
        d = np.arange(n)
        return (np.concatenate([d, np.arange(1, n), np.arange(2, n)]),
                np.concatenate([d, np.arange(n - 1), np.arange(n - 2)]))

    def hessian(self, x, lagrange, obj_factor):
        # 2 (J^T J + sum r_i Hess r_i), Hess r_i = -4 at (i, i)
        n = self.n
        a = 3 - 4 * x
        r = self._residuals(x)
        diag = a * a - 4 * r
        diag[1:] += 4
        diag[:-1] += 1
        below = -2 * a[:-1] - a[1:]
        two_below = np.full(max(n - 2, 0), 2.0)
        return 2 * obj_factor * np.concatenate([diag, below, two_below])


KINDS = [Rosenbrock, Control, LeastSquares]
