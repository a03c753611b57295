/*
 * qslp.h - C interface of the nonlinear (successive linear programming)
 * part of the quorva optimizer library.
 *
 * An SLP problem sits on an optimizer problem (QRVAprob): the optimizer
 * problem holds the linear and quadratic data, the SLP problem adds formula
 * coefficients, SLP variables, tolerance sets and the SLP solver's state.
 * Conventions are those of qrva.h: every function returns 0 on success and a
 * non-zero QRVA_ERR_* code on failure, with a text for QSLPgetlasterror (the
 * text is also recorded as the last error of the optimizer problem below).
 *
 * Formulas travel in parsed form: postfix token arrays of types (int) and
 * values (double), ended by a token of type QSLP_TOK_EOF.
 */
#ifndef QSLP_H
#define QSLP_H

#include "qrva.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Flag bits of QSLPcontrolname. */
#define QSLP_CA_INT 0x01
#define QSLP_CA_DOUBLE 0x02
#define QSLP_CA_STRING 0x04
#define QSLP_CA_POINTER 0x08
#define QSLP_CA_CONTROL 0x10

/* Control and attribute identifiers: the name in QSLPgetcalist's list, in
 * upper case, with the prefix QSLP_. */
/* Integer controls. */
#define QSLP_SLPITERLIMIT 12001
#define QSLP_SLPLOG 12002
#define QSLP_SLPTHREADS 12003
#define QSLP_SLPSECONDORDER 12004
#define QSLP_SLPCASCADE 12005         /* 1: cascade the point before every iteration */
#define QSLP_SLPCASCADENLIMIT 12006   /* Newton passes per cascaded column */
#define QSLP_SLPSCALE 12007           /* 1: scale the linearizations (see QSLPscaling) */
#define QSLP_SLPECHOOPTIMIZERLOG 12415
/* Double controls. */
#define QSLP_SLPFEASTOL 12101
#define QSLP_SLPCONVTOL 12102
#define QSLP_SLPPENALTYCOST 12103
#define QSLP_SLPTIMELIMIT 12104
#define QSLP_SLPOBJSENSE 12146 /* 1.0 minimize, -1.0 maximize */
/* String controls. */
#define QSLP_SLPUNIQUEPREFIX 12301
/* Integer attributes. */
#define QSLP_SLPROWS 11999
#define QSLP_SLPCOLS 12000
#define QSLP_SLPUNITCOL 12013
#define QSLP_SLPCOEFFICIENTS 12016
#define QSLP_SLPNONLINEARROWS 12026
#define QSLP_SLPVARS 12030
#define QSLP_SLPUSERFUNCS 12031
#define QSLP_SLPTOLSETS 12032
#define QSLP_SLPITERATIONS 12040
#define QSLP_NLPSTATUS 12044
#define QSLP_SLPSTOPSTATUS 12045
#define QSLP_SLPSTATUS 12062
#define QSLP_KKTVALIDATED 12063 /* 1: the last QSLPvalidatekkt met its target */
/* Double attributes. */
#define QSLP_NLPOBJVAL 12179
#define QSLP_SLPSOLVETIME 12180
#define QSLP_VALIDATIONINDEX_A 12181 /* QSLPvalidate / QSLPvalidaterow: largest violation */
#define QSLP_VALIDATIONINDEX_R 12182 /* the same, relative to the bound */
#define QSLP_VALIDATIONINDEX_K 12183 /* QSLPvalidatekkt: the KKT residual */
/* String attributes. */
#define QSLP_SLPVERSION 12350
/* Pointer attributes (QSLPgetptrattrib). */
#define QSLP_OPTIMIZERPROBLEM 12601 /* the QRVAprob below */

/* Query of QSLPgetfuncobject: the QSLPprob of a function. */
#define QSLP_FUNC_SLPPROBLEM 12602

/* Bits of the status attribute QSLP_SLPSTATUS. */
#define QSLP_STATUS_CONSTRUCTED 0x1
#define QSLP_STATUS_PRESOLVED 0x20000000

/* Token types of parsed formulas. */
#define QSLP_TOK_EOF 0
#define QSLP_TOK_CON 1
#define QSLP_TOK_VAR 10
#define QSLP_TOK_UFUN 11
#define QSLP_TOK_IFUN 12
#define QSLP_TOK_ARGMARKER 22
#define QSLP_TOK_OP 31
/* Tokens of the unparsed (infix, reading order) form only: brackets around
 * a group or a function's arguments, and the delimiter between arguments. */
#define QSLP_TOK_LB 21
#define QSLP_TOK_RB 23
#define QSLP_TOK_DEL 24
#define QSLP_DEL_COMMA 1

/* Operators: values of QSLP_TOK_OP tokens. */
#define QSLP_OP_NEGATE 1
#define QSLP_OP_POWER 2
#define QSLP_OP_MULTIPLY 3
#define QSLP_OP_DIVIDE 4
#define QSLP_OP_ADD 5
#define QSLP_OP_SUBTRACT 6

/* Built-in functions: values of QSLP_TOK_IFUN tokens. Each takes its
 * arguments down to the nearest QSLP_TOK_ARGMARKER. */
#define QSLP_IFUN_LOG10 14
#define QSLP_IFUN_LOG 15
#define QSLP_IFUN_EXP 16
#define QSLP_IFUN_ABS 17
#define QSLP_IFUN_SQRT 18
#define QSLP_IFUN_SIN 27
#define QSLP_IFUN_COS 28
#define QSLP_IFUN_TAN 29
#define QSLP_IFUN_ARCSIN 30
#define QSLP_IFUN_ARCCOS 31
#define QSLP_IFUN_ARCTAN 32
#define QSLP_IFUN_MIN 33
#define QSLP_IFUN_MAX 34
#define QSLP_IFUN_SIGN 46
#define QSLP_IFUN_ERF 49
#define QSLP_IFUN_ERFC 50

/* Token types of a user function's definition (QSLPadduserfuncs), ended by
 * a QSLP_TOK_EOF token. */
#define QSLP_DEF_STRING 5   /* a QSLPsetstring index: the name, then the calling convention */
#define QSLP_DEF_FLAGS 86   /* the function's flags (QSLP_UF_*) */
#define QSLP_DEF_RETURNS 87 /* how many values the function returns (1) */

/* Name type of QSLPaddnames. */
#define QSLP_NAMES_USERFUNCTIONS 5

/* An SLP problem. */
typedef struct qslp_problem_s *QSLPprob;
/* A user function being evaluated (passed to the function's address). */
typedef struct qslp_function_s *QSLPfunc;

/* User function addresses (QSLPchguserfuncaddress): value only, or value
 * and partial derivatives (results[0] the value, results[1..n] the
 * derivatives for the arguments whose delta is non-zero; a derivative left
 * unwritten is found by central differences). Which one a function is comes
 * from the flags of its definition (QSLPadduserfuncs: tokens QSLP_DEF_STRING
 * name, QSLP_DEF_RETURNS 1, QSLP_DEF_FLAGS flags, QSLP_DEF_STRING calling
 * convention "DirectC", QSLP_TOK_EOF); flag bit QSLP_UF_DERIVATIVES picks the
 * second form. Arguments
 * arrive in order (a formula writes them last first after its argument-list
 * marker). A function fails by returning NaN, by leaving results[0]
 * unwritten, or by calling QSLPinterrupt on its problem: the solve then
 * stops with NLP status QSLP_NLP_UNFINISHED and stop status QRVA_STOP_USER. */
#define QSLP_UF_DERIVATIVES 0x1000

/* NLP statuses (integer attribute QSLP_NLPSTATUS). */
#define QSLP_NLP_UNSTARTED 0
#define QSLP_NLP_LOCALLY_OPTIMAL 1
#define QSLP_NLP_GLOBALLY_OPTIMAL 2
#define QSLP_NLP_LOCALLY_INFEASIBLE 3
#define QSLP_NLP_INFEASIBLE 4
#define QSLP_NLP_UNBOUNDED 5
#define QSLP_NLP_UNFINISHED 6
typedef double (*QSLPuserfunc)(const double values[], QSLPfunc func);
typedef double (*QSLPuserfuncderiv)(const double values[], QSLPfunc func,
                                    const double deltas[], double results[]);

/* ---------------------------------------------------------------------- */
/* Callback function types (one function per kind; setting replaces)     */
/* ---------------------------------------------------------------------- */

/* The SLP engine calls at most one function per kind, the latest set, with
 * the data given with it. During every call the problem answers queries
 * for the current iterate: QSLPgetslpsol and QRVAgetlpsol on the optimizer
 * problem below give its values, slacks and the multipliers of the last
 * step taken; QSLP_SLPITERATIONS the iterations begun so far and
 * QSLP_NLPOBJVAL the iterate's objective. A non-zero result that stops the
 * solve leaves it unfinished with stop status QRVA_STOP_USER.
 *
 * Stage callbacks, in the order of a solve: construct (the engine has
 * described the problem for the solve: its nonlinear rows, columns and
 * determined columns), slpstart (the starting point is set), then per
 * iteration iterstart (before its linearization) and iterend (after the
 * step was taken or refused), then slpend (the last point) and destroy
 * (the engine lets its structures go). Non-zero from construct, slpstart,
 * iterstart or iterend stops the solve before the next iteration; the
 * results of slpend and destroy are ignored. With slpcascade 1, cascadestart
 * and cascadeend enclose the cascade before each iterstart (see
 * QSLPcascade).
 *
 * slpnode: in the tree search of a problem with discrete columns or sets
 * (QSLPnlpoptimize, QSLPglobal), once per node before the node's SLP solve.
 * The optimizer problem below then has the node's column bounds
 * (QRVAgetlb/QRVAgetub) and answers the node attributes (node, parent,
 * depth, active nodes) and the search's best bound and incumbent; the SLP
 * queries answer the last node solved. Non-zero stops the search with the
 * best solution found kept (stop status QRVA_STOP_USER). Every node's SLP
 * solve fires the stage callbacks above as a solve does. */
typedef int (*QSLPcbslpstart)(QSLPprob slp, void *data);
typedef int (*QSLPcbslpnode)(QSLPprob slp, void *data);
typedef int (*QSLPcbslpend)(QSLPprob slp, void *data);
typedef int (*QSLPcbiterstart)(QSLPprob slp, void *data);
typedef int (*QSLPcbiterend)(QSLPprob slp, void *data);
typedef int (*QSLPcbconstruct)(QSLPprob slp, void *data);
typedef int (*QSLPcbdestroy)(QSLPprob slp, void *data);
typedef int (*QSLPcbcascadestart)(QSLPprob slp, void *data);
typedef int (*QSLPcbcascadeend)(QSLPprob slp, void *data);
/* itervar: at the end of every iteration, before iterend, once per column
 * that appears in a nonlinear part (ascending col); non-zero stops the
 * solve after this iteration (and no further column of it is reported).
 * (Python's itervar callbacks cannot stop: their results are not passed
 * on, only an exception stops the solve.)
 * cascadevar and cascadevarfail: a determined column was computed, or
 * could not be, by a cascade (see QSLPcascade); non-zero stops it. */
typedef int (*QSLPcbitervar)(QSLPprob slp, void *data, int col);
typedef int (*QSLPcbcascadevar)(QSLPprob slp, void *data, int col);
typedef int (*QSLPcbcascadevarfail)(QSLPprob slp, void *data, int col);
/* A formula coefficient (row, col; col -1 for a coefficient of no column)
 * could not be evaluated at a point the engine tried. 0: the engine goes on
 * as without the callback (a step to that point is refused; at the start
 * the solve fails); non-zero stops the solve. The queries answer the last
 * iterate, not the point that failed. */
typedef int (*QSLPcbcoefevalerror)(QSLPprob slp, void *data, int row, int col);
/* A determined column (one whose only element lies in the nonlinear
 * equality row detrow) took the value that satisfies that row at a point
 * the engine evaluates, within its bounds lb and ub. *p_newvalue holds
 * that value on entry; the value the callback leaves there is used, moved
 * into the bounds. Non-zero stops the solve. */
typedef int (*QSLPcbdrcol)(QSLPprob slp, void *data, int detrow, int col, double value,
                           double *p_newvalue, double lb, double ub);
/* The value of a formula coefficient's formula at a point the engine
 * evaluates. *p_result holds value on entry; the value the callback leaves
 * there is used as the formula's value (its derivatives stay those of the
 * formula). Non-zero stops the solve. */
typedef int (*QSLPcbformula)(QSLPprob slp, void *data, double value, double *p_result);
/* Multistart jobs: job object as given to QSLPmsaddjob, its description. */
typedef int (*QSLPcbmsjobstart)(QSLPprob slp, void *data, void *jobobject,
                                const char *jobdesc, int *p_status);
typedef int (*QSLPcbmsjobend)(QSLPprob slp, void *data, void *jobobject, const char *jobdesc,
                              int *p_status);
typedef int (*QSLPcbmswinner)(QSLPprob slp, void *data, void *jobobject, const char *jobdesc);

/* ---------------------------------------------------------------------- */
/* Environment and problems                                               */
/* ---------------------------------------------------------------------- */

/* Counted like QRVAinit/QRVAfree; the optimizer environment must be on. */
QRVA_API int QSLPinit(void);
QRVA_API int QSLPfree(void);
/* Create an SLP problem. If *qprob is a problem, the SLP problem is layered
 * on it (the caller still owns and destroys it, after the SLP problem); if
 * *qprob is NULL an optimizer problem is created, returned in *qprob and
 * owned (destroyed) by the SLP problem. One SLP problem per optimizer problem. */
QRVA_API int QSLPcreateprob(QSLPprob *slp, QRVAprob *qprob);
QRVA_API int QSLPdestroyprob(QSLPprob slp);
QRVA_API int QSLPcopyprob(QSLPprob dest, QSLPprob src, const char *probname);
QRVA_API int QSLPcopycontrols(QSLPprob dest, QSLPprob src);
/* Last error: code (0 when none) and text; buffer needs room for 512 bytes. */
QRVA_API int QSLPgetlasterror(QSLPprob slp, int *code, char *buffer);
QRVA_API int QSLPreadprob(QSLPprob slp, const char *filename, const char *flags);
QRVA_API int QSLPwriteprob(QSLPprob slp, const char *filename, const char *flags);

/* ---------------------------------------------------------------------- */
/* Controls and attributes                                                */
/* ---------------------------------------------------------------------- */

/* Every control and attribute: entry 0 is a header (its id is the number of
 * entries that follow it, its name "qslp"), the list ends with an entry
 * whose name is "". Arrays owned by the library. */
QRVA_API int QSLPgetcalist(QSLPprob slp, const int **ids, const char *const **names);
/* Name and flags (QSLP_CA_*) of a control or attribute identifier. */
QRVA_API int QSLPcontrolname(int id, const char **name, int *flags);
QRVA_API int QSLPgetintcontrol(QSLPprob slp, int id, int *value);
QRVA_API int QSLPsetintcontrol(QSLPprob slp, int id, int value);
QRVA_API int QSLPgetdblcontrol(QSLPprob slp, int id, double *value);
QRVA_API int QSLPsetdblcontrol(QSLPprob slp, int id, double value);
/* String controls and attributes as QRVAgetstrcontrol. */
QRVA_API int QSLPgetstrcontrol(QSLPprob slp, int id, char *value, int maxbytes, int *nbytes);
QRVA_API int QSLPsetstrcontrol(QSLPprob slp, int id, const char *value);
QRVA_API int QSLPsetdefaultcontrol(QSLPprob slp, int id);
QRVA_API int QSLPsetdefaults(QSLPprob slp);
QRVA_API int QSLPgetintattrib(QSLPprob slp, int id, int *value);
QRVA_API int QSLPgetdblattrib(QSLPprob slp, int id, double *value);
QRVA_API int QSLPgetstrattrib(QSLPprob slp, int id, char *value, int maxbytes, int *nbytes);
/* Pointer attributes: QSLP_OPTIMIZERPROBLEM, the optimizer problem below. */
QRVA_API int QSLPgetptrattrib(QSLPprob slp, int id, void **value);

/* ---------------------------------------------------------------------- */
/* Formula coefficients                                                   */
/* ---------------------------------------------------------------------- */

/* ncoefs coefficients: row, column (-1: a formula standing on its own),
 * factor, and formula k in tokens fstart[k]..; parsed 1 for parsed form. */
QRVA_API int QSLPaddcoefs(QSLPprob slp, int ncoefs, const int rowindex[], const int colindex[],
                          const double factor[], const int fstart[], int parsed,
                          const int type[], const double value[]);
QRVA_API int QSLPloadcoefs(QSLPprob slp, int ncoefs, const int rowindex[],
                           const int colindex[], const double factor[], const int fstart[],
                           int parsed, const int type[], const double value[]);
/* All coefficients' rows and columns; arrays may be NULL for the count. */
QRVA_API int QSLPgetcoefs(QSLPprob slp, int *ncoefs, int rowindex[], int colindex[]);
QRVA_API int QSLPdelcoefs(QSLPprob slp, int ncoefs, const int rowindex[], const int colindex[]);
/* Change one coefficient (factor NULL leaves the factor). */
QRVA_API int QSLPchgcoef(QSLPprob slp, int row, int col, const double *factor, int parsed,
                         const int type[], const double value[]);
/* Change / read one coefficient with its formula as infix text: columns and
 * user functions by name, as in problem files. QSLPchgccoef: formula NULL
 * changes the factor alone, factor NULL keeps it (1 for a new coefficient).
 * QSLPgetccoef: the text and its terminating zero must fit in maxbytes;
 * formula NULL gives the factor alone. */
QRVA_API int QSLPchgccoef(QSLPprob slp, int row, int col, const double *factor,
                          const char *formula);
QRVA_API int QSLPgetccoef(QSLPprob slp, int row, int col, double *factor, char *formula,
                          int maxbytes);
/* Formula of one coefficient as tokens: at most maxtokens, *ntokens the count. */
QRVA_API int QSLPgetcoefformula(QSLPprob slp, int row, int col, double *factor, int parsed,
                                int maxtokens, int *ntokens, int type[], double value[]);
QRVA_API int QSLPevaluatecoef(QSLPprob slp, int row, int col, double *value);
QRVA_API int QSLPevaluateformula(QSLPprob slp, int parsed, const int type[],
                                 const double value[], double *result);

/* ---------------------------------------------------------------------- */
/* SLP variables, rows, delta types and tolerance sets                   */
/* ---------------------------------------------------------------------- */

/* SLP settings of nvars columns (QSLPloadvars first drops those of every
 * column); any array but colindex may be NULL. vartype: a code of 0 or more;
 * detrow: the determining row, -1 none; seqnum: accepted, not used (the
 * cascade order follows the rows' dependencies); tolindex: a tolerance set
 * 1..n, 0 none; stepbound: 0 or more. */
QRVA_API int QSLPaddvars(QSLPprob slp, int nvars, const int colindex[], const int vartype[],
                         const int detrow[], const int seqnum[], const int tolindex[],
                         const double initvalue[], const double stepbound[]);
QRVA_API int QSLPloadvars(QSLPprob slp, int nvars, const int colindex[], const int vartype[],
                          const int detrow[], const int seqnum[], const int tolindex[],
                          const double initvalue[], const double stepbound[]);
QRVA_API int QSLPdelvars(QSLPprob slp, int nvars, const int colindex[]);
/* Change the SLP settings of a column; NULL pointers leave a setting. Values
 * as in QSLPaddvars; history and converged are solver state, kept as given. */
QRVA_API int QSLPchgvar(QSLPprob slp, int col, const int *detrow, const double *initstepbound,
                        const double *stepbound, const double *penalty, const double *damp,
                        const double *initvalue, const double *value, const int *tolset,
                        const int *history, const int *converged, const int *vartype);
/* Read the SLP settings and state of a column (NULL pointers are skipped). */
QRVA_API int QSLPgetvar(QSLPprob slp, int col, int *detrow, double *initstepbound,
                        double *stepbound, double *penalty, double *damp, double *initvalue,
                        double *value, int *tolset, int *history, int *converged,
                        int *vartype, int *delta, int *penaltydelta, int *updaterow,
                        double *oldvalue);
/* Cascading. A determined column is one whose SLP setting names a
 * determining row (detrow). Cascading a point computes each determined
 * column from its row: Newton passes on that column alone until the row's
 * activity meets its right-hand side (rows of type E, L or G), within the
 * column's bounds, at most the column's limit of passes (QSLPchgcascadenlimit:
 * 0 to 1000; 0, the default, takes the control slpcascadenlimit). Columns
 * are computed after every determined column their rows use (linearly, in
 * a formula coefficient or a quadratic term; ties by column index); columns
 * that determine each other in a cycle are refused, naming a column of the
 * cycle. The callbacks: cascadestart, then per column cascadevar (computed)
 * or cascadevarfail (its row is of another type, its derivative there is
 * zero, or the row cannot be evaluated: the column keeps its value), then
 * cascadeend; non-zero from any of them stops the cascade (and a solve).
 * QSLPcascade cascades the current point (the last nonlinear solution,
 * else the initial values): the values become the columns' SLP values and
 * initial values, so that the next solve starts from them. QSLPcascadeorder
 * computes the order, keeps it with the problem and writes it to the log.
 * With the control slpcascade 1, a solve cascades its point before every
 * iteration (a cycle then fails the solve before it starts). */
QRVA_API int QSLPchgcascadenlimit(QSLPprob slp, int col, int limit);
/* Delta types: how the solver bounds the step ("delta") of a nonlinear
 * column in each linearization. The step bound is radius * unit, where the
 * radius is the solver's trust region (widened after good steps, narrowed
 * after refused ones):
 *   AUTO      unit = the column's initial step bound, else max(1, |x|) at
 *             the start of the solve (the value is not used);
 *   ABSOLUTE  unit = value;
 *   RELATIVE  unit = value * max(1, |x|) at every iteration's point;
 *   CAPPED    the AUTO bound, but never more than value.
 * Values of ABSOLUTE, RELATIVE and CAPPED are finite and positive. */
#define QSLP_DELTA_AUTO 0
#define QSLP_DELTA_ABSOLUTE 1
#define QSLP_DELTA_RELATIVE 2
#define QSLP_DELTA_CAPPED 3
QRVA_API int QSLPchgdeltatype(QSLPprob slp, int nvars, const int colindex[],
                              const int deltatypes[], const double values[]);
/* Derivative factors by column and row: every linearization the solver
 * builds takes the partial derivative of row's nonlinear part (formula
 * coefficients and quadratic terms) with respect to col times the factor
 * (1 where none is given; the engine's derivatives are exact, so a factor
 * damps (< 1) or amplifies (> 1) how strongly the linear model trusts
 * that dependence). Factors apply at iterates that violate the nonlinear
 * rows (weighted sum above slpfeastol): they steer the approach to the
 * rows. At iterates that meet them, and for values, the merit of steps,
 * convergence and validation, the true derivatives hold, so a factor
 * changes the path of a solve, not its optimum.
 * Factors are finite and positive. QSLPadddfs sets the pairs given (a pair
 * given again replaces its factor), QSLPloaddfs first drops every factor;
 * QSLPchgdf with value NULL drops one; QSLPgetdf gives 1 for a pair without
 * one. Deleting rows or columns drops their factors. */
QRVA_API int QSLPadddfs(QSLPprob slp, int ndfs, const int colindex[], const int rowindex[],
                        const double value[]);
QRVA_API int QSLPloaddfs(QSLPprob slp, int ndfs, const int colindex[], const int rowindex[],
                         const double value[]);
QRVA_API int QSLPchgdf(QSLPprob slp, int col, int row, const double *value);
QRVA_API int QSLPgetdf(QSLPprob slp, int col, int row, double *value);
/* Row statuses: a word of bits per row.
 *   NONLINEAR  (read only) the row has formula coefficients or quadratic
 *              terms: the SLP linearizes it; a row without is linear;
 *   ENFORCED   the row's error vectors are left out, so every linearization
 *              must meet it (one that cannot gets them back for that
 *              iteration rather than stop the solve);
 *   IGNORED    the SLP solve leaves the row out (its bounds do not hold for
 *              the solver; its slack is still reported).
 * QSLPchgrowstatus takes ENFORCED and IGNORED (not both) and ignores the
 * NONLINEAR bit, so that a word read can be written back. */
#define QSLP_ROWSTATUS_NONLINEAR 0x1
#define QSLP_ROWSTATUS_ENFORCED 0x2
#define QSLP_ROWSTATUS_IGNORED 0x4
QRVA_API int QSLPchgrowstatus(QSLPprob slp, int row, const int *status);
QRVA_API int QSLPgetrowstatus(QSLPprob slp, int row, int *status);
/* Row weights: the error vectors of a nonlinear row cost penalty * weight
 * in the linearizations, and its violation counts weight times in the
 * merit of a step. Finite and positive; 1 by default. */
QRVA_API int QSLPchgrowwt(QSLPprob slp, int row, const double *weight);
QRVA_API int QSLPgetrowwt(QSLPprob slp, int row, double *weight);
/* Tolerance sets of 9 values each, numbered 1..n (a column's tolset 0:
 * none). Value k of a set is the tolerance QSLP_TOL_* k; bit k of the set's
 * status word says that it is in force. A column that names a set has
 * converged when, for the step d the linearization proposes for it at
 * point x, every tolerance in force holds:
 *   ABSSTEP |d| <= t;  RELSTEP |d| <= t max(1, |x|);  STEPBOUND |d| <= t
 *   times the column's step bound at that iteration;  ABSIMPACT / RELIMPACT
 *   |dg_i/dx * d| <= t (relative: t max(1, |activity of row i|)) for every
 *   nonlinear row it enters;  ABSOBJIMPACT / RELOBJIMPACT the same for the
 *   objective;  ABSREDCOST |projected gradient of the Lagrangian| <= t;
 *   RELREDCOST the same relative to the gradients' largest term (the
 *   default test's measure).
 * The solve has converged when the rows hold (slpfeastol), the row
 * multipliers are complementary (slpconvtol) and every nonlinear column has
 * converged: by its set, or, without a set or with a set of status 0, by
 * RELREDCOST against slpconvtol.
 * QSLPaddtolsets / QSLPloadtolsets (which replaces every set; columns must
 * not name a set beyond the new ones): values of 0 or more, finite; the
 * status bit of a value is set when it is positive (0: not in force).
 * QSLPchgtolset: status NULL sets the bits from the new values; tols NULL
 * keeps the values; a status is a word of bits 0..8. QSLPgettolset: either
 * pointer may be NULL. QSLPdeltolsets: sets that no column names; the sets
 * after them move down and the columns naming them follow. */
#define QSLP_TOL_ABSSTEP 0
#define QSLP_TOL_RELSTEP 1
#define QSLP_TOL_STEPBOUND 2
#define QSLP_TOL_ABSIMPACT 3
#define QSLP_TOL_RELIMPACT 4
#define QSLP_TOL_ABSOBJIMPACT 5
#define QSLP_TOL_RELOBJIMPACT 6
#define QSLP_TOL_ABSREDCOST 7
#define QSLP_TOL_RELREDCOST 8
#define QSLP_TOLERANCES 9
QRVA_API int QSLPaddtolsets(QSLPprob slp, int ntolsets, const double tols[]);
QRVA_API int QSLPloadtolsets(QSLPprob slp, int ntolsets, const double tols[]);
QRVA_API int QSLPchgtolset(QSLPprob slp, int ntolset, const int *status, const double tols[]);
QRVA_API int QSLPgettolset(QSLPprob slp, int ntolset, int *status, double tols[]);
QRVA_API int QSLPdeltolsets(QSLPprob slp, int ntolsets, const int index[]);
/* Per-column / per-row information of kind infotype; info points to an
 * int for the kinds marked (int), else to a double. VALUE is the column's
 * value at the current point; the others come from the last nonlinear
 * solve (refused before one) and its last linearization, whose columns are
 * the problem's (a nonlinear column standing for its step) followed by two
 * error vectors per nonlinear row.
 *   COL VALUE; RDJ reduced cost; DELTAINDEX (int) the column of its step,
 *   -1 for a linear column; DELTA the step the last linearization proposed;
 *   DELTADJ its reduced cost; UPDATEROW (int) the row that determines the
 *   column, -1 none; SB its step bound (1e20: none); SBDUAL the step
 *   bound's multiplier (0 unless the step is at it).
 *   ROW SLACK; DUAL; NUMPENALTYERRORS (int) linearizations whose error
 *   vectors were in use (above slpfeastol); MAX-, TOTAL-, CURRENTPENALTYERROR
 *   their largest, summed and last size; CURRENTPENALTYFACTOR the last cost
 *   of an error vector (penalty times the row's weight); PENALTYCOLUMNPLUS,
 *   -MINUS (int) the error vectors' columns (-1 for a linear row), with
 *   their last values and reduced costs. */
#define QSLP_COLINFO_VALUE 1
#define QSLP_COLINFO_RDJ 2
#define QSLP_COLINFO_DELTAINDEX 3
#define QSLP_COLINFO_DELTA 4
#define QSLP_COLINFO_DELTADJ 5
#define QSLP_COLINFO_UPDATEROW 6
#define QSLP_COLINFO_SB 7
#define QSLP_COLINFO_SBDUAL 8
#define QSLP_ROWINFO_SLACK 1
#define QSLP_ROWINFO_DUAL 2
#define QSLP_ROWINFO_NUMPENALTYERRORS 3
#define QSLP_ROWINFO_MAXPENALTYERROR 4
#define QSLP_ROWINFO_TOTALPENALTYERROR 5
#define QSLP_ROWINFO_CURRENTPENALTYERROR 6
#define QSLP_ROWINFO_CURRENTPENALTYFACTOR 7
#define QSLP_ROWINFO_PENALTYCOLUMNPLUS 8
#define QSLP_ROWINFO_PENALTYCOLUMNPLUSVALUE 9
#define QSLP_ROWINFO_PENALTYCOLUMNPLUSDJ 10
#define QSLP_ROWINFO_PENALTYCOLUMNMINUS 11
#define QSLP_ROWINFO_PENALTYCOLUMNMINUSVALUE 12
#define QSLP_ROWINFO_PENALTYCOLUMNMINUSDJ 13
/* Whether info of that kind is an int (1) or a double (0). */
#define QSLP_COLINFO_IS_INT(t) ((t) == QSLP_COLINFO_DELTAINDEX || (t) == QSLP_COLINFO_UPDATEROW)
#define QSLP_ROWINFO_IS_INT(t) \
  ((t) == QSLP_ROWINFO_NUMPENALTYERRORS || (t) == QSLP_ROWINFO_PENALTYCOLUMNPLUS || \
   (t) == QSLP_ROWINFO_PENALTYCOLUMNMINUS)
QRVA_API int QSLPgetcolinfo(QSLPprob slp, int infotype, int col, void *info);
QRVA_API int QSLPgetrowinfo(QSLPprob slp, int infotype, int row, void *info);

/* ---------------------------------------------------------------------- */
/* Solving                                                                */
/* ---------------------------------------------------------------------- */

/* QSLPnlpoptimize: one SLP solve from the columns' initial values; a
 * problem with discrete columns (integer, binary, semi-continuous, ...),
 * sets or indicator rows is solved by the tree search of QSLPglobal
 * (loaded multistart jobs are then not run). */
QRVA_API int QSLPnlpoptimize(QSLPprob slp, const char *flags);
/* QSLPglobal: branch-and-bound with an SLP solve of every node's nonlinear
 * relaxation (the node's column bounds, started from the parent's
 * solution), branching on discrete columns, sets and indicator rows the
 * node's point breaks (integer columns by pseudo-costs). A node's
 * relaxation holds an indicator row only where the node's bounds fix its
 * column at the value that switches it on; a row that the point breaks
 * while its column sits at that value is branched on through the column. Limits and tolerances of a MIP
 * solve apply: QRVA_MAXNODE, QRVA_TIMELIMIT (and slptimelimit), the MIP gap
 * tolerances, QRVA_MAXMIPSOL. The node solves are local: for a convex
 * problem the search proves its optimum, for a non-convex one its solution
 * is locally optimal and its bound no proof. Off, as they need an LP basis:
 * strong branching, cuts, heuristics, branching objects.
 * Results: QSLP_NLPSTATUS is QSLP_NLP_LOCALLY_OPTIMAL with a solution
 * (whether or not the search finished: QRVA_MIPSTATUS tells, OPTIMAL or
 * SOLUTION), QSLP_NLP_INFEASIBLE when the search proved there is none,
 * QSLP_NLP_LOCALLY_INFEASIBLE when that rests on nodes where the SLP only
 * found no feasible point or which it gave up, QSLP_NLP_UNFINISHED when it
 * stopped first, QSLP_NLP_UNBOUNDED; QSLP_NLPOBJVAL and QSLPgetslpsol give
 * the best solution (the SLP solution of its node, with that node's
 * multipliers). The optimizer problem below records the MIP kind of
 * results: QRVA_MIPSTATUS, QRVA_MIPOBJVAL, QRVA_BESTBOUND, the gap, the
 * node count, and the solution for QRVAgetmipsol. A problem without
 * discrete parts is one node, or a multistart when jobs are loaded (see
 * QSLPmsaddjob); the tree search does not run the jobs. */
QRVA_API int QSLPglobal(QSLPprob slp);
QRVA_API int QSLPconstruct(QSLPprob slp);
QRVA_API int QSLPunconstruct(QSLPprob slp);
/* Presolve: sets QSLP_STATUS_PRESOLVED (and logs what presolve takes from
 * the problem as it stands); every nonlinear solve while it is set (also
 * QRVAlpoptimize of a problem with formulas or quadratic rows) presolves
 * the problem afresh, solves the presolved problem and reports values,
 * slacks, duals and reduced costs on the problem's own rows and columns.
 * Only the linear part is reduced, repeatedly until nothing changes: a
 * linear column fixed by its bounds goes (its value moves into the rows'
 * right-hand sides and the objective's constant); a linear row with one
 * element left becomes bounds of that column (a row equal to one value
 * fixes it); a linear row with no element left that 0 satisfies goes.
 * Rows with formulas or quadratic terms, columns in formulas, quadratic
 * terms or the quadratic objective, determined columns and their rows,
 * rows with SLP settings, free and indicator rows, and the rows and
 * columns of QRVAloadsecurevecs stay. A reduction whose bounds contradict
 * is not made, so the solve itself reports the problem infeasible. A row
 * that became bounds takes its column's reduced cost as its dual when the
 * column ends at a bound the row gave. The problem itself never changes;
 * callbacks during a presolved solve see the presolved problem.
 * QSLPpostsolve clears QSLP_STATUS_PRESOLVED: later solves take the problem
 * as it stands (the last solution already is on its rows and columns). */
QRVA_API int QSLPpresolve(QSLPprob slp);
QRVA_API int QSLPpostsolve(QSLPprob slp);
QRVA_API int QSLPinterrupt(QSLPprob slp, int reason);
QRVA_API int QSLPcascade(QSLPprob slp);
QRVA_API int QSLPcascadeorder(QSLPprob slp);
/* The next nonlinear solve (that one only) prices the error vectors of
 * every nonlinear row at a fixed penalty times the row's weight and never
 * raises it: the penalty of the last solve's last linearization, or before
 * any solve the control slppenaltycost. */
QRVA_API int QSLPfixpenalties(QSLPprob slp);
/* Back to the state before any nonlinear solve: the last solution, the
 * statuses and the columns' solver state (value, history, converged, old
 * value) go; settings stay. */
QRVA_API int QSLPreinitialize(QSLPprob slp);
/* Scaling of the linearizations: logs the range of the matrix entries of
 * the linearization at the current point (the last nonlinear solution,
 * else the initial values) before and after scaling, and sets the control
 * slpscale to 1. While slpscale is 1, each solve scales the rows and
 * columns of its linearizations by powers of two (geometric means of the
 * entries of its first linearization) and takes their results back to the
 * problem's units. Refused when a formula cannot be evaluated at the
 * current point. */
QRVA_API int QSLPscaling(QSLPprob slp);
/* The last nonlinear solution becomes every column's initial value, so
 * that the next solve starts from it (refused before a solve). */
QRVA_API int QSLPsetcurrentiv(QSLPprob slp);
/* Sets the control slpuniqueprefix to a prefix that no row or column name
 * starts with: its value (or "slp_" when empty), else that followed by
 * "1_", "2_", ... The engine names its own rows and columns with it where
 * it shows them (the error vectors of QSLPfilesol); it adds none to the
 * optimizer problem. */
QRVA_API int QSLPsetuniqueprefix(QSLPprob slp);
/* Writes the linearization of the formula coefficients at the current
 * point (the last nonlinear solution, else the initial values) into the
 * optimizer problem, so that its getters (QRVAgetrows, QRVAgetrhs, ...)
 * show that linear problem: row i's element of column j becomes its linear
 * coefficient plus the derivative of the row's formulas there, and its
 * right-hand side moves by the formulas' value less the derivatives times
 * the point. Quadratic terms and the objective stay as they are. A second
 * call rebuilds at the point of then. The next SLP function that reads the
 * problem (a solve, presolve, scaling, validation, cascading, writing or
 * copying it), QRVAsave and a deletion of rows or columns put the problem's own
 * coefficients and right-hand sides back, except those changed since,
 * which keep their new values. Refused, changing nothing, when a formula
 * cannot be evaluated at the current point. */
QRVA_API int QSLPupdatelinearization(QSLPprob slp);
/* Validation of the last nonlinear solution (refused before a solve):
 * QSLPvalidate over every row and bound, QSLPvalidaterow over one row,
 * which it also describes in the log (its linear, formula and quadratic
 * parts, activity and bounds). Results: QSLP_VALIDATIONINDEX_A, the largest
 * violation, and _R, the largest relative to max(1, |bound|). */
QRVA_API int QSLPvalidate(QSLPprob slp);
QRVA_API int QSLPvalidaterow(QSLPprob slp, int row);
/* The KKT residual of the last nonlinear solution (as slpconvtol measures
 * it: projected gradient of the Lagrangian and complementarity of the rows,
 * relative to the largest term of the gradients) into
 * QSLP_VALIDATIONINDEX_K, and QSLP_KKTVALIDATED 1 when it is at most
 * kktviolationtarget (0 or more). calculationmode 0: the multipliers the
 * solve left; 1: the multipliers of a fresh linearization at the solution.
 * respectbasisstatus 1: a column or row within slpfeastol of a bound counts
 * as at that bound; 0: only one exactly at it. updatemultipliers 1 (mode 1
 * only): the fresh multipliers replace the solution's duals and reduced
 * costs. */
QRVA_API int QSLPvalidatekkt(QSLPprob slp, int calculationmode, int respectbasisstatus,
                             int updatemultipliers, double kktviolationtarget);
/* Check a vector of column values (one per column, any may be outside its
 * bounds): the sum of the violations of every row and bound, the same sum
 * with each relative to max(1, |bound|), and the objective there. */
QRVA_API int QSLPvalidatevector(QSLPprob slp, const double vector[], double *suminf,
                                double *sumscaledinf, double *objval);
/* Solution (any array may be NULL). */
QRVA_API int QSLPgetslpsol(QSLPprob slp, double x[], double slack[], double dual[], double dj[]);
/* The last nonlinear solution as a comma-separated file (refused before a
 * solve); '.csv' is added to a name without an extension, and the problem's
 * name is taken for an empty one. A header line
 * "kind,index,name,value,slack,dual", then one line per row "R,i,name,
 * activity,slack,dual", one per column "C,j,name,value,,reduced cost" (as
 * QRVAwritesol writes them), then per nonlinear row of the last
 * linearization two lines for its error vectors "E,i,<slpuniqueprefix>
 * plus_<row name>,value,,reduced cost" and the same with minus_. Fields
 * holding a comma or a quote are quoted. */
QRVA_API int QSLPfilesol(QSLPprob slp, const char *filename);
/* Seconds since the SLP problem was created (a steady clock). */
QRVA_API int QSLPgetdtime(QSLPprob slp, double *time);
/* Logs (QRVA_MSG_INFO, as QSLPprintmsg) what evaluating the nonlinear
 * parts cost since the last solve started (since the problem was created
 * before any): points evaluated and those with derivatives, formula
 * evaluations, user function calls (central differences included) and
 * seconds; then the counts of formula coefficients, their rows and user
 * functions. */
QRVA_API int QSLPprintevalinfo(QSLPprob slp);
/* Logs the bytes the problem holds, estimated from its sizes: the
 * optimizer problem, the formula coefficients, the SLP settings, strings
 * and user functions, the last nonlinear solution, and their total. */
QRVA_API int QSLPprintmemory(QSLPprob slp);
/* Send a message of type msgtype (QRVA_MSG_*) through the problem's log. */
QRVA_API int QSLPprintmsg(QSLPprob slp, int msgtype, const char *msg);
/* The message type (QRVA_MSG_*) a return code is reported with: QRVA_OK
 * QRVA_MSG_INFO, every QRVA_ERR_* code QRVA_MSG_ERROR; other codes are
 * refused (no problem needed). */
QRVA_API int QSLPgetmessagetype(int code, int *type);

/* ---------------------------------------------------------------------- */
/* Multistart                                                             */
/* ---------------------------------------------------------------------- */

/* Jobs loaded on an SLP problem make its next QSLPnlpoptimize a multistart:
 * every job is solved from its own starting point with its own settings,
 * each on a copy of the problem taken when the solve starts (its data,
 * controls, formulas, SLP settings and SLP callbacks), and the best result
 * becomes the problem's solution. Jobs stay until QSLPmsclear. QSLPcopyprob,
 * problem files and save files do not take them: their job objects belong
 * to the caller of the problem they were added to. QRVAlpoptimize and
 * QRVAmipoptimize of a problem solved by the SLP engine (quadratic rows or
 * formulas) run the jobs too, with the optimizer's objective sense.
 *
 * QSLPmsaddjob: one job. Its ninitial initial values (columns of the
 * problem, finite values; a column given twice takes the later value)
 * replace those columns' SLP initial values; its controls (identifiers of
 * the SLP library's or the optimizer's controls, of the type of their
 * array, within their ranges; checked when the job is added, the problem
 * left as it was on a refusal) are set on the job's copy. A job that gives
 * nothing solves the problem as it stands. jobobject is handed back to the
 * multistart callbacks.
 *
 * QSLPmsaddpreset: count jobs (1 or more) of a preset, named
 * "<description> #k" for k = 1..count, all with the same jobobject:
 *   INITIALVALUES    starting points drawn uniformly within the columns'
 *                    bounds;
 *   INITIALFILTERED  ten times as many points drawn so, of which the count
 *                    with the smallest sum of violations of rows and bounds
 *                    (then the better objective) are solved, in the order
 *                    they were drawn;
 *   SOLVERS          the engine's two solvers: SLP with its quasi-Newton QP
 *                    term (slpsecondorder 1) and plain SLP (0); count 1 or 2;
 *   SLP_BASIC        starting points around the initial point: every column
 *                    moved by up to a tenth of the width of its box, either
 *                    way, and kept within its bounds;
 *   SLP_EXTENDED     the points of SLP_BASIC, with the settings cycling
 *                    through slpsecondorder 1 and 0 for each slppenaltycost
 *                    of 1000, 10 and 1e5;
 *   KNITRO_BASIC, KNITRO_EXTENDED   refused: they need a solver this
 *                    library does not have.
 * The box of a column is its bounds; an infinite bound is replaced by one
 * QSLP_MS_BOX away from the other bound, or from the column's initial value
 * when both are infinite. Fixed columns keep their value. Points are drawn
 * when the solve starts, from the optimizer's control randomseed and the
 * job's position: the same seed, jobs and problem give the same points and
 * the same winner whatever the number of threads.
 * QSLPmsaddcustompreset: the preset's jobs with the initial values and
 * controls given set on each after the preset's own (so they win).
 *
 * The solve. Jobs are run in the order added on slpthreads workers (0 and
 * 1: one job after the other). For each job, on the thread that runs it:
 * its initial values and controls go onto its copy (whose own log is off,
 * slplog and slpechooptimizerlog 0, unless the job sets them); msjobstart
 * is called with the copy, the job's object and name (*p_status 0 on entry;
 * non-zero skips the job); the copy is solved, its SLP callbacks called
 * with the copy; msjobend is called with the copy showing the job's
 * result (non-zero *p_status discards it). The problem's log has one line
 * per job as it ends (its outcome, objective and largest violation) and
 * one for the winner.
 * The winner: among the results not discarded, a feasible one (largest
 * violation relative to max(1, |bound|) within slpfeastol) with the best
 * objective, then the smaller sum of violations, then the earlier job;
 * without a feasible one, the one with the smallest sum of violations. Its
 * solution, statuses, iterations and objective become the problem's, as
 * after a single solve, and then mswinner is called once, on the calling
 * thread, with the problem itself and the winner's object and name (its
 * result is ignored). Without any result (every job skipped, discarded or
 * failed) the NLP status is QSLP_NLP_UNFINISHED.
 * A non-zero result of any callback (a job's own or msjobstart/msjobend),
 * QSLPinterrupt of the problem or of a job's copy, Ctrl-C and slptimelimit
 * (which counts for the whole run) stop every job: running ones end
 * unfinished and their results still compete, jobs not begun are not run,
 * and the stop status says why. The library holds none of its locks while
 * it calls a callback. QSLPmsaddjob and the presets are refused on a job's
 * copy (the problem a callback of a job is given). */
#define QSLP_MSSET_INITIALVALUES 0
#define QSLP_MSSET_SOLVERS 1
#define QSLP_MSSET_SLP_BASIC 2
#define QSLP_MSSET_SLP_EXTENDED 3
#define QSLP_MSSET_KNITRO_BASIC 4
#define QSLP_MSSET_KNITRO_EXTENDED 5
#define QSLP_MSSET_INITIALFILTERED 6
#define QSLP_MS_BOX 100.0
QRVA_API int QSLPmsaddjob(QSLPprob slp, const char *description, int ninitial,
                          const int colindex[], const double initvalue[], int nintcontrols,
                          const int intcontrolid[], const int intcontrolvalue[],
                          int ndblcontrols, const int dblcontrolid[],
                          const double dblcontrolvalue[], void *jobobject);
QRVA_API int QSLPmsaddpreset(QSLPprob slp, const char *description, int preset, int count,
                             void *jobobject);
QRVA_API int QSLPmsaddcustompreset(QSLPprob slp, const char *description, int preset,
                                   int count, int ninitial, const int colindex[],
                                   const double initvalue[], int nintcontrols,
                                   const int intcontrolid[], const int intcontrolvalue[],
                                   int ndblcontrols, const int dblcontrolid[],
                                   const double dblcontrolvalue[], void *jobobject);
QRVA_API int QSLPmsclear(QSLPprob slp);

/* ---------------------------------------------------------------------- */
/* Formulas as text, tokens and strings                                   */
/* ---------------------------------------------------------------------- */

/* Parse a formula written as text into at most maxtokens parsed tokens. */
QRVA_API int QSLPparsecformula(QSLPprob slp, const char *formula, int maxtokens, int *ntokens,
                               int type[], double value[]);
/* Unparsed (infix) tokens to parsed (postfix) tokens. */
QRVA_API int QSLPparseformula(QSLPprob slp, const int intype[], const double invalue[],
                              int maxtokens, int *ntokens, int type[], double value[]);
/* Split a formula text into unparsed tokens, and give the text back as read. */
QRVA_API int QSLPpreparseformula(QSLPprob slp, const char *formula, int maxtokens,
                                 int *ntokens, int type[], double value[], char *text,
                                 int maxbytes);
/* Check a parsed formula: its value at the current point, the formula as
 * text and a message (both at most maxbytes bytes). */
QRVA_API int QSLPvalidformula(QSLPprob slp, const int type[], const double value[],
                              double *result, char *formula, char *message, int maxbytes);
/* Number of tokens in a formula text (no problem needed). */
QRVA_API int QSLPtokencount(const char *formula, int *ntokens);
/* Store a string in the problem's string table; *index gets its index. */
QRVA_API int QSLPsetstring(QSLPprob slp, int *index, const char *text);

/* ---------------------------------------------------------------------- */
/* User functions                                                         */
/* ---------------------------------------------------------------------- */

/* nfuncs function definitions as token arrays. */
QRVA_API int QSLPadduserfuncs(QSLPprob slp, int nfuncs, const int type[], const double value[]);
/* Names of objects of 'type' first..last (packed names). */
QRVA_API int QSLPaddnames(QSLPprob slp, int type, const char names[], int first, int last);
/* Address of user function 'index' (a QSLPuserfunc or QSLPuserfuncderiv,
 * as its definition says). */
QRVA_API int QSLPchguserfuncaddress(QSLPprob slp, int index, void *address);
QRVA_API int QSLPsetuserfuncobject(QSLPprob slp, int index, void *object);
QRVA_API int QSLPgetuserfuncobject(QSLPprob slp, int index, void **object);
/* Inside a user function: the number of arguments, whether a results array
 * and derivatives are wanted, and the function's index. */
QRVA_API int QSLPgetfuncinfo(QSLPfunc func, int *nargs, int *wantresults, int *wantderivatives,
                             int *index);
/* Inside a user function: QSLP_FUNC_SLPPROBLEM gives its QSLPprob. */
QRVA_API int QSLPgetfuncobject(QSLPfunc func, int id, void **object);

/* ---------------------------------------------------------------------- */
/* Callbacks                                                              */
/* ---------------------------------------------------------------------- */

/* QSLPsetcb<kind>(slp, f, data): one function per kind; NULL f removes it. */
#define QSLP_CALLBACK_SETTER(kind) \
  QRVA_API int QSLPsetcb##kind(QSLPprob slp, QSLPcb##kind f, void *data);
QSLP_CALLBACK_SETTER(cascadeend)
QSLP_CALLBACK_SETTER(cascadestart)
QSLP_CALLBACK_SETTER(cascadevar)
QSLP_CALLBACK_SETTER(cascadevarfail)
QSLP_CALLBACK_SETTER(coefevalerror)
QSLP_CALLBACK_SETTER(construct)
QSLP_CALLBACK_SETTER(destroy)
QSLP_CALLBACK_SETTER(drcol)
QSLP_CALLBACK_SETTER(formula)
QSLP_CALLBACK_SETTER(iterend)
QSLP_CALLBACK_SETTER(iterstart)
QSLP_CALLBACK_SETTER(itervar)
QSLP_CALLBACK_SETTER(msjobend)
QSLP_CALLBACK_SETTER(msjobstart)
QSLP_CALLBACK_SETTER(mswinner)
QSLP_CALLBACK_SETTER(slpend)
QSLP_CALLBACK_SETTER(slpnode)
QSLP_CALLBACK_SETTER(slpstart)
#undef QSLP_CALLBACK_SETTER
/* Number of callback kinds: the setters above. */
#define QSLP_CALLBACK_KINDS 18

#ifdef __cplusplus
}
#endif

#endif /* QSLP_H */
