/* SLP-named methods of quorva.problem for the nonlinear solver's
 * multistart: jobs of initial values and control settings, presets that
 * stand for several jobs, and their removal. The library holds each job's
 * object as a plain pointer and hands it back to the msjobstart, msjobend
 * and mswinner callbacks; the problem's msjobs list holds the references
 * until msclear or the problem's end. */
#include "api/wrapper.h"
#include "module/docs.h"
#include "module/env.h"
#include "module/errors.h"
#include "problem/controls.h"

#include <climits>
#include <vector>

static QSLPprob slpOf(const WrapperCall &c) { return c.problem->slpprob; }

/* The control settings of a job, split by type as the library takes them. */
struct JobControls {
  std::vector<int> intIds, intValues, dblIds;
  std::vector<double> dblValues;
};

static int readJobControls(PyObject *control, JobControls &out) {
  if (!PyDict_Check(control))
    return WrapperCall::interfaceError(
               "Incorrect argument 'control' in msaddcustompreset/msaddjob: must be a dictionary"),
           -1;
  /* A snapshot: converting a value may run Python code that changes the dict. */
  PyRef items(PyDict_Items(control));
  if (!items) return -1;
  for (Py_ssize_t k = 0; k < PyList_GET_SIZE(items.get()); ++k) {
    PyObject *item = PyList_GET_ITEM(items.get(), k);
    PyObject *key = PyTuple_GET_ITEM(item, 0), *value = PyTuple_GET_ITEM(item, 1);
    if (!PyUnicode_Check(key))
      return WrapperCall::interfaceError(
                 "Incorrect key in parameter 'control' (all keys must be strings) of msaddcustompreset/msaddjob"),
             -1;
    int identifier = 0, type = 0, library = 0;
    if (!control_lookup(key, &identifier, &type, &library)) {
      PyErr_Format(qpy_interf_exc, "Unknown control %S in msaddcustompreset/msaddjob", key);
      return -1;
    }
    if (type != QRVA_PY_TYPE_INT && type != QRVA_PY_TYPE_DBL)
      return WrapperCall::interfaceError("Only integer and double controls allowed in msaddcustompreset/msaddjob"),
             -1;
    if (check_setCtrl(type, value) != 0) return -1;
    if (type == QRVA_PY_TYPE_INT) {
      PyRef number(PyNumber_Index(value));
      long v = number ? PyLong_AsLong(number.get()) : -1;
      if (v == -1 && PyErr_Occurred()) return -1;
      if (v < INT_MIN || v > INT_MAX) {
        PyErr_Format(PyExc_OverflowError, "Value %ld of control %S does not fit an int", v, key);
        return -1;
      }
      out.intIds.push_back(identifier), out.intValues.push_back((int)v);
    } else {
      double v = PyFloat_AsDouble(value);
      if (v == -1.0 && PyErr_Occurred()) return -1;
      out.dblIds.push_back(identifier), out.dblValues.push_back(v);
    }
  }
  return 0;
}

/* Jobs live with the problem itself: a callback's view (whose library
 * problem may be a job's copy) and a problem being solved take none. */
static int jobsMayChange(WrapperCall &c, const char *method) {
  if (c.problem->view != PROBLEM_OWN) {
    PyErr_Format(qpy_interf_exc, "%s cannot be called on the problem a callback is given", method);
    return -1;
  }
  if (c.problem->solving) {
    PyErr_Format(qpy_interf_exc, "%s cannot be called while the problem is being solved", method);
    return -1;
  }
  return 0;
}

/* Adds a job through add(): its object joins msjobs first, so that the
 * library never holds an object nobody references; a refusal takes it out. */
template <class Add>
static PyObject *addJob(WrapperCall &c, const char *method, PyObject *object, Add add) {
  if (jobsMayChange(c, method) != 0) return nullptr;
  problem_s *p = c.problem;
  if (!p->msjobs && !(p->msjobs = PyList_New(0))) return nullptr;
  if (PyList_Append(p->msjobs, object) != 0) return nullptr;
  int rc = add();
  if (rc != 0) {
    Py_ssize_t n = PyList_GET_SIZE(p->msjobs);
    PyList_SetSlice(p->msjobs, n - 1, n, nullptr);
    return nullptr;
  }
  return newNone();
}

/* msaddjob and msaddcustompreset (msaddwrapper): preset < 0 for a job. */
static PyObject *msaddwrapper(WrapperCall &c, int first, const char *method, bool preset) {
  JobControls controls;
  if (readJobControls(c.object(first + 2), controls) != 0) return nullptr;
  const char *description = c.slot[0].text;
  PyObject *object = c.object(first + 3);
  int n = c.n(0);
  const int *cols = c.in<int>(first);
  const double *values = c.in<double>(first + 1);
  return addJob(c, method, object, [&] {
    if (!preset)
      return QSLPmsaddjob(slpOf(c), description, n, cols, values, (int)controls.intIds.size(),
                          controls.intIds.data(), controls.intValues.data(), (int)controls.dblIds.size(),
                          controls.dblIds.data(), controls.dblValues.data(), object);
    return QSLPmsaddcustompreset(slpOf(c), description, c.slot[1].integer, c.slot[2].integer, n, cols, values,
                                 (int)controls.intIds.size(), controls.intIds.data(), controls.intValues.data(),
                                 (int)controls.dblIds.size(), controls.dblIds.data(), controls.dblValues.data(),
                                 object);
  });
}

/* The arguments msaddjob and msaddcustompreset share, after their own. */
#define MS_JOB_ARGS                                                                                   \
  {"ivcols", KIND_COL, 0, ARG_ARRAY, -1}, {"ivvalues", KIND_DOUBLE, 0, ARG_ARRAY, -1},               \
      {"control", -1, -1, 0, -1}, {"job_object", -1, -1, 0, -1}

static const WrapperSpec kMsaddjob{"sOOOO", "Incorrect arguments in msaddjob", CHECK_BEFORE_PARSED, true,
                                   [](WrapperCall &c) { return msaddwrapper(c, 1, "msaddjob", false); },
                                   {{"description", -1, -1, 0, -1}, MS_JOB_ARGS}};

static const WrapperSpec kMsaddcustompreset{
    "siiOOOO", "Incorrect arguments in msaddcustompreset", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) { return msaddwrapper(c, 3, "msaddcustompreset", true); },
    {{"description", -1, -1, 0, -1}, {"preset", -1, -1, 0, -1}, {"count", -1, -1, 0, -1}, MS_JOB_ARGS}};

static const WrapperSpec kMsaddpreset{
    "siiO", "Incorrect arguments in msaddpreset", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      PyObject *object = c.object(3);
      return addJob(c, "msaddpreset", object, [&] {
        return QSLPmsaddpreset(slpOf(c), c.slot[0].text, c.slot[1].integer, c.slot[2].integer, object);
      });
    },
    {{"description", -1, -1, 0, -1}, {"preset", -1, -1, 0, -1}, {"count", -1, -1, 0, -1}, {"job_object", -1, -1, 0, -1}}};

static const WrapperSpec kMsclear{"", nullptr, CHECK_BEFORE, false, [](WrapperCall &c) -> PyObject * {
                                    if (jobsMayChange(c, "msclear") != 0) return nullptr;
                                    if (QSLPmsclear(slpOf(c)) != 0) return nullptr;
                                    Py_CLEAR(c.problem->msjobs);
                                    return newNone();
                                  },
                                  {}};

#define MS_JOB_RUN                                                                                              \
  "Jobs run when solve() or nlpoptimize() solves a problem with nonlinear content: each on its own copy of "   \
  "the problem, on slpthreads workers (0 and 1: one after the other). Callbacks msjobstart (a non-zero "       \
  "result skips the job) and msjobend (a non-zero result discards its result) get the job's copy, its "        \
  "object and its name; the best feasible result (objective, then infeasibility) becomes the problem's "        \
  "solution and mswinner is called for it. Jobs stay until msclear; copy() and problem files do not take "     \
  "them."

#define MS_PRESETS                                                                                              \
  "preset: msset_initialvalues (points drawn within the bounds), msset_initialfiltered (the least infeasible " \
  "of ten times as many), msset_solvers (with and without the quasi-Newton term; count 1 or 2), "              \
  "msset_slp_basic (points around the initial point), msset_slp_extended (those with varied penalty costs "    \
  "and second order); the presets of other solvers are refused. count: the preset's jobs, named "              \
  "'<description> #k'."

PyMethodDef problem_slpMultistartMethods[] = {
    QRVA_WRAPPER("msaddjob", kMsaddjob,
                 QRVA_DOC("Adds a multistart job: initial values and control settings for one solve.",
                          "p.msaddjob(description, ivcols, ivvalues, control, job_object)",
                          "description: the job's name; ivcols, ivvalues: columns (indices, names or variables) "
                          "and their initial values; control: a dict of control names and int or float values; "
                          "job_object: any object, handed back to the multistart callbacks.",
                          "p.msaddjob('from the corner', [x, y], [4.0, 4.0], {'slpiterlimit': 200}, None)",
                          MS_JOB_RUN, "msaddpreset, msaddcustompreset, msclear, setcbmsjobstart")),
    QRVA_WRAPPER("msaddpreset", kMsaddpreset,
                 QRVA_DOC("Adds the multistart jobs of a preset.", "p.msaddpreset(description, preset, count, job_object)",
                          MS_PRESETS " job_object: any object, handed back to the multistart callbacks.",
                          "p.msaddpreset('random', quorva.msset_initialvalues, 20, None)",
                          MS_JOB_RUN " Random points come from the control randomseed: the same seed gives the "
                                     "same jobs whatever the number of threads.",
                          "msaddjob, msaddcustompreset, msclear")),
    QRVA_WRAPPER("msaddcustompreset", kMsaddcustompreset,
                 QRVA_DOC("Adds the multistart jobs of a preset with initial values and controls of its own.",
                          "p.msaddcustompreset(description, preset, count, ivcols, ivvalues, control, job_object)",
                          MS_PRESETS " ivcols, ivvalues, control: as for msaddjob, set on every job after the "
                                     "preset's own. job_object: any object, handed back to the callbacks.",
                          "p.msaddcustompreset('random', quorva.msset_initialvalues, 10, [], [], "
                          "{'slpfeastol': 1e-7}, None)",
                          MS_JOB_RUN, "msaddjob, msaddpreset, msclear")),
    QRVA_WRAPPER("msclear", kMsclear,
                 QRVA_DOC("Removes every multistart job.", "p.msclear()", "None.", "p.msclear()",
                          "The next solve is a single one again; the jobs' objects are let go.",
                          "msaddjob, msaddpreset")),
    {nullptr, nullptr, 0, nullptr}};
