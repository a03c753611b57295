/* Library-named methods for branching directives and the rows and columns
 * the solve treats specially: secure rows and columns, delayed rows and
 * model cuts, and the directive file. */
#include "api/wrapper.h"
#include "module/docs.h"

static const unsigned IN = ARG_ARRAY | ARG_REQUIRED;

/* mcols fixes the count; the four optional arrays must match it. Without
 * mcols the count is -1, which the library refuses. */
static PyObject *loadDirectives(WrapperCall &c, int (*load)(QRVAprob, int, const int *, const int *, const char *,
                                                             const double *, const double *)) {
  return c.done(load(c.qprob(), c.given(0) ? c.n(0) : -1, c.in<int>(0), c.in<int>(1), c.in<char>(2),
                     c.in<double>(3), c.in<double>(4)));
}

#define DIRECTIVE_ARGS                                                                                   \
  {{"mcols", KIND_COL, 0, ARG_ARRAY, -1},                                                               \
   {"mpri", KIND_INT, 0, ARG_ARRAY, -1},                                                                \
   {"qbr", KIND_CHAR, 0, ARG_ARRAY, -1},                                                                \
   {"dupc", KIND_DOUBLE, 0, ARG_ARRAY, -1},                                                             \
   {"ddpc", KIND_DOUBLE, 0, ARG_ARRAY, -1}}

static const WrapperSpec kLoaddirs{"O|OOOO", nullptr, CHECK_BEFORE, false,
                                   [](WrapperCall &c) { return loadDirectives(c, QRVAloaddirs); }, DIRECTIVE_ARGS};
static const WrapperSpec kLoadpresolvedirs{"O|OOOO", nullptr, CHECK_BEFORE, false,
                                           [](WrapperCall &c) { return loadDirectives(c, QRVAloadpresolvedirs); },
                                           DIRECTIVE_ARGS};

/* Two calls: the count, then the directives into lists of that length. */
static const WrapperSpec kGetdirs{
    "OOOOO", "Must provide arguments (as lists) to getdirs", CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      int n = 0;
      if (QRVAgetdirs(c.qprob(), &n, nullptr, nullptr, nullptr, nullptr, nullptr) != 0) return nullptr;
      if (n == 0) return newNone();
      bool failed = false;
      int *cols = c.out<int>(0, n, &failed), *priority = c.out<int>(1, n, &failed);
      char *branch = c.out<char>(2, n, &failed);
      double *up = c.out<double>(3, n, &failed), *down = c.out<double>(4, n, &failed);
      if (failed) return nullptr;
      return c.done(QRVAgetdirs(c.qprob(), &n, cols, priority, branch, up, down));
    },
    {{"mcols", KIND_COL, -1, ARG_REQUIRED | ARG_OUTPUT, -1},
     {"mpri", KIND_INT, -1, ARG_REQUIRED | ARG_OUTPUT, -1},
     {"qbr", KIND_CHAR, -1, ARG_REQUIRED | ARG_OUTPUT, -1},
     {"dupc", KIND_DOUBLE, -1, ARG_REQUIRED | ARG_OUTPUT, -1},
     {"ddpc", KIND_DOUBLE, -1, ARG_REQUIRED | ARG_OUTPUT, -1}}};

static const WrapperSpec kLoadbranchdirs{
    "O|O", "Must provide argument mcols", CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAloadbranchdirs(c.qprob(), c.n(0), c.in<int>(0), c.in<int>(1))); },
    {{"mcols", KIND_COL, 0, IN, -1}, {"mbranch", KIND_INT, 0, ARG_ARRAY, -1}}};

/* Each list has its own count; None gives a NULL array and a count of -1. */
static const WrapperSpec kLoadsecurevecs{
    "OO", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) {
      return c.done(QRVAloadsecurevecs(c.qprob(), c.given(0) ? c.n(0) : -1, c.given(1) ? c.n(1) : -1, c.in<int>(0),
                                       c.in<int>(1)));
    },
    {{"mrow", KIND_ROW, 0, ARG_ARRAY, -1}, {"mcol", KIND_COL, 1, ARG_ARRAY, -1}}};

static const WrapperSpec kLoaddelayedrows{
    "O", "Must provide argument mrows", CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAloaddelayedrows(c.qprob(), c.n(0), c.in<int>(0))); },
    {{"mrows", KIND_ROW, 0, IN, -1}}};

static const WrapperSpec kLoadmodelcuts{
    "O", "Must provide argument mrows", CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAloadmodelcuts(c.qprob(), c.n(0), c.in<int>(0))); },
    {{"mrows", KIND_ROW, 0, IN, -1}}};

static const WrapperSpec kReaddirs{
    "s", nullptr, CHECK_BEFORE, false, [](WrapperCall &c) { return c.done(QRVAreaddirs(c.qprob(), c.slot[0].text)); },
    {{"filename", -1, -1, 0, -1}}};

static const WrapperSpec kWritedirs{
    "s", nullptr, CHECK_BEFORE, false, [](WrapperCall &c) { return c.done(QRVAwritedirs(c.qprob(), c.slot[0].text)); },
    {{"filename", -1, -1, 0, -1}}};

#define DIRECTIVE_DOC_ARGS                                                                                      \
  "mcols: the variables (or column indices or names); mpri: their priorities (smaller first, default 500); " \
  "qbr: the branch to take first, 'U', 'D' or 'N' (the search's choice); dupc, ddpc: up and down "            \
  "pseudo-costs (negative: none). The optional lists may be omitted or None."

PyMethodDef problem_apiDirectiveMethods[] = {
    QRVA_WRAPPER("loaddirs", kLoaddirs,
                 QRVA_DOC("Loads branching directives for the tree search, replacing those loaded before.",
                          "p.loaddirs(mcols, mpri=None, qbr=None, dupc=None, ddpc=None)", DIRECTIVE_DOC_ARGS,
                          "p.loaddirs([x, y], [1, 2], ['U', 'D'])",
                          "Directives follow their columns through deletions and copies.",
                          "getdirs, loadbranchdirs, readdirs")),
    QRVA_WRAPPER("loadpresolvedirs", kLoadpresolvedirs,
                 QRVA_DOC("Loads branching directives for the columns of the presolved problem.",
                          "p.loadpresolvedirs(mcols, mpri=None, qbr=None, dupc=None, ddpc=None)", DIRECTIVE_DOC_ARGS,
                          "p.loadpresolvedirs([0, 1], [1, 2])",
                          "While no presolved problem is kept its columns are those of the problem (see "
                          "getpresolvemap).",
                          "loaddirs, getpresolvemap")),
    QRVA_WRAPPER("getdirs", kGetdirs,
                 QRVA_DOC("Reads the branching directives.", "p.getdirs(mcols, mpri, qbr, dupc, ddpc)",
                          "Five lists for the variables, priorities, branches and up and down pseudo-costs.",
                          "c, p_, b, u, d = [], [], [], [], []\n  p.getdirs(c, p_, b, u, d)",
                          "Directives come in column order; without any the lists are left alone.",
                          "loaddirs")),
    QRVA_WRAPPER("loadbranchdirs", kLoadbranchdirs,
                 QRVA_DOC("Sets which branch the tree search explores first for some variables.",
                          "p.loadbranchdirs(mcols, mbranch=None)",
                          "mcols: the variables; mbranch: 1 (up first) or 0 (down first) for each; None: up for all.",
                          "p.loadbranchdirs([x, y], [1, 0])",
                          "The other directive data of the variables stays as it was.", "loaddirs, getdirs")),
    QRVA_WRAPPER("loadsecurevecs", kLoadsecurevecs,
                 QRVA_DOC("Names the rows and columns that presolve must keep.", "p.loadsecurevecs(mrow, mcol)",
                          "mrow: constraints (or row indices or names), or None; mcol: variables, or None.",
                          "p.loadsecurevecs([c1], None)", "Each call replaces the rows and columns named before.",
                          "loaddelayedrows")),
    QRVA_WRAPPER("loaddelayedrows", kLoaddelayedrows,
                 QRVA_DOC("Marks rows that need not be in the LP until a candidate solution violates them.",
                          "p.loaddelayedrows(mrows)", "mrows: constraints, row indices or names.",
                          "p.loaddelayedrows([c1, c2])",
                          "Each call replaces the delayed rows; until the engine's own tree search runs they are "
                          "solved as ordinary rows, which the log says.",
                          "loadmodelcuts")),
    QRVA_WRAPPER("loadmodelcuts", kLoadmodelcuts,
                 QRVA_DOC("Marks rows as model cuts, which the solve may leave out until violated.",
                          "p.loadmodelcuts(mrows)", "mrows: constraints, row indices or names.",
                          "p.loadmodelcuts([c3])",
                          "Each call replaces the model cuts; a row is not both a delayed row and a model cut.",
                          "loaddelayedrows")),
    QRVA_WRAPPER("readdirs", kReaddirs,
                 QRVA_DOC("Reads branching directives from a directive file.", "p.readdirs(filename)",
                          "filename: the file; '.dir' is added to a name without an extension.",
                          "p.readdirs('plan')",
                          "Lines: column name, priority, branch (U D N), up and down pseudo-costs, then ENDATA. A "
                          "wrong line or an unknown column changes nothing.",
                          "writedirs, loaddirs")),
    QRVA_WRAPPER("writedirs", kWritedirs,
                 QRVA_DOC("Writes the branching directives to a directive file.", "p.writedirs(filename)",
                          "filename: the file; '.dir' is added to a name without an extension.",
                          "p.writedirs('plan')", "readdirs reads the file back.", "readdirs, getdirs")),
    {nullptr, nullptr, 0, nullptr},
};
