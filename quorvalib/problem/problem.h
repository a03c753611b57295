/* The record of quorva.problem: the two library problems, the objects added
 * to them (list position = library index), and the maps from an object's
 * serial to its index. */
#ifndef QUORVA_PROBLEM_H
#define QUORVA_PROBLEM_H

#include "module/pyref.h"
#include "module/qrvalibs.h"

struct rowcolmap; /* serial -> index, defined with the coefficient maps */

/* Callback kinds: those of the optimizer library, then those of the SLP library. */
#define QRVA_PY_CB_OPT_KINDS QRVA_CALLBACK_KINDS
#define QRVA_PY_CB_KINDS (QRVA_CALLBACK_KINDS + QSLP_CALLBACK_KINDS)

struct problem_s {
  PyObject_HEAD
  QRVAprob qprob;             /* owned optimizer problem */
  QSLPprob slpprob;           /* owned SLP problem layered on qprob */
  PyObject *variables;        /* list: entry i is column i */
  PyObject *constraints;      /* list: entry i is row i */
  PyObject *sets;             /* list: entry i is set i */
  PyObject *controls;         /* quorva.control bound to this problem */
  PyObject *attributes;       /* quorva.attribute bound to this problem */
  rowcolmap *varmap;
  rowcolmap *conmap;
  rowcolmap *sosmap;
  PyObject *callbacks[QRVA_PY_CB_KINDS]; /* each NULL or a list of entries */
  int special_col;            /* SLP column for formula coefficients, -1 until read */
  int nl_count;               /* > 0 once constraints hold nonlinear coefficients */
  int nl_objective;           /* 1 while the objective has a nonlinear part */
  PyObject *userfuncs;        /* dict of user functions or NULL */
  int obj_transfer_col;       /* objective transfer column or -1 */
  int obj_transfer_row;       /* objective transfer row or -1 */
  int solving;                  /* 1 while solve() runs (problem/busy.h) */
  unsigned long solving_thread; /* the thread running it */
  uint64_t synced;              /* change stamp up to which the objects' changes reached the library */
  int view;                     /* PROBLEM_OWN, or a callback's view of the library's current problem */
  PyObject *cb_error[3];        /* (type, value, traceback) a callback raised, until a method raises it */
  PyObject *msjobs;             /* list of the objects of the multistart jobs (the library holds them
                                 * as pointers), until msclear or the problem goes; or NULL */
};
typedef struct problem_s problem_s;

/* problem_s.view: a problem of its own, a view while its callback runs,
 * and a view whose callback has returned (its handles are gone). */
enum { PROBLEM_OWN = 0, PROBLEM_VIEW = 1, PROBLEM_VIEW_GONE = 2 };

#define problem_check(o) PyObject_TypeCheck((o), &quorva_problemType)
#define PROBLEM(o) reinterpret_cast<problem_s *>(o)

/* The internal constructor: lists, maps, controls and attributes, no
 * library problems (the caller creates or attaches them). NULL on failure. */
PyObject *problem_new();

/* Whether the problem has nonlinear content (formula coefficients in its
 * rows or a nonlinear objective): the SLP library then answers. */
static inline bool problem_hasNonlinear(const problem_s *p) { return p->nl_count > 0 || p->nl_objective; }

/* Sets *is_mip from the discrete columns and sets of the optimizer problem.
 * 0, or -1 with the library's error left to the caller's setQrvaErrIfNull. */
int problem_isMIP(const problem_s *p, int *is_mip);

/* Rows and columns of the problem as the solution getters see it (the SLP
 * library's counts with nonlinear content). 0 or -1 as above. */
int problem_rowCount(const problem_s *p, int *rows);
int problem_colCount(const problem_s *p, int *cols);

/* Makes sure the SLP problem is no longer in its solved, constructed or
 * presolved state before the objective changes. 0 or the library's code. */
int check_nl_unconstruct(problem_s *p);

/* Sends the bounds and types of the problem's variables and constraints
 * that changed since the last call (or since the problem was made) to the
 * library. Called before every solve, write and copy, and by any query of
 * bounds or types from the library. 0, or -1 with an error set (nothing
 * is sent then). */
int problem_pushChanges(problem_s *p);

/* Replaces the problem's variables, constraints and sets by new objects
 * made from the library problem (names, bounds, types), after the library
 * problem was replaced (a file read, a load). 0, or -1 with an error set and
 * the lists left empty. */
int problem_objectsFromLibrary(problem_s *p);

/* Reads the bounds and types of the columns (or the bounds of the rows)
 * from the library into their objects after a direct change of the library
 * problem, and the given thresholds into the columns' objects. 0, or -1
 * with the error left to setQrvaErrIfNull. */
int problem_pullColumns(problem_s *p, int n, const int *cols);
int problem_pullColumnRange(problem_s *p, int first, int count);
int problem_pullThresholds(problem_s *p, int n, const int *cols, const double *limits);
int problem_pullRows(problem_s *p, int n, const int *rows);

/* The bounds lb <= row <= ub of a row of the library's type, right-hand
 * side and range (1e20: no bound). */
void rowBounds(char type, double rhs, double range, double *lb, double *ub);
/* The variable type (quorva.continuous ...) of a library column type. */
int variableTypeOf(char coltype);

/* Creates variable objects for columns first..first+count-1 that were added
 * to the library directly, from optional name and type lists or from the
 * given discrete entries (columns entind with types coltype and thresholds
 * limit). 0, or -1 with an error set. */
int addColsAsVariables(problem_s *p, PyObject *names, PyObject *types, int nglents, const int *entind,
                       const char *coltype, const double *limit, int first, int count);
/* Creates constraint objects for rows first..first+count-1 added directly. */
int addRowsAsConstraints(problem_s *p, PyObject *names, int first, int count);
/* Names rows first.. one at a time from a list of str. 0 or -1 with an error. */
int addRowNames(problem_s *p, PyObject *names, int first);

/* Method families of quorva.problem, each ended by an empty entry; the
 * class's table joins them. */
extern PyMethodDef problem_lifecycleMethods[];
extern PyMethodDef problem_modelingMethods[];
extern PyMethodDef problem_solveMethods[];
extern PyMethodDef problem_apiChangeMethods[];
extern PyMethodDef problem_apiLoadMethods[];
extern PyMethodDef problem_apiQueryMethods[];
extern PyMethodDef problem_apiBasisMethods[];
extern PyMethodDef problem_apiSolvingMethods[];
extern PyMethodDef problem_apiDirectiveMethods[];
extern PyMethodDef problem_apiFileMethods[];
extern PyMethodDef problem_apiIisMethods[];
extern PyMethodDef problem_apiCutMethods[];
extern PyMethodDef problem_callbackMethods[];
extern PyMethodDef problem_apiSlpFormulaMethods[];
extern PyMethodDef problem_slpVariableMethods[];
extern PyMethodDef problem_slpRowMethods[];
extern PyMethodDef problem_slpValidationMethods[];
extern PyMethodDef problem_slpCascadeMethods[];
extern PyMethodDef problem_slpPreparationMethods[];
extern PyMethodDef problem_slpDerivativeMethods[];
extern PyMethodDef problem_slpMultistartMethods[];

#endif
