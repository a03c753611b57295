/* The library-named cut methods: cuts of the current node and of the cut
 * pool, stored bounds for branching, and strong branching with a Python
 * function called for each candidate. Cuts cross as quorva.poolcut
 * objects, stored bounds as a quorva.generic. */
#include "api/wrapper.h"
#include "branching/handles.h"
#include "callbacks/dispatch.h"
#include "callbacks/registry.h"
#include "module/docs.h"
#include "model/types.h"
#include "module/errors.h"

#include <algorithm>

/* Groups of the count slots. */
enum { G_CUTS = 0, G_ELEMS = 1 };


/* The cuts of argument i, or -1 (select by type) when it was not given. */
static int cutCount(const WrapperCall &c, int i) { return c.given(i) ? c.n(G_CUTS) : -1; }

/* ---- adding and storing ---- */

/* The cut rows of addcuts and storecuts: types, senses, right-hand sides
 * and starts; then the elements. */
#define CUT_ROWS                                                                                    \
  {"mtype", KIND_INT, G_CUTS, ARG_ARRAY, -1}, {"rtype", KIND_CHAR, G_CUTS, ARG_ARRAY, -1},          \
      {"rhs", KIND_DOUBLE, G_CUTS, ARG_ARRAY, -1}, {"mstart", KIND_INT64, G_CUTS, ARG_ARRAY | ARG_STARTS, G_ELEMS}
#define CUT_ELEMENTS {"mcols", KIND_COL, G_ELEMS, ARG_ARRAY, -1}, {"dmatval", KIND_DOUBLE, G_ELEMS, ARG_ARRAY, -1}

static const WrapperSpec kAddcuts{
    "OOOOOO", nullptr, CHECK_BEFORE, true,
    [](WrapperCall &c) -> PyObject * {
      return c.done(QRVAaddcuts64(c.qprob(), c.n(G_CUTS), c.in<int>(0), c.in<char>(1), c.in<double>(2),
                                  c.in<int64_t>(3), c.in<int>(4), c.in<double>(5)));
    },
    {CUT_ROWS, CUT_ELEMENTS}};

static const WrapperSpec kStorecuts{
    "lOOOOOOO", nullptr, CHECK_BEFORE, true,
    [](WrapperCall &c) -> PyObject * {
      int nodupl = 0;
      bool failed = false;
      if (c.longAsInt(0, &nodupl) != 0) return nullptr;
      QRVAcut *handles = c.all<QRVAcut>(5, c.n(G_CUTS), &failed);
      if (failed) return nullptr;
      return c.done(QRVAstorecuts64(c.qprob(), c.n(G_CUTS), nodupl, c.in<int>(1), c.in<char>(2), c.in<double>(3),
                                    c.in<int64_t>(4), handles, c.in<int>(6), c.in<double>(7)));
    },
    {{"nodupl", -1, -1, ARG_PLAIN, -1}, CUT_ROWS, {"mindex", KIND_CUT, -1, ARG_OUTPUT, -1}, CUT_ELEMENTS}};

/* ---- selecting by type or by handle ---- */

static const WrapperSpec kLoadcuts{"llO", nullptr, CHECK_BEFORE, false,
                                   [](WrapperCall &c) -> PyObject * {
                                     int type = 0, interp = 0;
                                     if (c.longAsInt(0, &type) != 0 || c.longAsInt(1, &interp) != 0) return nullptr;
                                     return c.done(QRVAloadcuts(c.qprob(), type, interp, cutCount(c, 2),
                                                                c.in<QRVAcut>(2)));
                                   },
                                   {{"itype", -1, -1, ARG_PLAIN, -1},
                                    {"interp", -1, -1, ARG_PLAIN, -1},
                                    {"cutind", KIND_CUT, G_CUTS, ARG_ARRAY, -1}}};

static const WrapperSpec kDelcuts{
    "llldO", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      int basis = 0, type = 0, interp = 0;
      if (c.longAsInt(0, &basis) != 0 || c.longAsInt(1, &type) != 0 || c.longAsInt(2, &interp) != 0) return nullptr;
      return c.done(QRVAdelcuts(c.qprob(), basis, type, interp, c.slot[3].number, cutCount(c, 4), c.in<QRVAcut>(4)));
    },
    {{"ibasis", -1, -1, ARG_PLAIN, -1},
     {"itype", -1, -1, ARG_PLAIN, -1},
     {"interp", -1, -1, ARG_PLAIN, -1},
     {"delta", -1, -1, ARG_PLAIN, -1},
     {"cutind", KIND_CUT, G_CUTS, ARG_ARRAY, -1}}};

static const WrapperSpec kDelcpcuts{"llO", nullptr, CHECK_BEFORE, false,
                                    [](WrapperCall &c) -> PyObject * {
                                      int type = 0, interp = 0;
                                      if (c.longAsInt(0, &type) != 0 || c.longAsInt(1, &interp) != 0) return nullptr;
                                      return c.done(QRVAdelcpcuts(c.qprob(), type, interp, cutCount(c, 2),
                                                                  c.in<QRVAcut>(2)));
                                    },
                                    {{"itype", -1, -1, ARG_PLAIN, -1},
                                     {"interp", -1, -1, ARG_PLAIN, -1},
                                     {"cutind", KIND_CUT, G_CUTS, ARG_ARRAY, -1}}};

/* ---- lists of cuts, two calls each ---- */

static PyObject *getcutlistBody(WrapperCall &c) {
  int type = 0, interp = 0, size = 0, count = 0;
  if (c.longAsInt(0, &type) != 0 || c.longAsInt(1, &interp) != 0 || c.longAsInt(2, &size) != 0) return nullptr;
  if (QRVAgetcutlist(c.qprob(), type, interp, &count, 0, nullptr) != 0) return nullptr;
  int room = std::max(0, std::min(count, size));
  bool failed = false;
  QRVAcut *cuts = c.all<QRVAcut>(3, room, &failed);
  if (failed) return nullptr;
  return c.done(QRVAgetcutlist(c.qprob(), type, interp, &count, room, cuts));
}

static const WrapperSpec kGetcutlist{"lllO", nullptr, CHECK_BEFORE, false, getcutlistBody,
                                     {{"itype", -1, -1, ARG_PLAIN, -1},
                                      {"interp", -1, -1, ARG_PLAIN, -1},
                                      {"size", -1, -1, ARG_PLAIN, -1},
                                      {"cutind", KIND_CUT, -1, ARG_OUTPUT, -1}}};

static PyObject *getcpcutlistBody(WrapperCall &c) {
  int type = 0, interp = 0, size = 0, count = 0;
  if (c.longAsInt(0, &type) != 0 || c.longAsInt(1, &interp) != 0 || c.longAsInt(3, &size) != 0) return nullptr;
  double delta = c.slot[2].number;
  if (QRVAgetcpcutlist(c.qprob(), type, interp, delta, &count, 0, nullptr, nullptr) != 0) return nullptr;
  int room = std::max(0, std::min(count, size));
  bool failed = false;
  QRVAcut *cuts = c.all<QRVAcut>(4, room, &failed);
  double *viol = c.all<double>(5, room, &failed);
  if (failed || QRVAgetcpcutlist(c.qprob(), type, interp, delta, &count, room, cuts, viol) != 0) return nullptr;
  return PyLong_FromLong(count);
}

static const WrapperSpec kGetcpcutlist{"lldlOO", nullptr, CHECK_BEFORE, false, getcpcutlistBody,
                                       {{"itype", -1, -1, ARG_PLAIN, -1},
                                        {"interp", -1, -1, ARG_PLAIN, -1},
                                        {"delta", -1, -1, ARG_PLAIN, -1},
                                        {"size", -1, -1, ARG_PLAIN, -1},
                                        {"cutind", KIND_CUT, -1, ARG_OUTPUT, -1},
                                        {"viol", KIND_DOUBLE, -1, ARG_OUTPUT, -1}}};

/* The first call fills the starts (so the element count), the second every
 * array with at most `size` elements. */
static PyObject *getcpcutsBody(WrapperCall &c) {
  int n = c.n(G_CUTS);
  int64_t size = c.slot[1].wide;
  bool failed = false;
  int64_t *start = c.all<int64_t>(4, (int64_t)n + 1, &failed);
  if (failed ||
      QRVAgetcpcuts64(c.qprob(), n, 0, c.in<QRVAcut>(0), nullptr, nullptr, start, nullptr, nullptr, nullptr) != 0)
    return nullptr;
  int64_t room = std::max<int64_t>(0, std::min(size, start[n]));
  int *type = c.out<int>(2, n, &failed);
  char *rtype = c.out<char>(3, n, &failed);
  int *cols = c.out<int>(5, room, &failed);
  double *vals = c.out<double>(6, room, &failed);
  double *rhs = c.out<double>(7, n, &failed);
  if (failed) return nullptr;
  return c.done(QRVAgetcpcuts64(c.qprob(), n, room, c.in<QRVAcut>(0), type, rtype, start, cols, vals, rhs));
}

static const WrapperSpec kGetcpcuts{"OlOOOOOO", nullptr, CHECK_BEFORE, false, getcpcutsBody,
                                    {{"index", KIND_CUT, G_CUTS, ARG_ARRAY, -1},
                                     {"size", -1, -1, ARG_PLAIN, -1},
                                     {"type", KIND_INT, -1, ARG_OUTPUT, -1},
                                     {"rtype", KIND_CHAR, -1, ARG_OUTPUT, -1},
                                     {"mstart", KIND_INT64, -1, ARG_OUTPUT, -1},
                                     {"mcols", KIND_COL, -1, ARG_OUTPUT, -1},
                                     {"dmatval", KIND_DOUBLE, -1, ARG_OUTPUT, -1},
                                     {"drhs", KIND_DOUBLE, -1, ARG_OUTPUT, -1}}};

static const WrapperSpec kGetcutmap{"OO", nullptr, CHECK_BEFORE, false,
                                    [](WrapperCall &c) -> PyObject * {
                                      bool failed = false;
                                      int *map = c.all<int>(1, c.n(G_CUTS), &failed);
                                      if (failed) return nullptr;
                                      return c.done(QRVAgetcutmap(c.qprob(), c.n(G_CUTS), c.in<QRVAcut>(0), map));
                                    },
                                    {{"cuts", KIND_CUT, G_CUTS, ARG_ARRAY, -1},
                                     {"cutmap", KIND_INT, -1, ARG_OUTPUT, -1}}};

static const WrapperSpec kGetcutslack{"O", nullptr, CHECK_BEFORE, false,
                                      [](WrapperCall &c) -> PyObject * {
                                        PyObject *cut = c.object(0);
                                        if (!cut || !PyObject_TypeCheck(cut, &quorva_poolcutType))
                                          return WrapperCall::interfaceError(
                                              "getcutslack must be provided a single cut as the only argument");
                                        double slack = 0.0;
                                        if (QRVAgetcutslack(c.qprob(), poolcut_getcut(cut), &slack) != 0)
                                          return nullptr;
                                        return PyFloat_FromDouble(slack);
                                      },
                                      {{"cut", -1, -1, ARG_PLAIN, -1}}};

/* ---- branching ---- */

static const WrapperSpec kSetbranchcuts{"O", nullptr, CHECK_BEFORE, false,
                                        [](WrapperCall &c) -> PyObject * {
                                          return c.done(
                                              QRVAsetbranchcuts(c.qprob(), c.n(G_CUTS), c.in<QRVAcut>(0)));
                                        },
                                        {{"mindex", KIND_CUT, G_CUTS, ARG_ARRAY, -1}}};

static const WrapperSpec kStorebounds{"OOO", nullptr, CHECK_BEFORE, true,
                                      [](WrapperCall &c) -> PyObject * {
                                        void *bounds = nullptr;
                                        if (QRVAstorebounds(c.qprob(), c.n(G_CUTS), c.in<int>(0), c.in<char>(1),
                                                            c.in<double>(2), &bounds) != 0)
                                          return nullptr;
                                        return voidstar_create(bounds);
                                      },
                                      {{"mcols", KIND_COL, G_CUTS, ARG_ARRAY, -1},
                                       {"type", KIND_CHAR, G_CUTS, ARG_ARRAY, -1},
                                       {"bds", KIND_DOUBLE, G_CUTS, ARG_ARRAY, -1}}};

static const WrapperSpec kSetbranchbounds{"O", nullptr, CHECK_BEFORE, false,
                                          [](WrapperCall &c) -> PyObject * {
                                            PyObject *bounds = c.object(0);
                                            if (!bounds || !PyObject_TypeCheck(bounds, &quorva_genericType))
                                              return WrapperCall::interfaceError(
                                                  "setbranchbounds must be provided the object returned by "
                                                  "storebounds");
                                            return c.done(QRVAsetbranchbounds(c.qprob(), voidstar_getobj(bounds)));
                                          },
                                          {{"mindex", -1, -1, ARG_PLAIN, -1}}};

/* Strong branching, arguments 0 to 5 alike in both methods: the three bound
 * arrays share one count; objval and status are written once the library
 * call succeeded. With a callback, the trampoline solvecb calls
 * sbsolvecb(problem, vContext, bndindex) through the list data. */
static PyObject *strongBranch(WrapperCall &c, int limit, PyObject *data) {
  bool failed = false;
  int n = c.n(G_CUTS);
  double *objval = c.all<double>(4, n, &failed);
  int *status = c.all<int>(5, n, &failed);
  if (failed) return nullptr;
  /* The trampoline claims the list as a registered entry for the call's length. */
  struct Registered {
    PyObject *entry;
    explicit Registered(PyObject *e) : entry(e) {
      if (entry) entryRegistered(entry);
    }
    ~Registered() {
      if (entry) entryUnregistered(entry);
    }
  } registered(data);
  int rc = data ? QRVAstrongbranchcb(c.qprob(), n, c.in<int>(0), c.in<char>(1), c.in<double>(2), limit, objval, status,
                                     solvecb, data)
                : QRVAstrongbranch(c.qprob(), n, c.in<int>(0), c.in<char>(1), c.in<double>(2), limit, objval, status);
  return rc != 0 || PyErr_Occurred() ? nullptr : newNone();
}

#define STRONG_BRANCH_ARGS(columns, types, values, limit, objvals, statuses)                                    \
  {columns, KIND_COL, G_CUTS, ARG_ARRAY, -1}, {types, KIND_CHAR, G_CUTS, ARG_ARRAY, -1},                         \
      {values, KIND_DOUBLE, G_CUTS, ARG_ARRAY, -1}, {limit, -1, -1, ARG_PLAIN, -1},                              \
      {objvals, KIND_DOUBLE, -1, ARG_OUTPUT, -1}, {statuses, KIND_INT, -1, ARG_OUTPUT, -1}

static const WrapperSpec kStrongbranch{
    "OOOiOO", nullptr, CHECK_BEFORE, true,
    [](WrapperCall &c) -> PyObject * { return strongBranch(c, c.slot[3].integer, nullptr); },
    {STRONG_BRANCH_ARGS("mbndind", "cbndtype", "dbndval", "itrlimit", "dsbobjval", "msbstatus")}};

static const WrapperSpec kStrongbranchcb{
    "OOOlOOOO", nullptr, CHECK_BEFORE, true,
    [](WrapperCall &c) -> PyObject * {
      int limit = 0;
      if (c.longAsInt(3, &limit) != 0) return nullptr;
      PyRef data(Py_BuildValue("[OOO]", c.self, c.object(6), c.object(7)));
      return data ? strongBranch(c, limit, data.get()) : nullptr;
    },
    {STRONG_BRANCH_ARGS("bndind", "bndtype", "bndval", "itrlimit", "objval", "status"),
     {"sbsolvecb", -1, -1, ARG_PLAIN, -1},
     {"vContext", -1, -1, ARG_PLAIN, -1}}};

PyMethodDef problem_apiCutMethods[] = {
    QRVA_WRAPPER("addcuts", kAddcuts,
                 QRVA_DOC("Adds cuts to the node being processed.", "p.addcuts(mtype, rtype, rhs, mstart, mcols, dmatval)",
                          "mtype: a type per cut (an integer of your choice); rtype: 'L', 'G' or 'E' per cut; rhs: "
                          "right-hand sides; mstart: where each cut's elements start (one more than cuts); mcols, "
                          "dmatval: variables and coefficients.",
                          "p.addcuts([1], ['L'], [3], [0, 2], [x, y], [1, 1])",
                          "Only in a node callback, on the problem it is given; the cuts hold at the node and below "
                          "it, and join the cut pool.",
                          "storecuts, loadcuts, delcuts")),
    QRVA_WRAPPER("storecuts", kStorecuts,
                 QRVA_DOC("Stores cuts in the cut pool.",
                          "p.storecuts(nodupl, mtype, rtype, rhs, mstart, mindex, mcols, dmatval)",
                          "nodupl: 0 stores every cut, 1 not one equal to a cut of its type, 2 not one equal to any "
                          "cut; mindex: a list for the quorva.poolcut of each cut; the others as for addcuts.",
                          "h = []\n  p.storecuts(1, [0], ['L'], [5.0], [0, 2], h, [x, y], [1.0, 1.0])",
                          "The cuts are in no node until loaded with loadcuts.", "loadcuts, delcpcuts, getcpcuts")),
    QRVA_WRAPPER("loadcuts", kLoadcuts,
                 QRVA_DOC("Loads pool cuts into the node being processed.", "p.loadcuts(itype, interp, cutind)",
                          "itype, interp: select cuts by type (interp -1 every cut, 1 type equal, 2 a bit in common, "
                          "3 all bits of itype); cutind: the cuts, or None to select by type.",
                          "p.loadcuts(0, -1, h)", "Only in a node callback.", "storecuts, delcuts")),
    QRVA_WRAPPER("delcuts", kDelcuts,
                 QRVA_DOC("Removes cuts from the node being processed.", "p.delcuts(ibasis, itype, interp, delta, cutind)",
                          "ibasis: 1 removes only cuts whose row is basic; itype, interp: select by type; delta: only "
                          "cuts with a slack above it (negative: any); cutind: the cuts, or None.",
                          "p.delcuts(0, 0, -1, -1.0, None)", "The pool keeps the cuts.", "addcuts, delcpcuts")),
    QRVA_WRAPPER("delcpcuts", kDelcpcuts,
                 QRVA_DOC("Deletes cuts from the cut pool.", "p.delcpcuts(itype, interp, cutind)",
                          "itype, interp: select by type; cutind: the cuts, or None.", "p.delcpcuts(0, -1, None)",
                          "Nodes that use the cuts keep their rows; the handles stop being valid.",
                          "storecuts, delcuts")),
    QRVA_WRAPPER("getcutlist", kGetcutlist,
                 QRVA_DOC("Lists the cuts of the node being processed.", "p.getcutlist(itype, interp, size, cutind)",
                          "itype, interp: select by type; size: the most cuts wanted; cutind: a list for the cuts.",
                          "l = []\n  p.getcutlist(0, -1, 100, l)", "Only in a node callback.", "getcpcutlist")),
    QRVA_WRAPPER("getcpcutlist", kGetcpcutlist,
                 QRVA_DOC("Lists pool cuts that the current solution violates.",
                          "n = p.getcpcutlist(itype, interp, delta, size, cutind, viol)",
                          "itype, interp: select by type; delta: the least violation; size: the most cuts wanted; "
                          "cutind, viol: lists for the cuts and their violations (either may be None).",
                          "l, v = [], []\n  n = p.getcpcutlist(0, -1, 1e-6, 100, l, v)",
                          "Returns how many cuts qualify; the solution is the node's in a node callback, else the "
                          "last solve's.",
                          "getcutlist, getcpcuts")),
    QRVA_WRAPPER("getcpcuts", kGetcpcuts,
                 QRVA_DOC("Reads pool cuts.", "p.getcpcuts(index, size, type, rtype, mstart, mcols, dmatval, drhs)",
                          "index: the cuts; size: the most elements wanted; type, rtype, mstart, mcols, dmatval, "
                          "drhs: lists for their types, row types, starts, variables, coefficients and right-hand "
                          "sides.",
                          "t, r, s, c, v, b = [], [], [], [], [], []\n  p.getcpcuts(h, 100, t, r, s, c, v, b)",
                          "mstart has one entry more than cuts.", "storecuts, getcpcutlist")),
    QRVA_WRAPPER("getcutmap", kGetcutmap,
                 QRVA_DOC("Finds the rows of cuts in the node being processed.", "p.getcutmap(cuts, cutmap)",
                          "cuts: the cuts; cutmap: a list for the row of each (-1 when not in force).",
                          "m = []\n  p.getcutmap(h, m)", "Only in a node callback.", "getcutlist")),
    QRVA_WRAPPER("getcutslack", kGetcutslack,
                 QRVA_DOC("Returns the slack of a cut at the current solution.", "s = p.getcutslack(cut)",
                          "cut: a quorva.poolcut.", "s = p.getcutslack(h[0])",
                          "The right-hand side minus the cut's activity.", "getcpcutlist")),
    QRVA_WRAPPER("setbranchcuts", kSetbranchcuts,
                 QRVA_DOC("Gives cuts to every child of the node being processed.", "p.setbranchcuts(mindex)",
                          "mindex: the cuts.", "p.setbranchcuts(h)", "Only in a node callback.",
                          "setbranchbounds, storecuts")),
    QRVA_WRAPPER("storebounds", kStorebounds,
                 QRVA_DOC("Stores bound changes for branching.", "b = p.storebounds(mcols, type, bds)",
                          "mcols: the variables; type: 'L', 'U' or 'B' per change; bds: the values.",
                          "b = p.storebounds([x], ['U'], [0])",
                          "Returns a quorva.generic to pass to setbranchbounds.", "setbranchbounds")),
    QRVA_WRAPPER("setbranchbounds", kSetbranchbounds,
                 QRVA_DOC("Adds a branch of stored bound changes to the node being processed.",
                          "p.setbranchbounds(mindex)", "mindex: the object storebounds returned.",
                          "p.setbranchbounds(b)",
                          "Each call adds one child; the branches replace the search's own at this node.",
                          "storebounds, setbranchcuts")),
    QRVA_WRAPPER("strongbranch", kStrongbranch,
                 QRVA_DOC("Solves the LP once per bound change, each from the current optimal basis.",
                          "p.strongbranch(mbndind, cbndtype, dbndval, itrlimit, dsbobjval, msbstatus)",
                          "mbndind, cbndtype, dbndval: the variables, 'L', 'U' or 'B', and the values of the bound "
                          "changes; itrlimit: the most simplex iterations each; dsbobjval, "
                          "msbstatus: lists for the objective and the LP status of each.",
                          "o, s = [], []\n  p.strongbranch([x, x], ['U', 'L'], [0, 1], 100, o, s)",
                          "In a node callback the node's LP is used (and left as it was), elsewhere the problem's LP "
                          "relaxation. A status of lp_unfinished means the iteration limit was reached; the "
                          "objective is then the one reached so far.",
                          "strongbranchcb")),
    QRVA_WRAPPER("strongbranchcb", kStrongbranchcb,
                 QRVA_DOC("Strong branching with a function called for each candidate.",
                          "p.strongbranchcb(bndind, bndtype, bndval, itrlimit, objval, status, sbsolvecb, vContext)",
                          "bndind, bndtype, bndval: the bound changes; itrlimit: the most iterations each; objval, "
                          "status: lists for the objective and LP status of each; sbsolvecb: a function "
                          "f(problem, vContext, index) called after each bound change was solved; vContext: any "
                          "object.",
                          "o, s = [], []\n  p.strongbranchcb([x], ['U'], [0], 50, o, s, f, None)",
                          "In a node callback the function's problem shows the LP solution of the bound change; a "
                          "non-zero result stops the remaining ones (status lp_unstarted).",
                          "strongbranch")),
    {nullptr, nullptr, 0, nullptr}};
