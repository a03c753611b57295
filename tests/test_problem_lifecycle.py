"""The problem object: creation, name, files, reset, copy and the lookups
between objects and indices."""

import pytest

import quorva


def quiet(name=None):
    p = quorva.problem(name=name) if name else quorva.problem()
    p.controls.outputlog = 0
    return p


def small_model(p):
    """max 2x + 3y, x + 2y <= 10, 3x + y <= 15, x <= 4, y <= 6: x = 4, y = 3."""
    x = quorva.var(name="x", ub=4)
    y = quorva.var(name="y", ub=6)
    p.addVariable(x, y)
    c1 = x + 2 * y <= 10
    c2 = 3 * x + y <= 15
    p.addConstraint(c1, c2)
    p.setObjective(2 * x + 3 * y, sense=quorva.maximize)
    return x, y, c1, c2


class TestNameResetCopy:
    def test_names(self):
        assert quorva.problem().name() == "noname"
        assert str(quorva.problem()) == "noname"
        assert str(quorva.problem(name="plan")) == "plan"

    def test_reset_empties_and_applies_module_wide_controls(self):
        p = quiet()
        small_model(p)
        quorva.controls.feastol = 1e-7
        p.reset()
        assert p.getVariable() == [] and p.getConstraint() == [] and p.getSOS() == []
        assert p.attributes.cols == 0 and p.attributes.rows == 0
        assert p.controls.feastol == 1e-7
        # The reset problem is fully usable again.
        p.controls.outputlog = 0
        x, y, _, _ = small_model(p)
        p.solve()
        assert p.getObjVal() == pytest.approx(17.0)

    def test_copy_shares_objects_but_not_the_library_problem(self):
        p = quiet()
        x, y, c1, _ = small_model(p)
        p.controls.feastol = 2e-6
        q = p.copy()
        assert q.getVariable(0) is p.getVariable(0) is x
        assert q.getIndex(c1) == 0 and q.getIndex(y) == 1
        assert q.controls.feastol == 2e-6
        z = quorva.var()
        q.addVariable(z)
        assert q.attributes.cols == 3 and p.attributes.cols == 2
        with pytest.raises(quorva.ModelError):
            p.getIndex(z)
        q.solve()
        assert q.getSolution(x) == pytest.approx(4.0) and q.getObjVal() == pytest.approx(17.0)


class TestLookups:
    @pytest.fixture
    def p(self):
        p = quiet()
        self.xs = [quorva.var(name=f"v{i}") for i in range(4)]
        p.addVariable(self.xs)
        return p

    def test_getvariable_forms(self, p):
        xs = self.xs
        assert p.getVariable() == xs
        assert p.getVariable(2) is xs[2]
        assert p.getVariable(index=[0, [2, 1]]) == [xs[0], xs[2], xs[1]]
        assert p.getVariable(first=1, last=2) == xs[1:3]
        assert p.getVariable(first=2, last=1) == []
        with pytest.raises(quorva.ModelError, match="^Index 4 is out of range"):
            p.getVariable(4)

    @pytest.mark.parametrize(
        "kwargs, message",
        [
            (dict(first=2), "Parameters 'first' and 'last' must be both nonnegative when specified"),
            (dict(first=0, last=4), "Parameters 'first' and 'last' are out of range"),
            (dict(index=1, first=0, last=1), "Parameters 'first' and 'last' cannot be specified if 'index' is also specified"),
        ],
    )
    def test_getvariable_messages(self, p, kwargs, message):
        with pytest.raises(quorva.ModelError, match=f"^{message}$"):
            p.getVariable(**kwargs)

    def test_getindex(self, p):
        assert [p.getIndex(v) for v in self.xs] == [0, 1, 2, 3]
        for stranger in (3, "v0"):
            with pytest.raises(quorva.ModelError, match="^Incorrect object\\(s\\) passed: need variable, constraint, or SOS$"):
                p.getIndex(stranger)
        with pytest.raises(quorva.ModelError, match="^Incorrect object\\(s\\) passed: quorva.var w is not in this problem$"):
            p.getIndex(quorva.var(name="w"))

    def test_getindexfromname(self, p):
        assert p.getIndexFromName(2, "v3") == 3
        assert p.getIndexFromName(2, "nobody") == -1
        with pytest.raises(quorva.SolverError):
            p.getIndexFromName(7, "v3")

    def test_copycontrols(self, p):
        source = quiet()
        source.controls.feastol = 3e-6
        p.copycontrols(source)
        assert p.controls.feastol == 3e-6
        with pytest.raises(quorva.ModelError, match="^A problem must be passed for copying controls$"):
            p.copycontrols("source")


class TestFiles:
    def test_write_and_read_back(self, tmp_path):
        p = quiet("filed")
        x = quorva.var(name="x", lb=-2, ub=4)
        n = quorva.var(name="n", vartype=quorva.integer, ub=10)
        p.addVariable(x, n)
        p.addConstraint(quorva.constraint(body=x + n, lb=1, ub=7, name="range"), quorva.constraint(x - n >= -3, name="ge"))
        p.setObjective(x + 2 * n, sense=quorva.maximize)
        path = str(tmp_path / "filed.mps")
        p.write(path)
        p.solve()

        q = quiet()
        q.read(path)
        q.controls.outputlog = 0
        assert q.name() == "filed"
        rx, rn = q.getVariable()
        assert (str(rx), rx.lb, rx.ub, rx.vartype) == ("x", -2, 4, quorva.continuous)
        assert (str(rn), rn.vartype) == ("n", quorva.integer)
        rng, ge = q.getConstraint()
        assert (str(rng), rng.lb, rng.ub) == ("range", 1, 7)
        assert (ge.lb, ge.ub) == (-3, quorva.infinity)
        q.solve()
        assert q.getObjVal() == pytest.approx(p.getObjVal())
        assert q.getSolution(rn) == pytest.approx(p.getSolution(n))

    def test_free_rows_read_without_bounds(self, tmp_path):
        path = tmp_path / "free.mps"
        path.write_text(
            "NAME free\nROWS\n N obj\n N spare\nCOLUMNS\n    x obj 1 spare 2\nRHS\nBOUNDS\n UP BND x 1\nENDATA\n"
        )
        p = quiet()
        p.read(str(path))
        for c in p.getConstraint():
            assert (c.lb, c.ub) == (-quorva.infinity, quorva.infinity)

    def test_failed_read_keeps_the_problem(self, tmp_path):
        p = quiet()
        x, *_ = small_model(p)
        with pytest.raises(quorva.SolverError, match="cannot open"):
            p.read(str(tmp_path / "missing.mps"))
        assert p.getVariable(0) is x and p.attributes.cols == 2
        p.solve()
        assert p.getObjVal() == pytest.approx(17.0)
