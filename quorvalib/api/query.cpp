/* Library-named methods that read the matrix, bounds, types and solutions.
 * Most fill lists the caller passes in (each cut or extended to the exact
 * length) and return None. Rows and columns come back as the problem's
 * constraint and variable objects where the library gives indices of them. */
#include "api/wrapper.h"
#include "module/docs.h"
#include "module/errors.h"

#include <algorithm>

static const unsigned IN = ARG_ARRAY | ARG_REQUIRED;

/* Size attributes of the rows or columns of a range. */
static int sizeAttribute(int kind) { return kind == KIND_ROW ? QRVA_ROWS : QRVA_COLS; }

/* ---- one value per row or column of a range ---- */

struct RangeGetter {
  int kind;            /* the range counts rows (KIND_ROW) or columns (KIND_COL) */
  bool whole_default;  /* first and last default to the whole problem */
  const char *empty;   /* message of an empty range; NULL: None, the list left alone */
  size_t width;        /* bytes per element */
  int (*get)(QRVAprob, void *, int, int);
};

template <const RangeGetter &G>
static PyObject *rangeBody(WrapperCall &c) {
  int size = 0, first = 0, last = -1;
  if (G.whole_default && c.attribute(sizeAttribute(G.kind), &size) != 0) return nullptr;
  int defaults[2] = {0, size - 1};
  if (c.range(1, 2, G.kind, G.whole_default ? defaults : nullptr, &first, &last) != 0) return nullptr;
  if (last < first) return G.empty ? WrapperCall::interfaceError(G.empty) : newNone();
  bool failed = false;
  void *values = c.outBytes(0, (int64_t)last - first + 1, G.width, &failed);
  if (failed) return nullptr;
  return c.done(G.get(c.qprob(), values, first, last));
}

#define RANGE_GETTER(name, kind, whole, empty, type, fn)                                                      \
  static const RangeGetter name##Getter{kind, whole, empty, sizeof(type), [](QRVAprob p, void *a, int f, int l) { \
                                          return fn(p, static_cast<type *>(a), f, l);                          \
                                        }};

RANGE_GETTER(kGetlb, KIND_COL, true, nullptr, double, QRVAgetlb)
RANGE_GETTER(kGetub, KIND_COL, true, nullptr, double, QRVAgetub)
RANGE_GETTER(kGetrhs, KIND_ROW, false, "Empty range of rows requested", double, QRVAgetrhs)
RANGE_GETTER(kGetrhsrange, KIND_ROW, false, "Empty range of rows requested", double, QRVAgetrhsrange)
RANGE_GETTER(kGetrowtype, KIND_ROW, false, "Empty range of rows requested", char, QRVAgetrowtype)
RANGE_GETTER(kGetcoltype, KIND_COL, false, "Empty or invalid range of columns requested", char, QRVAgetcoltype)
RANGE_GETTER(kGetobj, KIND_COL, false, "Empty range of columns requested", double, QRVAgetobj)

/* The list argument, then first and last as objects. */
#define RANGE_ARGS(list, kind, use) {{list, kind, -1, use, -1}, {"first", -1, -1, 0, -1}, {"last", -1, -1, 0, -1}}

static const WrapperSpec kGetlb{"O|OO", nullptr, CHECK_BEFORE, true, rangeBody<kGetlbGetter>,
                                RANGE_ARGS("lb", KIND_DOUBLE, 0)};
static const WrapperSpec kGetub{"O|OO", nullptr, CHECK_BEFORE, true, rangeBody<kGetubGetter>,
                                RANGE_ARGS("ub", KIND_DOUBLE, 0)};
static const WrapperSpec kGetrhs{"OOO", "Must provide argument: rhs or range", CHECK_BEFORE, true,
                                 rangeBody<kGetrhsGetter>, RANGE_ARGS("rhs", KIND_DOUBLE, ARG_REQUIRED)};
static const WrapperSpec kGetrhsrange{"OOO", "Must provide argument: rhs or range", CHECK_BEFORE, true,
                                      rangeBody<kGetrhsrangeGetter>, RANGE_ARGS("range", KIND_DOUBLE, ARG_REQUIRED)};
static const WrapperSpec kGetrowtype{"OOO", "Must provide argument qrtype", CHECK_BEFORE, true,
                                     rangeBody<kGetrowtypeGetter>, RANGE_ARGS("qrtype", KIND_CHAR, ARG_REQUIRED)};
static const WrapperSpec kGetcoltype{"OOO", "Must provide argument coltype", CHECK_BEFORE, true,
                                     rangeBody<kGetcoltypeGetter>, RANGE_ARGS("coltype", KIND_CHAR, ARG_REQUIRED)};
static const WrapperSpec kGetobj{"OOO", "Must provide argument obj", CHECK_BEFORE, false,
                                 rangeBody<kGetobjGetter>, RANGE_ARGS("obj", KIND_DOUBLE, ARG_REQUIRED)};

/* ---- the matrix and the quadratic objective, two calls each ---- */

struct MatrixGetter {
  int kind;           /* rows or columns of the range */
  const char *empty;  /* message of an empty range */
  bool count_result;  /* the method returns the number of elements */
  int (*get)(QRVAprob, int64_t *, int *, double *, int64_t, int64_t *, int, int);
};

/* mstart, indices, values, size, first, last: the first call counts the
 * elements of the range, the second fills at most `size` of them. */
template <const MatrixGetter &G>
static PyObject *matrixBody(WrapperCall &c) {
  int first = 0, last = -1;
  if (c.range(4, 5, G.kind, nullptr, &first, &last) != 0) return nullptr;
  if (last < first) return WrapperCall::interfaceError(G.empty);
  int64_t elements = 0, size = c.slot[3].wide;
  if (G.get(c.qprob(), nullptr, nullptr, nullptr, size, &elements, first, last) != 0) return nullptr;
  if (G.count_result && elements == 0) return PyLong_FromLongLong(0);
  int64_t room = std::max<int64_t>(0, std::min(size, elements));
  bool failed = false;
  int64_t *start = c.out<int64_t>(0, (int64_t)last - first + 2, &failed);
  int *index = c.out<int>(1, room, &failed);
  double *value = c.out<double>(2, room, &failed);
  if (failed || G.get(c.qprob(), start, index, value, size, &elements, first, last) != 0) return nullptr;
  return G.count_result ? PyLong_FromLongLong(elements) : newNone();
}

static const MatrixGetter kGetrowsGetter{KIND_ROW, "Empty range of rows requested", false, QRVAgetrows64};
static const MatrixGetter kGetcolsGetter{KIND_COL, "Empty range of columns requested", false, QRVAgetcols64};
static const MatrixGetter kGetmqobjGetter{KIND_COL, "Empty range of columns requested", true, QRVAgetmqobj64};

#define MATRIX_ARGS(index, index_kind, values)                                                                 \
  {{"mstart", KIND_INT64, -1, 0, -1}, {index, index_kind, -1, 0, -1},     {values, KIND_DOUBLE, -1, 0, -1}, \
   {"size", -1, -1, 0, -1},           {"first", -1, -1, 0, -1},           {"last", -1, -1, 0, -1}}

static const WrapperSpec kGetrows{"OOOLOO", nullptr, CHECK_BEFORE, false, matrixBody<kGetrowsGetter>,
                                  MATRIX_ARGS("mclind", KIND_COL, "dmatval")};
static const WrapperSpec kGetcols{"OOOLOO", nullptr, CHECK_BEFORE, false,
                                  [](WrapperCall &c) -> PyObject * {
                                    if (!c.given(0) && !c.given(1) && !c.given(2))
                                      return WrapperCall::interfaceError(
                                          "Must provide at least one of arguments mstart, mrwind, dmatval");
                                    return matrixBody<kGetcolsGetter>(c);
                                  },
                                  MATRIX_ARGS("mrwind", KIND_ROW, "dmatval")};
static const WrapperSpec kGetmqobj{"OOOLOO", nullptr, CHECK_BEFORE, false, matrixBody<kGetmqobjGetter>,
                                   MATRIX_ARGS("mclind", KIND_COL, "dobjval")};

/* The quadratic matrix of one row over a range of columns; int sizes. */
static PyObject *qrowqmatrixBody(WrapperCall &c) {
  int first = 0, last = -1;
  if (c.range(5, 6, KIND_COL, nullptr, &first, &last) != 0) return nullptr;
  if (last < first) return WrapperCall::interfaceError("Empty range of columns requested");
  int elements = 0, size = c.slot[4].integer, row = c.index[0];
  if (QRVAgetqrowqmatrix(c.qprob(), row, nullptr, nullptr, nullptr, size, &elements, first, last) != 0) return nullptr;
  int room = std::max(0, std::min(size, elements));
  bool failed = false;
  int *start = c.out<int>(1, (int64_t)last - first + 2, &failed);
  int *index = c.out<int>(2, room, &failed);
  double *value = c.out<double>(3, room, &failed);
  if (failed || QRVAgetqrowqmatrix(c.qprob(), row, start, index, value, size, &elements, first, last) != 0)
    return nullptr;
  return PyLong_FromLong(elements);
}

static const WrapperSpec kGetqrowqmatrix{"OOOOiOO", nullptr, CHECK_BEFORE, false, qrowqmatrixBody,
                                         {{"irow", KIND_ROW, -1, ARG_INDEX, -1},
                                          {"mstart", KIND_INT, -1, 0, -1},
                                          {"mclind", KIND_COL, -1, 0, -1},
                                          {"dqe", KIND_DOUBLE, -1, 0, -1},
                                          {"size", -1, -1, 0, -1},
                                          {"first", -1, -1, 0, -1},
                                          {"last", -1, -1, 0, -1}}};

static const WrapperSpec kGetqrowqmatrixtriplets{
    "O|OOO", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      int n = 0;
      if (QRVAgetqrowqmatrixtriplets(c.qprob(), c.index[0], &n, nullptr, nullptr, nullptr) != 0) return nullptr;
      bool failed = false;
      int *col1 = c.out<int>(1, n, &failed), *col2 = c.out<int>(2, n, &failed);
      double *value = c.out<double>(3, n, &failed);
      if (failed) return nullptr;
      return c.done(QRVAgetqrowqmatrixtriplets(c.qprob(), c.index[0], &n, col1, col2, value));
    },
    {{"irow", KIND_ROW, -1, ARG_INDEX, -1},
     {"mqcol1", KIND_COL, -1, 0, -1},
     {"mqcol2", KIND_COL, -1, 0, -1},
     {"dqe", KIND_DOUBLE, -1, 0, -1}}};

static const WrapperSpec kGetqrows{
    "O", "Must provide argument qcrows", CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      int n = 0;
      if (QRVAgetqrows(c.qprob(), &n, nullptr) != 0) return nullptr;
      bool failed = false;
      int *rows = c.out<int>(0, n, &failed);
      if (failed) return nullptr;
      return c.done(QRVAgetqrows(c.qprob(), &n, rows));
    },
    {{"qcrows", KIND_ROW, -1, ARG_REQUIRED, -1}}};

static const WrapperSpec kGetindicators{
    "OOOO", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      int first = 0, last = -1;
      if (c.range(2, 3, KIND_ROW, nullptr, &first, &last) != 0) return nullptr;
      if (last < first) return newNone();
      bool failed = false;
      int *cols = c.out<int>(0, (int64_t)last - first + 1, &failed);
      int *comps = c.out<int>(1, (int64_t)last - first + 1, &failed);
      if (failed) return nullptr;
      return c.done(QRVAgetindicators(c.qprob(), cols, comps, first, last));
    },
    {{"inds", KIND_COL, -1, 0, -1}, {"comps", KIND_INT, -1, 0, -1}, {"first", -1, -1, 0, -1}, {"last", -1, -1, 0, -1}}};

/* Discrete columns and sets: the first call counts them, the set members
 * are the problem's attribute. */
static PyObject *globalBody(WrapperCall &c) {
  int entities = 0, sets = 0, members = 0;
  if (QRVAgetglobal64(c.qprob(), &entities, &sets, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) !=
          0 ||
      c.attribute(QRVA_SETMEMBERS, &members) != 0)
    return nullptr;
  bool failed = false;
  char *coltype = c.out<char>(0, entities, &failed);
  int *cols = c.out<int>(1, entities, &failed);
  double *limit = c.out<double>(2, entities, &failed);
  char *settype = c.out<char>(3, sets, &failed);
  int64_t *start = c.out<int64_t>(4, (int64_t)sets + 1, &failed);
  int *setcols = c.out<int>(5, members, &failed);
  double *ref = c.out<double>(6, members, &failed);
  if (failed) return nullptr;
  return c.done(QRVAgetglobal64(c.qprob(), &entities, &sets, coltype, cols, limit, settype, start, setcols, ref));
}

static const WrapperSpec kGetglobal{"OOOOOOO", nullptr, CHECK_BEFORE, true, globalBody,
                                    {{"qgtype", KIND_CHAR, -1, 0, -1},
                                     {"mgcols", KIND_INT, -1, 0, -1},
                                     {"dlim", KIND_DOUBLE, -1, 0, -1},
                                     {"qstype", KIND_CHAR, -1, 0, -1},
                                     {"msstart", KIND_INT64, -1, 0, -1},
                                     {"mscols", KIND_COL, -1, 0, -1},
                                     {"dref", KIND_DOUBLE, -1, 0, -1}}};

/* ---- single coefficients ---- */

/* The value a library getter wrote into *value, once it returned rc. */
static PyObject *coefficient(int rc, const double *value) { return rc == 0 ? PyFloat_FromDouble(*value) : nullptr; }

static const WrapperSpec kGetcoef{
    "OO", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) {
      double value = 0.0;
      return coefficient(QRVAgetcoef(c.qprob(), c.index[0], c.index[1], &value), &value);
    },
    {{"irow", KIND_ROW, -1, ARG_INDEX, -1}, {"icol", KIND_COL, -1, ARG_INDEX, -1}}};

static const WrapperSpec kGetqobj{
    "OO", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) {
      double value = 0.0;
      return coefficient(QRVAgetqobj(c.qprob(), c.index[0], c.index[1], &value), &value);
    },
    {{"icol", KIND_COL, -1, ARG_INDEX, -1}, {"jcol", KIND_COL, -1, ARG_INDEX, -1}}};

static const WrapperSpec kGetqrowcoeff{
    "OOO", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) {
      double value = 0.0;
      return coefficient(QRVAgetqrowcoeff(c.qprob(), c.index[0], c.index[1], c.index[2], &value), &value);
    },
    {{"irow", KIND_ROW, -1, ARG_INDEX, -1}, {"icol", KIND_COL, -1, ARG_INDEX, -1}, {"jcol", KIND_COL, -1, ARG_INDEX, -1}}};

/* ---- solutions ---- */

/* Rows and columns of the original problem, which solutions cover. */
static int originalSizes(WrapperCall &c, int *rows, int *cols) {
  return c.attribute(QRVA_ORIGINALROWS, rows) != 0 || c.attribute(QRVA_ORIGINALCOLS, cols) != 0 ? -1 : 0;
}

/* The LP solution of the original problem, or of the presolved one with its
 * own sizes. */
template <bool Presolved>
static PyObject *lpSolutionBody(WrapperCall &c) {
  if ((Presolved ? wrapperPresolvedSizes : wrapperOriginalSizes)(c) != 0) return nullptr;
  int64_t rows = c.count[0], cols = c.count[1];
  bool failed = false;
  double *x = c.out<double>(0, cols, &failed), *slack = c.out<double>(1, rows, &failed);
  double *dual = c.out<double>(2, rows, &failed), *dj = c.out<double>(3, cols, &failed);
  if (failed) return nullptr;
  return c.done((Presolved ? QRVAgetpresolvesol : QRVAgetlpsol)(c.qprob(), x, slack, dual, dj));
}

#define LP_SOLUTION_ARGS                                                                       \
  {{"x", KIND_DOUBLE, -1, 0, -1},                                                              \
   {"slack", KIND_DOUBLE, -1, 0, -1},                                                          \
   {"dual", KIND_DOUBLE, -1, 0, -1},                                                           \
   {"dj", KIND_DOUBLE, -1, 0, -1}}

static const WrapperSpec kGetlpsol{"|OOOO", nullptr, CHECK_BEFORE, false, lpSolutionBody<false>, LP_SOLUTION_ARGS};
static const WrapperSpec kGetpresolvesol{"|OOOO", nullptr, CHECK_BEFORE, false, lpSolutionBody<true>,
                                         LP_SOLUTION_ARGS};

static const WrapperSpec kGetmipsol{
    "|OO", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      int rows = 0, cols = 0;
      if (originalSizes(c, &rows, &cols) != 0) return nullptr;
      bool failed = false;
      double *x = c.out<double>(0, cols, &failed), *slack = c.out<double>(1, rows, &failed);
      if (failed) return nullptr;
      return c.done(QRVAgetmipsol(c.qprob(), x, slack));
    },
    {{"x", KIND_DOUBLE, -1, 0, -1}, {"slack", KIND_DOUBLE, -1, 0, -1}}};

/* The counts come from the same function that fills the arrays: the scaled
 * and unscaled problems need not have the same infeasibilities. */
template <int (*F)(QRVAprob, int *, int *, int *, int *, int *, int *, int *, int *)>
static PyObject *infeasBody(WrapperCall &c) {
  int n[4] = {0, 0, 0, 0};
  if (F(c.qprob(), &n[0], &n[1], &n[2], &n[3], nullptr, nullptr, nullptr, nullptr) != 0) return nullptr;
  if (n[0] == 0 && n[1] == 0 && n[2] == 0 && n[3] == 0) return newNone();
  bool failed = false;
  int *arrays[4];
  for (int k = 0; k < 4; ++k) arrays[k] = n[k] > 0 ? c.out<int>(k, n[k], &failed) : nullptr;
  if (failed) return nullptr;
  return c.done(F(c.qprob(), &n[0], &n[1], &n[2], &n[3], arrays[0], arrays[1], arrays[2], arrays[3]));
}

#define INFEAS_ARGS \
  {{"mx", KIND_COL, -1, ARG_OUTPUT, -1},                                                           \
   {"mslack", KIND_ROW, -1, ARG_OUTPUT, -1},                                                       \
   {"mdual", KIND_ROW, -1, ARG_OUTPUT, -1},                                                        \
   {"mdj", KIND_COL, -1, ARG_OUTPUT, -1}}
static const WrapperSpec kGetinfeas{"OOOO", nullptr, CHECK_BEFORE, false, infeasBody<QRVAgetinfeas>, INFEAS_ARGS};
static const WrapperSpec kGetscaledinfeas{"OOOO", nullptr, CHECK_BEFORE, false, infeasBody<QRVAgetscaledinfeas>,
                                          INFEAS_ARGS};

/* A ray: the list is filled only when the library knows one. */
template <int (*F)(QRVAprob, double *, int *), int SIZE>
static PyObject *rayBody(WrapperCall &c) {
  int size = 0, has = 0;
  if (c.attribute(SIZE, &size) != 0) return nullptr;
  if (size == 0) return newNone();
  if (F(c.qprob(), nullptr, &has) != 0) return nullptr;
  if (!has) return newNone();
  bool failed = false;
  double *ray = c.out<double>(0, size, &failed);
  if (failed) return nullptr;
  return c.done(F(c.qprob(), ray, &has));
}

template <int (*F)(QRVAprob, double *, int *)>
static PyObject *hasRayBody(WrapperCall &c) {
  int has = 0;
  if (F(c.qprob(), nullptr, &has) != 0) return nullptr;
  return PyBool_FromLong(has);
}

static const char *const kRayMessage = "Must provide argument to retrieve (primal or dual) ray";
static const WrapperSpec kGetprimalray{"O", kRayMessage, CHECK_BEFORE, false, rayBody<QRVAgetprimalray, QRVA_COLS>,
                                       {{"ray", KIND_DOUBLE, -1, ARG_REQUIRED | ARG_OUTPUT, -1}}};
static const WrapperSpec kGetdualray{"O", kRayMessage, CHECK_BEFORE, false, rayBody<QRVAgetdualray, QRVA_ROWS>,
                                     {{"dray", KIND_DOUBLE, -1, ARG_REQUIRED | ARG_OUTPUT, -1}}};
static const WrapperSpec kHasprimalray{"", nullptr, CHECK_BEFORE, false, hasRayBody<QRVAgetprimalray>, {}};
static const WrapperSpec kHasdualray{"", nullptr, CHECK_BEFORE, false, hasRayBody<QRVAgetdualray>, {}};

static const WrapperSpec kGetunbvec{
    "", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      int position = -1;
      int rc = QRVAgetunbvec(c.qprob(), &position);
      if (position < 0) {
        PyErr_SetString(qpy_solver_exc,
                        "getunbvec returns a valid object only if the problem is found unbounded within the primal "
                        "simplex. Call solve('p') to use the primal simplex.");
        return nullptr;
      }
      if (rc != 0) return nullptr;
      PyObject *object = convSeqToRowCol(c.problem, position);
      if (!object && !PyErr_Occurred())
        PyErr_Format(qpy_interf_exc, "Wrong item returned from API call, type %d", (int)KIND_ROWCOL);
      return object;
    },
    {}};

/* ---- the library's own information ---- */

static const WrapperSpec kGetlasterror{
    "", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      char text[QRVA_PY_LASTERRBUF] = "";
      if (QRVAgetlasterror(c.qprob(), text) != 0) return nullptr;
      text[sizeof text - 1] = '\0';
      return qrva_py_text(text);
    },
    {}};

static const WrapperSpec kGetmessagestatus{
    "i", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      int status = 0;
      if (QRVAgetmessagestatus(c.qprob(), c.slot[0].integer, &status) != 0) return nullptr;
      return PyLong_FromLong(status);
    },
    {{"errcode", -1, -1, 0, -1}}};

template <int (*F)(QRVAprob, const char *, int *, int *)>
static PyObject *infoBody(WrapperCall &c) {
  int id = 0, type = 0;
  if (F(c.qprob(), c.slot[0].text, &id, &type) != 0) return nullptr;
  return Py_BuildValue("(ii)", id, type);
}
static const WrapperSpec kGetattribinfo{"s", nullptr, CHECK_BEFORE, false, infoBody<QRVAgetattribinfo>,
                                        {{"name", -1, -1, 0, -1}}};
static const WrapperSpec kGetcontrolinfo{"s", nullptr, CHECK_BEFORE, false, infoBody<QRVAgetcontrolinfo>,
                                         {{"name", -1, -1, 0, -1}}};

#define RANGE_DOC(what, list, kind, empty)                                                                       \
  QRVA_DOC("Reads the " what " of a range of " kind ".", "p.get" list "(" list ", first, last)",                \
           list ": a list that receives one value per " kind "; first, last: the range, as indices, names or "  \
           "objects.",                                                                                          \
           "values = []\n  p.get" list "(values, 0, 2)",                                                        \
           "The list is cut or extended to the length of the range and overwritten in place. " empty,           \
           "getrows, getcols, chgbounds")

PyMethodDef problem_apiQueryMethods[] = {
    QRVA_WRAPPER("getlb", kGetlb,
                 QRVA_DOC("Reads lower bounds of columns.", "p.getlb(lb, first=0, last=cols-1)",
                          "lb: a list for the bounds; first, last: columns as indices, names or variables.",
                          "lb = []\n  p.getlb(lb)",
                          "The list is cut or extended to the range and overwritten in place; an empty range leaves it "
                          "alone.",
                          "getub, chgbounds")),
    QRVA_WRAPPER("getub", kGetub,
                 QRVA_DOC("Reads upper bounds of columns.", "p.getub(ub, first=0, last=cols-1)",
                          "ub: a list for the bounds; first, last: columns as indices, names or variables.",
                          "ub = []\n  p.getub(ub, x, y)",
                          "The list is cut or extended to the range and overwritten in place; an empty range leaves it "
                          "alone.",
                          "getlb, chgbounds")),
    QRVA_WRAPPER("getrhs", kGetrhs, RANGE_DOC("right-hand sides", "rhs", "rows", "An empty range is an error.")),
    QRVA_WRAPPER("getrhsrange", kGetrhsrange,
                 QRVA_DOC("Reads the range widths of a range of rows.", "p.getrhsrange(range, first, last)",
                          "range: a list for the widths; first, last: rows as indices, names or constraints.",
                          "r = []\n  p.getrhsrange(r, 0, 0)", "Rows that are not ranges have width 0.",
                          "getrhs, chgrhsrange")),
    QRVA_WRAPPER("getrowtype", kGetrowtype,
                 QRVA_DOC("Reads the types of a range of rows.", "p.getrowtype(qrtype, first, last)",
                          "qrtype: a list for the types ('L' 'G' 'E' 'R' 'N'); first, last: rows.",
                          "t = []\n  p.getrowtype(t, c1, c2)", "An empty range is an error.", "chgrowtype, getrhs")),
    QRVA_WRAPPER("getcoltype", kGetcoltype,
                 QRVA_DOC("Reads the types of a range of columns.", "p.getcoltype(coltype, first, last)",
                          "coltype: a list for the types ('C' 'I' 'B' 'S' 'R' 'P'); first, last: columns.",
                          "t = []\n  p.getcoltype(t, 0, 1)", "An empty range is an error.", "chgcoltype")),
    QRVA_WRAPPER("getobj", kGetobj, RANGE_DOC("objective coefficients", "obj", "columns", "An empty range is an error.")),
    QRVA_WRAPPER("getrows", kGetrows,
                 QRVA_DOC("Reads the matrix row-wise over a range of rows.",
                          "p.getrows(mstart, mclind, dmatval, size, first, last)",
                          "mstart: a list for the start of each row's elements (one more than rows); mclind: a list "
                          "for their variables; dmatval: for their coefficients; size: the most elements wanted; "
                          "first, last: rows. Any list may be None.",
                          "s, c, v = [], [], []\n  p.getrows(s, c, v, 100, 0, 1)",
                          "At most size elements are written; mstart always gets every row's start.",
                          "getcols, addrows, chgmcoef")),
    QRVA_WRAPPER("getcols", kGetcols,
                 QRVA_DOC("Reads the matrix column-wise over a range of columns.",
                          "p.getcols(mstart, mrwind, dmatval, size, first, last)",
                          "mstart: a list for the starts; mrwind: for the constraints of the elements; dmatval: for "
                          "their coefficients; size: the most elements wanted; first, last: columns.",
                          "s, r, v = [], [], []\n  p.getcols(s, r, v, 100, x, y)",
                          "At least one of the three lists must be given.", "getrows, addcols")),
    QRVA_WRAPPER("getmqobj", kGetmqobj,
                 QRVA_DOC("Reads the quadratic objective over a range of columns.",
                          "n = p.getmqobj(mstart, mclind, dobjval, size, first, last)",
                          "mstart, mclind, dobjval: lists as for getcols; size: the most elements wanted; first, "
                          "last: columns.",
                          "s, c, v = [], [], []\n  n = p.getmqobj(s, c, v, 100, 0, 2)",
                          "Returns the number of elements; both triangles of the matrix are given.",
                          "chgmqobj, getqobj")),
    QRVA_WRAPPER("getqrowqmatrix", kGetqrowqmatrix,
                 QRVA_DOC("Reads the quadratic matrix of a row over a range of columns.",
                          "n = p.getqrowqmatrix(irow, mstart, mclind, dqe, size, first, last)",
                          "irow: the row; mstart, mclind, dqe: lists as for getmqobj; size: the most elements wanted; "
                          "first, last: columns.",
                          "s, c, v = [], [], []\n  n = p.getqrowqmatrix(c1, s, c, v, 10, 0, 2)",
                          "Returns the number of elements.", "getqrowqmatrixtriplets, addqmatrix")),
    QRVA_WRAPPER("getqrowqmatrixtriplets", kGetqrowqmatrixtriplets,
                 QRVA_DOC("Reads the quadratic terms of a row as triplets.",
                          "p.getqrowqmatrixtriplets(irow, mqcol1=None, mqcol2=None, dqe=None)",
                          "irow: the row; mqcol1, mqcol2: lists for the variables of each term; dqe: for the "
                          "coefficients.",
                          "a, b, v = [], [], []\n  p.getqrowqmatrixtriplets(c1, a, b, v)",
                          "Each term appears once, from the lower triangle.", "getqrowqmatrix, getqrows")),
    QRVA_WRAPPER("getqrows", kGetqrows,
                 QRVA_DOC("Reads the rows that have quadratic terms.", "p.getqrows(qcrows)",
                          "qcrows: a list for the constraints.", "rows = []\n  p.getqrows(rows)",
                          "The list is cut or extended to the number of such rows.", "getqrowqmatrixtriplets")),
    QRVA_WRAPPER("getindicators", kGetindicators,
                 QRVA_DOC("Reads the indicator columns and complement flags of a range of rows.",
                          "p.getindicators(inds, comps, first, last)",
                          "inds: a list for the variables (-1 for a plain row); comps: for the flags; first, last: "
                          "rows.",
                          "v, f = [], []\n  p.getindicators(v, f, 0, 3)", "An empty range returns None.",
                          "setindicators, addIndicator")),
    QRVA_WRAPPER("getglobal", kGetglobal,
                 QRVA_DOC("Reads the discrete columns and the special ordered sets.",
                          "p.getglobal(qgtype, mgcols, dlim, qstype, msstart, mscols, dref)",
                          "qgtype, mgcols, dlim: lists for the type, column index and threshold of each discrete "
                          "column; qstype: for the set types; msstart: for the start of each set's members (one more "
                          "than sets); mscols: for the member variables; dref: for their reference values. Any list "
                          "may be None.",
                          "t, c, l, st, ss, sc, sr = [], [], [], [], [], [], []\n  p.getglobal(t, c, l, st, ss, sc, sr)",
                          "Discrete columns are those of types I, B, S, R and P.", "loadproblem, addSOS, chgcoltype")),
    QRVA_WRAPPER("getcoef", kGetcoef,
                 QRVA_DOC("Returns one coefficient of the matrix.", "a = p.getcoef(irow, icol)",
                          "irow: a row; icol: a column.", "a = p.getcoef(c, x)", "A missing element is 0.0.",
                          "chgcoef, getrows")),
    QRVA_WRAPPER("getqobj", kGetqobj,
                 QRVA_DOC("Returns one coefficient of the quadratic objective.", "q = p.getqobj(icol, jcol)",
                          "icol, jcol: columns.", "q = p.getqobj(x, y)", "A missing term is 0.0.",
                          "chgqobj, getmqobj")),
    QRVA_WRAPPER("getqrowcoeff", kGetqrowcoeff,
                 QRVA_DOC("Returns one quadratic coefficient of a row.", "q = p.getqrowcoeff(irow, icol, jcol)",
                          "irow: a row; icol, jcol: columns.", "q = p.getqrowcoeff(c, x, x)", "A missing term is 0.0.",
                          "chgqrowcoeff")),
    QRVA_WRAPPER("getpresolvesol", kGetpresolvesol,
                 QRVA_DOC("Reads the LP solution of the presolved problem.",
                          "p.getpresolvesol(x=None, slack=None, dual=None, dj=None)",
                          "x, dj: lists for one value per column of the presolved problem; slack, dual: per row.",
                          "x = []\n  p.getpresolvesol(x)",
                          "While no presolved problem is kept it is the problem itself (see getpresolvemap).",
                          "getlpsol, getpresolvemap")),
    QRVA_WRAPPER("getlpsol", kGetlpsol,
                 QRVA_DOC("Reads the LP solution.", "p.getlpsol(x=None, slack=None, dual=None, dj=None)",
                          "x, dj: lists for one value per column; slack, dual: for one value per row.",
                          "x = []\n  p.getlpsol(x)", "Lists passed as None are skipped.", "getmipsol, getSolution")),
    QRVA_WRAPPER("getmipsol", kGetmipsol,
                 QRVA_DOC("Reads the best MIP solution.", "p.getmipsol(x=None, slack=None)",
                          "x: a list for the column values; slack: for the row slacks.", "x = []\n  p.getmipsol(x)",
                          "Lists passed as None are skipped.", "getlpsol, getSolution")),
    QRVA_WRAPPER("getinfeas", kGetinfeas,
                 QRVA_DOC("Reads the infeasibilities of the current solution.", "p.getinfeas(mx, mslack, mdual, mdj)",
                          "mx: a list for primal-infeasible variables; mslack: for primal-infeasible constraints; "
                          "mdual: for dual-infeasible constraints; mdj: for dual-infeasible variables.",
                          "a, b, c, d = [], [], [], []\n  p.getinfeas(a, b, c, d)",
                          "Without any infeasibility the lists are left alone.", "getscaledinfeas")),
    QRVA_WRAPPER("getscaledinfeas", kGetscaledinfeas,
                 QRVA_DOC("Reads the infeasibilities of the current solution of the scaled problem.",
                          "p.getscaledinfeas(mx, mslack, mdual, mdj)", "As for getinfeas.",
                          "a, b, c, d = [], [], [], []\n  p.getscaledinfeas(a, b, c, d)",
                          "Without any infeasibility the lists are left alone.", "getinfeas")),
    QRVA_WRAPPER("getprimalray", kGetprimalray,
                 QRVA_DOC("Reads a primal ray of an unbounded problem.", "p.getprimalray(ray)",
                          "ray: a list for one value per column.", "r = []\n  p.getprimalray(r)",
                          "Without a known ray the list is left alone.", "hasprimalray, getdualray")),
    QRVA_WRAPPER("getdualray", kGetdualray,
                 QRVA_DOC("Reads a dual ray of an infeasible problem.", "p.getdualray(dray)",
                          "dray: a list for one value per row.", "r = []\n  p.getdualray(r)",
                          "Without a known ray the list is left alone.", "hasdualray, getprimalray")),
    QRVA_WRAPPER("hasprimalray", kHasprimalray,
                 QRVA_DOC("Tells whether a primal ray is known.", "p.hasprimalray()", "None.",
                          "if p.hasprimalray(): p.getprimalray(r)", "Returns True or False.", "getprimalray")),
    QRVA_WRAPPER("hasdualray", kHasdualray,
                 QRVA_DOC("Tells whether a dual ray is known.", "p.hasdualray()", "None.",
                          "if p.hasdualray(): p.getdualray(r)", "Returns True or False.", "getdualray")),
    QRVA_WRAPPER("getunbvec", kGetunbvec,
                 QRVA_DOC("Returns the constraint or variable of the unbounded direction.", "v = p.getunbvec()",
                          "None.", "p.solve('p')\n  v = p.getunbvec()",
                          "Only the primal simplex finds it; otherwise quorva.SolverError is raised.",
                          "getprimalray")),
    QRVA_WRAPPER("getlasterror", kGetlasterror,
                 QRVA_DOC("Returns the library's last error text for the problem.", "text = p.getlasterror()", "None.",
                          "print(p.getlasterror())", "The empty string when there was none.",
                          "quorva.getlasterror")),
    QRVA_WRAPPER("getmessagestatus", kGetmessagestatus,
                 QRVA_DOC("Tells whether a message of the library is shown.", "s = p.getmessagestatus(errcode)",
                          "errcode: the message's number.", "s = p.getmessagestatus(97)", "1 shown, 0 suppressed.",
                          "setmessagestatus")),
    QRVA_WRAPPER("getattribinfo", kGetattribinfo,
                 QRVA_DOC("Returns the identifier and type of an attribute.", "(id, type) = p.getattribinfo(name)",
                          "name: the attribute's name.", "p.getattribinfo('rows')",
                          "An unknown name gives (0, 0).", "getcontrolinfo, getAttrib")),
    QRVA_WRAPPER("getcontrolinfo", kGetcontrolinfo,
                 QRVA_DOC("Returns the identifier and type of a control.", "(id, type) = p.getcontrolinfo(name)",
                          "name: the control's name.", "p.getcontrolinfo('feastol')",
                          "An unknown name gives (0, 0).", "getattribinfo, getControl")),
    {nullptr, nullptr, 0, nullptr},
};
