/* Library-named methods that load a whole problem, append rows and columns,
 * or hand solutions to the library. Loading and appending also make the
 * constraint and variable objects of the new rows and columns. They are made
 * only once the library took the rows or columns, and a step that fails
 * afterwards takes the library's new rows or columns out again, so the
 * problem's lists always match the library. */
#include "api/wrapper.h"
#include "module/docs.h"
#include "module/errors.h"
#include "module/helpers.h"

#include <new>
#include <vector>

static const unsigned IN = ARG_ARRAY | ARG_REQUIRED;

/* first, first+1, ..., first+count-1; empty on failure (MemoryError set). */
static std::vector<int> indexRange(int first, int count) {
  std::vector<int> indices;
  try {
    indices.resize((size_t)(count > 0 ? count : 0));
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    return indices;
  }
  for (int k = 0; k < count; ++k) indices[(size_t)k] = first + k;
  return indices;
}

/* Takes back rows or columns first..first+count-1 after a later step of an
 * append failed; the error of that step is kept. */
static void takeBack(QRVAprob qprob, int (*remove)(QRVAprob, int, const int *), int first, int count) {
  std::vector<int> added = indexRange(first, count);
  if (count > 0 && !added.empty()) remove(qprob, count, added.data());
}

/* Names columns first.. one call each, from a list of str or bytes. */
static int addColumnNames(problem_s *p, PyObject *names, int first) {
  if (!names || names == Py_None) return 0;
  for (Py_ssize_t j = 0; j < PyList_GET_SIZE(names); ++j) {
    PyStrCopy name(PyList_GET_ITEM(names, j));
    if (!name.get()) {
      PyErr_Clear();
      PyErr_Format(qpy_model_exc, "Erroneous name for variable %d", (int)j);
      return -1;
    }
    int col = first + (int)j;
    if (QRVAaddnames(p->qprob, QRVA_NAMES_COLUMNS, name.get(), col, col) != 0) return -1;
  }
  return 0;
}

/* A names argument: None, or a list of one str or bytes name per new row
 * or column, tested before anything reaches the library. */
static int checkNames(PyObject *names, int count, const char *wrong_length, const char *wrong_name) {
  if (!names || names == Py_None) return 0;
  if (!PyList_Check(names) || PyList_GET_SIZE(names) != count) {
    PyErr_SetString(qpy_model_exc, wrong_length);
    return -1;
  }
  for (Py_ssize_t j = 0; j < count; ++j) {
    PyObject *name = PyList_GET_ITEM(names, j);
    if (!PyUnicode_Check(name) && !PyBytes_Check(name)) {
      PyErr_Format(qpy_model_exc, wrong_name, (int)j);
      return -1;
    }
  }
  return 0;
}

static int checkRowNames(PyObject *names, int count) {
  return checkNames(names, count, "Incorrect length of constraint name list", "Erroneous name for constraint %d");
}
static int checkColumnNames(PyObject *names, int count) {
  return checkNames(names, count, "Incorrect length of variable name list", "Erroneous name for variable %d");
}

/* ---- addrows ---- */

static PyObject *addrowsBody(WrapperCall &c) {
  PyObject *names = c.given(6) ? c.object(6) : nullptr;
  int n = c.n(0), first = 0;
  if (checkRowNames(names, n) != 0 ||
      c.attribute(QRVA_ORIGINALROWS, &first) != 0)
    return nullptr;
  if (QRVAaddrows64(c.qprob(), n, c.count[1] < 0 ? 0 : c.count[1], c.in<char>(0), c.in<double>(1), c.in<double>(5),
                    c.in<int64_t>(2), c.in<int>(3), c.in<double>(4)) != 0)
    return nullptr;
  if (addRowNames(c.problem, names, first) != 0 || addRowsAsConstraints(c.problem, names, first, n) != 0) {
    takeBack(c.qprob(), QRVAdelrows, first, n);
    return nullptr;
  }
  /* The objects take the bounds of their rows. */
  std::vector<int> rows = indexRange(first, n);
  if ((n > 0 && rows.empty()) || problem_pullRows(c.problem, n, rows.data()) != 0) return nullptr;
  return newNone();
}

static const WrapperSpec kAddrows{"OOOOO|OO",
                                  "Must provide arguments qrtype, rhs, mstart, mclind, dmatval",
                                  CHECK_BEFORE_PARSED,
                                  false,
                                  addrowsBody,
                                  {{"qrtype", KIND_CHAR, 0, IN, -1},
                                   {"rhs", KIND_DOUBLE, 0, IN, -1},
                                   {"mstart", KIND_INT64, 0, IN | ARG_STARTS, 1},
                                   {"mclind", KIND_COL, 1, IN, -1},
                                   {"dmatval", KIND_DOUBLE, 1, IN, -1},
                                   {"range", KIND_DOUBLE, 0, ARG_ARRAY, -1},
                                   {"names", -1, -1, ARG_PLAIN, -1}}};

/* ---- addcols ---- */

static PyObject *addcolsBody(WrapperCall &c) {
  PyObject *names = c.given(6) ? c.object(6) : nullptr;
  int n = c.n(0), first = 0;
  if (checkColumnNames(names, n) != 0 ||
      c.attribute(QRVA_ORIGINALCOLS, &first) != 0)
    return nullptr;
  std::vector<int> cols = indexRange(first, n);
  if (n > 0 && cols.empty()) return nullptr;
  if (QRVAaddcols64(c.qprob(), n, c.count[1] < 0 ? 0 : c.count[1], c.in<double>(0), c.in<int64_t>(1), c.in<int>(2),
                    c.in<double>(3), c.in<double>(4), c.in<double>(5)) != 0)
    return nullptr;
  const char *types = c.in<char>(7);
  if (addColumnNames(c.problem, names, first) != 0 ||
      (types && QRVAchgcoltype(c.qprob(), n, cols.data(), types) != 0) ||
      addColsAsVariables(c.problem, names, nullptr, types ? n : 0, cols.data(), types, nullptr, first, n) != 0) {
    takeBack(c.qprob(), QRVAdelcols, first, n);
    return nullptr;
  }
  /* The objects take the bounds the library holds (a binary column's are
   * clipped to [0, 1]). */
  if (problem_pullColumnRange(c.problem, first, n) != 0) return nullptr;
  return newNone();
}

static const WrapperSpec kAddcols{"OOOOOO|OO",
                                  "Must provide arguments objx, mstart, mrwind, dmatval, bdl, bdu",
                                  CHECK_AFTER,
                                  false,
                                  addcolsBody,
                                  {{"objx", KIND_DOUBLE, 0, IN, -1},
                                   {"mstart", KIND_INT64, 0, IN | ARG_STARTS, 1},
                                   {"mrwind", KIND_ROW, 1, IN, -1},
                                   {"dmatval", KIND_DOUBLE, 1, IN, -1},
                                   {"bdl", KIND_DOUBLE, 0, IN, -1},
                                   {"bdu", KIND_DOUBLE, 0, IN, -1},
                                   {"names", -1, -1, ARG_PLAIN, -1},
                                   {"types", KIND_CHAR, 0, ARG_ARRAY, -1}}};

/* ---- loadproblem ---- */

/* Argument positions of loadproblem. */
enum {
  LP_NAME, LP_ROWTYPE, LP_RHS, LP_RANGE, LP_OBJ, LP_START, LP_NEL, LP_ROWIND, LP_COEF, LP_LB, LP_UB,
  LP_QCOL1, LP_QCOL2, LP_QCOEF, LP_QCROWS, LP_QCNQUADS, LP_QCCOL1, LP_QCCOL2, LP_QCCOEF,
  LP_GTYPE, LP_GCOLS, LP_GLIMIT, LP_STYPE, LP_SSTART, LP_SCOLS, LP_SREF, LP_COLNAMES, LP_ROWNAMES,
};
/* Count groups of loadproblem. */
enum { G_ROWS, G_COLS, G_ELEMENTS, G_QUAD, G_QROWS, G_QTERMS, G_ENTITIES, G_SETS, G_MEMBERS };

/* Optional parts come whole or not at all. */
static int loadproblemGroups(WrapperCall &c) {
  auto all = [&](std::initializer_list<int> args) {
    for (int a : args)
      if (!c.given(a)) return false;
    return true;
  };
  auto none = [&](std::initializer_list<int> args) {
    for (int a : args)
      if (c.given(a)) return false;
    return true;
  };
  const char *message = nullptr;
  if (!all({LP_QCOL1, LP_QCOL2, LP_QCOEF}) && !none({LP_QCOL1, LP_QCOL2, LP_QCOEF}))
    message = "Incomplete list of parameters specified for the quadratic objective component";
  else if (!all({LP_QCROWS, LP_QCNQUADS, LP_QCCOL1, LP_QCCOL2, LP_QCCOEF}) &&
           !none({LP_QCROWS, LP_QCNQUADS, LP_QCCOL1, LP_QCCOL2, LP_QCCOEF}))
    message = "Incomplete list of parameters specified for the quadratic rows component";
  else if (c.given(LP_GTYPE) ? !c.given(LP_GCOLS) : !none({LP_GCOLS, LP_GLIMIT}))
    message = "Incomplete list of parameters specified for the global entities";
  else if (c.given(LP_STYPE) ? !all({LP_SSTART, LP_SCOLS, LP_SREF}) : !none({LP_SSTART, LP_SCOLS, LP_SREF}))
    message = "Incomplete list of parameters specified for the SOS";
  if (!message) return 0;
  PyErr_SetString(qpy_interf_exc, message);
  return -1;
}

/* The column-wise matrix: starts (n+1 of them, or n beside the counts
 * mnel), then row indices and coefficients of the elements they give. */
static int convertMatrix(WrapperCall &c) {
  int64_t n = c.count[G_COLS] < 0 ? 0 : c.count[G_COLS];
  bool counts = c.arrays[LP_NEL] != nullptr;
  int64_t starts = counts ? n : n + 1, elements = 0;
  if (starts > 0 && c.given(LP_START)) {
    if (c.convert(LP_START, &starts) != 0) return -1;
    const int64_t *start = c.in<int64_t>(LP_START);
    elements = counts ? (n > 0 ? start[n - 1] + c.in<int>(LP_NEL)[n - 1] : 0) : start[n];
  }
  c.count[G_ELEMENTS] = elements;
  if (elements > 0 && (c.convert(LP_ROWIND, &c.count[G_ELEMENTS]) != 0 || c.convert(LP_COEF, &c.count[G_ELEMENTS]) != 0))
    return -1;
  return 0;
}

/* The terms of the quadratic rows: as many as qcnquads adds up to. */
static int convertRowTerms(WrapperCall &c) {
  int64_t terms = 0;
  for (int64_t k = 0; k < c.count[G_QROWS]; ++k) terms += c.in<int64_t>(LP_QCNQUADS)[k];
  c.count[G_QTERMS] = terms;
  if (terms > 0 && (c.convert(LP_QCCOL1, &c.count[G_QTERMS]) != 0 || c.convert(LP_QCCOL2, &c.count[G_QTERMS]) != 0 ||
                    c.convert(LP_QCCOEF, &c.count[G_QTERMS]) != 0))
    return -1;
  return 0;
}

static PyObject *loadproblemBody(WrapperCall &c) {
  if (convertMatrix(c) != 0 || (c.given(LP_QCNQUADS) && convertRowTerms(c) != 0)) return nullptr;
  int m = c.n(G_ROWS), n = c.n(G_COLS), g = c.n(G_ENTITIES), s = c.n(G_SETS);
  int64_t q = c.count[G_QUAD] < 0 ? 0 : c.count[G_QUAD];
  int r = c.n(G_QROWS);
  bool quad = c.given(LP_QCOL1), rows = c.given(LP_QCROWS), global = c.given(LP_GTYPE) || c.given(LP_STYPE);
  const char *name = c.slot[LP_NAME].text;
#define LP_COMMON                                                                                                \
  c.in<char>(LP_ROWTYPE), c.in<double>(LP_RHS), c.in<double>(LP_RANGE), c.in<double>(LP_OBJ),                    \
      c.in<int64_t>(LP_START), c.in<int>(LP_NEL), c.in<int>(LP_ROWIND), c.in<double>(LP_COEF), c.in<double>(LP_LB), \
      c.in<double>(LP_UB)
#define LP_QUAD c.in<int>(LP_QCOL1), c.in<int>(LP_QCOL2), c.in<double>(LP_QCOEF)
#define LP_QROWS \
  c.in<int>(LP_QCROWS), c.in<int64_t>(LP_QCNQUADS), c.in<int>(LP_QCCOL1), c.in<int>(LP_QCCOL2), c.in<double>(LP_QCCOEF)
#define LP_GLOBAL                                                                                                    \
  c.in<char>(LP_GTYPE), c.in<int>(LP_GCOLS), c.in<double>(LP_GLIMIT), c.in<char>(LP_STYPE), c.in<int64_t>(LP_SSTART), \
      c.in<int>(LP_SCOLS), c.in<double>(LP_SREF)
  QRVAprob p = c.qprob();
  int rc;
  if (global && rows)
    rc = QRVAloadqcqpglobal64(p, name, n, m, q, r, g, s, LP_COMMON, LP_QUAD, LP_QROWS, LP_GLOBAL);
  else if (global && quad)
    rc = QRVAloadqglobal64(p, name, n, m, q, g, s, LP_COMMON, LP_QUAD, LP_GLOBAL);
  else if (rows)
    rc = QRVAloadqcqp64(p, name, n, m, q, r, LP_COMMON, LP_QUAD, LP_QROWS);
  else if (quad)
    rc = QRVAloadqp64(p, name, n, m, q, LP_COMMON, LP_QUAD);
  else if (global)
    rc = QRVAloadglobal64(p, name, n, m, g, s, LP_COMMON, LP_GLOBAL);
  else
    rc = QRVAloadlp64(p, name, n, m, LP_COMMON);
#undef LP_COMMON
#undef LP_QUAD
#undef LP_QROWS
#undef LP_GLOBAL
  if (rc != 0) return nullptr;
  /* The library problem was replaced whole: so are the objects. Names go
   * in first, so that the objects carry them. */
  PyObject *colnames = c.given(LP_COLNAMES) ? c.object(LP_COLNAMES) : nullptr;
  PyObject *rownames = c.given(LP_ROWNAMES) ? c.object(LP_ROWNAMES) : nullptr;
  if (checkColumnNames(colnames, n) != 0 ||
      checkRowNames(rownames, m) != 0 ||
      addColumnNames(c.problem, colnames, 0) != 0 || addRowNames(c.problem, rownames, 0) != 0 ||
      problem_objectsFromLibrary(c.problem) != 0)
    return nullptr;
  return newNone();
}

static const unsigned OPT = ARG_ARRAY;

static const WrapperSpec kLoadproblem{
    "sOOOOOOOOOO|OOOOOOOOOOOOOOOOO",
    nullptr,
    CHECK_BEFORE,
    false,
    loadproblemBody,
    {{"probname", -1, -1, ARG_PLAIN, -1},
     {"qrtypes", KIND_CHAR, G_ROWS, OPT, -1},
     {"rhs", KIND_DOUBLE, G_ROWS, OPT, -1},
     {"range", KIND_DOUBLE, G_ROWS, OPT, -1},
     {"obj", KIND_DOUBLE, G_COLS, OPT, -1},
     {"mstart", KIND_INT64, -1, ARG_PLAIN, -1},
     {"mnel", KIND_INT, G_COLS, OPT, -1},
     {"mrwind", KIND_INT, -1, ARG_PLAIN, -1},
     {"dmatval", KIND_DOUBLE, -1, ARG_PLAIN, -1},
     {"dlb", KIND_DOUBLE, G_COLS, OPT, -1},
     {"dub", KIND_DOUBLE, G_COLS, OPT, -1},
     {"mqcol1", KIND_INT, G_QUAD, OPT, -1},
     {"mqcol2", KIND_INT, G_QUAD, OPT, -1},
     {"dqe", KIND_DOUBLE, G_QUAD, OPT, -1},
     {"qcrows", KIND_INT, G_QROWS, OPT, -1},
     {"qcnquads", KIND_INT64, G_QROWS, OPT, -1},
     {"qcmqcol1", KIND_INT, -1, ARG_PLAIN, -1},
     {"qcmqcol2", KIND_INT, -1, ARG_PLAIN, -1},
     {"qcdqval", KIND_DOUBLE, -1, ARG_PLAIN, -1},
     {"qgtype", KIND_CHAR, G_ENTITIES, OPT, -1},
     {"mgcols", KIND_INT, G_ENTITIES, OPT, -1},
     {"dlim", KIND_DOUBLE, G_ENTITIES, OPT, -1},
     {"qstype", KIND_CHAR, G_SETS, OPT, -1},
     {"msstart", KIND_INT64, G_SETS, OPT | ARG_STARTS, G_MEMBERS},
     {"mscols", KIND_INT, G_MEMBERS, OPT, -1},
     {"dref", KIND_DOUBLE, G_MEMBERS, OPT, -1},
     {"colnames", -1, -1, ARG_PLAIN, -1},
     {"rownames", -1, -1, ARG_PLAIN, -1}},
    loadproblemGroups};

/* ---- solutions handed to the library ---- */

static int columnCount(WrapperCall &c, int group) {
  int cols = 0;
  if (c.attribute(QRVA_ORIGINALCOLS, &cols) != 0) return -1;
  c.count[group] = cols;
  return 0;
}

/* Without columns the values are those of every column: as many as there
 * are columns, which the library reads. */
static const WrapperSpec kAddmipsol{
    "O|Os", "Must provide argument mipsolval", CHECK_BEFORE, true,
    [](WrapperCall &c) {
      const char *name = c.slot[2].text && c.slot[2].text[0] ? c.slot[2].text : nullptr;
      return c.done(QRVAaddmipsol(c.qprob(), c.n(0), c.in<double>(0), c.in<int>(1), name));
    },
    {{"mipsolval", KIND_DOUBLE, 0, IN, -1}, {"mipsolcol", KIND_COL, 0, ARG_ARRAY, -1}, {"solname", -1, -1, 0, -1}},
    [](WrapperCall &c) { return c.given(1) ? 0 : columnCount(c, 0); }};

static const WrapperSpec kLoadmipsol{
    "O", "Must provide argument dsol", CHECK_BEFORE, true,
    [](WrapperCall &c) -> PyObject * {
      int status = 0;
      if (QRVAloadmipsol(c.qprob(), c.in<double>(0), &status) != 0) return nullptr;
      return PyLong_FromLong(status);
    },
    {{"dsol", KIND_DOUBLE, 0, IN, -1}},
    [](WrapperCall &c) { return columnCount(c, 0); }};

static const WrapperSpec kLoadlpsol{
    "|OOOO", nullptr, CHECK_BEFORE, true,
    [](WrapperCall &c) -> PyObject * {
      int status = 0;
      if (QRVAloadlpsol(c.qprob(), c.in<double>(0), c.in<double>(1), c.in<double>(2), c.in<double>(3), &status) != 0)
        return nullptr;
      return PyLong_FromLong(status);
    },
    {{"x", KIND_DOUBLE, 0, ARG_ARRAY, -1},
     {"slack", KIND_DOUBLE, 1, ARG_ARRAY, -1},
     {"dual", KIND_DOUBLE, 1, ARG_ARRAY, -1},
     {"dj", KIND_DOUBLE, 0, ARG_ARRAY, -1}},
    [](WrapperCall &c) {
      int rows = 0;
      if (columnCount(c, 0) != 0 || c.attribute(QRVA_ORIGINALROWS, &rows) != 0) return -1;
      c.count[1] = rows;
      return 0;
    }};

PyMethodDef problem_apiLoadMethods[] = {
    QRVA_WRAPPER("loadproblem", kLoadproblem,
                 QRVA_DOC("Loads a whole problem, replacing the problem's contents.",
                          "p.loadproblem(probname, qrtypes, rhs, range, obj, mstart, mnel, mrwind, dmatval, dlb, dub, "
                          "mqcol1=None, mqcol2=None, dqe=None, qcrows=None, qcnquads=None, qcmqcol1=None, "
                          "qcmqcol2=None, qcdqval=None, qgtype=None, mgcols=None, dlim=None, qstype=None, "
                          "msstart=None, mscols=None, dref=None, colnames=None, rownames=None)",
                          "probname: the name; qrtypes, rhs, range: rows; obj, dlb, dub: columns; mstart, mnel, "
                          "mrwind, dmatval: the matrix column-wise (mnel may be None); mqcol1, mqcol2, dqe: the "
                          "quadratic objective; qcrows, qcnquads, qcmqcol1, qcmqcol2, qcdqval: quadratic rows; "
                          "qgtype, mgcols, dlim: discrete columns; qstype, msstart, mscols, dref: sets; colnames, "
                          "rownames: lists of names. Indices are plain integers.",
                          "p.loadproblem('lp', ['L'], [4], None, [1, 1], [0, 1, 2], None, [0, 0], [1, 2], [0, 0], "
                          "[10, 10])",
                          "Each optional part comes whole or not at all. The problem's variables, constraints and "
                          "sets are replaced by new objects for the loaded columns, rows and sets.",
                          "addrows, addcols, read")),
    QRVA_WRAPPER("addrows", kAddrows,
                 QRVA_DOC("Appends rows to the problem.", "p.addrows(qrtype, rhs, mstart, mclind, dmatval, range=None, "
                                                          "names=None)",
                          "qrtype: row types; rhs: right-hand sides; mstart: start of each row's elements, one more "
                          "than rows; mclind: columns; dmatval: coefficients; range: range widths; names: a list of "
                          "names.",
                          "p.addrows(['L'], [25], [0, 3], [x, y, z], [8, 9, 10])",
                          "A new constraint object is made for each row; getConstraint returns them.",
                          "addcols, getrows, delConstraint")),
    QRVA_WRAPPER("addcols", kAddcols,
                 QRVA_DOC("Appends columns to the problem.", "p.addcols(objx, mstart, mrwind, dmatval, bdl, bdu, "
                                                         "names=None, types=None)",
                          "objx: objective coefficients; mstart: start of each column's elements, one more than "
                          "columns; mrwind: rows; dmatval: coefficients; bdl, bdu: bounds; names: a list of names; "
                          "types: column types.",
                          "p.addcols([1], [0, 1], [c], [2.0], [0], [10], types=['I'])",
                          "A new variable object is made for each column, with the bounds and type the library holds.",
                          "addrows, getcols, delVariable")),
    QRVA_WRAPPER("addmipsol", kAddmipsol,
                 QRVA_DOC("Offers a solution, possibly partial, to the MIP search.",
                          "p.addmipsol(mipsolval, mipsolcol=None, solname='')",
                          "mipsolval: values; mipsolcol: their columns (None: every column in order); solname: a name.",
                          "p.addmipsol([1, 0], [x, y])",
                          "Each MIP solve checks it first (1 feasible, 2 feasible after a repair that fixes the given "
                          "discrete values and solves the LP for the rest, 3 infeasible, 4 rejected), tells the "
                          "usersolnotify callbacks, and starts from the best usable one.",
                          "loadmipsol, addcbusersolnotify, solve")),
    QRVA_WRAPPER("loadmipsol", kLoadmipsol,
                 QRVA_DOC("Loads a full MIP solution.", "status = p.loadmipsol(dsol)",
                          "dsol: one value per column.", "p.loadmipsol([1, 0, 3])",
                          "Returns its check against the problem as it is now: 1 feasible, 2 feasible after a repair, "
                          "3 infeasible, 4 rejected; the next MIP solve checks it again, as one given with addmipsol.",
                          "addmipsol, addcbusersolnotify")),
    QRVA_WRAPPER("loadlpsol", kLoadlpsol,
                 QRVA_DOC("Loads an LP solution.", "status = p.loadlpsol(x=None, slack=None, dual=None, dj=None)",
                          "x, dj: one value per column; slack, dual: one per row; each may be None.",
                          "p.loadlpsol(x=[1, 2])", "Returns the library's status.", "getlpsol")),
    {nullptr, nullptr, 0, nullptr},
};
