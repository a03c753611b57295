/* Library-named methods for the basis and the problem's settings in the
 * library: log file, name, message status and control defaults. */
#include "api/wrapper.h"
#include "module/docs.h"

static const WrapperSpec kGetbasis{
    "OO", "Must provide arguments (as lists) of get[presolve]basis", CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      if (wrapperOriginalSizes(c) != 0) return nullptr;
      bool failed = false;
      int *rows = c.out<int>(0, c.count[0], &failed), *cols = c.out<int>(1, c.count[1], &failed);
      if (failed) return nullptr;
      return c.done(QRVAgetbasis(c.qprob(), rows, cols));
    },
    {{"rstatus", KIND_INT, -1, ARG_REQUIRED, -1}, {"cstatus", KIND_INT, -1, ARG_REQUIRED, -1}}};

/* The status lists must have one entry per row and per column. Statuses are
 * read as row and column indices are, so plain integers pass unchanged. */
static const WrapperSpec kLoadbasis{
    "OO", "Must provide argument rstatus, cstatus", CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAloadbasis(c.qprob(), c.in<int>(0), c.in<int>(1))); },
    {{"rstatus", KIND_ROW, 0, ARG_ARRAY | ARG_REQUIRED, -1}, {"cstatus", KIND_COL, 1, ARG_ARRAY | ARG_REQUIRED, -1}},
    wrapperOriginalSizes};

static const WrapperSpec kSetlogfile{
    "s", nullptr, CHECK_BEFORE, false, [](WrapperCall &c) { return c.done(QRVAsetlogfile(c.qprob(), c.slot[0].text)); },
    {{"filename", -1, -1, 0, -1}}};

static const WrapperSpec kSetprobname{
    "s", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAsetprobname(c.qprob(), c.slot[0].text)); }, {{"probname", -1, -1, 0, -1}}};

static const WrapperSpec kSetmessagestatus{
    "ii", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAsetmessagestatus(c.qprob(), c.slot[0].integer, c.slot[1].integer)); },
    {{"errcode", -1, -1, 0, -1}, {"status", -1, -1, 0, -1}}};

static const WrapperSpec kSetdefaults{
    "", nullptr, CHECK_BEFORE, false, [](WrapperCall &c) { return c.done(QRVAsetdefaults(c.qprob())); }, {}};

static const WrapperSpec kDumpcontrols{
    "", nullptr, CHECK_BEFORE, false, [](WrapperCall &c) { return c.done(QRVAdumpcontrols(c.qprob())); }, {}};

PyMethodDef problem_apiBasisMethods[] = {
    QRVA_WRAPPER("getbasis", kGetbasis,
                 QRVA_DOC("Reads the basis statuses of the rows and columns.", "p.getbasis(rstatus, cstatus)",
                          "rstatus: a list for one status per row; cstatus: one per column (0 at the lower bound, 1 "
                          "basic, 2 at the upper bound, 3 superbasic).",
                          "r, c = [], []\n  p.solve()\n  p.getbasis(r, c)",
                          "Both lists are cut or extended to the problem's rows and columns.",
                          "loadbasis, getlpsol")),
    QRVA_WRAPPER("loadbasis", kLoadbasis,
                 QRVA_DOC("Loads a starting basis.", "p.loadbasis(rstatus, cstatus)",
                          "rstatus: one status per row; cstatus: one per column, as getbasis gives them.",
                          "p.loadbasis(r, c)\n  p.solve()",
                          "The lists must have exactly as many entries as the problem has rows and columns.",
                          "getbasis, solve")),
    QRVA_WRAPPER("setlogfile", kSetlogfile,
                 QRVA_DOC("Also writes the problem's messages to a file.", "p.setlogfile(filename)",
                          "filename: the file; the empty string stops writing.", "p.setlogfile('run.log')",
                          "Messages still reach the registered handlers.", "setmessagestatus")),
    QRVA_WRAPPER("setprobname", kSetprobname,
                 QRVA_DOC("Renames the problem.", "p.setprobname(probname)", "probname: the new name.",
                          "p.setprobname('plan2')", "Files written afterwards carry the new name.", "name")),
    QRVA_WRAPPER("setmessagestatus", kSetmessagestatus,
                 QRVA_DOC("Shows or suppresses one message of the library.", "p.setmessagestatus(errcode, status)",
                          "errcode: the message's number; status: 1 show, 0 suppress.", "p.setmessagestatus(97, 0)",
                          "Only this problem's messages are affected.", "getmessagestatus")),
    QRVA_WRAPPER("setdefaults", kSetdefaults,
                 QRVA_DOC("Gives every control of the problem its default value back.", "p.setdefaults()", "None.",
                          "p.setdefaults()", "Module-wide values on quorva.controls are not library defaults.",
                          "setdefaultcontrol, setControl")),
    QRVA_WRAPPER("dumpcontrols", kDumpcontrols,
                 QRVA_DOC("Prints the controls that differ from their defaults as messages.", "p.dumpcontrols()",
                          "None.", "p.dumpcontrols()", "The messages go to the problem's handlers and log file.",
                          "setControl, getControl")),
    {nullptr, nullptr, 0, nullptr},
};
