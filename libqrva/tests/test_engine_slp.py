"""The SLP layer: environment, problems on optimizer problems, its identifier
list, controlname, controls, attributes and the optimizer problem under it."""
import ctypes
from ctypes import POINTER, byref, c_char_p, c_double, c_int, c_void_p

import pytest

from conftest import (ERR_ARGUMENT, ERR_NOT_INITIALISED, ERR_STATE, global_error,
                      problem_error, slp_error, walk_calist)

SLP_INT, SLP_DBL, SLP_STR, SLP_PTR, SLP_CONTROL = 1, 2, 4, 8, 16


@pytest.fixture
def pair(slp_env):
    """An optimizer problem and the SLP problem layered on it."""
    qprob, slp = c_void_p(), c_void_p()
    assert slp_env.QRVAcreateprob(byref(qprob)) == 0
    assert slp_env.QSLPcreateprob(byref(slp), byref(qprob)) == 0
    yield qprob, slp
    assert slp_env.QSLPdestroyprob(slp) == 0
    assert slp_env.QRVAdestroyprob(qprob) == 0


def test_slp_environment_needs_the_optimizer_one(lib):
    assert lib.QSLPinit() == ERR_NOT_INITIALISED
    assert "QRVAinit first" in global_error(lib)[1]
    assert lib.QRVAinit(None) == 0
    assert lib.QSLPinit() == 0
    assert lib.QSLPfree() == 0
    assert lib.QSLPfree() == ERR_NOT_INITIALISED
    slp, qprob = c_void_p(), c_void_p()
    assert lib.QSLPcreateprob(byref(slp), byref(qprob)) == ERR_NOT_INITIALISED
    assert "QSLPinit first" in global_error(lib)[1]
    assert lib.QRVAfree() == 0


def test_layered_problem_and_pointer_attribute(slp_env, pair):
    qprob, slp = pair
    under = c_void_p()
    assert slp_env.QSLPgetptrattrib(slp, 12601, byref(under)) == 0
    assert under.value == qprob.value
    # One SLP problem per optimizer problem.
    again = c_void_p()
    assert slp_env.QSLPcreateprob(byref(again), byref(qprob)) == ERR_STATE
    assert "already has an SLP problem" in problem_error(slp_env, qprob)


def test_slp_problem_can_own_its_optimizer_problem(slp_env):
    slp, qprob = c_void_p(), c_void_p()
    assert slp_env.QSLPcreateprob(byref(slp), byref(qprob)) == 0
    assert qprob.value is not None
    assert slp_env.QRVAsetprobname(qprob, b"owned") == 0
    assert slp_env.QSLPdestroyprob(slp) == 0
    # The optimizer problem went with it; checked mode refuses the old handle.
    assert slp_env.QRVAsetprobname(qprob, b"x") == ERR_ARGUMENT
    assert "does not name a live problem" in global_error(slp_env)[1]


def test_destroying_the_optimizer_problem_first_detaches_the_slp_problem(slp_env):
    qprob, slp = c_void_p(), c_void_p()
    assert slp_env.QRVAcreateprob(byref(qprob)) == 0
    assert slp_env.QSLPcreateprob(byref(slp), byref(qprob)) == 0
    assert slp_env.QRVAdestroyprob(qprob) == 0
    under = c_void_p(1)
    assert slp_env.QSLPgetptrattrib(slp, 12601, byref(under)) == 0 and under.value is None
    rows = c_int(-1)
    assert slp_env.QSLPgetintattrib(slp, 11999, byref(rows)) == 0 and rows.value == 0
    assert slp_env.QSLPprintmsg(slp, 1, b"hello") == ERR_STATE
    assert "was destroyed" in slp_error(slp_env, slp)[1]
    assert slp_env.QSLPdestroyprob(slp) == 0


def test_identifier_list_with_header_and_controlname(slp_env, pair):
    _, slp = pair
    ids, names = POINTER(c_int)(), POINTER(c_char_p)()
    assert slp_env.QSLPgetcalist(slp, byref(ids), byref(names)) == 0
    entries = walk_calist(ids, names, start=1, stop_on_name=True)
    assert ids[0] == len(entries) and names[0] == b"qslp"
    idents = [e[0] for e in entries]
    assert len(set(idents)) == len(idents)
    for ident in (11999, 12000, 12013, 12016, 12026, 12044, 12062, 12146, 12179, 12415, 12601):
        assert ident in idents, ident
    seen_names = set()
    for ident, listed_name, _ in entries:
        name, flags = c_char_p(), c_int()
        assert slp_env.QSLPcontrolname(ident, byref(name), byref(flags)) == 0
        assert name.value.decode() == listed_name == listed_name.lower()
        assert listed_name not in seen_names
        seen_names.add(listed_name)
        kind = flags.value & ~SLP_CONTROL
        assert kind in (SLP_INT, SLP_DBL, SLP_STR, SLP_PTR)
    flags = c_int()
    name = c_char_p()
    slp_env.QSLPcontrolname(12146, byref(name), byref(flags))
    assert flags.value == SLP_DBL | SLP_CONTROL
    slp_env.QSLPcontrolname(12415, byref(name), byref(flags))
    assert flags.value == SLP_INT | SLP_CONTROL
    slp_env.QSLPcontrolname(12601, byref(name), byref(flags))
    assert flags.value == SLP_PTR  # no value type: the extension skips it
    assert slp_env.QSLPcontrolname(4242, byref(name), byref(flags)) == ERR_ARGUMENT
    assert "4242 is not a known" in global_error(slp_env)[1]


def test_names_do_not_clash_with_the_optimizer_list(slp_env, pair):
    qprob, slp = pair
    ids, names, flags = POINTER(c_int)(), POINTER(c_char_p)(), POINTER(c_int)()
    assert slp_env.QRVAgetcalist_c(qprob, byref(ids), byref(names), byref(flags)) == 0
    optimizer = {e[1] for e in walk_calist(ids, names, flags)}
    sids, snames = POINTER(c_int)(), POINTER(c_char_p)()
    assert slp_env.QSLPgetcalist(slp, byref(sids), byref(snames)) == 0
    slp_names = {e[1] for e in walk_calist(sids, snames, start=1, stop_on_name=True)}
    assert not optimizer & slp_names


def test_slp_controls_and_attributes_of_an_empty_problem(slp_env, pair):
    _, slp = pair
    v, d = c_int(), c_double()
    assert slp_env.QSLPgetintcontrol(slp, 12415, byref(v)) == 0 and v.value == 1
    assert slp_env.QSLPsetintcontrol(slp, 12415, 0) == 0
    assert slp_env.QSLPgetintcontrol(slp, 12415, byref(v)) == 0 and v.value == 0
    assert slp_env.QSLPgetdblcontrol(slp, 12146, byref(d)) == 0 and d.value == 1.0
    assert slp_env.QSLPsetdblcontrol(slp, 12146, -1.0) == 0
    assert slp_env.QSLPsetdblcontrol(slp, 12146, 0.5) == ERR_ARGUMENT
    assert "1.0 (minimize) or -1.0 (maximize)" in slp_error(slp_env, slp)[1]
    assert slp_env.QSLPgetdblcontrol(slp, 12146, byref(d)) == 0 and d.value == -1.0
    for ident, expected in ((11999, 0), (12000, 0), (12013, -1), (12016, 0), (12026, 0),
                            (12044, 0), (12062, 0)):
        assert slp_env.QSLPgetintattrib(slp, ident, byref(v)) == 0 and v.value == expected
    assert slp_env.QSLPgetdblattrib(slp, 12179, byref(d)) == 0 and d.value == 0.0
    size = c_int()
    assert slp_env.QSLPgetstrattrib(slp, 12350, None, 0, byref(size)) == 0 and size.value == 9
    assert slp_env.QSLPsetstrcontrol(slp, 12301, b"nl_") == 0
    buffer = ctypes.create_string_buffer(8)
    assert slp_env.QSLPgetstrcontrol(slp, 12301, buffer, 8, byref(size)) == 0
    assert buffer.value == b"nl_"
    assert slp_env.QSLPsetdefaults(slp) == 0
    assert slp_env.QSLPgetdblcontrol(slp, 12146, byref(d)) == 0 and d.value == 1.0


def test_slp_errors_are_also_the_optimizer_problems_last_error(slp_env, pair):
    qprob, slp = pair
    assert slp_env.QSLPsetintcontrol(slp, 12146, 1) == ERR_ARGUMENT
    code, text = slp_error(slp_env, slp)
    assert code == ERR_ARGUMENT
    assert text == "QSLPsetintcontrol: 12146 (slpobjsense) is a double control, not an integer one"
    assert problem_error(slp_env, qprob) == text
    ptr = c_void_p()
    assert slp_env.QSLPgetptrattrib(slp, 12000, byref(ptr)) == ERR_ARGUMENT
    assert "is an integer attribute, not a pointer one" in slp_error(slp_env, slp)[1]


def test_printmsg_goes_through_the_optimizer_problems_log(slp_env, pair):
    from conftest import MESSAGE_CB
    qprob, slp = pair
    got = []
    cb = MESSAGE_CB(lambda p, data, msg, length, t: got.append((msg[:length], t)))
    assert slp_env.QRVAaddcbmessage(qprob, cb, None, 0) == 0
    assert slp_env.QSLPprintmsg(slp, 3, b"careful") == 0
    assert slp_env.QSLPprintmsg(slp, 2, b"odd") == ERR_ARGUMENT
    assert got == [(b"careful", 3)]
