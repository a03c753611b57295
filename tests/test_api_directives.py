"""Branching directives and row marks through the library-named methods:
loading, reading back, replacement, renumbering on deletions, the directive
file, and refusals that leave the stored data as it was."""

import pytest

import quorva


@pytest.fixture
def mip():
    """max x + 2y + 3z, x + y + z <= 2.5 (r0), x - y >= -1 (r1), x, y, z integer in [0, 2]."""
    p = quorva.problem()
    p.controls.outputlog = 0
    x, y, z = (quorva.var(name=n, ub=2, vartype=quorva.integer) for n in "xyz")
    p.addVariable(x, y, z)
    r0, r1 = x + y + z <= 2.5, x - y >= -1
    p.addConstraint(r0, r1)
    p.setObjective(x + 2 * y + 3 * z, sense=quorva.maximize)
    return p, (x, y, z), (r0, r1)


def dirs(p):
    lists = [[] for _ in range(5)]
    p.getdirs(*lists)
    return lists


class TestDirectives:
    def test_loaded_read_back_and_replaced(self, mip):
        p, (x, y, z), _ = mip
        assert dirs(p) == [[]] * 5  # none loaded: the lists are left alone
        p.loaddirs([y, x], [1, 2])
        assert dirs(p) == [[x, y], [2, 1], ["N", "N"], [-1, -1], [-1, -1]]
        p.loaddirs(["z"], [7], ["D"], [0.5], [1.5])  # names work too; the old ones go
        assert dirs(p) == [[z], [7], ["D"], [0.5], [1.5]]
        p.loadbranchdirs([x, z], [1, 1])
        assert dirs(p) == [[x, z], [500, 7], ["U", "U"], [-1, 0.5], [-1, 1.5]]
        p.loadbranchdirs([y])
        assert dirs(p)[2] == ["U", "U", "U"]

    def test_refusals_change_nothing(self, mip):
        p, (x, y, z), _ = mip
        p.loaddirs([x], [3], ["U"])
        before = dirs(p)
        for args, text in [(([x, x], [1, 2]), "column 0 appears twice"),
                           (([y], [1], ["X"]), "branch direction 'X'"),
                           (([y], [1], ["U"], [float("nan")]), "NaN"),
                           (([y], [1], ["U"], [float("inf")]), "infinite"),
                           (([5], [1]), "out of range")]:
            with pytest.raises(quorva.SolverError, match=text):
                p.loaddirs(*args)
            assert dirs(p) == before
        with pytest.raises(quorva.SolverError, match="ndirs is -1"):
            p.loaddirs(None)
        with pytest.raises(quorva.ModelError, match="expected 1, found 2"):
            p.loaddirs([y], [1, 2])
        with pytest.raises(quorva.SolverError, match="not 0 \\(down first\\) or 1"):
            p.loadbranchdirs([y], [2])
        with pytest.raises(quorva.InterfaceError, match="Must provide argument mcols"):
            p.loadbranchdirs(None)
        with pytest.raises(quorva.InterfaceError, match="Must provide arguments \\(as lists\\) to getdirs"):
            p.getdirs([], [], None, [], [])
        assert dirs(p) == before

    def test_follow_their_columns_through_copies_and_deletions(self, mip):
        p, (x, y, z), _ = mip
        p.loaddirs([x, y, z], [1, 2, 3], ["U", "D", "N"])
        assert dirs(p.copy())[1:3] == [[1, 2, 3], ["U", "D", "N"]]
        p.delVariable(y)
        assert dirs(p)[:3] == [[x, z], [1, 3], ["U", "N"]]
        p.delVariable(x)
        assert dirs(p)[:3] == [[z], [3], ["N"]]

    def test_directive_file_round_trip_and_bad_files(self, mip, tmp_path):
        p, (x, y, z), _ = mip
        p.loaddirs([x, z], [4, 9], ["D", "U"], [1.25, 0], [2, 3.5])
        path = str(tmp_path / "plan")
        p.writedirs(path)
        text = open(path + ".dir").read()
        assert "x 4 D 1.25 2\n" in text and text.endswith("ENDATA\n")
        p.loaddirs([y], [1])
        p.readdirs(path)
        assert dirs(p) == [[x, z], [4, 9], ["D", "U"], [1.25, 0], [2, 3.5]]
        bad = {"truncated": text.replace("ENDATA\n", ""),
               "unknown": text.replace("x 4", "w 4"),
               "short": text.replace("x 4 D 1.25 2", "x 4 D"),
               "branch": text.replace("x 4 D", "x 4 Q"),
               "priority": text.replace("x 4 D", "x 4.5 D")}
        messages = {"truncated": "ends before ENDATA", "unknown": "no column is called 'w'",
                    "short": "line 3: expected five fields", "branch": "branch Q",
                    "priority": "priority 4.5 is not an integer"}
        for kind, content in bad.items():
            (tmp_path / (kind + ".dir")).write_text(content)
            with pytest.raises(quorva.SolverError, match=messages[kind]):
                p.readdirs(str(tmp_path / kind))
            assert dirs(p)[0] == [x, z]
        with pytest.raises(quorva.SolverError, match="cannot open"):
            p.readdirs(str(tmp_path / "missing.dir"))


class TestRowMarks:
    def test_marked_rows_take_the_tree_search_or_solve_as_ordinary_rows(self, mip, tmp_path):
        p, (x, y, z), (r0, r1) = mip
        log = str(tmp_path / "solve.log")
        p.setlogfile(log)
        p.loaddelayedrows([r0])
        p.loadmodelcuts([r1])
        p.solve()
        assert p.getObjVal() == pytest.approx(6)  # z = 2, r0 binding: the delayed row holds
        assert "tree search runs (1 delayed rows and 1 model cuts are loaded)" in open(log).read()
        p.setControl("treesearch", 2)  # HiGHS's MIP only: the rows are ordinary ones there
        p.solve()
        assert p.getObjVal() == pytest.approx(6)
        assert "1 delayed rows and 1 model cuts are solved as ordinary rows" in open(log).read()

    def test_marks_are_replaced_renumbered_and_kept_apart(self, mip, tmp_path):
        p, (x, y, z), (r0, r1) = mip
        p.loaddelayedrows([r0, r1])
        with pytest.raises(quorva.SolverError, match="already one of the delayed rows"):
            p.loadmodelcuts([r1])
        p.loaddelayedrows([r0])
        p.loadmodelcuts([r1])
        p.delConstraint(r0)  # r1 moves to row 0 and keeps its mark
        log = str(tmp_path / "solve.log")
        p.setlogfile(log)
        p.solve()
        assert "0 delayed rows and 1 model cuts" in open(log).read()
        with pytest.raises(quorva.InterfaceError, match="Must provide argument mrows"):
            p.loaddelayedrows(None)
        with pytest.raises(quorva.SolverError, match="out of range"):
            p.loadmodelcuts([3])

    def test_secure_rows_and_columns(self, mip):
        p, (x, y, z), (r0, r1) = mip
        p.loadsecurevecs([r1], None)
        p.loadsecurevecs(None, [x, "z"])
        with pytest.raises(quorva.SolverError, match="column index 7 in 'colind'"):
            p.loadsecurevecs(None, [7])
