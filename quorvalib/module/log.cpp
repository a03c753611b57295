/* The default log through Python's streams. The library prints a problem's
 * messages to the process's standard output (errors and warnings to standard
 * error). Where sys.stdout is something else, a notebook cell or a captured
 * stream, those lines would never reach the user: the module's printer then
 * writes each message as one line to sys.stdout (sys.stderr), so that it
 * comes in order with the user's own prints. Where sys.stdout is the
 * process's standard output, Python's buffer is flushed first and the line
 * goes to the C stream as before. The printer runs in the solving thread and
 * takes the interpreter lock there. */
#include "module/log.h"

#include "module/pyref.h"
#include "module/qrvalibs.h"

#include <cstdio>
#include <unistd.h>

namespace {

/* True when `stream` writes to file descriptor `fd` of the process. */
bool writesTo(PyObject *stream, int fd) {
  PyRef number(PyObject_CallMethod(stream, "fileno", nullptr));
  if (!number) {
    PyErr_Clear(); /* a stream without a descriptor: not the process's */
    return false;
  }
  long value = PyLong_AsLong(number.get());
  PyErr_Clear();
  return value == fd;
}

/* One message to sys.stdout or sys.stderr, with the interpreter lock held. */
void printLine(const char *msg, int msglen, bool info) {
  PyObject *stream = PySys_GetObject(info ? "stdout" : "stderr"); /* borrowed */
  if (!stream || stream == Py_None) return; /* as print() does without a stream */
  if (writesTo(stream, info ? STDOUT_FILENO : STDERR_FILENO)) {
    PyRef flushed(PyObject_CallMethod(stream, "flush", nullptr));
    PyErr_Clear();
    std::FILE *out = info ? stdout : stderr;
    std::fprintf(out, "%.*s\n", msglen, msg);
    std::fflush(out);
    return;
  }
  /* The whole line in one write, so that lines of other threads do not
   * interleave with it. */
  PyRef line(PyUnicode_DecodeUTF8(msg, msglen, "replace"));
  PyRef newline(line ? PyUnicode_FromString("\n") : nullptr);
  PyRef text(newline ? PyUnicode_Concat(line.get(), newline.get()) : nullptr);
  PyRef written(text ? PyObject_CallMethod(stream, "write", "O", text.get()) : nullptr);
  if (!written) PyErr_WriteUnraisable(stream);
}

int printMessage(QRVAobject, void *, void *, const char *msg, int msglen, int msgtype) {
  if (!Py_IsInitialized()) return 0;
  PyGILState_STATE state = PyGILState_Ensure();
  {
    /* A pending exception of the thread stays as it was. */
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    printLine(msg, msglen, msgtype == QRVA_MSG_INFO);
    PyErr_Restore(type, value, traceback);
  }
  PyGILState_Release(state);
  return 0;
}

}  // namespace

void routeDefaultLog() { QRVAsetprintfunction(printMessage, nullptr); }

void restoreDefaultLog() { QRVAsetprintfunction(nullptr, nullptr); }
