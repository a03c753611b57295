/* The trampolines through which the libraries call a problem's Python
 * callbacks, one per kind with the library's signature, and the
 * strong-branching solve callback. Each takes the interpreter lock, finds
 * its entry [problem, callable, data, priority], calls the callable with a
 * view of the library's current problem and carries the result back. */
#ifndef QUORVA_CALLBACK_DISPATCH_H
#define QUORVA_CALLBACK_DISPATCH_H

#include "module/qrvalibs.h"

extern "C" {
void wrapper_bariteration(QRVAprob prob, void *data, int *action);
int wrapper_barlog(QRVAprob prob, void *data);
void wrapper_chgbranchobject(QRVAprob prob, void *data, QRVAbranchobject obranch, QRVAbranchobject *p_newobject);
int wrapper_cutlog(QRVAprob prob, void *data);
void wrapper_destroymt(QRVAprob prob, void *data);
void wrapper_gapnotify(QRVAprob prob, void *data, double *p_relgapnotifytarget, double *p_absgapnotifytarget,
                       double *p_absgapnotifyobjtarget, double *p_absgapnotifyboundtarget);
int wrapper_globallog(QRVAprob prob, void *data);
void wrapper_infnode(QRVAprob prob, void *data);
void wrapper_intsol(QRVAprob prob, void *data);
int wrapper_lplog(QRVAprob prob, void *data);
void wrapper_message(QRVAprob prob, void *data, const char *msg, int msglen, int msgtype);
void wrapper_mipthread(QRVAprob prob, void *data, QRVAprob threadprob);
void wrapper_newnode(QRVAprob prob, void *data, int parentnode, int newnode, int branch);
void wrapper_nodecutoff(QRVAprob prob, void *data, int node);
void wrapper_optnode(QRVAprob prob, void *data, int *p_infeasible);
void wrapper_preintsol(QRVAprob prob, void *data, int soltype, int *p_reject, double *p_cutoff);
void wrapper_prenode(QRVAprob prob, void *data, int *p_infeasible);
void wrapper_usersolnotify(QRVAprob prob, void *data, const char *solname, int status);

int wrapper_cascadeend(QSLPprob slp, void *data);
int wrapper_cascadestart(QSLPprob slp, void *data);
int wrapper_cascadevar(QSLPprob slp, void *data, int col);
int wrapper_cascadevarfail(QSLPprob slp, void *data, int col);
int wrapper_coefevalerror(QSLPprob slp, void *data, int row, int col);
int wrapper_construct(QSLPprob slp, void *data);
int wrapper_destroy(QSLPprob slp, void *data);
int wrapper_drcol(QSLPprob slp, void *data, int detrow, int col, double value, double *p_newvalue, double lb,
                  double ub);
int wrapper_formula(QSLPprob slp, void *data, double value, double *p_result);
int wrapper_iterend(QSLPprob slp, void *data);
int wrapper_iterstart(QSLPprob slp, void *data);
int wrapper_itervar(QSLPprob slp, void *data, int col);
int wrapper_msjobend(QSLPprob slp, void *data, void *jobobject, const char *jobdesc, int *p_status);
int wrapper_msjobstart(QSLPprob slp, void *data, void *jobobject, const char *jobdesc, int *p_status);
int wrapper_mswinner(QSLPprob slp, void *data, void *jobobject, const char *jobdesc);
int wrapper_slpend(QSLPprob slp, void *data);
int wrapper_slpnode(QSLPprob slp, void *data);
int wrapper_slpstart(QSLPprob slp, void *data);

/* Strong branching: entry [problem, callable, data]; the callable gets
 * (view, data, bndindex) and its integer result goes back. */
int solvecb(QRVAprob prob, void *data, int bndindex);
}

#endif
