/* The callback kinds of a problem, in the order of its callback table:
 * those of the optimizer library (added and removed, with a priority),
 * then those of the SLP library (set, the latest one called). Every list
 * that needs one thing per kind is written from these two. */
#ifndef QUORVA_CALLBACK_KINDS_H
#define QUORVA_CALLBACK_KINDS_H

#define QRVA_PY_FOR_OPT_KINDS(X)                                                                          \
  X(bariteration) X(barlog) X(chgbranchobject) X(cutlog) X(destroymt) X(gapnotify) X(globallog) X(infnode) \
  X(intsol) X(lplog) X(message) X(mipthread) X(newnode) X(nodecutoff) X(optnode) X(preintsol) X(prenode)   \
  X(usersolnotify)

#define QRVA_PY_FOR_SLP_KINDS(X)                                                                         \
  X(cascadeend) X(cascadestart) X(cascadevar) X(cascadevarfail) X(coefevalerror) X(construct) X(destroy) \
  X(drcol) X(formula) X(iterend) X(iterstart) X(itervar) X(msjobend) X(msjobstart) X(mswinner) X(slpend) \
  X(slpnode) X(slpstart)

/* CBKIND_<name>: the kind's slot in the table. */
enum CallbackKindIndex {
#define QRVA_PY_KIND_ENUM(name) CBKIND_##name,
  QRVA_PY_FOR_OPT_KINDS(QRVA_PY_KIND_ENUM) QRVA_PY_FOR_SLP_KINDS(QRVA_PY_KIND_ENUM)
#undef QRVA_PY_KIND_ENUM
  CBKIND_COUNT
};

#endif
