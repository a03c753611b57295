"""Irreducible infeasible subsystems: the subsystems found are infeasible
and irreducible (checked on the files they are written to, read back and
solved with each member removed in turn), iisnext finds the others, the
isolations and sizes are right, MIPs get subsystems of MIP solves, and bad
calls leave the problem as it was."""

import csv

import pytest

import quorva

INSTANCES = "/work/shared/instances"
INFINITY = 1e20


def problem():
    p = quorva.problem()
    p.controls.outputlog = 0
    return p


def read(name):
    p = problem()
    p.read("%s/%s" % (INSTANCES, name))
    return p


def two_conflicts():
    """r0: x + y >= 10 conflicts with x <= 3, y <= 4 and with r1: x + y <= 6;
    r2: z >= 5 conflicts with z <= 2; r3 is harmless."""
    p = problem()
    x, y, z = quorva.var(name="x", ub=3), quorva.var(name="y", ub=4), quorva.var(name="z", ub=2)
    p.addVariable(x, y, z)
    rows = [quorva.constraint(x + y >= 10, name="r0"), quorva.constraint(x + y <= 6, name="r1"),
            quorva.constraint(z >= 5, name="r2"), quorva.constraint(x - z <= 8, name="r3")]
    p.addConstraint(*rows)
    return p, (x, y, z), rows


def data(p, num):
    lists = [[] for _ in range(8)]
    p.getiisdata(num, *lists)
    return lists


def members(p, num):
    rows, cols, _, bounds = data(p, num)[:4]
    return sorted([r.name for r in rows] + ["%s:%s" % (c.name, b) for c, b in zip(cols, bounds)])


def solved_feasible(q, mip):
    if mip:
        q.mipoptimize()
        return q.attributes.mipstatus in (quorva.mip_optimal, quorva.mip_solution)
    q.lpoptimize()
    assert q.attributes.lpstatus in (quorva.lp_optimal, quorva.lp_infeas)
    return q.attributes.lpstatus == quorva.lp_optimal


def assert_irreducible_file(path, mip=False):
    """The file reads back infeasible; removing any one row or bound makes it feasible."""
    q = problem()
    q.read(path)
    assert not solved_feasible(q, mip)
    m, n = q.attributes.rows, q.attributes.cols
    lb, ub = [], []
    q.getlb(lb), q.getub(ub)
    removals = [("row", i) for i in range(m)]
    removals += [("L", j) for j in range(n) if lb[j] > -INFINITY]
    removals += [("U", j) for j in range(n) if ub[j] < INFINITY]
    assert removals
    for kind, k in removals:
        q = problem()
        q.read(path)
        if kind == "row":
            q.chgrowtype([k], ["N"])
        else:
            q.chgbounds([k], [kind], [-INFINITY if kind == "L" else INFINITY])
        assert solved_feasible(q, mip), "still infeasible without %s %d" % (kind, k)
    return m, n


class TestTwoConflicts:
    def test_first_next_and_all_find_each_once(self):
        p = two_conflicts()[0]
        assert p.iisfirst(0) == 0
        found = [members(p, 1)]
        while p.iisnext() == 0:
            found.append(members(p, len(found) + 1))
        assert sorted(found) == sorted([["r0", "x:U", "y:U"], ["r0", "r1"], ["r2", "z:U"]])
        assert p.iisnext() == 1  # none left, and it stays so
        p.iisclear()
        assert p.iisstatus([], [], [], []) is None
        p.iisall()
        assert p.iisstatus([], [], [], []) == 3

    def test_sizes_sums_and_isolations(self, tmp_path):
        p, (x, y, z), rows = two_conflicts()
        p.iisall()
        rowsizes, colsizes, suminfeas, numinfeas = [9], [], [], []
        assert p.iisstatus(rowsizes, colsizes, suminfeas, numinfeas) == 3
        assert len(rowsizes) == len(colsizes) == len(suminfeas) == len(numinfeas) == 4
        by_members = {}
        for k in range(1, 4):
            p.iisisolations(k)
            rws, cols, types, bounds, duals, rdcs, iso_rows, iso_cols = data(p, k)
            by_members[tuple(members(p, k))] = (k, rws, iso_rows, iso_cols, types)
            assert (rowsizes[k], colsizes[k]) == (len(rws), len(cols))
        k, rws, iso_rows, iso_cols, types = by_members[("r0", "x:U", "y:U")]
        # r0 is shared with {r0, r1}; the bounds of x and y are in no other.
        assert iso_rows == ["0"] and iso_cols == ["1", "1"] and types == ["G"]
        assert suminfeas[k] == pytest.approx(3.0) and numinfeas[k] == 1
        k, rws, iso_rows, iso_cols, types = by_members[("r0", "r1")]
        assert iso_rows == ["0", "1"] and types == ["G", "L"]
        assert suminfeas[k] == pytest.approx(4.0)
        k, rws, iso_rows, iso_cols, types = by_members[("r2", "z:U")]
        assert iso_rows == ["1"] and iso_cols == ["1"] and suminfeas[k] == pytest.approx(3.0)

    def test_farkas_certificate_proves_the_conflict(self):
        p, (x, y, z), rows = two_conflicts()
        p.iisfirst(0)
        rws, cols, types, bounds, duals, rdcs = data(p, 1)[:6]
        # y'(row activity) >= y'(row bounds) and d'x <= d'(column bounds) with d'x = y'Ax.
        if rws == [rows[0]]:
            assert duals[0] > 0 and rdcs == pytest.approx([duals[0], duals[0]])
            assert rdcs[0] * 3 + rdcs[1] * 4 < duals[0] * 10

    @pytest.mark.parametrize("flags,suffix", [("l", ".lp"), ("", ".mps")])
    def test_every_written_subsystem_is_infeasible_and_irreducible(self, tmp_path, flags, suffix):
        p = two_conflicts()[0]
        p.iisall()
        for k in range(1, 4):
            path = str(tmp_path / ("iis%d%s" % (k, suffix)))
            p.iiswrite(k, path, 0, flags)
            m, n = assert_irreducible_file(path)
            rws, cols = data(p, k)[:2]
            assert m == len(rws)

    def test_csv_list(self, tmp_path):
        p = two_conflicts()[0]
        p.iisfirst(0)
        p.iisisolations(1)
        path = str(tmp_path / "iis.csv")
        p.iiswrite(1, path, 1, "")
        with open(path) as f:
            lines = list(csv.DictReader(f))
        assert {(l["kind"], l["name"], l["type"]) for l in lines} == {
            ("row", "r0", "G"), ("column", "x", "U"), ("column", "y", "U")}
        bounds = {l["name"]: float(l["bound"]) for l in lines}
        assert bounds == {"r0": 10.0, "x": 3.0, "y": 4.0}


class TestInstances:
    @pytest.mark.parametrize("name,col,lb", [("afiro.mps", 0, 800.0), ("adlittle.mps", 0, 228.5),
                                             ("israel.mps", None, None)])
    def test_netlib_lp_made_infeasible(self, tmp_path, name, col, lb):
        p = read(name)
        if col is None:
            # israel: column 41 (1100 at the optimum) limited to a tenth of it.
            p.chgbounds([41], ["U"], [110.0])
        else:
            p.chgbounds([col], ["L"], [lb])
        p.lpoptimize()
        assert p.attributes.lpstatus == quorva.lp_infeas
        assert p.iisfirst(0) == 0
        path = str(tmp_path / "iis.mps")  # netlib names do not all fit the LP format
        p.iiswrite(1, path, 0, "")
        m, n = assert_irreducible_file(path)
        rowsizes, colsizes = [], []
        p.iisstatus(rowsizes, colsizes, None, None)
        assert rowsizes[1] == m and 0 < m < p.attributes.rows

    def test_fast_mode_is_infeasible_and_holds_an_irreducible_one(self, tmp_path):
        p = read("israel.mps")
        p.chgbounds([41], ["U"], [110.0])
        assert p.iisfirst(1) == 0
        fast = set(members(p, 1))
        path = str(tmp_path / "fast.mps")
        p.iiswrite(1, path, 0, "")
        q = problem()
        q.read(path)
        q.lpoptimize()
        assert q.attributes.lpstatus == quorva.lp_infeas
        assert p.iisfirst(0) == 0
        assert set(members(p, 1)) <= fast


def propagated(p, size):
    """Runs iisfirst and checks that bound propagation found its conflict of size members."""
    lines = []
    p.controls.outputlog = 1
    p.addcbmessage(lambda prob, data, msg, kind: lines.append(msg))
    assert p.iisfirst(0) == 0
    assert "bound propagation found a conflict of %d rows and bounds" % size in "\n".join(lines)


class TestPropagatedConflicts:
    """Conflicts that bound propagation finds before any solve: through
    chains of rows, rows of many columns, and rows with one infinite bound."""

    def test_chain_of_rows(self, tmp_path):
        # x0 >= 0, x_{k+1} >= x_k + 1 for k < 4, x4 <= 3: the chain and both bounds,
        # among harmless rows on the same columns.
        p = problem()
        xs = [quorva.var(name="x%d" % k, lb=0, ub=10) for k in range(5)]
        p.addVariable(*xs)
        chain = [quorva.constraint(xs[k + 1] - xs[k] >= 1, name="c%d" % k) for k in range(4)]
        other = [quorva.constraint(xs[0] + xs[4] <= 20, name="o0"), quorva.constraint(xs[2] >= -5, name="o1")]
        p.addConstraint(*chain, *other)
        p.chgbounds([xs[4]], ["U"], [3.0])
        propagated(p, 6)
        assert members(p, 1) == ["c0", "c1", "c2", "c3", "x0:L", "x4:U"]
        duals = data(p, 1)[4]
        assert all(abs(d) > 0 for d in duals)
        path = str(tmp_path / "chain.lp")
        p.iiswrite(1, path, 0, "l")
        assert_irreducible_file(path)

    def test_row_of_many_columns(self, tmp_path):
        p = problem()
        xs = [quorva.var(name="x%d" % k, ub=1) for k in range(250)]
        p.addVariable(*xs)
        p.addConstraint(quorva.constraint(quorva.Sum(xs) >= 260, name="many"),
                        quorva.constraint(xs[0] - xs[1] <= 0, name="pair"))
        propagated(p, 251)
        assert members(p, 1) == sorted(["many"] + ["x%d:U" % k for k in range(250)])

    def test_infinite_bound_tightened_by_the_other_row(self, tmp_path):
        # y is free above: y <= 4 - x from r1 with x >= 1 gives y <= 3, and r2 needs y >= 5.
        p = problem()
        x, y = quorva.var(name="x", lb=1), quorva.var(name="y")
        p.addVariable(x, y)
        p.addConstraint(quorva.constraint(x + y <= 4, name="r1"), quorva.constraint(y >= 5, name="r2"))
        propagated(p, 3)
        assert members(p, 1) == ["r1", "r2", "x:L"]
        path = str(tmp_path / "free.lp")
        p.iiswrite(1, path, 0, "l")
        assert_irreducible_file(path)
        assert p.iisnext() == 1


class TestMip:
    def test_relaxation_feasible_but_no_integer_point(self, tmp_path):
        """2x + 2y = 3 has no integer solution; the other rows are harmless."""
        p = problem()
        x, y, w = (quorva.var(vartype=quorva.integer, ub=5, name=n) for n in "xyw")
        p.addVariable(x, y, w)
        p.addConstraint(quorva.constraint(2 * x + 2 * y == 3, name="parity"),
                        quorva.constraint(x + w <= 7, name="cap"), quorva.constraint(y - w >= -5, name="link"))
        p.lpoptimize()
        assert p.attributes.lpstatus == quorva.lp_optimal
        assert p.iisfirst(0) == 0
        assert members(p, 1) == ["parity"]
        path = str(tmp_path / "mip.lp")
        p.iiswrite(1, path, 0, "l")
        assert_irreducible_file(path, mip=True)
        duals = data(p, 1)[4]
        assert duals == [0.0]

    def test_infeasible_relaxation_gives_its_subsystem(self):
        p = problem()
        b = quorva.var(vartype=quorva.binary, name="b")
        x = quorva.var(name="x", ub=1)
        p.addVariable(b, x)
        p.addConstraint(quorva.constraint(b + x >= 3, name="need"))
        assert p.iisfirst(0) == 0
        assert members(p, 1) == ["b:U", "need", "x:U"]

    def test_feasible_mip(self):
        p = read("flugpl.mps")
        assert p.iisfirst(0) == 1
        assert p.iisstatus([], [], [], []) is None


class TestBadCalls:
    def test_feasible_problem_has_none(self):
        p = read("afiro.mps")
        kept = ["kept"]
        assert p.iisfirst(0) == 1
        assert p.iisstatus(kept, kept, kept, kept) is None and kept == ["kept"]
        assert p.iisnext() == 1
        with pytest.raises(quorva.SolverError, match="subsystem 1 does not exist; 0 found"):
            p.getiisdata(1)
        p.lpoptimize()
        assert p.attributes.lpobjval == pytest.approx(-464.75314286)

    def test_refusals(self, tmp_path):
        p = two_conflicts()[0]
        with pytest.raises(quorva.SolverError, match="call QRVAiisfirst first"):
            p.iisnext()
        with pytest.raises(quorva.SolverError, match="mode 4 is not one of"):
            p.iisfirst(4)
        p.iisfirst(0)
        with pytest.raises(quorva.SolverError, match="subsystem 2 does not exist; 1 found"):
            p.iisisolations(2)
        with pytest.raises(quorva.SolverError, match="type 5 is not one of"):
            p.iiswrite(1, str(tmp_path / "x"), 5, "")
        assert not (tmp_path / "x").exists()

    def test_an_edit_of_the_rows_forgets_them(self):
        p, (x, y, z), rows = two_conflicts()
        p.iisfirst(0)
        p.setObjective(x)  # the objective does not change the feasible set
        assert p.iisstatus([], [], [], []) == 1
        p.chgbounds([z], ["U"], [10])
        assert p.iisstatus([], [], [], []) is None
