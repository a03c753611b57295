"""Multistart through the C interface: jobs checked when they are added
(columns, values, control identifiers of both libraries, presets), the
starting points of the presets, the job callbacks with the job's copy, and
stops that end every job."""
import ctypes
from ctypes import POINTER, byref, c_char_p, c_double, c_int, c_void_p

import pytest

from engine_model import dbl, ints
from slp_model import var

JOB_CB = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p, c_void_p, c_char_p, POINTER(c_int))
WINNER_CB = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p, c_void_p, c_char_p)
INITIALVALUES, SOLVERS, SLP_BASIC, KNITRO_BASIC, INITIALFILTERED = 0, 1, 2, 4, 6
SLPITERLIMIT, SLPTHREADS, SLPSECONDORDER, SLPFEASTOL = 12001, 12003, 12004, 12101
NLPSTATUS, STOPSTATUS, NLPOBJVAL, SLPITERATIONS = 12044, 12045, 12179, 12040
RANDOMSEED, OPTIMIZERPROBLEM, STOP_USER, ERR_STATE = 8009, 12601, 9, 5


@pytest.fixture
def ms(slp_problem):
    m = slp_problem
    lib = m.lib
    lib.QSLPmsaddjob.argtypes = [c_void_p, c_char_p, c_int, POINTER(c_int), POINTER(c_double), c_int,
                                 POINTER(c_int), POINTER(c_int), c_int, POINTER(c_int), POINTER(c_double),
                                 c_void_p]
    lib.QSLPmsaddpreset.argtypes = [c_void_p, c_char_p, c_int, c_int, c_void_p]
    lib.QSLPmsaddcustompreset.argtypes = [c_void_p, c_char_p, c_int, c_int] + lib.QSLPmsaddjob.argtypes[2:]
    lib.QSLPmsclear.argtypes = [c_void_p]
    lib.QSLPgetptrattrib.argtypes = [c_void_p, c_int, POINTER(c_void_p)]
    for name in ("QSLPsetcbmsjobstart", "QSLPsetcbmsjobend"):
        getattr(lib, name).argtypes = [c_void_p, JOB_CB, c_void_p]
    lib.QSLPsetcbmswinner.argtypes = [c_void_p, WINNER_CB, c_void_p]
    lib.QSLPgetintcontrol.argtypes = [c_void_p, c_int, POINTER(c_int)]
    lib.QSLPsetintcontrol.argtypes = [c_void_p, c_int, c_int]
    return m


def two_wells(m, lb=-3.0, ub=3.0):
    """min g(x) + g(y), g(t) = t^4 - 8t^2 + 3t: the global minimum -44.27 at
    x = y = -2.09; from (1.5, 1.5) a solve ends at -20.30."""
    x, y = m.add_cols([0, 0], [lb, lb], [ub, ub])
    t = m.add_cols([1], [-1e20], [1e20])[0]
    row = m.add_rows("E", [0], [{t: -1.0}])[0]
    g = lambda v: v ** 4 - 8 * v ** 2 + 3 * v
    m.add_coefs([(row, -1, 1.0, g(var(x)) + g(var(y)))])
    m.set_start({x: 1.5, y: 1.5})
    return x, y


def add_job(m, name=b"job", cols=(), values=(), intc=(), dblc=(), obj=None, expect_ok=True):
    args = (name, len(cols), ints(cols), dbl(values), len(intc), ints([c[0] for c in intc]),
            ints([c[1] for c in intc]), len(dblc), ints([c[0] for c in dblc]), dbl([c[1] for c in dblc]), obj)
    if expect_ok:
        return m.sok("QSLPmsaddjob", *args)
    return m.sfails("QSLPmsaddjob", *args)


def initial_values(m, slp, cols):
    out = []
    for j in cols:
        v = c_double()
        assert m.lib.QSLPgetvar(slp, j, None, None, None, None, None, byref(v), None, None, None, None, None,
                                None, None, None, None) == 0
        out.append(v.value)
    return out


def starts_of(m, cols):
    """Sets an msjobstart callback that records each job's name and the
    initial values of cols on its copy; returns the list and the callback."""
    seen = []

    def start(slp, data, job, name, status):
        seen.append((name.decode(), initial_values(m, slp, cols)))
        return 0

    cb = JOB_CB(start)
    m.sok("QSLPsetcbmsjobstart", cb, None)
    return seen, cb


class TestAddingJobs:
    def test_refusals_name_the_argument_and_add_nothing(self, ms):
        m = ms
        x, y = two_wells(m)
        cases = [
            (dict(cols=[5], values=[1.0]), "column index 5 in 'colindex' at position 0 is out of range"),
            (dict(cols=[x], values=[float("inf")]), "'initvalue' at position 0 is inf"),
            (dict(intc=[(99999, 1)]), "99999 is not a known control identifier"),
            (dict(intc=[(SLPITERATIONS, 1)]), "12040 (slpiterations) is an attribute, not a control"),
            (dict(intc=[(SLPFEASTOL, 1)]), "12101 (slpfeastol) is a double"),
            (dict(dblc=[(SLPFEASTOL, 2.0)]), "value 2 for control 12101 (slpfeastol) is outside its range"),
            (dict(intc=[(RANDOMSEED, -1)]), "value -1 for control 8009 (randomseed) is outside its range"),
        ]
        for kwargs, text in cases:
            code, error = add_job(m, expect_ok=False, **kwargs)
            assert error.startswith("QSLPmsaddjob: ") and text in error, error
        assert m.sfails("QSLPmsaddjob", b"j", 1, None, None, 0, None, None, 0, None, None, None)[1] == \
            "QSLPmsaddjob: argument 'colindex' is NULL"
        assert "ninitial is -1" in m.sfails("QSLPmsaddjob", b"j", -1, None, None, 0, None, None, 0, None, None,
                                            None)[1]
        presets = [(KNITRO_BASIC, 1, "preset 4 (msset_knitro_basic) needs a solver this library does not have"),
                   (5, 1, "preset 5 (msset_knitro_extended) needs a solver"),
                   (7, 1, "preset 7 is not one of the QSLP_MSSET_* presets (0 to 6)"),
                   (SOLVERS, 3, "count 3 of preset 1 (msset_solvers) is more than its 2 jobs"),
                   (SLP_BASIC, -2, "count -2 of preset 2 (msset_slp_basic) is less than 1")]
        for preset, count, text in presets:
            assert text in m.sfails("QSLPmsaddpreset", b"p", preset, count, None)[1]
        # Every refused setting was checked on the problem's own controls and
        # put back: nothing changed, no job was added.
        value = c_int()
        m.ok("QRVAgetintcontrol", RANDOMSEED, byref(value))
        assert value.value == 0
        status, objective = m.solve()
        assert objective == pytest.approx(-20.2958, abs=1e-3)

    def test_controls_of_both_libraries_reach_the_jobs_copy_only(self, ms):
        m = ms
        x, y = two_wells(m)
        add_job(m, b"capped", intc=[(SLPITERLIMIT, 1), (RANDOMSEED, 5)])
        seen = []

        def start(slp, data, job, name, status):
            v, q = c_int(), c_void_p()
            assert m.lib.QSLPgetintcontrol(slp, SLPITERLIMIT, byref(v)) == 0
            assert m.lib.QSLPgetptrattrib(slp, OPTIMIZERPROBLEM, byref(q)) == 0
            seed = c_int()
            assert m.lib.QRVAgetintcontrol(q, RANDOMSEED, byref(seed)) == 0
            # The copy takes no jobs of its own.
            refused = m.lib.QSLPmsaddpreset(slp, b"inner", INITIALVALUES, 1, None)
            seen.append((v.value, seed.value, slp != m.slp.value, refused))
            return 0

        cb = JOB_CB(start)
        m.sok("QSLPsetcbmsjobstart", cb, None)
        status, objective = m.solve()
        assert seen == [(1, 5, True, ERR_STATE)]
        assert m.iattr(SLPITERATIONS) == 1 and status == 6  # unfinished at the iteration limit
        v = c_int()
        m.sok("QSLPgetintcontrol", SLPITERLIMIT, byref(v))
        assert v.value == 1000


class TestPresets:
    def test_uniform_points_are_within_the_bounds_and_follow_the_seed(self, ms):
        m = ms
        x, y = two_wells(m, lb=-1.0, ub=2.0)
        free = m.add_cols([0], [-1e20], [1e20])[0]  # in no row: its box is 100 about 0
        m.sok("QSLPmsaddpreset", b"u", INITIALVALUES, 4, None)
        seen, cb = starts_of(m, [x, y, free])
        m.solve()
        first = list(seen)
        assert [s[0] for s in first] == ["u #1", "u #2", "u #3", "u #4"]
        assert all(-1 <= a <= 2 and -1 <= b <= 2 and -100 <= c <= 100 for _, (a, b, c) in first)
        assert len({tuple(v) for _, v in first}) == 4
        seen.clear()
        m.solve()
        assert seen == first
        m.ok("QRVAsetintcontrol", RANDOMSEED, 3)
        seen.clear()
        m.solve()
        assert [v for _, v in seen] != [v for _, v in first]

    def test_filtered_points_violate_less_than_the_points_they_were_chosen_from(self, ms):
        m = ms
        x, y = two_wells(m, lb=0.0, ub=1.0)
        m.add_rows("G", [1.9], [{x: 1.0, y: 1.0}])  # a corner of the box
        for preset in (INITIALVALUES, INITIALFILTERED):
            m.sok("QSLPmsaddpreset", b"p", preset, 3, None)
            seen, cb = starts_of(m, [x, y])
            m.solve()
            m.sok("QSLPmsclear")
            violation = sum(max(0.0, 1.9 - a - b) for _, (a, b) in seen)
            if preset == INITIALVALUES:
                plain = violation
        # The filtered preset draws the same first points and keeps the best.
        assert violation < plain

    def test_solvers_and_perturbations(self, ms):
        m = ms
        x, y = two_wells(m)
        m.sok("QSLPmsaddpreset", b"s", SOLVERS, 2, None)
        m.sok("QSLPmsaddpreset", b"b", SLP_BASIC, 3, None)
        seen = []

        def start(slp, data, job, name, status):
            v = c_int()
            assert m.lib.QSLPgetintcontrol(slp, SLPSECONDORDER, byref(v)) == 0
            seen.append((name.decode(), v.value, initial_values(m, slp, [x, y])))
            return 0

        cb = JOB_CB(start)
        m.sok("QSLPsetcbmsjobstart", cb, None)
        m.solve()
        assert [(s[0], s[1]) for s in seen] == [("s #1", 1), ("s #2", 0), ("b #1", 1), ("b #2", 1), ("b #3", 1)]
        assert all(v == [1.5, 1.5] for _, _, v in seen[:2])
        # Within a tenth of the box width (6) of the initial point.
        assert all(abs(a - 1.5) <= 0.6 and abs(b - 1.5) <= 0.6 and (a, b) != (1.5, 1.5) for _, _, (a, b) in seen[2:])


class TestRunning:
    def test_results_the_winner_and_the_copies_answer_their_own_job(self, ms):
        m = ms
        x, y = two_wells(m)
        add_job(m, b"given", obj=11)
        add_job(m, b"left", cols=[x, y], values=[-2.5, -2.5], obj=22)
        add_job(m, b"mixed", cols=[x, y], values=[-2.5, 2.5], obj=33)
        ends, winners = [], []

        def end(slp, data, job, name, status):
            v = c_double()
            assert m.lib.QSLPgetdblattrib(slp, NLPOBJVAL, byref(v)) == 0
            ends.append((job, name.decode(), round(v.value, 2)))
            status[0] = 1 if name == b"left" else 0
            return 0

        def winner(slp, data, job, name):
            winners.append((slp == m.slp.value, job, name.decode(), round(m.dslp(NLPOBJVAL), 2)))
            return 0

        cbs = JOB_CB(end), WINNER_CB(winner)
        m.sok("QSLPsetcbmsjobend", cbs[0], None)
        m.sok("QSLPsetcbmswinner", cbs[1], None)
        m.sok("QSLPsetintcontrol", SLPTHREADS, 2)
        status, objective = m.solve()
        assert sorted(ends) == [(11, "given", -20.3), (22, "left", -44.27), (33, "mixed", -32.28)]
        assert winners == [(True, 33, "mixed", -32.28)] and status == 1
        assert m.slpsol()[0][:2] == pytest.approx([-2.0879, 1.8987], abs=1e-3)

    def test_a_stop_from_msjobstart_or_an_interrupt_ends_every_job(self, ms):
        m = ms
        two_wells(m)
        m.sok("QSLPmsaddpreset", b"u", INITIALVALUES, 5, None)
        started = []

        def start(slp, data, job, name, status):
            started.append(name)
            return 1

        cb = JOB_CB(start)
        m.sok("QSLPsetcbmsjobstart", cb, None)
        status, objective = m.solve()
        assert started == [b"u #1"] and status == 6 and m.iattr(STOPSTATUS) == STOP_USER

        def interrupt(slp, data, job, name, status):
            started.append(name)
            return m.lib.QSLPinterrupt(m.slp, 0)  # the problem itself, from the job's thread

        cb = JOB_CB(interrupt)
        m.sok("QSLPsetcbmsjobstart", cb, None)
        started.clear()
        status, objective = m.solve()
        assert len(started) <= 2 and m.iattr(STOPSTATUS) == STOP_USER

    def test_a_job_naming_a_deleted_column_fails_the_solve(self, ms):
        m = ms
        x, y = two_wells(m)
        extra = m.add_cols([0], [0], [1])[0]
        add_job(m, b"extra", cols=[extra], values=[0.5])
        m.ok("QRVAdelcols", 1, ints([extra]))
        code, text = m.sfails("QSLPnlpoptimize", b"")
        assert code == ERR_STATE
        assert "multistart job 1 (extra) sets column 3, but the problem has 3 columns now" in text
