/* Library-named methods of the irreducible infeasible subsystems: the
 * search, the list's sizes and data, isolations and files. */
#include "api/wrapper.h"
#include "module/docs.h"

static PyObject *statusOf(int rc, int status) { return rc == 0 ? PyLong_FromLong(status) : nullptr; }

static const WrapperSpec kIisfirst{
    "i", nullptr, CHECK_BEFORE, true,
    [](WrapperCall &c) {
      int status = 0;
      int rc = QRVAiisfirst(c.qprob(), c.slot[0].integer, &status);
      return statusOf(rc, status);
    },
    {{"iismode", -1, -1, 0, -1}}};

static const WrapperSpec kIisnext{"", nullptr, CHECK_BEFORE, true,
                                  [](WrapperCall &c) {
                                    int status = 0;
                                    int rc = QRVAiisnext(c.qprob(), &status);
                                    return statusOf(rc, status);
                                  },
                                  {}};

static const WrapperSpec kIisall{
    "", nullptr, CHECK_BEFORE, true, [](WrapperCall &c) { return c.done(QRVAiisall(c.qprob())); }, {}};
static const WrapperSpec kIisclear{
    "", nullptr, CHECK_BEFORE, false, [](WrapperCall &c) { return c.done(QRVAiisclear(c.qprob())); }, {}};
static const WrapperSpec kIisisolations{
    "i", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) { return c.done(QRVAiisisolations(c.qprob(), c.slot[0].integer)); }, {{"num", -1, -1, 0, -1}}};
static const WrapperSpec kIiswrite{
    "isis", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) {
      return c.done(QRVAiiswrite(c.qprob(), c.slot[0].integer, c.slot[1].text, c.slot[2].integer, c.slot[3].text));
    },
    {{"num", -1, -1, 0, -1}, {"fn", -1, -1, 0, -1}, {"type", -1, -1, 0, -1}, {"typeflags", -1, -1, 0, -1}}};

/* The count first; k = 0 leaves the lists alone. */
static const WrapperSpec kIisstatus{
    "OOOO", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      int k = 0;
      if (QRVAiisstatus(c.qprob(), &k, nullptr, nullptr, nullptr, nullptr) != 0) return nullptr;
      if (k == 0) return newNone();
      bool failed = false;
      int *rows = c.out<int>(0, k + 1, &failed), *cols = c.out<int>(1, k + 1, &failed);
      double *sum = c.out<double>(2, k + 1, &failed);
      int *num = c.out<int>(3, k + 1, &failed);
      if (failed || QRVAiisstatus(c.qprob(), &k, rows, cols, sum, num) != 0) return nullptr;
      return PyLong_FromLong(k);
    },
    {{"rowsizes", KIND_INT, -1, ARG_OUTPUT, -1},
     {"colsizes", KIND_INT, -1, ARG_OUTPUT, -1},
     {"suminfeas", KIND_DOUBLE, -1, ARG_OUTPUT, -1},
     {"numinfeas", KIND_INT, -1, ARG_OUTPUT, -1}}};

static const WrapperSpec kGetiisdata{
    "i|OOOOOOOO", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      int num = c.slot[0].integer, r = 0, n = 0;
      if (QRVAgetiisdata(c.qprob(), num, &r, &n, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr) != 0)
        return nullptr;
      if (r == 0 && n == 0) return newNone();
      bool failed = false;
      int *rows = c.out<int>(1, r, &failed), *cols = c.out<int>(2, n, &failed);
      char *rowtype = c.out<char>(3, r, &failed), *bound = c.out<char>(4, n, &failed);
      double *duals = c.out<double>(5, r, &failed), *rdcs = c.out<double>(6, n, &failed);
      char *isorows = c.out<char>(7, r, &failed), *isocols = c.out<char>(8, n, &failed);
      if (failed) return nullptr;
      return c.done(QRVAgetiisdata(c.qprob(), num, &r, &n, rows, cols, rowtype, bound, duals, rdcs, isorows, isocols));
    },
    {{"num", -1, -1, 0, -1},
     {"miisrow", KIND_ROW, -1, ARG_OUTPUT, -1},
     {"miiscol", KIND_COL, -1, ARG_OUTPUT, -1},
     {"constrainttype", KIND_CHAR, -1, ARG_OUTPUT, -1},
     {"colbndtype", KIND_CHAR, -1, ARG_OUTPUT, -1},
     {"duals", KIND_DOUBLE, -1, ARG_OUTPUT, -1},
     {"rdcs", KIND_DOUBLE, -1, ARG_OUTPUT, -1},
     {"isolationrows", KIND_CHARNUM, -1, ARG_OUTPUT, -1},
     {"isolationcols", KIND_CHARNUM, -1, ARG_OUTPUT, -1}}};

PyMethodDef problem_apiIisMethods[] = {
    QRVA_WRAPPER("iisfirst", kIisfirst,
                 QRVA_DOC("Finds a first irreducible infeasible subsystem (IIS).", "p.iisfirst(iismode)",
                          "iismode: 0 irreducible (deletion filter), 1 fast (the rows and bounds of one "
                          "infeasibility certificate, not always irreducible).",
                          "if p.iisfirst(0) == 0:\n      p.iiswrite(1, 'conflict.lp', 0, 'l')",
                          "Returns 0 when one was found, 1 when the problem is feasible, 2 when the time limit "
                          "or an interrupt came first. The list of subsystems starts afresh.",
                          "iisnext, iisall, getiisdata, iisstatus")),
    QRVA_WRAPPER("iisnext", kIisnext,
                 QRVA_DOC("Finds a further subsystem, different from each one found.", "p.iisnext()", "None.",
                          "while p.iisnext() == 0:\n      pass",
                          "Returns 0 when one was found, 1 when there is none left, 2 when stopped first.",
                          "iisfirst, iisall")),
    QRVA_WRAPPER("iisall", kIisall,
                 QRVA_DOC("Finds every subsystem.", "p.iisall()", "None.", "p.iisall()\n  n = p.iisstatus([], [], [], [])",
                          "Starts with iisfirst in the irreducible mode when nothing was found yet.",
                          "iisfirst, iisnext, iisstatus")),
    QRVA_WRAPPER("iisclear", kIisclear,
                 QRVA_DOC("Forgets the subsystems found.", "p.iisclear()", "None.", "p.iisclear()",
                          "Changes of rows, bounds or matrix forget them too.", "iisfirst")),
    QRVA_WRAPPER("iisisolations", kIisisolations,
                 QRVA_DOC("Marks the members of a subsystem that belong to no other one found.", "p.iisisolations(num)",
                          "num: the subsystem, from 1.", "p.iisall()\n  p.iisisolations(1)",
                          "getiisdata then reports the flags (1 isolated, 0 not, -1 not computed).", "getiisdata")),
    QRVA_WRAPPER("iiswrite", kIiswrite,
                 QRVA_DOC("Writes a subsystem to a file.", "p.iiswrite(num, fn, type, typeflags)",
                          "num: the subsystem, from 1; fn: the file; type: 0 a problem file, 1 a CSV list; "
                          "typeflags: for a problem file, 'l' writes LP, else MPS (as writeprob).",
                          "p.iiswrite(1, 'iis.mps', 0, '')",
                          "The problem file is itself infeasible: the subsystem's rows, the columns they use and "
                          "only the subsystem's bounds.",
                          "getiisdata, writeprob")),
    QRVA_WRAPPER("iisstatus", kIisstatus,
                 QRVA_DOC("Gives the number and sizes of the subsystems found.",
                          "p.iisstatus(rowsizes, colsizes, suminfeas, numinfeas)",
                          "Lists for, per subsystem: its rows, its columns, the least total violation of its "
                          "rows and bounds, and how many of them that breaks. Entry 0 is unused.",
                          "r, c, s, n = [], [], [], []\n  k = p.iisstatus(r, c, s, n)",
                          "Returns the count, or None (the lists left alone) when none was found.",
                          "iisfirst, getiisdata")),
    QRVA_WRAPPER("getiisdata", kGetiisdata,
                 QRVA_DOC("Reads one subsystem.",
                          "p.getiisdata(num, miisrow, miiscol, constrainttype, colbndtype, duals, rdcs, "
                          "isolationrows, isolationcols)",
                          "num: the subsystem, from 1; lists for its rows and columns (as objects), the rows' "
                          "types, the columns' bounds in it ('L', 'U', 'B' both), the certificate's row "
                          "multipliers and column values, and isolation flags as strings.",
                          "rows, cols = [], []\n  p.getiisdata(1, rows, cols)",
                          "Returns None; lists not passed are skipped.", "iisfirst, iisisolations")),
    {nullptr, nullptr, 0, nullptr},
};
