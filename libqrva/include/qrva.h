/*
 * qrva.h - C interface of the quorva optimizer library (libqrva).
 *
 * Conventions shared by every function of this header:
 *  - Every function returns an int: 0 on success, a non-zero QRVA_ERR_* code
 *    on failure. A failure on a problem records a text (QRVAgetlasterror);
 *    a failure without a usable problem handle records it in the global
 *    environment (QRVA_ge_getlasterror). Texts name the function, the
 *    argument and the bad value.
 *  - Rows, columns and sets are numbered from 0. Ranges [first, last] are
 *    inclusive. Row types are 'L' 'G' 'E' 'R' 'N'; column types 'C' 'I' 'B'
 *    'S' 'R' 'P'; bound types 'U' 'L' 'B'. Bounds at or beyond +-1e20
 *    (QRVA_INFINITY) mean "unbounded".
 *  - Sparse matrices are column-wise (or row-wise) start/index/value arrays;
 *    start arrays hold one entry more than there are columns (rows), the
 *    last being the number of elements. The ...64 variants take 64-bit
 *    start arrays and element counts.
 *  - Names are passed packed: one after another, each ended by a zero byte.
 *  - Output arrays may be NULL when the caller does not want them.
 *  - The environment is thread-safe; one problem is used by one thread at a
 *    time.
 */
#ifndef QRVA_H
#define QRVA_H

#include <stdint.h>

#if defined(__GNUC__)
#define QRVA_API __attribute__((visibility("default")))
#else
#define QRVA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------------- */
/* Version, constants and error codes                                     */
/* ---------------------------------------------------------------------- */

/* The library's version, written here only: the build takes the soname and
 * the version text from these three numbers. */
#define QRVA_VERSION_MAJOR 34
#define QRVA_VERSION_MINOR 1
#define QRVA_VERSION_PATCH 0

#define QRVA_INFINITY 1.0e20

#define QRVA_OK 0
#define QRVA_ERR_ARGUMENT 1        /* a bad argument: NULL, out of range, wrong type... */
#define QRVA_ERR_NOT_INITIALISED 2 /* the environment is not initialised */
#define QRVA_ERR_NOT_AVAILABLE 3   /* the function is not available yet in this version */
#define QRVA_ERR_MEMORY 4          /* memory could not be had */
#define QRVA_ERR_STATE 5           /* the call does not fit the state of the object */
#define QRVA_ERR_SOLVER 6          /* the underlying solver reported a failure */
#define QRVA_ERR_INTERNAL 7        /* an internal fault of the library */

/* Message types passed to message handlers and message callbacks. */
#define QRVA_MSG_FLUSH 0
#define QRVA_MSG_INFO 1
#define QRVA_MSG_WARNING 3
#define QRVA_MSG_ERROR 4

/* Control and attribute identifiers: the name in QRVAgetcalist_c's list,
 * in upper case, with the prefix QRVA_. */
/* Integer controls. */
#define QRVA_LPITERLIMIT 8001
#define QRVA_BARITERLIMIT 8002
#define QRVA_PRESOLVE 8003
#define QRVA_DEFAULTALG 8004
#define QRVA_CROSSOVER 8005
/* threads: worker threads (0 to 1024). HiGHS's solves get it as their
 * thread count (0: HiGHS's own choice). The engine's tree search runs
 * max(1, threads) workers: with 0 or 1 one worker on the calling thread,
 * above 1 that many workers, each on a thread of its own with its own LP
 * and worker problem, sharing one node queue, incumbent, cutoff,
 * pseudo-costs and cut pool. Node callbacks (and message callbacks for
 * the search's lines) are then called from the workers' threads, those of
 * different workers possibly at the same time (the library holds none of
 * its locks while a callback runs); limits,
 * stops and interrupts end every worker, with the incumbent kept. */
#define QRVA_THREADS 8006
#define QRVA_MAXNODE 8007
/* maxmipsol: stop after this many incumbents (0: no limit). The engine's
 * tree search stops at the limit exactly; HiGHS's MIP takes the stop at its
 * next interrupt point and may report one more incumbent found before it.
 * QRVA_MIPSOLS counts every incumbent reported either way. */
#define QRVA_MAXMIPSOL 8008
#define QRVA_RANDOMSEED 8009
#define QRVA_MAXPROBNAMELENGTH 8010
#define QRVA_EXTRAROWS 8011
#define QRVA_SCALING 8012
#define QRVA_LPLOGFREQ 8013
#define QRVA_OUTPUTLOG 8035
/* Which search a MIP solve runs: 0 automatic (HiGHS's MIP unless a
 * node-level feature needs the engine's own tree search: a prenode,
 * optnode, infnode, nodecutoff, newnode, chgbranchobject, cutlog or
 * preintsol callback, a quadratic objective with discrete columns,
 * branching directives, delayed rows or model cuts), 1 always the engine's
 * tree search, 2 always HiGHS's MIP (node callbacks are then refused;
 * directives are not used and marked rows are ordinary rows). */
#define QRVA_TREESEARCH 8090
/* Rounds of cuts the engine's own tree search separates at the root
 * (Gomory mixed-integer cuts from the optimal tableau and cover cuts of
 * knapsack rows; each round's cuts join the LP, which is solved again;
 * rounds end early when one finds no cut or leaves the bound where it
 * was, and the cuts that do not bind at the end leave the LP); 0 none. */
#define QRVA_TREECUTROUNDS 8091
/* Cut separation of HiGHS's MIP search: 0 at the root only, 1 at the root
 * and at the nodes (the default), 2 as 1 with a cut pool three times larger
 * whose cuts stay in the LPs three times longer. */
#define QRVA_CUTSTRATEGY 8120
/* Double controls. */
#define QRVA_FEASTOL 7001
#define QRVA_OPTIMALITYTOL 7002
#define QRVA_INTEGRALITYTOL 7003
#define QRVA_MIPABSGAPTOL 7004
#define QRVA_MIPRELGAPTOL 7005
#define QRVA_TIMELIMIT 7006
#define QRVA_MATRIXTOL 7007
#define QRVA_MIPRELGAPNOTIFY 7008
#define QRVA_MIPABSGAPNOTIFY 7009
#define QRVA_MIPABSGAPNOTIFYOBJ 7010
#define QRVA_MIPABSGAPNOTIFYBOUND 7011
/* Share of HiGHS's MIP search spent in primal heuristics (0 to 1). */
#define QRVA_HEURISTICEFFORT 7120
/* Seconds QRVAtune may run in all (its trials together); 1e20: no limit. */
#define QRVA_TUNERMAXTIME 7121
/* String controls. */
#define QRVA_MPSRHSNAME 6001
#define QRVA_MPSBOUNDNAME 6002
#define QRVA_MPSRANGENAME 6003
/* Integer attributes. */
#define QRVA_ROWS 1001
#define QRVA_ELEMS 1002
#define QRVA_SETS 1004
#define QRVA_SETMEMBERS 1005
#define QRVA_LPSTATUS 1010
#define QRVA_MIPSTATUS 1011
#define QRVA_QELEMS 1012
#define QRVA_QCONSTRAINTS 1013
#define QRVA_INDICATORS 1014
#define QRVA_COLS 1018
#define QRVA_SPAREROWS 1019
#define QRVA_NAMELENGTH 1028
#define QRVA_DISCRETECOLS 1032
#define QRVA_SIMPLEXITERS 1040
#define QRVA_BARITERS 1041
#define QRVA_NODES 1042
#define QRVA_MIPSOLS 1043
#define QRVA_STOPSTATUS 1050
#define QRVA_PRESOLVESTATE 1051
#define QRVA_ORIGINALROWS 1124
#define QRVA_PROBNAMEBUFFERSIZE 1158
#define QRVA_ORIGINALSETS 1194
#define QRVA_ORIGINALCOLS 1214
/* Integer attributes of the node a tree-search callback is given (0 on a
 * problem that is not a node): its number (the root is 1), its parent's
 * number, its depth (the root is 0), the nodes still open (this one
 * included) and the worker it runs on (0 to threads-1). A node problem
 * also answers nodes, mipsols, bestbound and mipobjval for the search so
 * far, lpobjval and the LP solution for the node. */
#define QRVA_CURRENTNODE 1080
#define QRVA_PARENTNODE 1081
#define QRVA_NODEDEPTH 1082
#define QRVA_ACTIVENODES 1083
#define QRVA_MIPTHREADID 1084
/* Double attributes. */
#define QRVA_LPOBJVAL 2001
#define QRVA_MIPOBJVAL 2003
#define QRVA_BESTBOUND 2004
#define QRVA_MIPGAP 2005
#define QRVA_SOLVETIME 2006
/* String attributes. */
#define QRVA_PROBNAME 3001
#define QRVA_VERSION 3002

/* Flag bits of QRVAgetcalist_c. */
#define QRVA_CA_INT 0x01
#define QRVA_CA_DOUBLE 0x02
#define QRVA_CA_CONTROL 0x20

/* Types reported by QRVAgetcontrolinfo / QRVAgetattribinfo. */
#define QRVA_TYPE_NOTDEFINED 0
#define QRVA_TYPE_INT 1
#define QRVA_TYPE_INT64 2
#define QRVA_TYPE_DOUBLE 3
#define QRVA_TYPE_STRING 4

/* LP status (integer attribute QRVA_LPSTATUS). A problem with quadratic
 * rows or formulas is solved by the SLP engine: locally optimal reads
 * QRVA_LP_OPTIMAL; QRVA_LP_INFEAS only when infeasibility is proven (the
 * linear rows and bounds have no solution); a solve that ends at a point still
 * violating nonlinear rows (locally infeasible) reads QRVA_LP_UNFINISHED with
 * stop status QRVA_STOP_NONE, keeping that point as the solution. The SLP
 * iterations are then the SLP problem's slpiterations; simplexiters counts the
 * simplex and QP iterations of all linearizations. */
#define QRVA_LP_UNSTARTED 0
#define QRVA_LP_OPTIMAL 1
#define QRVA_LP_INFEAS 2
#define QRVA_LP_CUTOFF 3
#define QRVA_LP_UNFINISHED 4
#define QRVA_LP_UNBOUNDED 5
#define QRVA_LP_CUTOFF_IN_DUAL 6
#define QRVA_LP_UNSOLVED 7
#define QRVA_LP_NONCONVEX 8

/* MIP status (integer attribute QRVA_MIPSTATUS). */
#define QRVA_MIP_NOT_LOADED 0
#define QRVA_MIP_LP_NOT_OPTIMAL 1
#define QRVA_MIP_LP_OPTIMAL 2
#define QRVA_MIP_NO_SOL_FOUND 3
#define QRVA_MIP_SOLUTION 4
#define QRVA_MIP_INFEAS 5
#define QRVA_MIP_OPTIMAL 6
#define QRVA_MIP_UNBOUNDED 7

/* Why a solve stopped early (integer attribute QRVA_STOPSTATUS); also the
 * reason given to QRVAinterrupt. */
#define QRVA_STOP_NONE 0
#define QRVA_STOP_TIMELIMIT 1
#define QRVA_STOP_CTRLC 2
#define QRVA_STOP_NODELIMIT 3
#define QRVA_STOP_ITERLIMIT 4
#define QRVA_STOP_MIPGAP 5
#define QRVA_STOP_SOLLIMIT 6
#define QRVA_STOP_USER 9

/* Name types of QRVAaddnames / QRVAgetnames / QRVAgetindex. */
#define QRVA_NAMES_ROWS 1
#define QRVA_NAMES_COLUMNS 2
#define QRVA_NAMES_SETS 3

/* ---------------------------------------------------------------------- */
/* Handle types                                                           */
/* ---------------------------------------------------------------------- */

/* An optimizer problem. */
typedef struct qrva_problem_s *QRVAprob;
/* A user branching object (a set of branches for the tree search). */
typedef struct qrva_branchobj_s *QRVAbranchobject;
/* A generic library object: a problem or the environment. Message handlers
 * receive the object that sent the message as one of these. */
typedef struct qrva_object_s *QRVAobject;
/* A cut of a problem's cut pool. */
typedef struct qrva_cut_s *QRVAcut;

/* ---------------------------------------------------------------------- */
/* Callback function types                                                */
/* ---------------------------------------------------------------------- */

/* Global message handler: every message of the environment (msglen bytes,
 * msgtype one of QRVA_MSG_*). The result is ignored. */
typedef int (*QRVAcbmsghandler)(QRVAobject sender, void *data, void *thread_context,
                                const char *msg, int msglen, int msgtype);

/* Per-problem callbacks. 'prob' is the problem the solver is working on
 * (during a tree search a node or worker problem that answers the same
 * queries as the problem the callback was registered on). They are called
 * on the thread doing the work, one kind's callbacks in priority order
 * (every one of them is called, also after one asked to stop), never while
 * the library holds a lock of its own: a callback may query the problem.
 *
 * State during a solve: while a callback of a solve runs, the attribute
 * queries on prob answer for that moment: simplexiters and bariters (the
 * iterations so far; in a MIP simplexiters counts every LP iteration of the
 * search), solvetime (seconds since the solve began), and in a MIP nodes,
 * mipsols, mipobjval (the best solution's objective), bestbound and mipgap
 * (relative). lpobjval holds the objective that HiGHS reports at that point
 * (none during the simplex and barrier iterations: it then stays 0). In
 * intsol, gapnotify and globallog callbacks after the first solution,
 * QRVAgetmipsol and QRVAgetlpsol give the best solution so far (duals and
 * reduced costs 0); in preintsol they give the candidate. During LP
 * iterations no iterate is available: those queries fail as before a
 * solve. Statuses (lpstatus, mipstatus, stopstatus) are set when the solve
 * ends. A stop asked for by a callback's result ends the solve with stop
 * status QRVA_STOP_USER, keeping what it found so far. */

/* bariteration: after each barrier iteration, *action (QRVA_BARITERATION_
 * CONTINUE when called) says how to go on. CONTINUE: go on. STOP: stop the
 * solve (stop status QRVA_STOP_USER, LP status unfinished). CROSSOVER: stop
 * the barrier iterations and end at a basic solution (HiGHS keeps no iterate
 * of a stopped barrier run, so the simplex method finishes the solve from
 * the start). The callbacks of one iteration see the value the one before
 * them left; the value left by the last one counts. */
#define QRVA_BARITERATION_CONTINUE 0
#define QRVA_BARITERATION_STOP 1
#define QRVA_BARITERATION_CROSSOVER 2
typedef void (*QRVAcbbariteration)(QRVAprob prob, void *data, int *action);
/* Log callbacks; a non-zero result stops the solve. barlog: after each
 * barrier iteration (before bariteration). globallog: after each line of
 * the MIP search's log (HiGHS's MIP writes one when it finds a solution,
 * and regularly as the search goes on). lplog: every lplogfreq
 * (QRVA_LPLOGFREQ) simplex iterations of an LP solve (0: never; HiGHS's MIP
 * gives no simplex points, so a MIP solve has globallog only). cutlog:
 * called by the library's own tree search only. */
typedef int (*QRVAcbbarlog)(QRVAprob prob, void *data);
typedef int (*QRVAcbcutlog)(QRVAprob prob, void *data);
typedef int (*QRVAcbgloballog)(QRVAprob prob, void *data);
typedef int (*QRVAcblplog)(QRVAprob prob, void *data);
/* Before branching: may replace the solver's branching object by another
 * one in *p_newobject (leave it, or set it to obranch, to keep the solver's).
 * Called by the library's own tree search only. */
typedef void (*QRVAcbchgbranchobject)(QRVAprob prob, void *data, QRVAbranchobject obranch,
                                      QRVAbranchobject *p_newobject);
/* A worker problem is about to be destroyed (the library's own tree search):
 * once per worker, on the worker's thread, after its last node; 'prob' is
 * the worker problem. */
typedef void (*QRVAcbdestroymt)(QRVAprob prob, void *data);
/* A gap target was reached. The targets of a MIP solve start as the controls
 * miprelgapnotify (relative gap at most this; negative: off),
 * mipabsgapnotify (absolute gap, |best objective - best bound|, at most this;
 * negative: off), mipabsgapnotifyobj (best objective at least this good: at
 * most when minimizing, at least when maximizing; +-1e20: off) and
 * mipabsgapnotifybound (best bound at least this far: at least when
 * minimizing, at most when maximizing; +-1e20: off). They are checked at
 * each new solution and regularly during the search. A target reached is
 * switched off before the call; the callback gets the four current targets
 * and may write new ones (or switch any off). The controls stay unchanged. */
typedef void (*QRVAcbgapnotify)(QRVAprob prob, void *data, double *p_relgapnotifytarget,
                                double *p_absgapnotifytarget, double *p_absgapnotifyobjtarget,
                                double *p_absgapnotifyboundtarget);
/* A node was found infeasible (the library's own tree search). */
typedef void (*QRVAcbinfnode)(QRVAprob prob, void *data);
/* A new best integer solution was found and accepted: QRVAgetmipsol on prob
 * gives it, mipobjval its objective, mipsols the count so far. */
typedef void (*QRVAcbintsol)(QRVAprob prob, void *data);
/* One message of the problem (msglen bytes, msgtype one of QRVA_MSG_*). */
typedef void (*QRVAcbmessage)(QRVAprob prob, void *data, const char *msg, int msglen,
                              int msgtype);
/* A worker problem was created for the library's own tree search: once per
 * worker (max(1, threads) of them), on the worker's thread before its first
 * node; 'prob' and 'threadprob' are both the worker problem, whose
 * mipthreadid attribute numbers the worker from 0. */
typedef void (*QRVAcbmipthread)(QRVAprob prob, void *data, QRVAprob threadprob);
/* A node was created: its parent, its own number and the branch taken. */
typedef void (*QRVAcbnewnode)(QRVAprob prob, void *data, int parentnode, int newnode,
                              int branch);
/* A node was cut off. */
typedef void (*QRVAcbnodecutoff)(QRVAprob prob, void *data, int node);
/* Node callbacks of the engine's tree search. 'prob' is then the worker
 * problem of the node: QRVAgetlb/QRVAgetub give the node's bounds, the
 * rows are the original ones (same indices) followed by the cuts in force
 * at the node, QRVAgetlpsol gives the node's LP solution once it is solved,
 * and the attributes currentnode, parentnode, nodedepth, activenodes,
 * mipthreadid, nodes, mipsols, bestbound and mipobjval describe the node
 * and the search so far. Cut functions (QRVAaddcuts64, QRVAloadcuts, ...)
 * work on this problem only.
 * prenode: before the node's LP is solved; optnode: after it is solved
 * (before the node is checked for a solution or branched); cuts added by
 * optnode (or loaded from the pool) join the node and its subtree, and the
 * LP is solved again with them, optnode then being called again. Setting
 * *p_infeasible to non-zero in either drops the node as infeasible (infnode
 * follows). */
typedef void (*QRVAcboptnode)(QRVAprob prob, void *data, int *p_infeasible);
typedef void (*QRVAcbprenode)(QRVAprob prob, void *data, int *p_infeasible);
/* Solution types of preintsol. */
#define QRVA_SOLTYPE_NODE 0      /* the LP solution of a node (QRVAgetlpsol) */
#define QRVA_SOLTYPE_HEURISTIC 1 /* a heuristic's solution (QRVAgetlpsol shows it) */
#define QRVA_SOLTYPE_USER 2      /* a solution the user gave */
/* A candidate solution, better than the incumbent, of type soltype: set
 * *p_reject to reject it; *p_cutoff holds the cutoff (nodes whose bound is
 * not better are dropped; 1e20 or -1e20 for none) and may be changed. An
 * accepted solution becomes the incumbent (intsol follows) and the cutoff
 * becomes the better of the two. A node whose LP solution is rejected is
 * solved again when the callback added cuts; otherwise it is branched on a
 * discrete column its bounds leave free (dropped when there is none), so
 * that the rest of its subtree is still searched.
 * When HiGHS's MIP solves the problem (QRVA_TREESEARCH 2), every candidate is
 * reported, as QRVA_SOLTYPE_HEURISTIC with QRVAgetmipsol giving it, but
 * neither a reject nor a changed cutoff can be honoured: either stops the
 * solve and QRVAmipoptimize fails with QRVA_ERR_NOT_AVAILABLE (the solution
 * found so far is kept). */
typedef void (*QRVAcbpreintsol)(QRVAprob prob, void *data, int soltype, int *p_reject,
                                double *p_cutoff);
/* A solution given with QRVAaddmipsol, QRVAloadmipsol or QRVAreadslxsol was
 * checked at the start of a MIP solve (in the order they were given) with
 * this status; solname is the name it was given ("" when none). Feasible and
 * repaired solutions are offered to the search as starting solutions (the
 * best becomes its first incumbent; with a preintsol callback, as
 * QRVA_SOLTYPE_USER). */
#define QRVA_USERSOL_FEASIBLE 1   /* feasible as given: every column given, every bound, row
                                   * (within feastol), integrality (within integralitytol), set and
                                   * indicator condition holds */
#define QRVA_USERSOL_REPAIRED 2   /* feasible after a repair: the given values of the discrete
                                   * columns fixed, the LP solved for all other columns */
#define QRVA_USERSOL_INFEASIBLE 3 /* no feasible point found as given nor by the repair */
#define QRVA_USERSOL_REJECTED 4   /* not a solution of this problem: no values, a column given
                                   * twice or one it does not have, a value not finite */
typedef void (*QRVAcbusersolnotify)(QRVAprob prob, void *data, const char *solname,
                                    int status);
/* Strong branching with a callback: called for each bound change bndindex
 * after its relaxation was solved; the result is the callback's status. */
typedef int (*QRVAcbsolvenode)(QRVAprob prob, void *data, int bndindex);

/* ---------------------------------------------------------------------- */
/* Environment                                                            */
/* ---------------------------------------------------------------------- */

/* Start (or count one more use of) the environment. path: NULL, or an
 * existing directory the library may read its files from. Each successful
 * QRVAinit must be matched by one QRVAfree. */
QRVA_API int QRVAinit(const char *path);
/* Release one use of the environment; the last one shuts it down (global
 * message handlers are dropped). Fails when the environment is not started. */
QRVA_API int QRVAfree(void);
/* Switch printing of library messages to standard output on (1) or off (0).
 * A problem's messages are printed when this is on and its control
 * outputlog (QRVA_OUTPUTLOG) is 1. Message handlers, message callbacks and log files
 * receive every message either way. Off at start. */
QRVA_API int QRVAenablemessages(int enable);
/* Where printed messages go: f(sender, data, NULL, msg, msglen, msgtype) is
 * called for each message that would be printed, in place of writing it to
 * standard output (QRVA_MSG_INFO) or standard error (the others); NULL
 * restores the standard streams. It stays set across QRVAinit and QRVAfree.
 * Called from the thread that produced the message. */
QRVA_API int QRVAsetprintfunction(QRVAcbmsghandler f, void *data);
/* Version text "MM.mm.pp" (QRVA_VERSION_MAJOR, _MINOR and _PATCH, the last
 * two in two digits); version needs room for 16 bytes. */
QRVA_API int QRVAgetversion(char *version);
/* One-line banner naming the library, its version and the HiGHS version it
 * runs on; banner needs room for 512 bytes. */
QRVA_API int QRVAgetbanner(char *banner);
/* Checked mode: full validation of every argument (on by default). With it
 * off only the cheap checks are made; no check that keeps the library safe
 * is ever skipped. */
QRVA_API int QRVAsetcheckedmode(int checked_mode);
QRVA_API int QRVAgetcheckedmode(int *checked_mode);
/* Last error of the global environment: code (0 when none) and text
 * (truncated to maxbytes-1 bytes); *nbytes gets the full length + 1. */
QRVA_API int QRVA_ge_getlasterror(int *code, char *buffer, int maxbytes, int *nbytes);
/* Global message handlers: receive every message of the environment, higher
 * priority first, ties in registration order. Removing matches f and data;
 * a NULL f or NULL data matches any; removing what is not registered is no
 * error. A handler may add and remove handlers while it runs: one removed
 * during a delivery is not called by that delivery any more (a delivery in
 * another thread may already be inside a call of it). Handlers end with the
 * environment: after the last QRVAfree they must be added again. */
QRVA_API int QRVA_ge_addcbmsghandler(QRVAcbmsghandler f, void *data, int priority);
QRVA_API int QRVA_ge_removecbmsghandler(QRVAcbmsghandler f, void *data);

/* ---------------------------------------------------------------------- */
/* Problem handles                                                        */
/* ---------------------------------------------------------------------- */

/* Create an empty problem with default controls. */
QRVA_API int QRVAcreateprob(QRVAprob *prob);
/* Destroy a problem (an SLP problem layered on it is detached first). */
QRVA_API int QRVAdestroyprob(QRVAprob prob);
/* Copy problem src into dest, naming it probname ("" keeps src's name). */
QRVA_API int QRVAcopyprob(QRVAprob dest, QRVAprob src, const char *probname);
/* Copy the control values of src into dest. */
QRVA_API int QRVAcopycontrols(QRVAprob dest, QRVAprob src);
/* Last error of the problem; errmsg needs room for 512 bytes ("" if none). */
QRVA_API int QRVAgetlasterror(QRVAprob prob, char *errmsg);
/* Problem name: set (at most control maxprobnamelength bytes) and get (the
 * buffer needs integer attribute probnamebuffersize bytes). */
QRVA_API int QRVAsetprobname(QRVAprob prob, const char *name);
QRVA_API int QRVAgetprobname(QRVAprob prob, char *name);
/* Read / write a problem file; flags select the format and options. */
QRVA_API int QRVAreadprob(QRVAprob prob, const char *filename, const char *flags);
QRVA_API int QRVAwriteprob(QRVAprob prob, const char *filename, const char *flags);

/* ---------------------------------------------------------------------- */
/* Loading a whole problem                                                */
/* ---------------------------------------------------------------------- */

/* Replace the problem by the given one. Arguments after the name: column
 * and row counts, then the row arrays (types, right-hand sides, ranges),
 * the objective, the column-wise matrix (starts, optional per-column element
 * counts mnel, row indices, values) and the column bounds. The starts
 * begin at 0 and do not decrease. With mnel NULL they hold ncols+1 entries,
 * the last the element count; with mnel, ncols entries, and column j holds
 * the elements start[j] .. start[j]+mnel[j]-1, which end by start[j+1]. range
 * is read only for rows of type 'R'. All-zero sizes and NULL arrays give an
 * empty problem with the given name. */
QRVA_API int QRVAloadlp(QRVAprob prob, const char *probname, int ncols, int nrows,
                        const char rowtype[], const double rhs[], const double range[],
                        const double obj[], const int mstart[], const int mnel[],
                        const int mrwind[], const double dmatval[], const double lb[],
                        const double ub[]);
QRVA_API int QRVAloadlp64(QRVAprob prob, const char *probname, int ncols, int nrows,
                          const char rowtype[], const double rhs[], const double range[],
                          const double obj[], const int64_t mstart[], const int mnel[],
                          const int mrwind[], const double dmatval[], const double lb[],
                          const double ub[]);
/* As QRVAloadlp64, with a quadratic objective of nqelems lower-triangle
 * terms (columns qcol1, qcol2, coefficients qcoef; objective c'x + 1/2 x'Qx). */
QRVA_API int QRVAloadqp64(QRVAprob prob, const char *probname, int ncols, int nrows,
                          int64_t nqelems, const char rowtype[], const double rhs[],
                          const double range[], const double obj[], const int64_t mstart[],
                          const int mnel[], const int mrwind[], const double dmatval[],
                          const double lb[], const double ub[], const int qcol1[],
                          const int qcol2[], const double qcoef[]);
/* As QRVAloadlp64, with nglents discrete columns (types coltype, columns
 * entind, thresholds limit for 'S' 'R' 'P') and nsets sets (types settype
 * '1' or '2', starts setstart of nsets+1 entries, member columns setind and
 * reference values refval). */
QRVA_API int QRVAloadglobal64(QRVAprob prob, const char *probname, int ncols, int nrows,
                              int nglents, int nsets, const char rowtype[],
                              const double rhs[], const double range[], const double obj[],
                              const int64_t mstart[], const int mnel[], const int mrwind[],
                              const double dmatval[], const double lb[], const double ub[],
                              const char coltype[], const int entind[], const double limit[],
                              const char settype[], const int64_t setstart[],
                              const int setind[], const double refval[]);
/* Quadratic objective and discrete entities together. */
QRVA_API int QRVAloadqglobal64(QRVAprob prob, const char *probname, int ncols, int nrows,
                               int64_t nqelems, int nglents, int nsets, const char rowtype[],
                               const double rhs[], const double range[], const double obj[],
                               const int64_t mstart[], const int mnel[], const int mrwind[],
                               const double dmatval[], const double lb[], const double ub[],
                               const int qcol1[], const int qcol2[], const double qcoef[],
                               const char coltype[], const int entind[], const double limit[],
                               const char settype[], const int64_t setstart[],
                               const int setind[], const double refval[]);
/* Quadratic objective and nqcrows quadratic rows: row indices qcrows, the
 * number of terms of each (qcnquads), their columns and coefficients. */
QRVA_API int QRVAloadqcqp64(QRVAprob prob, const char *probname, int ncols, int nrows,
                            int64_t nqelems, int nqcrows, const char rowtype[],
                            const double rhs[], const double range[], const double obj[],
                            const int64_t mstart[], const int mnel[], const int mrwind[],
                            const double dmatval[], const double lb[], const double ub[],
                            const int qcol1[], const int qcol2[], const double qcoef[],
                            const int qcrows[], const int64_t qcnquads[],
                            const int qcmqcol1[], const int qcmqcol2[], const double qcdqval[]);
/* Everything: quadratic objective, quadratic rows, discrete entities, sets. */
QRVA_API int QRVAloadqcqpglobal64(QRVAprob prob, const char *probname, int ncols, int nrows,
                                  int64_t nqelems, int nqcrows, int nglents, int nsets,
                                  const char rowtype[], const double rhs[],
                                  const double range[], const double obj[],
                                  const int64_t mstart[], const int mnel[],
                                  const int mrwind[], const double dmatval[],
                                  const double lb[], const double ub[], const int qcol1[],
                                  const int qcol2[], const double qcoef[], const int qcrows[],
                                  const int64_t qcnquads[], const int qcmqcol1[],
                                  const int qcmqcol2[], const double qcdqval[],
                                  const char coltype[], const int entind[],
                                  const double limit[], const char settype[],
                                  const int64_t setstart[], const int setind[],
                                  const double refval[]);

/* ---------------------------------------------------------------------- */
/* Building and changing the problem                                      */
/* ---------------------------------------------------------------------- */

/* Append nrows rows with ncoefs elements (row-wise starts of nrows+1 from 0
 * to ncoefs; NULL when ncoefs is 0). range is read only for rows of type 'R'
 * and may be NULL without them. */
QRVA_API int QRVAaddrows64(QRVAprob prob, int nrows, int64_t ncoefs, const char rowtype[],
                           const double rhs[], const double range[], const int64_t start[],
                           const int colind[], const double rowcoef[]);
/* Append ncols columns with ncoefs elements (column-wise starts). */
QRVA_API int QRVAaddcols64(QRVAprob prob, int ncols, int64_t ncoefs, const double objcoef[],
                           const int64_t start[], const int rowind[], const double colcoef[],
                           const double lb[], const double ub[]);
/* Add ncoefs quadratic terms to row 'row', -1 for the objective (lower
 * triangle, col1 <= col2 or not). */
QRVA_API int QRVAaddqmatrix64(QRVAprob prob, int row, int64_t ncoefs, const int col1[],
                              const int col2[], const double coef[]);
/* Remove the quadratic terms of row 'row'; -1 removes the objective's. */
QRVA_API int QRVAdelqmatrix(QRVAprob prob, int row);
/* Append nsets sets with nelems members (types '1' or '2'). */
QRVA_API int QRVAaddsets64(QRVAprob prob, int nsets, int64_t nelems, const char settype[],
                           const int64_t start[], const int colind[], const double refval[]);
/* Name rows (type 1), columns (2) or sets (3) first..last with packed names. */
QRVA_API int QRVAaddnames(QRVAprob prob, int type, const char names[], int first, int last);
/* Make nrows rows indicator rows of binary columns colind; complement: 0
 * none (a plain row again), 1 enforced when the column is 1, -1 enforced
 * when it is 0. */
QRVA_API int QRVAsetindicators(QRVAprob prob, int nrows, const int rowind[],
                               const int colind[], const int complement[]);
QRVA_API int QRVAdelrows(QRVAprob prob, int nrows, const int rowind[]);
QRVA_API int QRVAdelcols(QRVAprob prob, int ncols, const int colind[]);
QRVA_API int QRVAdelsets(QRVAprob prob, int nsets, const int setind[]);
QRVA_API int QRVAchgcoltype(QRVAprob prob, int ncols, const int colind[], const char coltype[]);
/* Objective coefficients; column -1 holds minus the objective constant. */
QRVA_API int QRVAchgobj(QRVAprob prob, int ncols, const int colind[], const double objcoef[]);
/* Quadratic objective terms (set, not added). */
QRVA_API int QRVAchgmqobj(QRVAprob prob, int ncoefs, const int col1[], const int col2[],
                          const double coef[]);
QRVA_API int QRVAchgmqobj64(QRVAprob prob, int64_t ncoefs, const int col1[], const int col2[],
                            const double coef[]);
QRVA_API int QRVAchgqobj(QRVAprob prob, int col1, int col2, double coef);
/* Objective sense: 1 minimize, -1 maximize. */
QRVA_API int QRVAchgobjsense(QRVAprob prob, int objsense);
/* Thresholds of semi-continuous, semi-integer and partially integer columns. */
QRVA_API int QRVAchgglblimit(QRVAprob prob, int ncols, const int colind[], const double limit[]);
QRVA_API int QRVAchgcoef(QRVAprob prob, int row, int col, double coef);
QRVA_API int QRVAchgmcoef(QRVAprob prob, int ncoefs, const int rowind[], const int colind[],
                          const double rowcoef[]);
QRVA_API int QRVAchgqrowcoeff(QRVAprob prob, int row, int col1, int col2, double coef);
QRVA_API int QRVAchgrhs(QRVAprob prob, int nrows, const int rowind[], const double rhs[]);
QRVA_API int QRVAchgrhsrange(QRVAprob prob, int nrows, const int rowind[], const double range[]);
QRVA_API int QRVAchgrowtype(QRVAprob prob, int nrows, const int rowind[], const char rowtype[]);
QRVA_API int QRVAchgbounds(QRVAprob prob, int nbounds, const int colind[], const char bndtype[],
                           const double bndval[]);
/* Offer a (partial) MIP solution: values of ncols columns colind (NULL:
 * columns 0..ncols-1), with an optional name. */
QRVA_API int QRVAaddmipsol(QRVAprob prob, int ncols, const double value[], const int colind[],
                           const char *name);
/* Load a full MIP solution, a starting solution for the next MIP solve as
 * with QRVAaddmipsol; *status (may be NULL): its check against the problem
 * as it is now, a QRVA_USERSOL_* value. */
QRVA_API int QRVAloadmipsol(QRVAprob prob, const double dsol[], int *status);
/* Load an LP solution (any array may be NULL); *status is 0: it is taken as
 * given. */
QRVA_API int QRVAloadlpsol(QRVAprob prob, const double x[], const double slack[],
                           const double dual[], const double dj[], int *status);

/* ---------------------------------------------------------------------- */
/* Controls and attributes                                                */
/* ---------------------------------------------------------------------- */

/* Controls by identifier. The type must match the control's. */
QRVA_API int QRVAgetintcontrol(QRVAprob prob, int id, int *value);
QRVA_API int QRVAsetintcontrol(QRVAprob prob, int id, int value);
QRVA_API int QRVAgetdblcontrol(QRVAprob prob, int id, double *value);
QRVA_API int QRVAsetdblcontrol(QRVAprob prob, int id, double value);
/* String controls: *nbytes gets the bytes needed (with the zero byte); with
 * value NULL only the size is reported; a too small buffer is an error. */
QRVA_API int QRVAgetstrcontrol(QRVAprob prob, int id, char *value, int maxbytes, int *nbytes);
QRVA_API int QRVAsetstrcontrol(QRVAprob prob, int id, const char *value);
/* Back to the default: one control, or all of them. */
QRVA_API int QRVAsetdefaultcontrol(QRVAprob prob, int id);
QRVA_API int QRVAsetdefaults(QRVAprob prob);
/* Print the controls that differ from their defaults as messages. */
QRVA_API int QRVAdumpcontrols(QRVAprob prob);
/* Attributes by identifier (read only). QRVAgetintattrib fails for a value
 * beyond the int range; QRVAgetintattrib64 reads every integer attribute. */
QRVA_API int QRVAgetintattrib(QRVAprob prob, int id, int *value);
QRVA_API int QRVAgetintattrib64(QRVAprob prob, int id, int64_t *value);
QRVA_API int QRVAgetdblattrib(QRVAprob prob, int id, double *value);
QRVA_API int QRVAgetstringattrib(QRVAprob prob, int id, char *value, int maxbytes, int *nbytes);
/* Every control and attribute: three parallel arrays owned by the library,
 * ended by an entry whose id is 0. flags: QRVA_CA_INT, QRVA_CA_DOUBLE
 * (neither: string), QRVA_CA_CONTROL. */
QRVA_API int QRVAgetcalist_c(QRVAprob prob, const int **ids, const char *const **names,
                             const int **flags);
/* Identifier and type (QRVA_TYPE_*) of a control or attribute by name
 * (case-insensitive); an unknown name gives id 0 and QRVA_TYPE_NOTDEFINED. */
QRVA_API int QRVAgetcontrolinfo(QRVAprob prob, const char *name, int *id, int *type);
QRVA_API int QRVAgetattribinfo(QRVAprob prob, const char *name, int *id, int *type);

/* ---------------------------------------------------------------------- */
/* Querying the matrix, names and solutions                               */
/* ---------------------------------------------------------------------- */

QRVA_API int QRVAgetlb(QRVAprob prob, double lb[], int first, int last);
QRVA_API int QRVAgetub(QRVAprob prob, double ub[], int first, int last);
QRVA_API int QRVAgetrhs(QRVAprob prob, double rhs[], int first, int last);
QRVA_API int QRVAgetrhsrange(QRVAprob prob, double range[], int first, int last);
QRVA_API int QRVAgetrowtype(QRVAprob prob, char rowtype[], int first, int last);
QRVA_API int QRVAgetcoltype(QRVAprob prob, char coltype[], int first, int last);
QRVA_API int QRVAgetobj(QRVAprob prob, double objcoef[], int first, int last);
/* Indicator columns (-1: not an indicator row) and complement flags of rows. */
QRVA_API int QRVAgetindicators(QRVAprob prob, int colind[], int complement[], int first,
                               int last);
/* Rows first..last row-wise: *ncoefs gets the number of elements in the
 * range; at most maxcoefs of them are written (arrays may be NULL). */
QRVA_API int QRVAgetrows64(QRVAprob prob, int64_t start[], int colind[], double rowcoef[],
                           int64_t maxcoefs, int64_t *ncoefs, int first, int last);
QRVA_API int QRVAgetcols64(QRVAprob prob, int64_t start[], int rowind[], double colcoef[],
                           int64_t maxcoefs, int64_t *ncoefs, int first, int last);
/* Quadratic objective of columns first..last (full, both triangles). */
QRVA_API int QRVAgetmqobj(QRVAprob prob, int start[], int colind[], double objqcoef[],
                          int maxcoefs, int *ncoefs, int first, int last);
QRVA_API int QRVAgetmqobj64(QRVAprob prob, int64_t start[], int colind[], double objqcoef[],
                            int64_t maxcoefs, int64_t *ncoefs, int first, int last);
/* Quadratic matrix of row 'row', columns first..last. */
QRVA_API int QRVAgetqrowqmatrix(QRVAprob prob, int row, int start[], int colind[],
                                double rowqcoef[], int maxcoefs, int *ncoefs, int first,
                                int last);
/* Quadratic terms of row 'row' as triplets; arrays may be NULL for a count. */
QRVA_API int QRVAgetqrowqmatrixtriplets(QRVAprob prob, int row, int *nqelems, int qcol1[],
                                        int qcol2[], double qcoef[]);
/* Rows that have quadratic terms; rowind may be NULL for a count. */
QRVA_API int QRVAgetqrows(QRVAprob prob, int *nrows, int rowind[]);
QRVA_API int QRVAgetcoef(QRVAprob prob, int row, int col, double *coef);
QRVA_API int QRVAgetqobj(QRVAprob prob, int col1, int col2, double *coef);
QRVA_API int QRVAgetqrowcoeff(QRVAprob prob, int row, int col1, int col2, double *coef);
/* Packed names of rows (1), columns (2) or sets (3) first..last into a
 * buffer of maxbytes bytes; *nbytes gets the bytes needed; names NULL gives
 * only the size. */
QRVA_API int QRVAgetnames(QRVAprob prob, int type, char names[], int maxbytes, int *nbytes,
                          int first, int last);
/* Index of a row (1), column (2) or set (3) by name; -1 when not found. */
QRVA_API int QRVAgetindex(QRVAprob prob, int type, const char *name, int *index);
/* Solutions over the original problem (any array may be NULL). */
QRVA_API int QRVAgetlpsol(QRVAprob prob, double x[], double slack[], double dual[], double dj[]);
QRVA_API int QRVAgetmipsol(QRVAprob prob, double x[], double slack[]);
/* Solution of the presolved problem. */
QRVA_API int QRVAgetpresolvesol(QRVAprob prob, double x[], double slack[], double dual[],
                                double dj[]);
/* Infeasibilities of the current solution: counts of primal-infeasible
 * columns and rows, dual-infeasible rows and columns, and their indices. */
QRVA_API int QRVAgetinfeas(QRVAprob prob, int *npv, int *nps, int *nds, int *ndv, int mx[],
                           int mslack[], int mdual[], int mdj[]);
/* The same measured in the problem QRVAscale's factors make: a column's
 * value, bounds and reduced cost as x / C, l / C, u / C and C d, a row's
 * activity, sides and dual as R a, R b and y / R (without user scaling, the
 * same as QRVAgetinfeas). */
QRVA_API int QRVAgetscaledinfeas(QRVAprob prob, int *npv, int *nps, int *nds, int *ndv,
                                 int mx[], int mslack[], int mdual[], int mdj[]);
/* Basis status of rows and columns (0 at lower, 1 basic, 2 at upper, 3
 * superbasic). */
QRVA_API int QRVAgetbasis(QRVAprob prob, int rstatus[], int cstatus[]);
QRVA_API int QRVAgetpresolvebasis(QRVAprob prob, int rstatus[], int cstatus[]);
/* Original index of each presolved row and column. */
QRVA_API int QRVAgetpresolvemap(QRVAprob prob, int rowmap[], int colmap[]);
/* Pivot order of the basis: for each position of the basis matrix the
 * basic variable, in the combined numbering (rows, spare rows, then
 * columns); basic rows come first by row, then basic columns by column, the
 * order QRVAbtran and QRVAftran use. */
QRVA_API int QRVAgetpivotorder(QRVAprob prob, int pivots[]);
/* The ratio test of the non-basic row or column 'in' (combined numbering)
 * entering the current basis at the current LP solution: it moves off the
 * bound it is at (down from an upper bound, else up); outlist gets the
 * first maxpiv of the *npiv candidates that would leave (the entering one
 * itself when its own bound is reached first), x the slacks, spare rows and
 * column values after the step, *dobj the objective there. No candidate
 * (*npiv 0): the direction is unbounded and x is the current point. Any of
 * outlist, x, dobj, npiv may be NULL. */
QRVA_API int QRVAgetpivots(QRVAprob prob, int in, int outlist[], double x[], double *dobj,
                           int *npiv, int maxpiv);
/* Discrete entities and sets; arrays may be NULL for the counts. */
QRVA_API int QRVAgetglobal64(QRVAprob prob, int *nglents, int *nsets, char coltype[],
                             int colind[], double limit[], char settype[], int64_t setstart[],
                             int setind[], double refval[]);
/* Branching directives in column order (see QRVAloaddirs); arrays may be
 * NULL for the count. */
QRVA_API int QRVAgetdirs(QRVAprob prob, int *ndirs, int colind[], int priority[],
                         char branchdir[], double uppseudo[], double downpseudo[]);
/* Data of IIS number num (from 1): row and column counts, then the rows,
 * columns, the rows' types, the column bounds in it ('L', 'U', 'B' both),
 * the Farkas certificate's row multipliers and column values (A'y; 0 for a
 * subsystem found by MIP solves), and isolation flags (see
 * QRVAiisisolations). Any array may be NULL. */
QRVA_API int QRVAgetiisdata(QRVAprob prob, int num, int *nrows, int *ncols, int miisrow[],
                            int miiscol[], char constrainttype[], char colbndtype[],
                            double duals[], double rdcs[], char isolationrows[],
                            char isolationcols[]);
/* Position (combined numbering) of the unbounded direction, -1 if none. */
QRVA_API int QRVAgetunbvec(QRVAprob prob, int *seq);
/* Primal or dual ray; *hasray says whether one is known (ray may be NULL). */
QRVA_API int QRVAgetprimalray(QRVAprob prob, double ray[], int *hasray);
QRVA_API int QRVAgetdualray(QRVAprob prob, double ray[], int *hasray);
/* Whether message errcode is shown (1) or suppressed (0). */
QRVA_API int QRVAgetmessagestatus(QRVAprob prob, int errcode, int *status);

/* ---------------------------------------------------------------------- */
/* Solving and analysis                                                   */
/* ---------------------------------------------------------------------- */

/* Solve the LP relaxation / the MIP / tune the controls; flags pick the
 * algorithm ("" uses control defaultalg). */
QRVA_API int QRVAlpoptimize(QRVAprob prob, const char *flags);
QRVA_API int QRVAmipoptimize(QRVAprob prob, const char *flags);
QRVA_API int QRVAtune(QRVAprob prob, const char *flags);
/* The tuner. QRVAtune solves the problem once with its own settings and
 * then once per trial of its method, each trial a few control values set on
 * top of the problem's own, every solve starting cold; it leaves the
 * settings of the best trial set (the problem's own when none beat them),
 * the problem's basis as it was and no solution. The best trial is the
 * fastest of those that finish (an optimum, or a proof of infeasibility or
 * unboundedness), a trial replacing the best so far only when it is at
 * least 5% faster; when none finishes, the MIP trial with the least gap. A
 * trial stops once it has run 95% as long as the best finished one, the
 * control timelimit bounds each trial, and tunermaxtime bounds the whole
 * tuning; an interrupt ends it with the best trial so far. Every trial is
 * logged through the message callbacks. flags: "" tunes the MIP solve when
 * the problem has discrete columns or sets, else the LP solve; "l" the LP
 * (relaxation) solve, "g" the MIP solve. Nonlinear problems are refused.
 * The method is the list QRVAtunerreadmethod read last, else the built-in
 * one: for LPs the dual simplex, primal simplex and barrier algorithms,
 * presolve and scaling switched; for MIPs presolve and scaling switched,
 * cutstrategy 0 and 2, heuristiceffort 0 and 0.3, and 1 and all threads.
 * QRVAtunerwritemethod writes the method the next QRVAtune would run (for
 * the kind of solve its "" flags choose), QRVAtunerreadmethod replaces it.
 * The method file is plain text: blank lines and lines whose first
 * non-blank character is # are ignored; the first other line is the header
 * "QRVA tuner method 1"; every further line is one trial, control=value
 * pairs separated by blanks (control names as QRVAgetcalist_c lists them,
 * integer and double controls only, each at most once per line, values
 * within the control's range; timelimit and tunermaxtime are the tuner's
 * own). An empty trial line tries the problem's own settings again. A bad
 * file is refused with the line named and the method left as it was. */
QRVA_API int QRVAtunerwritemethod(QRVAprob prob, const char *methodfile);
QRVA_API int QRVAtunerreadmethod(QRVAprob prob, const char *methodfile);
/* Undo presolve of an interrupted solve. HiGHS postsolves within every
 * run, so no problem is left presolved and there is nothing to undo: the
 * call succeeds and leaves the problem as it is. */
QRVA_API int QRVApostsolve(QRVAprob prob);
/* Fix the discrete columns at the values of the last MIP solution (rounded
 * to the nearest integer if ifround, where the column must be integral
 * there) and make them continuous: the LP solve that follows gives the
 * duals of the problem with its integer decisions fixed. Sets and indicator
 * rows stay. Fails when there is no MIP solution. */
QRVA_API int QRVAfixglobals(QRVAprob prob, int ifround);
/* Ask a running solve to stop with the given stop reason. */
QRVA_API int QRVAinterrupt(QRVAprob prob, int reason);
/* Irreducible infeasible subsystems (IIS). Members are rows (with all their
 * bounds) and single column bounds; a subsystem admits no solution by
 * itself, with every other row and bound removed. Over an LP (or the LP
 * relaxation of a MIP, when that is infeasible) each is found from a
 * Farkas certificate of infeasibility:
 *   QRVA_IIS_MODE_IRREDUCIBLE  the deletion filter: removing any member
 *                              makes the rest feasible (the default);
 *   QRVA_IIS_MODE_FAST         the certificate's rows and bounds: one LP
 *                              solve, infeasible but not always irreducible.
 * A MIP whose relaxation is feasible gets the deletion filter over MIP
 * solves in either mode. QRVAiisfirst first propagates the column bounds
 * through the rows; a conflict it meets (a row that cannot be met, or
 * bounds that cross) names the rows and bounds behind it, and the search
 * then solves only the problem those members make, far smaller than the
 * whole (the log says so). Statuses written by QRVAiisfirst/QRVAiisnext:
 *   QRVA_IIS_FOUND    a subsystem was found and added to the list;
 *   QRVA_IIS_NONE     the problem is feasible (first) / every further
 *                     subsystem search ended without one (next);
 *   QRVA_IIS_STOPPED  the time limit, an interrupt or the search's budget
 *                     of tests ended it first.
 * Subsystems are numbered from 1 in the order found; QRVAiisnext finds one
 * that differs from each found (it relaxes one member of each in turn).
 * The control timelimit bounds each call. An edit of the problem's rows,
 * bounds or matrix clears the list. */
#define QRVA_IIS_MODE_IRREDUCIBLE 0
#define QRVA_IIS_MODE_FAST 1
#define QRVA_IIS_FOUND 0
#define QRVA_IIS_NONE 1
#define QRVA_IIS_STOPPED 2
QRVA_API int QRVAiisfirst(QRVAprob prob, int mode, int *status);
QRVA_API int QRVAiisnext(QRVAprob prob, int *status);
/* Finds subsystems until none is left (QRVAiisfirst first when none). */
QRVA_API int QRVAiisall(QRVAprob prob);
QRVA_API int QRVAiisclear(QRVAprob prob);
/* Marks the rows and bounds of subsystem num that belong to no other
 * subsystem found (QRVAgetiisdata's isolation flags: 1 isolated, 0 not,
 * -1 not computed). */
QRVA_API int QRVAiisisolations(QRVAprob prob, int num);
/* Writes subsystem num: type QRVA_IIS_FILE_PROBLEM as a problem file (MPS,
 * or LP with typeflags "l" or a name ending in .lp, as QRVAwriteprob) that
 * is itself infeasible: its rows, the columns they use, its bounds and no
 * other bound, no objective; type QRVA_IIS_FILE_CSV as a list with the
 * header "kind,index,name,type,bound,dual,isolated" and one line per row
 * and per column bound. */
#define QRVA_IIS_FILE_PROBLEM 0
#define QRVA_IIS_FILE_CSV 1
QRVA_API int QRVAiiswrite(QRVAprob prob, int num, const char *filename, int type,
                          const char *typeflags);
/* Number of IISs found; arrays (niis+1 entries, entry 0 unused and 0) may
 * be NULL. suminfeas: the least total violation of the subsystem's rows and
 * bounds; numinfeas: how many of them that least violation breaks. */
QRVA_API int QRVAiisstatus(QRVAprob prob, int *niis, int rowsizes[], int colsizes[],
                           double suminfeas[], int numinfeas[]);
/* Infeasibility repair. Each row side (lrp: the lower side, activity >=
 * its lower bound; grp: the upper side) and each column bound (lbp lower,
 * ubp upper) has a preference: violating it costs 1/preference per unit;
 * preference 0 keeps it as it is. Phase 1 finds the least weighted
 * violation; phase 2 (oflags 'o', phase2 'o') then optimises the original
 * objective with the weighted violation at most (1 + delta) times the
 * least ('f': phase 1 only). The problem's rows and bounds are then
 * relaxed by the violations found and the problem is solved (LP, or MIP
 * when gflags is 'g' / the weighted calls on a problem with discrete
 * columns), its solution readable as any solve's. repairinfeas applies
 * one preference to every row side and bound (pflags 'c'); the weighted
 * calls take arrays over the rows and columns (NULL: all 0), and
 * ...bounds also the largest relaxation of each (lrb, grb, lbb, ubb; NULL:
 * unlimited). Statuses: */
#define QRVA_REPAIR_SOLVED 0      /* relaxed and solved to optimality */
#define QRVA_REPAIR_INFEASIBLE 1  /* no relaxation the preferences allow is feasible; nothing changed */
#define QRVA_REPAIR_NOT_OPTIMAL 2 /* relaxed, but phase 2 or the final solve ended without an optimum */
#define QRVA_REPAIR_STOPPED 3     /* the time limit or an interrupt came first */
QRVA_API int QRVArepairinfeas(QRVAprob prob, int *status, char pflags, char oflags,
                              char gflags, double lrp, double grp, double lbp, double ubp,
                              double delta);
QRVA_API int QRVArepairweightedinfeas(QRVAprob prob, int *status, const double lrp[],
                                      const double grp[], const double lbp[],
                                      const double ubp[], char phase2, double delta,
                                      const char *optflags);
QRVA_API int QRVArepairweightedinfeasbounds(QRVAprob prob, int *status, const double lrp[],
                                            const double grp[], const double lbp[],
                                            const double ubp[], const double lrb[],
                                            const double grb[], const double lbb[],
                                            const double ubb[], char phase2, double delta,
                                            const char *optflags);
/* Objective and right-hand-side ranging of an LP's optimal basis (the
 * last LP solve's): lower[k] and upper[k] are the values of the cost of
 * colind[k] / of the right-hand side of rowind[k] between which the basis
 * stays optimal (resp. feasible), +-QRVA_INFINITY where unbounded. Fails on
 * problems with discrete columns, sets or quadratic terms, and without an
 * optimal basis. */
QRVA_API int QRVAobjsa(QRVAprob prob, int ncols, const int colind[], double lower[],
                       double upper[]);
QRVA_API int QRVArhssa(QRVAprob prob, int nrows, const int rowind[], double lower[],
                       double upper[]);
/* Strong branching: the LP solved once per bound change (types 'L' 'U' 'B'),
 * each from the current optimal basis with at most itrlimit simplex
 * iterations; objval gets the objective reached, status the LP status
 * (QRVA_LP_UNFINISHED at the iteration limit). On the problem a node
 * callback is given the node's LP is used and left as it was; elsewhere the
 * problem's LP relaxation, solved first. QRVAstrongbranchcb calls callback
 * after each bound change was solved (at a node, with its LP solution shown
 * on prob); a non-zero result leaves the remaining ones QRVA_LP_UNSTARTED. */
QRVA_API int QRVAstrongbranch(QRVAprob prob, int nbounds, const int colind[],
                              const char bndtype[], const double bndval[], int itrlimit,
                              double objval[], int status[]);
QRVA_API int QRVAstrongbranchcb(QRVAprob prob, int nbounds, const int colind[],
                                const char bndtype[], const double bndval[], int itrlimit,
                                double objval[], int status[], QRVAcbsolvenode callback,
                                void *data);
/* The least and largest dual of each row over the optimal basis and the
 * bases just beyond both ends of the row's right-hand-side range (the
 * slopes of the optimal value on either side), each re-solve limited to
 * iterlimit simplex iterations; a side with no solution gives
 * +-QRVA_INFINITY. */
QRVA_API int QRVAestimaterowdualranges(QRVAprob prob, int nrows, const int rowind[],
                                       int iterlimit, double mindualactivity[],
                                       double maxdualactivity[]);
/* Objective, slacks, reduced costs and solution properties of given vectors. */
QRVA_API int QRVAcalcobjective(QRVAprob prob, const double solution[], double *objval);
QRVA_API int QRVAcalcslacks(QRVAprob prob, const double solution[], double slacks[]);
QRVA_API int QRVAcalcreducedcosts(QRVAprob prob, const double duals[], const double solution[],
                                  double djs[]);
/* Properties of QRVAcalcsolinfo: the largest violation of a row or bound
 * by the solution (relative: divided by 1 + |its bound|); the largest
 * violation of the dual sign conditions by the reduced costs c - A'y (+ Qx)
 * and the duals (relative: divided by 1 + |cost|); the largest distance of
 * an integral column from the nearest integer. */
#define QRVA_SOLINFO_ABSPRIMALINFEAS 0
#define QRVA_SOLINFO_RELPRIMALINFEAS 1
#define QRVA_SOLINFO_ABSDUALINFEAS 2
#define QRVA_SOLINFO_RELDUALINFEAS 3
#define QRVA_SOLINFO_MAXMIPFRACTIONAL 4
QRVA_API int QRVAcalcsolinfo(QRVAprob prob, const double solution[], const double dual[],
                             int property, double *value);
/* QRVAbasisstability measures the basis matrix B of the current basis (see
 * QRVAbtran): type CONDITION gives ||B|| ||B^-1||, BASISNORM ||B||,
 * INVERSENORM ||B^-1||, in the norm named by norm. ifscaled 1 measures the
 * basis of the problem scaled by the factors given to QRVAscale (the same
 * as 0 when none were given). B^-1 is formed one column at a time: the cost
 * is one basis solve per row. */
#define QRVA_BASISSTAB_CONDITION 0
#define QRVA_BASISSTAB_BASISNORM 1
#define QRVA_BASISSTAB_INVERSENORM 2
#define QRVA_NORM_INFINITY 0  /* largest sum of absolute values of a row */
#define QRVA_NORM_ONE 1       /* largest sum of absolute values of a column */
#define QRVA_NORM_FROBENIUS 2 /* square root of the sum of squares */
QRVA_API int QRVAbasisstability(QRVAprob prob, int type, int norm, int ifscaled,
                                double *value);
/* Solve with the basis matrix B in place on a vector of one entry per row:
 * ftran gives B^-1 vec, btran B^-T vec. B holds one column per basic
 * variable, ordered as the combined numbering orders them: the basic slacks
 * by row (the unit column of the row), then the basic columns by index
 * (their matrix columns). Entries of ftran's result and of btran's argument
 * follow that order. */
QRVA_API int QRVAbtran(QRVAprob prob, double vec[]);
QRVA_API int QRVAftran(QRVAprob prob, double vec[]);
/* Refinement of a MIP solution (one value per column): its discrete
 * decisions are fixed (integral columns at their nearest integers,
 * semi-continuous columns off at 0 or on within their threshold and upper
 * bound, set members that are 0 in it at 0, indicator rows enforced where
 * its indicator columns switch them on and dropped elsewhere) and the LP
 * (or convex QP) left over the continuous columns is solved by the dual
 * simplex method within the control timelimit. refined receives that LP's
 * solution when it is a solution of the problem no worse than the one
 * given (or the one given was none), else a copy of the one given. The
 * problem's data and last solution stay as they are. No flags are defined:
 * flags must be NULL or "". options: 0, or
 * QRVA_REFINEMIPSOL_ADDSTART to keep refined also as a start of the next
 * MIP solve (as QRVAaddmipsol). Statuses: */
#define QRVA_REFINEMIPSOL_ADDSTART 1
#define QRVA_REFINEMIPSOL_IMPROVED 0   /* a better solution, or one where none was given */
#define QRVA_REFINEMIPSOL_SAME 1       /* none better: refined is as good as the one given */
#define QRVA_REFINEMIPSOL_INFEASIBLE 2 /* no solution with these decisions, and none given */
#define QRVA_REFINEMIPSOL_STOPPED 3    /* the time limit or an interrupt came first */
QRVA_API int QRVArefinemipsol(QRVAprob prob, int options, const char *flags,
                              const double solution[], double refined[], int *status);
/* Presolve of one row (rowtype 'L', 'G' or 'E'; ncoefs coefficients
 * rowcoef over columns colind; right-hand side rhs) against the problem's
 * column bounds, over the columns of the presolved problem (the problem's
 * own, see QRVAgetpresolvemap): coefficients of one column are summed,
 * those at most matrixtol in size dropped, fixed columns (lower bound equal
 * to upper) moved into the right-hand side. The result goes into
 * colindout/rowcoefout (at most maxcoefs entries; *ncoefsout gets the
 * count) and *rhsout. Statuses: */
#define QRVA_PRESOLVEROW_OK 0         /* the row as presolved */
#define QRVA_PRESOLVEROW_REDUNDANT 1  /* the column bounds make it always hold */
#define QRVA_PRESOLVEROW_INFEASIBLE 2 /* the column bounds leave no way to satisfy it */
#define QRVA_PRESOLVEROW_TOOMANY 3    /* more than maxcoefs coefficients: only *ncoefsout is set */
QRVA_API int QRVApresolverow(QRVAprob prob, char rowtype, int ncoefs, const int colind[],
                             const double rowcoef[], double rhs, int maxcoefs, int *ncoefsout,
                             int colindout[], double rowcoefout[], double *rhsout,
                             int *status);
/* User scaling of the LP and MIP solves (QRVAlpoptimize, QRVAmipoptimize
 * on HiGHS's search): rowscale[i] and colscale[j] are exponents e of the
 * factors 2^e, one per row and column of the problem, each between
 * -QRVA_SCALE_MAXEXP and QRVA_SCALE_MAXEXP. The solves hand HiGHS the
 * scaled problem R A C (rows times 2^rowscale[i], column j's values x_j
 * = 2^colscale[j] x'_j), on top of HiGHS's own scaling (control scaling),
 * and report values, slacks, duals, reduced costs and rays in the
 * problem's own units, so only the path of the solve changes. Factors of
 * discrete columns are not applied in solves that keep them discrete (a
 * factor would change their integrality). A NULL array means no user
 * scaling of the rows / the columns; both NULL leave scaling to HiGHS
 * alone. The factors replace those given before, stay until the next call,
 * follow row and column deletions (new rows and columns get exponent 0),
 * and are used by QRVAbasisstability with ifscaled 1. The engine's own
 * tree search and the analyses solve the problem unscaled. */
#define QRVA_SCALE_MAXEXP 64
QRVA_API int QRVAscale(QRVAprob prob, const int rowscale[], const int colscale[]);

/* ---------------------------------------------------------------------- */
/* Basis, directives, files and settings                                  */
/* ---------------------------------------------------------------------- */

QRVA_API int QRVAloadbasis(QRVAprob prob, const int rstatus[], const int cstatus[]);
QRVA_API int QRVAloadpresolvebasis(QRVAprob prob, const int rstatus[], const int cstatus[]);
/* Branching directives of ndirs columns; they replace those loaded before
 * (ndirs 0 removes all). Per column: priority (smaller numbers are branched
 * on first; NULL gives QRVA_DIR_DEFAULTPRIORITY, which columns without a
 * directive also have), branchdir 'U' (up branch first), 'D' (down first)
 * or 'N' (the search chooses; the default), up and down pseudo-costs (the
 * objective change per unit of the branch; negative or NULL: none given).
 * A column may appear once. The presolve variant takes columns of the
 * presolved problem, which are those of the problem while none is kept. */
#define QRVA_DIR_DEFAULTPRIORITY 500
QRVA_API int QRVAloaddirs(QRVAprob prob, int ndirs, const int colind[], const int priority[],
                          const char branchdir[], const double uppseudo[],
                          const double downpseudo[]);
QRVA_API int QRVAloadpresolvedirs(QRVAprob prob, int ndirs, const int colind[],
                                  const int priority[], const char branchdir[],
                                  const double uppseudo[], const double downpseudo[]);
/* Sets the branch explored first for ncols columns (branch[k] 1: up, 0:
 * down; branch NULL: up for all), keeping their other directive data. */
QRVA_API int QRVAloadbranchdirs(QRVAprob prob, int ncols, const int colind[],
                                const int branch[]);
/* Rows and columns that presolve must keep, replacing those loaded before
 * (a count of -1 with NULL, or 0: none). They are stored for the engine's
 * own presolve; HiGHS's presolve works on a copy and every result comes
 * back over all rows and columns, so nothing is lost to it meanwhile. */
QRVA_API int QRVAloadsecurevecs(QRVAprob prob, int nrows, int ncols, const int rowind[],
                                const int colind[]);
/* Rows that need not be in the LP until a candidate solution violates
 * them (delayed rows) / rows that may be left out until violated (model
 * cuts). Each call replaces the rows of its kind (nrows 0: none); a row is
 * not both. A MIP solve with such rows runs the engine's tree search,
 * which leaves delayed rows out of the node LPs until a candidate solution
 * violates them and model cuts until a node's LP solution does; from then
 * on they are in force at every node. With control treesearch 2, HiGHS's
 * MIP solves them as ordinary rows and says so in its log. */
QRVA_API int QRVAloaddelayedrows(QRVAprob prob, int nrows, const int rowind[]);
QRVA_API int QRVAloadmodelcuts(QRVAprob prob, int nrows, const int rowind[]);
/* Basis and solution files. A file name NULL or "" is the problem's name;
 * a name without an extension gets the one of its kind. No flags are
 * defined yet: any flag letter is refused. Readers check the whole file
 * before anything changes.
 * MPS basis file (".bss"): NAME, then records that change the slack basis
 * (rows basic, columns at their lower bound): "XU col row" (the column is
 * basic, the row non-basic at its upper limit), "XL col row" (the same at
 * its lower limit), "UL col" (at its upper bound), "LL col" (at its lower
 * bound; a free column at zero); ENDATA ends the file. */
QRVA_API int QRVAreadbasis(QRVAprob prob, const char *filename, const char *flags);
QRVA_API int QRVAwritebasis(QRVAprob prob, const char *filename, const char *flags);
/* Directive file (".dir" appended to a name without an extension): lines
 * starting with '*' are comments; one line per column: name, priority,
 * branch (U D N), up and down pseudo-costs; a line ENDATA ends it. Reading
 * replaces the directives with the file's, or changes nothing when a line
 * is wrong, a column is unknown or ENDATA is missing. */
QRVA_API int QRVAreaddirs(QRVAprob prob, const char *filename);
QRVA_API int QRVAwritedirs(QRVAprob prob, const char *filename);
/* Binary solution file (".bsol"): magic "QRVASOL\n", format version, rows,
 * columns, which solutions (1 LP, 2 MIP), LP and MIP statuses and
 * objectives, values, slacks, duals and reduced costs, and a check sum.
 * Reading refuses another version, another problem size, a damaged or a
 * truncated file, and makes the file's solution the problem's. */
QRVA_API int QRVAreadbinsol(QRVAprob prob, const char *filename, const char *flags);
/* Text solution file (".slx"): "NAME <problem>", one "C <column> <value>"
 * line per column, ENDATA. Reading adds the values as a starting solution
 * for the next MIP solve (columns left out are free for the solve). */
QRVA_API int QRVAreadslxsol(QRVAprob prob, const char *filename, const char *flags);
QRVA_API int QRVAwritebinsol(QRVAprob prob, const char *filename, const char *flags);
QRVA_API int QRVAwriteslxsol(QRVAprob prob, const char *filename, const char *flags);
/* Comma-separated solution (".csv"): the header kind,index,name,value,
 * slack,dual, then one line per row (R, activity, slack, dual value) and per
 * column (C, value, no slack, reduced cost); a MIP solution has no duals. */
QRVA_API int QRVAwritesol(QRVAprob prob, const char *filename, const char *flags);
/* A readable report (".prt"): status, objective, a table of rows, one of
 * columns. The writers report the MIP solution when there is one. */
QRVA_API int QRVAwriteprtsol(QRVAprob prob, const char *filename, const char *flags);
/* Save the whole problem (store, names, controls, basis, solution, statuses,
 * directives, MIP starts and the SLP layer on it) to "<name>.svf" in the
 * working directory; restore the one saved as probname ("" or NULL: the
 * problem's own name). Restoring refuses a file of another format version,
 * a damaged or a truncated one, and one whose formulas call user functions
 * the SLP layer does not define at the same places, leaving the problem
 * unchanged. No flags are defined yet. */
QRVA_API int QRVAsave(QRVAprob prob);
QRVA_API int QRVArestore(QRVAprob prob, const char *probname, const char *flags);
/* Also write the problem's messages to a file ("" or NULL: stop). */
QRVA_API int QRVAsetlogfile(QRVAprob prob, const char *filename);
/* Show (1) or suppress (0) message errcode. */
QRVA_API int QRVAsetmessagestatus(QRVAprob prob, int errcode, int status);

/* ---------------------------------------------------------------------- */
/* Cuts and node bounds (inside tree-search callbacks)                    */
/* ---------------------------------------------------------------------- */

/* Cuts are rows cutind/rowtype ('L' 'G' 'E')/rhs over the original
 * columns, each with a type of the user's choosing (cuttype). Functions
 * that select cuts by type take (cuttype, interp): interp -1 selects every
 * cut, 1 cuts whose type equals cuttype, 2 cuts whose type shares a bit
 * with it, 3 cuts whose type has all of its bits. Cut handles stay valid
 * until QRVAdelcpcuts deletes the cut or an edit of the problem's rows,
 * columns or bounds drops the pool.
 * The node functions (QRVAaddcuts64, QRVAloadcuts, QRVAdelcuts,
 * QRVAgetcutlist, QRVAgetcutmap, QRVAsetbranchcuts, QRVAsetbranchbounds)
 * work on the problem a node callback is given; cuts they add are in
 * force at the node and in its subtree (at the root: everywhere).
 * Add ncuts cuts to the current node (they are also kept in the pool). */
QRVA_API int QRVAaddcuts64(QRVAprob prob, int ncuts, const int cuttype[], const char rowtype[],
                           const double rhs[], const int64_t start[], const int colind[],
                           const double cutcoef[]);
/* Store ncuts cuts in the cut pool, returning their handles in cutind.
 * nodupl 0 stores every cut; 1 returns the handle of an equal cut of the
 * same type instead of storing it again; 2 does so for an equal cut of any
 * type. */
QRVA_API int QRVAstorecuts64(QRVAprob prob, int ncuts, int nodupl, const int cuttype[],
                             const char rowtype[], const double rhs[], const int64_t start[],
                             QRVAcut cutind[], const int colind[], const double cutcoef[]);
/* Load pool cuts into the current node: by type (cuttype, interp) or the
 * ncuts given (ncuts -1: all matching the type). */
QRVA_API int QRVAloadcuts(QRVAprob prob, int cuttype, int interp, int ncuts,
                          const QRVAcut cutind[]);
/* Remove cuts from the current node (not from the pool): those given, or
 * with ncuts -1 those selected by type; with delta >= 0 only those whose
 * slack at the node's LP solution exceeds delta, with basis 1 only those
 * whose row is basic (not binding). */
QRVA_API int QRVAdelcuts(QRVAprob prob, int basis, int cuttype, int interp, double delta,
                         int ncuts, const QRVAcut cutind[]);
/* Delete cuts from the pool (nodes using them keep their rows). */
QRVA_API int QRVAdelcpcuts(QRVAprob prob, int cuttype, int interp, int ncuts,
                           const QRVAcut cutind[]);
/* Cuts of the current node: *ncuts gets the count; at most maxcuts handles
 * are written. */
QRVA_API int QRVAgetcutlist(QRVAprob prob, int cuttype, int interp, int *ncuts, int maxcuts,
                            QRVAcut cutind[]);
/* Pool cuts selected by type that the current solution (the node's, or
 * the last solve's) violates by more than delta, with the violations. */
QRVA_API int QRVAgetcpcutlist(QRVAprob prob, int cuttype, int interp, double delta, int *ncuts,
                              int maxcuts, QRVAcut cutind[], double viol[]);
/* The cuts cutind[0..ncuts-1] of the pool; at most maxcoefs elements. */
QRVA_API int QRVAgetcpcuts64(QRVAprob prob, int ncuts, int64_t maxcoefs, const QRVAcut cutind[],
                             int cuttype[], char rowtype[], int64_t start[], int colind[],
                             double cutcoef[], double rhs[]);
/* The row of each cut in the current node's problem, -1 if not in force. */
QRVA_API int QRVAgetcutmap(QRVAprob prob, int ncuts, const QRVAcut cutind[], int cutmap[]);
/* rhs minus the cut's activity at the current solution. */
QRVA_API int QRVAgetcutslack(QRVAprob prob, QRVAcut cut, double *slack);
/* The cuts join every child made when the current node branches. */
QRVA_API int QRVAsetbranchcuts(QRVAprob prob, int ncuts, const QRVAcut cutind[]);
/* Store a set of bound changes (types 'U' 'L' 'B') for branching; *bounds
 * gets a handle, valid like a cut handle. */
QRVA_API int QRVAstorebounds(QRVAprob prob, int nbounds, const int colind[],
                             const char bndtype[], const double bndval[], void **bounds);
/* Each call makes one branch of the current node with the stored bounds;
 * the branches so made replace the search's own branching of the node. */
QRVA_API int QRVAsetbranchbounds(QRVAprob prob, void *bounds);

/* ---------------------------------------------------------------------- */
/* Callbacks: several per kind, called in priority order (higher first)   */
/* ---------------------------------------------------------------------- */

/* QRVAaddcb<kind>(prob, f, data, priority) registers; QRVAremovecb<kind>(
 * prob, f, data) unregisters every match (NULL f or NULL data match any).
 * Removal while callbacks run is safe as for the message handlers: a
 * callback removed during a call round is not called by it any more. */
#define QRVA_CALLBACK_FAMILY(kind)                                                          \
  QRVA_API int QRVAaddcb##kind(QRVAprob prob, QRVAcb##kind f, void *data, int priority);   \
  QRVA_API int QRVAremovecb##kind(QRVAprob prob, QRVAcb##kind f, void *data);
QRVA_CALLBACK_FAMILY(bariteration)
QRVA_CALLBACK_FAMILY(barlog)
QRVA_CALLBACK_FAMILY(chgbranchobject)
QRVA_CALLBACK_FAMILY(cutlog)
QRVA_CALLBACK_FAMILY(destroymt)
QRVA_CALLBACK_FAMILY(gapnotify)
QRVA_CALLBACK_FAMILY(globallog)
QRVA_CALLBACK_FAMILY(infnode)
QRVA_CALLBACK_FAMILY(intsol)
QRVA_CALLBACK_FAMILY(lplog)
QRVA_CALLBACK_FAMILY(message)
QRVA_CALLBACK_FAMILY(mipthread)
QRVA_CALLBACK_FAMILY(newnode)
QRVA_CALLBACK_FAMILY(nodecutoff)
QRVA_CALLBACK_FAMILY(optnode)
QRVA_CALLBACK_FAMILY(preintsol)
QRVA_CALLBACK_FAMILY(prenode)
QRVA_CALLBACK_FAMILY(usersolnotify)
#undef QRVA_CALLBACK_FAMILY
/* Number of callback kinds: the families above. */
#define QRVA_CALLBACK_KINDS 18

/* ---------------------------------------------------------------------- */
/* Branching objects                                                      */
/* ---------------------------------------------------------------------- */

/* A branching object holds branches, each a list of bound changes, rows and
 * cuts; the library's own tree search creates a child node per branch. A
 * user's object is made with QRVA_bo_create and either stored at a node
 * (QRVA_bo_store, in a prenode, optnode or preintsol callback: the object
 * of least priority value stored at a node replaces the search's branching
 * there) or handed back from a chgbranchobject callback; both give it to
 * the library, which frees it. The object a chgbranchobject callback is
 * given is the search's own branching of the node: it may be changed in
 * place, and it is freed when the callbacks return.
 * Create a branching object for prob; isoriginal: 1 when its columns are
 * those of the original problem, 0 for the presolved one (the tree search
 * works on the original problem, where both are the same columns). */
QRVA_API int QRVA_bo_create(QRVAbranchobject *bo, QRVAprob prob, int isoriginal);
/* Frees a user's object (not the one a chgbranchobject callback is given). */
QRVA_API int QRVA_bo_destroy(QRVAbranchobject bo);
QRVA_API int QRVA_bo_addbranches(QRVAbranchobject bo, int nbranches);
QRVA_API int QRVA_bo_getbranches(QRVAbranchobject bo, int *nbranches);
/* Bound changes of branch 'branch' (types 'L' 'U', or 'B' to fix). */
QRVA_API int QRVA_bo_addbounds(QRVAbranchobject bo, int branch, int nbounds,
                               const char bndtype[], const int colind[], const double bndval[]);
/* Writes at most maxbounds of the branch's bounds; *nbounds gets how many
 * it has (arrays may be NULL to count only). */
QRVA_API int QRVA_bo_getbounds(QRVAbranchobject bo, int branch, int *nbounds, int maxbounds,
                               char bndtype[], int colind[], double bndval[]);
/* Rows of branch 'branch' (row-wise, starts of nrows entries into colind;
 * types 'L' 'G' 'E'). */
QRVA_API int QRVA_bo_addrows(QRVAbranchobject bo, int branch, int nrows, int nelems,
                             const char rowtype[], const double rhs[], const int start[],
                             const int colind[], const double rowcoef[]);
/* Writes at most maxrows rows and maxelems elements of the branch's rows
 * (cuts not included; a row with two finite sides reads as a 'G' and an
 * 'L' row); *nrows and *nelems get how many it has. */
QRVA_API int QRVA_bo_getrows(QRVAbranchobject bo, int branch, int *nrows, int maxrows,
                             int *nelems, int maxelems, char rowtype[], double rhs[],
                             int start[], int colind[], double rowcoef[]);
/* Cuts of the problem's cut pool that the branch's child gets. */
QRVA_API int QRVA_bo_addcuts(QRVAbranchobject bo, int branch, int ncuts,
                             const QRVAcut cutind[]);
/* The branch whose child is explored first. */
QRVA_API int QRVA_bo_setpreferredbranch(QRVAbranchobject bo, int branch);
/* Of several objects stored at one node, the one of least priority value is
 * used (ties: the first stored); 0 by default. */
QRVA_API int QRVA_bo_setpriority(QRVAbranchobject bo, int priority);
/* Identifier of the object: the node it branches for the object a
 * chgbranchobject callback is given, 0 for a user-made one. */
QRVA_API int QRVA_bo_getid(QRVAbranchobject bo, int *id);
/* Statuses of QRVA_bo_validate and QRVA_bo_store. */
#define QRVA_BO_VALID 0        /* the object can be a node's branching */
#define QRVA_BO_NO_BRANCHES 1  /* it has no branches */
#define QRVA_BO_EMPTY_BRANCH 2 /* a branch changes nothing: its child would be the node itself */
/* Hands the object to the tree search at the node whose problem it was
 * made for (the problem a node callback is given). On success
 * the library owns the object whatever the status: a valid one branches
 * the node, an invalid one is freed unused. */
QRVA_API int QRVA_bo_store(QRVAbranchobject bo, int *status);
QRVA_API int QRVA_bo_validate(QRVAbranchobject bo, int *status);
/* Last error of the object, as QRVA_ge_getlasterror. */
QRVA_API int QRVA_bo_getlasterror(QRVAbranchobject bo, int *code, char *buffer, int maxbytes,
                                  int *nbytes);

#ifdef __cplusplus
}
#endif

#endif /* QRVA_H */
