"""The callback table of a problem: adding, removing, copying and releasing
callbacks, observed through the messages a real solve sends."""
import gc
import sys
import weakref

import pytest

import quorva

OPT_KINDS = ["bariteration", "barlog", "chgbranchobject", "cutlog", "destroymt", "gapnotify", "globallog",
             "infnode", "intsol", "lplog", "message", "mipthread", "newnode", "nodecutoff", "optnode",
             "preintsol", "prenode", "usersolnotify"]
SLP_KINDS = ["cascadeend", "cascadestart", "cascadevar", "cascadevarfail", "coefevalerror", "construct",
             "destroy", "drcol", "formula", "iterend", "iterstart", "itervar", "msjobend", "msjobstart",
             "mswinner", "slpend", "slpnode", "slpstart"]


class Data:
    """Callback data that weak references can follow."""


def small_lp():
    p = quorva.problem()
    x, y = quorva.var(ub=10), quorva.var(ub=5)
    p.addVariable(x, y)
    p.addConstraint(x + 2 * y <= 12)
    p.setObjective(x + y, sense=quorva.maximize)
    p.setControl("outputlog", 0)
    return p


def counting(calls, tag):
    def callback(prob, data, msg, msgtype):
        calls.append(tag)
    return callback


def test_every_kind_registers_and_removes():
    p = small_lp()
    f = lambda *args: 0
    for kind in OPT_KINDS:
        getattr(p, "addcb" + kind)(f, None, 3)
        getattr(p, "removecb" + kind)(f)
        with pytest.raises(quorva.InterfaceError, match="^Cannot remove callback from an empty set$"):
            getattr(p, "removecb" + kind)(f)
    for kind in SLP_KINDS:
        getattr(p, "setcb" + kind)(f, data=1)
        assert not hasattr(p, "removecb" + kind)
    p.solve()
    assert p.getProbStatusString() == "lp_optimal"


def test_argument_errors():
    p = small_lp()
    for bad in [lambda: p.addcbmessage(3), lambda: p.addcbmessage(), lambda: p.setcbiterend("f"),
                lambda: p.addcblplog(print, None, "high")]:
        with pytest.raises(quorva.InterfaceError, match="^Cannot add callback$"):
            bad()
    with pytest.raises(quorva.InterfaceError, match="^Cannot remove callback$"):
        p.removecbmessage(5)
    for bad in [lambda: p.copycallbacks(3), lambda: p.copycallbacks()]:
        with pytest.raises(quorva.InterfaceError,
                           match="^copycallbacks\\(\\) must be called with the source problem as argument$"):
            bad()


def test_removal_by_identity_of_callable_and_data():
    p = small_lp()
    calls = []
    f, g = counting(calls, "f"), counting(calls, "g")
    d1, d2 = Data(), Data()
    # Nothing registered: removing everything succeeds, removing one does not.
    p.removecbmessage()
    p.removecbmessage(None, None)
    p.addcbmessage(f, d1)
    p.addcbmessage(f, d2)
    p.addcbmessage(g, d1)
    p.solve()
    assert calls.count("f") == 2 * calls.count("g") > 0
    with pytest.raises(quorva.InterfaceError, match="^Callback not found$"):
        p.removecbmessage(counting(calls, "f"))   # equal behaviour, different object
    p.removecbmessage(data=d2)
    calls.clear()
    p.solve()
    assert calls.count("f") == calls.count("g") > 0
    p.removecbmessage(f)
    calls.clear()
    p.solve()
    assert set(calls) == {"g"}
    p.removecbmessage(None, None)
    calls.clear()
    p.solve()
    assert calls == []
    with pytest.raises(quorva.InterfaceError, match="^Cannot remove callback from an empty set$"):
        p.removecbmessage(g)


def test_priority_orders_the_calls():
    p = small_lp()
    calls = []
    p.addcbmessage(counting(calls, "low"), None, -1)
    p.addcbmessage(counting(calls, "first"), None, 5)
    p.addcbmessage(counting(calls, "second"), None, 5)
    p.solve()
    assert calls[:3] == ["first", "second", "low"]


def test_copy_and_copycallbacks_give_fresh_entries():
    p = small_lp()
    owners = []
    def f(prob, data, msg, msgtype):
        owners.append((data, prob.getAttrib("cols")))
    p.addcbmessage(f, "p")
    q = p.copy()
    r = small_lp()
    r.copycallbacks(p)
    r.copycallbacks(r)   # onto itself: its one entry is doubled, not copied for ever
    # Removing from the original leaves the copies' registrations alone.
    p.removecbmessage(f)
    p.solve()
    assert owners == []
    q.solve()
    n = len(owners)
    assert n > 0 and all(o == ("p", 2) for o in owners)
    owners.clear()
    r.solve()
    assert len(owners) == 2 * n
    q.removecbmessage()
    owners.clear()
    q.solve()
    assert owners == []


def test_destruction_releases_entries_but_not_the_problem():
    p = small_lp()
    data = Data()
    def f(prob, d, msg, msgtype):
        pass
    before = sys.getrefcount(p)
    for kind in OPT_KINDS:
        getattr(p, "addcb" + kind)(f, data)
    for kind in SLP_KINDS:
        getattr(p, "setcb" + kind)(f, data)
    assert sys.getrefcount(p) == before
    alive = weakref.ref(data)
    del data
    p.solve()
    del p
    gc.collect()
    assert alive() is None


def test_a_callback_may_remove_itself_while_called():
    p = small_lp()
    calls = []
    def once(prob, data, msg, msgtype):
        calls.append(msg)
        p.removecbmessage(once)
    p.addcbmessage(once)
    p.solve()
    p.solve()
    assert len(calls) == 1


def test_views_cannot_own_callbacks():
    p = small_lp()
    errors = []
    def f(prob, data, msg, msgtype):
        try:
            prob.addcbmessage(f)
        except quorva.ModelError as e:
            errors.append(str(e))
    p.addcbmessage(f)
    p.solve()
    assert errors and "use the problem itself" in errors[0]
