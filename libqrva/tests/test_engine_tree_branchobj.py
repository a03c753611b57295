"""Branching objects on the C interface: the search's own branching shown
to chgbranchobject, a user's object handed back in its place, what the
library refuses (freeing or storing the search's object, a made-up
pointer, an object kept beyond its search)."""
import ctypes
from ctypes import POINTER, byref, c_char_p, c_double, c_int, c_void_p

import pytest

from engine_model import dbl, ints
from test_engine_tree import MIP_OPTIMAL, TREESEARCH, knapsack
from test_engine_tree_nodes import CURRENTNODE, PARENTNODE, add, cut_arrays, capacity_row, m, mip_value, \
    node_model  # noqa: F401 (m is the fixture)

P, I, D = c_void_p, POINTER(c_int), POINTER(c_double)
CHGBRANCH_CB = ctypes.CFUNCTYPE(None, P, P, P, POINTER(c_void_p))
BO = {
    "QRVA_bo_create": [POINTER(c_void_p), P, c_int], "QRVA_bo_destroy": [P],
    "QRVA_bo_addbranches": [P, c_int], "QRVA_bo_getbranches": [P, I],
    "QRVA_bo_addbounds": [P, c_int, c_int, c_char_p, I, D],
    "QRVA_bo_getbounds": [P, c_int, I, c_int, c_char_p, I, D],
    "QRVA_bo_addcuts": [P, c_int, c_int, POINTER(c_void_p)],
    "QRVA_bo_getid": [P, I], "QRVA_bo_store": [P, I], "QRVA_bo_validate": [P, I],
}


@pytest.fixture
def bo(m):
    for name, args in BO.items():
        getattr(m.lib, name).argtypes, getattr(m.lib, name).restype = args, c_int
    m.lib.QRVAaddcbchgbranchobject.argtypes = [P, CHGBRANCH_CB, P, c_int]
    return m.lib


def new_object(lib, prob, bounds):
    """A user's object with one branch per (type, col, value) list."""
    bo = c_void_p()
    assert lib.QRVA_bo_create(byref(bo), prob, 1) == 0
    assert lib.QRVA_bo_addbranches(bo, len(bounds)) == 0
    for k, branch in enumerate(bounds):
        types = "".join(t for t, _, _ in branch).encode()
        assert lib.QRVA_bo_addbounds(bo, k, len(branch), types, ints([c for _, c, _ in branch]),
                                     dbl([v for _, _, v in branch])) == 0
    return bo


def test_chgbranchobject_sees_the_search_branching_and_takes_a_replacement(m, bo):
    lib = bo
    knapsack(m, n=20, seed=14, root_cuts=False)
    m.ok("QRVAsetintcontrol", TREESEARCH, 2)
    _, best = mip_value(m)
    m.ok("QRVAsetintcontrol", TREESEARCH, 0)
    cut = (c_void_p * 1)()
    rows = cut_arrays([capacity_row(m)])
    m.ok("QRVAstorecuts64", 1, 0, rows[1], rows[2], rows[3], rows[4], cut, rows[5], rows[6])
    seen, refused, children = [], [], {}

    def chgbranch(prob, data, obranch, newobject):
        node = node_model(m, prob)
        n, ident, count = c_int(), c_int(), c_int()
        assert lib.QRVA_bo_getbranches(obranch, byref(n)) == 0
        assert lib.QRVA_bo_getid(obranch, byref(ident)) == 0
        assert lib.QRVA_bo_getbounds(obranch, 0, byref(count), 0, None, None, None) == 0
        seen.append((ident.value == node.attr(CURRENTNODE), n.value, count.value))
        if node.attr(CURRENTNODE) == 1:
            status = c_int()
            refused.append((lib.QRVA_bo_destroy(obranch) != 0, lib.QRVA_bo_store(obranch, byref(status)) != 0))
            mine = new_object(lib, prob, [[("U", 0, 0)], [("L", 0, 1)]])
            assert lib.QRVA_bo_addcuts(mine, 1, 1, cut) == 0
            newobject[0] = mine.value
        elif node.attr(CURRENTNODE) == 2:
            newobject[0] = 4711  # not a branching object: ignored, with a warning

    def prenode(prob, data, infeasible):
        node = node_model(m, prob)
        if node.attr(PARENTNODE) == 1:
            count = c_int()
            node.ok("QRVAgetcutlist", -1, -1, byref(count), 0, None)
            children[node.attr(CURRENTNODE)] = (node.get("QRVAgetlb", 1)[0], node.get("QRVAgetub", 1)[0],
                                                count.value)
    cb = CHGBRANCH_CB(chgbranch)
    m.keep.append(cb)
    m.ok("QRVAaddcbchgbranchobject", cb, None, 0)
    add(m, "prenode", prenode)
    assert mip_value(m) == (MIP_OPTIMAL, pytest.approx(best))
    assert seen and all(same and n == 2 and bounds >= 1 for same, n, bounds in seen)
    assert refused == [(True, True)]
    # The root's children are those of the handed-back object, the cut on its second branch.
    assert sorted(children.values()) == [(0, 0, 0), (1, 1, 1)]


def test_an_object_kept_beyond_its_search_is_refused_not_used(m, bo):
    lib = bo
    knapsack(m, n=12, seed=3)
    m.ok("QRVAsetintcontrol", TREESEARCH, 1)
    kept = []

    def optnode(prob, data, infeasible):
        if not kept:
            kept.append(new_object(lib, prob, [[("U", 0, 0)]]))
    add(m, "optnode", optnode)
    assert mip_value(m)[0] == MIP_OPTIMAL
    status = c_int()
    assert lib.QRVA_bo_validate(kept[0], byref(status)) == 0 and status.value == 0
    assert lib.QRVA_bo_addbounds(kept[0], 0, 1, b"L", ints([0]), dbl([0])) != 0
    assert lib.QRVA_bo_store(kept[0], byref(status)) != 0
    code, buffer, size = c_int(), ctypes.create_string_buffer(512), c_int()
    lib.QRVA_bo_getlasterror(kept[0], byref(code), buffer, 512, byref(size))
    assert b"is gone" in buffer.value
    assert lib.QRVA_bo_destroy(kept[0]) == 0
