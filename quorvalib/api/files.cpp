/* Library-named methods that read and write basis and solution files. The
 * library reads and writes the files; the strings pass unchanged. */
#include "api/wrapper.h"
#include "module/docs.h"
#include "problem/problem.h"

typedef int (*FileCall)(QRVAprob, const char *, const char *);

template <FileCall F>
static PyObject *fileBody(WrapperCall &c) {
  return c.done(F(c.qprob(), c.slot[0].text, c.slot[1].text));
}

#define FILE_SPEC(name, format, fn)                                                      \
  static const WrapperSpec name{format, nullptr, CHECK_BEFORE, true, fileBody<fn>, \
                                {{"filename", -1, -1, 0, -1}, {"flags", -1, -1, 0, -1}}};

FILE_SPEC(kReadbasis, "s|s", QRVAreadbasis)
FILE_SPEC(kWritebasis, "|ss", QRVAwritebasis)
FILE_SPEC(kReadbinsol, "s|s", QRVAreadbinsol)
FILE_SPEC(kReadslxsol, "s|s", QRVAreadslxsol)
FILE_SPEC(kWritebinsol, "s|s", QRVAwritebinsol)
FILE_SPEC(kWriteslxsol, "s|s", QRVAwriteslxsol)
FILE_SPEC(kWritesol, "s|s", QRVAwritesol)
FILE_SPEC(kWriteprtsol, "s|s", QRVAwriteprtsol)

static const WrapperSpec kSave{"", nullptr, CHECK_BEFORE, true,
                               [](WrapperCall &c) { return c.done(QRVAsave(c.qprob())); }, {}};
/* The problem's objects are made anew from the restored problem, as after
 * read; a refused file leaves both as they were. */
static const WrapperSpec kRestore{
    "s|s", nullptr, CHECK_BEFORE, false,
    [](WrapperCall &c) -> PyObject * {
      if (QRVArestore(c.qprob(), c.slot[0].text, c.slot[1].text) != 0 || problem_objectsFromLibrary(c.problem) != 0)
        return nullptr;
      return newNone();
    },
    {{"probname", -1, -1, 0, -1}, {"flags", -1, -1, 0, -1}}};

#define FILE_ARGS "filename: the file (an extension is added to a name without one); flags: none are defined yet."

PyMethodDef problem_apiFileMethods[] = {
    QRVA_WRAPPER("readbasis", kReadbasis,
                 QRVA_DOC("Reads a starting basis from an MPS basis file.", "p.readbasis(filename, flags='')",
                          FILE_ARGS " '.bss' is the extension added.", "p.readbasis('plan')\n  p.solve()",
                          "Records XU, XL (a column basic, a row leaving at its upper or lower limit), UL and LL (a "
                          "column at its upper or lower bound), then ENDATA; names are those of the problem. A bad "
                          "file leaves the basis as it was.",
                          "writebasis, loadbasis")),
    QRVA_WRAPPER("writebasis", kWritebasis,
                 QRVA_DOC("Writes the current basis as an MPS basis file.", "p.writebasis(filename='', flags='')",
                          FILE_ARGS " Without a name the problem's name is used, with '.bss'.",
                          "p.solve()\n  p.writebasis('plan')", "readbasis reads it back, as do other solvers.",
                          "readbasis, getbasis")),
    QRVA_WRAPPER("writesol", kWritesol,
                 QRVA_DOC("Writes the solution as comma-separated values.", "p.writesol(filename, flags='')",
                          FILE_ARGS " '.csv' is the extension added.", "p.solve()\n  p.writesol('plan')",
                          "A header line kind,index,name,value,slack,dual, then one line per row (activity, slack "
                          "and dual value) and per column (value and reduced cost).",
                          "writeprtsol, getlpsol")),
    QRVA_WRAPPER("writeprtsol", kWriteprtsol,
                 QRVA_DOC("Writes a readable report of the solution.", "p.writeprtsol(filename, flags='')",
                          FILE_ARGS " '.prt' is the extension added.", "p.solve()\n  p.writeprtsol('plan')",
                          "The report gives the status and objective, then a table of rows and one of columns.",
                          "writesol")),
    QRVA_WRAPPER("writeslxsol", kWriteslxsol,
                 QRVA_DOC("Writes the solution's column values as a text solution file.",
                          "p.writeslxsol(filename, flags='')", FILE_ARGS " '.slx' is the extension added.",
                          "p.solve()\n  p.writeslxsol('plan')",
                          "A line NAME, one line 'C name value' per column, then ENDATA.", "readslxsol")),
    QRVA_WRAPPER("readslxsol", kReadslxsol,
                 QRVA_DOC("Reads a text solution file as a starting solution for the next MIP solve.",
                          "p.readslxsol(filename, flags='')", FILE_ARGS " '.slx' is the extension added.",
                          "p.readslxsol('plan')\n  p.solve()",
                          "Columns the file leaves out are left to the solve; an unknown name or a bad line "
                          "changes nothing.",
                          "writeslxsol, addmipsol")),
    QRVA_WRAPPER("writebinsol", kWritebinsol,
                 QRVA_DOC("Writes the whole solution to a binary file.", "p.writebinsol(filename, flags='')",
                          FILE_ARGS " '.bsol' is the extension added.", "p.solve()\n  p.writebinsol('plan')",
                          "The file holds the sizes, statuses, objectives, values, slacks, duals and reduced costs, "
                          "and a check sum.",
                          "readbinsol")),
    QRVA_WRAPPER("readbinsol", kReadbinsol,
                 QRVA_DOC("Reads a solution written by writebinsol as the problem's solution.",
                          "p.readbinsol(filename, flags='')", FILE_ARGS " '.bsol' is the extension added.",
                          "p.readbinsol('plan')\n  print(p.getSolution())",
                          "A file of another problem size, of another version, damaged or truncated is refused and "
                          "the solution stays as it was.",
                          "writebinsol, getlpsol")),
    QRVA_WRAPPER("save", kSave,
                 QRVA_DOC("Saves the whole library problem to a file named after it.", "p.save()", "None.",
                          "p.save()\n  q.restore(p.name)",
                          "The file '<name>.svf' in the working directory holds the matrix, names, controls, basis, "
                          "solution, statuses, directives and the nonlinear part.",
                          "restore, write")),
    QRVA_WRAPPER("restore", kRestore,
                 QRVA_DOC("Makes the library problem the one saved under a name.", "p.restore(probname, flags='')",
                          "probname: the name the problem was saved under; flags: none are defined yet.",
                          "p.restore('plan')\n  p.solve()",
                          "A file of another format version, damaged or truncated is refused and the problem stays "
                          "as it was. User functions the formulas call must be defined on the problem first.",
                          "save, read")),
    {nullptr, nullptr, 0, nullptr},
};
