"""Basis, solution and save files written by the library and read back:
round trips that re-solve warm or to the same optimum, a text solution as a
MIP start, and damaged, truncated or foreign files refused with the problem
left as it was."""

import csv
import os
import struct

import pytest

import quorva

INSTANCES = "/work/shared/instances"
AFIRO = -464.75314286


def instance(name, log=None):
    p = quorva.problem()
    p.controls.outputlog = 0
    p.read(os.path.join(INSTANCES, name))
    if log:
        p.setlogfile(log)
    return p


def basis(p):
    r, c = [], []
    p.getbasis(r, c)
    return r, c


def fnv1a(data):
    h = 14695981039346656037
    for b in data:
        h = ((h ^ b) * 1099511628211) & 0xFFFFFFFFFFFFFFFF
    return h


def resealed(data):
    """The bytes with their check sum made right again, after a deliberate change."""
    return data[:-8] + struct.pack("=Q", fnv1a(data[:-8]))


class TestBasisFiles:
    def test_written_basis_restarts_a_fresh_copy_without_iterations(self, tmp_path):
        p = instance("afiro.mps")
        p.solve()
        path = str(tmp_path / "afiro")
        p.writebasis(path)
        text = open(path + ".bss").read()
        assert text.startswith("NAME          AFIRO\n") and text.endswith("ENDATA\n")
        assert {line.split()[0] for line in text.splitlines()[1:-1]} <= {"XU", "XL", "UL", "LL"}
        fresh = instance("afiro.mps")
        fresh.readbasis(path)
        assert basis(fresh) == basis(p)
        fresh.solve()
        assert fresh.attributes.simplexiters == 0
        assert fresh.getObjVal() == pytest.approx(AFIRO, rel=1e-6)

    def test_default_name_is_the_problems(self, tmp_path, monkeypatch):
        monkeypatch.chdir(tmp_path)
        p = instance("afiro.mps")
        with pytest.raises(quorva.SolverError, match="no basis is available"):
            p.writebasis()
        assert not os.path.exists("AFIRO.bss")
        p.solve()
        p.writebasis()
        assert os.path.exists("AFIRO.bss")
        with pytest.raises(quorva.SolverError, match="flag 'x'"):
            p.writebasis("", "x")

    def test_bad_basis_files_leave_the_basis(self, tmp_path):
        p = instance("afiro.mps")
        p.solve()
        good = str(tmp_path / "good.bss")
        p.writebasis(good)
        text = open(good).read()
        before = basis(p)
        first = text.splitlines()[1]  # " XL X01 R09"
        cases = {"truncated": (text.replace("ENDATA\n", ""), "ends before ENDATA"),
                 "unknown": (text.replace(first, " XL NOPE R09"), "no column is called 'NOPE'"),
                 "record": (text.replace(first, " BS X01 R09"), "record 'BS' is not one of XU XL UL LL"),
                 "fields": (text.replace(first, " XL X01"), "line 2: a XL record has a column and a row"),
                 "twice": (text + "", None)}
        lines = text.splitlines()
        cases["twice"] = ("\n".join(lines[:2] + [lines[1]] + lines[2:]) + "\n", "column X01 has a second record")
        for kind, (content, message) in cases.items():
            path = tmp_path / (kind + ".bss")
            path.write_text(content)
            with pytest.raises(quorva.SolverError, match=message):
                p.readbasis(str(path))
            assert basis(p) == before
        with pytest.raises(quorva.SolverError, match="cannot open"):
            p.readbasis(str(tmp_path / "missing.bss"))


class TestSolutionFiles:
    def test_csv_and_printed_reports(self, tmp_path):
        p = quorva.problem()
        p.controls.outputlog = 0
        x, y = quorva.var(name="a,b"), quorva.var(name="y")
        p.addVariable(x, y)
        p.addConstraint(x + y <= 4, x - y >= -2)
        p.setObjective(x + 2 * y, sense=quorva.maximize)
        p.solve()
        p.writesol(str(tmp_path / "s"))
        rows = list(csv.DictReader(open(tmp_path / "s.csv")))
        assert [r["kind"] for r in rows] == ["R", "R", "C", "C"]
        cols = {r["name"]: r for r in rows if r["kind"] == "C"}
        assert float(cols["a,b"]["value"]) == pytest.approx(1) and float(cols["y"]["value"]) == pytest.approx(3)
        assert float(rows[0]["value"]) == pytest.approx(4) and float(rows[0]["slack"]) == pytest.approx(0)
        assert float(rows[0]["dual"]) == pytest.approx(1.5) and cols["y"]["slack"] == ""
        p.writeprtsol(str(tmp_path / "s"))
        report = open(tmp_path / "s.prt").read()
        assert "objective 7" in report and "Reduced cost" in report

    def test_writers_need_a_solution(self, tmp_path):
        p = instance("afiro.mps")
        for write in (p.writesol, p.writeprtsol, p.writeslxsol, p.writebinsol):
            with pytest.raises(quorva.SolverError, match="no solution is available"):
                write(str(tmp_path / "none"))
        assert os.listdir(tmp_path) == []

    def test_text_solution_is_a_mip_start(self, tmp_path):
        p = instance("flugpl.mps")
        p.solve()
        path = str(tmp_path / "flugpl")
        p.writeslxsol(path)
        lines = open(path + ".slx").read().splitlines()
        assert lines[0] == "NAME FLUGPL" and lines[-1] == "ENDATA" and len(lines) == 18 + 2
        assert all(line.startswith("C ") and len(line.split()) == 3 for line in lines[1:-1])
        log = str(tmp_path / "fresh.log")
        fresh = instance("flugpl.mps", log)
        fresh.readslxsol(path)
        fresh.solve()
        assert fresh.getObjVal() == pytest.approx(1201500, rel=1e-4)
        assert "MIP start solution is feasible, objective value is 1201500" in open(log).read()

    def test_bad_text_solutions_are_refused(self, tmp_path):
        p = instance("flugpl.mps")
        p.solve()
        good = str(tmp_path / "good.slx")
        p.writeslxsol(good)
        text = open(good).read()
        first = text.splitlines()[1]
        name = first.split()[1]
        for content, message in [(text.replace("ENDATA\n", ""), "ends before ENDATA"),
                                 (text.replace(first, "C nope 1"), "no column is called 'nope'"),
                                 (text.replace(first, "C %s one" % name), "value 'one' is not a finite number"),
                                 (text.replace(first, "C %s inf" % name), "value 'inf' is not a finite number"),
                                 (text.replace(first, "R %s 1" % name), "expected a line C <column> <value>")]:
            (tmp_path / "bad.slx").write_text(content)
            with pytest.raises(quorva.SolverError, match=message):
                p.readslxsol(str(tmp_path / "bad.slx"))

    def test_binary_solution_round_trip_and_refusals(self, tmp_path):
        p = instance("afiro.mps")
        p.solve()
        x = p.getSolution()
        path = str(tmp_path / "afiro")
        p.writebinsol(path)
        fresh = instance("afiro.mps")
        fresh.readbinsol(path)
        assert fresh.getSolution() == x and fresh.getObjVal() == pytest.approx(AFIRO, rel=1e-6)
        data = open(path + ".bsol", "rb").read()
        changed = bytearray(data)
        changed[100] ^= 1
        other = instance("adlittle.mps")
        other.solve()
        y = other.getSolution()
        for content, message in [(data[:-20], "check sum does not match"),
                                 (bytes(changed), "check sum does not match"),
                                 (b"NOTASOLUTION" + data[12:], "not a binary solution file"),
                                 (resealed(data[:8] + struct.pack("=I", 9) + data[12:]), "version 9"),
                                 (data, "a solution of 27 rows and 32 columns; the problem has 56 rows and 97")]:
            (tmp_path / "bad.bsol").write_bytes(content)
            with pytest.raises(quorva.SolverError, match=message):
                other.readbinsol(str(tmp_path / "bad.bsol"))
            assert other.getSolution() == y


    def test_binary_mip_solution_keeps_its_status_and_objective(self, tmp_path):
        p = instance("flugpl.mps")
        p.solve()
        p.writebinsol(str(tmp_path / "flugpl"))
        fresh = instance("flugpl.mps")
        fresh.readbinsol(str(tmp_path / "flugpl"))
        assert fresh.getSolution() == p.getSolution()
        assert fresh.attributes.mipstatus == p.attributes.mipstatus
        assert fresh.getObjVal() == pytest.approx(1201500, rel=1e-4)


class TestSaveRestore:
    def test_restore_gives_the_same_problem_and_optimum(self, tmp_path, monkeypatch):
        monkeypatch.chdir(tmp_path)
        p = instance("lseu.mps")
        p.controls.feastol = 1e-7
        # HiGHS's MIP solves it, so the directives are stored and saved but not used
        # (they would send the solve to the slower tree search).
        p.controls.treesearch = 2
        x0, x1 = p.getVariable(0), p.getVariable(1)
        p.loaddirs([x0, x1], [5, 6], ["U", "D"])
        p.solve()
        p.save()
        assert os.path.exists("LSEU.svf")
        q = quorva.problem()
        q.controls.outputlog = 0
        q.restore("LSEU")
        assert [v.name for v in q.getVariable()] == [v.name for v in p.getVariable()]
        assert q.controls.feastol == pytest.approx(1e-7) and q.controls.treesearch == 2
        assert q.getObjVal() == pytest.approx(1120, rel=1e-4)  # the saved solution
        lists = [[] for _ in range(5)]
        q.getdirs(*lists)
        assert [v.name for v in lists[0]] == [x0.name, x1.name] and lists[1:3] == [[5, 6], ["U", "D"]]
        q.solve()
        assert q.getObjVal() == pytest.approx(1120, rel=1e-4)

    def test_nonlinear_part_is_saved(self, tmp_path, monkeypatch):
        monkeypatch.chdir(tmp_path)
        p = quorva.problem(name="curve")
        p.controls.outputlog = 0
        x = quorva.var(name="x", lb=-5, ub=5)
        p.addVariable(x)
        p.setObjective(quorva.exp(x) - 3 * x)
        p.solve()
        p.save()
        q = quorva.problem()
        q.controls.outputlog = 0
        q.restore("curve")
        q.solve()
        assert q.getSolution(0) == pytest.approx(1.0986123, rel=1e-5)  # exp(x) = 3

    def test_user_functions_must_be_defined_where_the_formulas_call_them(self, tmp_path, monkeypatch):
        monkeypatch.chdir(tmp_path)
        p = quorva.problem(name="uf")
        p.controls.outputlog = 0
        x = quorva.var(name="x", lb=-5, ub=5)
        p.addVariable(x)
        p.setObjective(quorva.user(lambda v: (v - 2) ** 2, x))
        p.save()
        q = quorva.problem()
        q.addVariable(quorva.var(name="y"))
        with pytest.raises(quorva.SolverError, match="calls the user function '<lambda>' \\(number 1\\)"):
            q.restore("uf")
        assert [v.name for v in q.getVariable()] == ["y"]
        p.restore("uf")  # its own layer defines the function
        p.solve()
        assert p.getSolution(0) == pytest.approx(2, abs=1e-6)

    def test_damaged_save_files_leave_the_problem(self, tmp_path, monkeypatch):
        monkeypatch.chdir(tmp_path)
        p = instance("afiro.mps")
        p.save()
        data = open("AFIRO.svf", "rb").read()
        q = instance("adlittle.mps")
        q.setprobname("other")
        for content, message in [(data[: len(data) // 2], "check sum does not match"),
                                 (data[:6], "not a saved problem"),
                                 (resealed(data[:8] + struct.pack("=I", 3) + data[12:]), "format version 3"),
                                 (resealed(data[:-30] + data[-8:]), "truncated")]:
            open("bad.svf", "wb").write(content)
            with pytest.raises(quorva.SolverError, match=message):
                q.restore("bad")
            assert len(q.getVariable()) == 97 and q.attributes.cols == 97
        with pytest.raises(quorva.SolverError, match="cannot open"):
            q.restore("missing")
        q.solve()
        assert q.getObjVal() == pytest.approx(225494.96316, rel=1e-6)
