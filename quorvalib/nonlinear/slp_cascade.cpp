/* SLP-named methods of quorva.problem for cascading: determined columns
 * computed from their determining rows in dependency order, that order, and
 * the Newton passes a column may take. */
#include "api/wrapper.h"
#include "module/docs.h"
#include "module/errors.h"

static QSLPprob slpOf(const WrapperCall &c) { return c.problem->slpprob; }

static const WrapperSpec kCascade{"", nullptr, CHECK_BEFORE, true,
                                  [](WrapperCall &c) { return c.done(QSLPcascade(slpOf(c))); }, {}};

static const WrapperSpec kCascadeorder{"", nullptr, CHECK_BEFORE, true,
                                       [](WrapperCall &c) { return c.done(QSLPcascadeorder(slpOf(c))); }, {}};

static const WrapperSpec kChgcascadenlimit{
    "Oi", "Wrong arguments in chgcascadenlimit", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) { return c.done(QSLPchgcascadenlimit(slpOf(c), c.index[0], c.slot[1].integer)); },
    {{"icol", KIND_COL, -1, ARG_INDEX | ARG_REQUIRED, -1}, {"cascadenlimit", -1, -1, 0, -1}}};

PyMethodDef problem_slpCascadeMethods[] = {
    QRVA_WRAPPER("cascade", kCascade,
                 QRVA_DOC("Computes the determined columns of the current point from their determining rows.",
                          "p.cascade()", "None.",
                          "p.chgvar(t, detrow=defrow)\n  p.cascade()\n  value = p.getvar(t)[6]",
                          "A determined column is one given a determining row (addvars, chgvar). Each takes the "
                          "value that makes its row meet its right-hand side (Newton passes within its bounds), "
                          "after every determined column its row uses. The point is the last nonlinear solution, "
                          "else the initial values; the results become the columns' values and initial values. "
                          "Callbacks cascadestart, cascadevar or cascadevarfail per column, and cascadeend fire. "
                          "Columns that determine each other in a cycle are refused. With the control "
                          "slpcascade 1 every solve cascades its point before each iteration.",
                          "cascadeorder, chgcascadenlimit, chgvar")),
    QRVA_WRAPPER("cascadeorder", kCascadeorder,
                 QRVA_DOC("Computes the order in which the determined columns are cascaded.", "p.cascadeorder()",
                          "None.", "p.cascadeorder()",
                          "Every determined column comes after the determined columns its row uses (ties by "
                          "column index); the order is kept with the problem and written to the log. A cycle "
                          "is refused with an error naming a column of it.",
                          "cascade")),
    QRVA_WRAPPER("chgcascadenlimit", kChgcascadenlimit,
                 QRVA_DOC("Limits the Newton passes of one determined column when it is cascaded.",
                          "p.chgcascadenlimit(icol, cascadenlimit)",
                          "icol: the column (index, name or variable); cascadenlimit: 1 to 1000 passes, or 0 for "
                          "the control slpcascadenlimit.",
                          "p.chgcascadenlimit(t, 1)",
                          "A column whose row is linear in it needs one pass; the passes stop early once the row "
                          "holds.",
                          "cascade")),
    {nullptr, nullptr, 0, nullptr},
};
