"""What the attributes and the log say about how a solve ended."""
import os

import quorva

P0548 = os.path.join(os.path.dirname(__file__), "data", "p0548.mps")  # MIPLIB 3, optimum 8691


def solved(**controls):
    lines = []
    p = quorva.problem()
    p.controls.outputlog = 0
    p.read(P0548)
    for name, value in controls.items():
        setattr(p.controls, name, value)
    handler = lambda *args: lines.append(args[3])  # (problem, data, object, text, length, level)
    quorva.addcbmsghandler(handler, None, 0)
    try:
        p.solve()
    finally:
        quorva.removecbmsghandler(handler, None)
    return p, lines


def test_a_stop_on_the_gap_tolerance_says_so_and_a_proof_does_not():
    loose, _ = solved(miprelgaptol=0.05)
    assert loose.getProbStatusString() == "mip_optimal"
    assert loose.attributes.mipgap > 0
    assert loose.attributes.stopstatus == quorva.stop_mipgap
    tight, _ = solved(miprelgaptol=0.0)
    assert tight.attributes.mipgap == 0 and tight.attributes.stopstatus == 0
    assert tight.getObjVal() == 8691


def test_the_log_names_statuses_and_takes_infinite_bounds_as_they_are():
    p, lines = solved()
    assert not [line for line in lines if line and "treated as" in line]
    summary = [line for line in lines if line and line.startswith("QRVAmipoptimize:")]
    assert summary and "mip_optimal" in summary[-1]


def test_a_new_thread_count_runs_the_next_solve():
    # HiGHS fixes its scheduler's thread count at the first run of the process;
    # later counts must still solve, never end as an unsolved "result".
    for threads in (1, 2, 1, 0):
        p, _ = solved(threads=threads)
        assert p.getProbStatusString() == "mip_optimal", threads
        assert p.getObjVal() == 8691


def test_a_solution_limit_is_reported_as_the_solutions_found():
    # mipsols counts every incumbent the run reported (each one an intsol
    # call); the engine's own tree search stops at the limit exactly, while
    # HiGHS's MIP may count a solution found before its first interrupt point.
    for treesearch in (1, 2):
        found = []
        p = quorva.problem()
        p.controls.outputlog = 0
        p.read(P0548)
        p.controls.maxmipsol = 1
        p.controls.treesearch = treesearch
        p.addcbintsol(lambda prob, data: found.append(prob.attributes.mipobjval))
        p.solve()
        assert p.getProbStatusString() == "mip_solution"
        assert p.attributes.stopstatus == quorva.stop_sollimit
        assert p.attributes.mipsols == len(found) >= 1
        assert p.getObjVal() == found[-1] >= 8691
        if treesearch == 1:
            assert len(found) == 1
