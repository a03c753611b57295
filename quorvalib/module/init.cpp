/* Initialisation of the module quorvalib: the classes, the exceptions, the
 * control and attribute tables, NumPy's interface and comparisons, the
 * constants and the module-wide controls object; and the module's free
 * function, which undoes what initialisation did to NumPy. */
#include "model/algebra_hooks.h"
#include "model/constraint.h"
#include "model/types.h"
#include "model/varfamily.h"
#include "model/vectors.h"
#include "module/boundary.h"
#include "module/env.h"
#include "module/log.h"
#include "module/errors.h"
#include "module/modfuncs.h"
#include "module/numpy_api.h"
#include "module/testhooks.h"
#include "nonlinear/convert.h"
#include "nonlinear/nonlinear.h"
#include "problem/controls.h"

#include <cmath>
#include <vector>

namespace {

struct Constant {
  const char *name;
  double value;
  bool is_float;
};

/* The module's constants, in the order they are added. */
const Constant kConstants[] = {
    {"continuous", 0, false}, {"binary", 1, false}, {"integer", 2, false}, {"semicontinuous", 3, false},
    {"semiinteger", 4, false}, {"partiallyinteger", 5, false},
    {"minimize", 1, false}, {"maximize", -1, false},
    {"leq", 1, false}, {"geq", 2, false}, {"eq", 3, false}, {"range", 4, false},
    {"infinity", QRVA_INFINITY, true},
    {"solinfo_absprimalinfeas", 0, false}, {"solinfo_relprimalinfeas", 1, false},
    {"solinfo_absdualinfeas", 2, false}, {"solinfo_reldualinfeas", 3, false},
    {"solinfo_maxmipfractional", 4, false},
    {"basis_nonbasic_lower", 0, false}, {"basis_basic", 1, false}, {"basis_nonbasic_upper", 2, false},
    {"basis_superbasic", 3, false},
    {"lp_unstarted", QRVA_LP_UNSTARTED, false}, {"lp_optimal", QRVA_LP_OPTIMAL, false},
    {"lp_infeas", QRVA_LP_INFEAS, false}, {"lp_cutoff", QRVA_LP_CUTOFF, false},
    {"lp_unfinished", QRVA_LP_UNFINISHED, false}, {"lp_unbounded", QRVA_LP_UNBOUNDED, false},
    {"lp_cutoff_in_dual", QRVA_LP_CUTOFF_IN_DUAL, false}, {"lp_unsolved", QRVA_LP_UNSOLVED, false},
    {"lp_nonconvex", QRVA_LP_NONCONVEX, false},
    {"mip_not_loaded", QRVA_MIP_NOT_LOADED, false}, {"mip_lp_not_optimal", QRVA_MIP_LP_NOT_OPTIMAL, false},
    {"mip_lp_optimal", QRVA_MIP_LP_OPTIMAL, false}, {"mip_no_sol_found", QRVA_MIP_NO_SOL_FOUND, false},
    {"mip_solution", QRVA_MIP_SOLUTION, false}, {"mip_infeas", QRVA_MIP_INFEAS, false},
    {"mip_optimal", QRVA_MIP_OPTIMAL, false}, {"mip_unbounded", QRVA_MIP_UNBOUNDED, false},
    {"nlp_unstarted", QSLP_NLP_UNSTARTED, false}, {"nlp_solution", QSLP_NLP_LOCALLY_OPTIMAL, false},
    {"nlp_locally_optimal", QSLP_NLP_LOCALLY_OPTIMAL, false},
    {"nlp_globally_optimal", QSLP_NLP_GLOBALLY_OPTIMAL, false},
    {"nlp_locally_infeasible", QSLP_NLP_LOCALLY_INFEASIBLE, false},
    {"nlp_infeasible", QSLP_NLP_INFEASIBLE, false}, {"nlp_unbounded", QSLP_NLP_UNBOUNDED, false},
    {"nlp_unfinished", QSLP_NLP_UNFINISHED, false},
    {"stop_timelimit", QRVA_STOP_TIMELIMIT, false}, {"stop_ctrlc", QRVA_STOP_CTRLC, false},
    {"stop_nodelimit", QRVA_STOP_NODELIMIT, false}, {"stop_iterlimit", QRVA_STOP_ITERLIMIT, false},
    {"stop_mipgap", QRVA_STOP_MIPGAP, false}, {"stop_sollimit", QRVA_STOP_SOLLIMIT, false},
    {"stop_user", QRVA_STOP_USER, false},
    {"type_notdefined", QRVA_TYPE_NOTDEFINED, false}, {"type_int", QRVA_TYPE_INT, false},
    {"type_int64", QRVA_TYPE_INT64, false}, {"type_double", QRVA_TYPE_DOUBLE, false},
    {"type_string", QRVA_TYPE_STRING, false},
    {"colinfo_value", 1, false}, {"colinfo_rdj", 2, false}, {"colinfo_deltaindex", 3, false},
    {"colinfo_delta", 4, false}, {"colinfo_deltadj", 5, false}, {"colinfo_updaterow", 6, false},
    {"colinfo_sb", 7, false}, {"colinfo_sbdual", 8, false},
    {"rowinfo_slack", 1, false}, {"rowinfo_dual", 2, false}, {"rowinfo_numpenaltyerrors", 3, false},
    {"rowinfo_maxpenaltyerror", 4, false}, {"rowinfo_totalpenaltyerror", 5, false},
    {"rowinfo_currentpenaltyerror", 6, false}, {"rowinfo_currentpenaltyfactor", 7, false},
    {"rowinfo_penaltycolumnplus", 8, false}, {"rowinfo_penaltycolumnplusvalue", 9, false},
    {"rowinfo_penaltycolumnplusdj", 10, false}, {"rowinfo_penaltycolumnminus", 11, false},
    {"rowinfo_penaltycolumnminusvalue", 12, false}, {"rowinfo_penaltycolumnminusdj", 13, false},
    {"msset_initialvalues", 0, false}, {"msset_initialfiltered", 6, false}, {"msset_solvers", 1, false},
    {"msset_slp_basic", 2, false}, {"msset_slp_extended", 3, false}, {"msset_knitro_basic", 4, false},
    {"msset_knitro_extended", 5, false},
};

/* The fourteen classes, in the order they are made ready. */
struct ClassEntry {
  PyTypeObject *type;
  void (*prepare)();
};
const ClassEntry kClasses[] = {
    {&quorva_varType, var_prepareType},
    {&quorva_sosType, sos_prepareType},
    {&quorva_expressionType, expression_prepareType},
    {&quorva_constraintType, constraint_prepareType},
    {&quorva_controlType, controls_prepareTypes},
    {&quorva_attributeType, nullptr}, /* prepared with control */
    {&quorva_problemType, problem_prepareType},
    {&quorva_branchobjType, branchobj_prepareType},
    {&quorva_poolcutType, handles_prepareTypes},
    {&quorva_qrvaobjectType, nullptr}, /* prepared with poolcut */
    {&quorva_genericType, nullptr},
    {&quorva_lintermType, linterm_prepareType},
    {&quorva_quadtermType, quadterm_prepareType},
    {&quorva_nonlinearType, nonlinear_prepareType},
};

/* The classes added to the module by name, in order. */
struct NamedClass {
  const char *name;
  PyTypeObject *type;
};
const NamedClass kNamedClasses[] = {
    {"var", &quorva_varType},         {"sos", &quorva_sosType},           {"constraint", &quorva_constraintType},
    {"problem", &quorva_problemType}, {"branchobj", &quorva_branchobjType}, {"poolcut", &quorva_poolcutType},
};

/* Module functions of every family, gathered into one table. */
PyMethodDef *const kMethodFamilies[] = {quorvamod_envMethods, quorvamod_testMethods, quorvamod_algebraTestMethods,
                                        quorvamod_nonlinearMethods, quorvamod_constraintTestMethods,
                                        quorvamod_vectorMethods,    quorvamod_varsMethods,
                                        quorvamod_formulaTestMethods};
std::vector<PyMethodDef> moduleMethods;

PyModuleDef quorvaModule = {
    PyModuleDef_HEAD_INIT,
    "quorvalib",
    "Creating, solving, querying and handling optimization problems",
    -1,
    nullptr, /* filled from kMethodFamilies */
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

void releaseEnvironmentRecord() {
  Py_CLEAR(qrv_py_env.controls);
  Py_CLEAR(qrv_py_env.control_defaults);
  Py_CLEAR(qrv_py_env.control_table);
  Py_CLEAR(qrv_py_env.attribute_table);
  forgetMsgHandlers();
  Py_CLEAR(qrv_py_env.msghandlers);
}

int readyClasses() {
  for (const ClassEntry &entry : kClasses) {
    if (entry.prepare) entry.prepare();
  }
  for (const ClassEntry &entry : kClasses) {
    entry.type->tp_new = PyType_GenericNew;
    if (PyType_Ready(entry.type) < 0) return -1;
  }
  return 0;
}

int createExceptions() {
  qpy_model_exc = PyErr_NewException("quorva.ModelError", nullptr, nullptr);
  qpy_interf_exc = PyErr_NewException("quorva.InterfaceError", nullptr, nullptr);
  qpy_solver_exc = PyErr_NewException("quorva.SolverError", nullptr, nullptr);
  if (!qpy_model_exc || !qpy_interf_exc || !qpy_solver_exc) return -1;
  PyRef bases(PyTuple_Pack(2, qpy_model_exc, PyExc_AttributeError));
  if (!bases) return -1;
  qpy_unknown_name_exc = PyErr_NewException("quorva.UnknownNameError", bases.get(), nullptr);
  return qpy_unknown_name_exc ? 0 : -1;
}

/* Adds an object under a name; the module takes a reference of its own. */
int addObject(PyObject *module, const char *name, PyObject *object) {
  Py_INCREF(object);
  if (PyModule_AddObject(module, name, object) != 0) {
    Py_DECREF(object);
    return -1;
  }
  return 0;
}

int fillModule(PyObject *module) {
  for (const NamedClass &named : kNamedClasses)
    if (addObject(module, named.name, (PyObject *)named.type) != 0) return -1;
  if (addObject(module, "ModelError", qpy_model_exc) != 0 ||
      addObject(module, "InterfaceError", qpy_interf_exc) != 0 ||
      addObject(module, "SolverError", qpy_solver_exc) != 0 ||
      addObject(module, "UnknownNameError", qpy_unknown_name_exc) != 0)
    return -1;
  if (quorva_redirect_comparisons() != 0) return -1;
  for (const Constant &constant : kConstants) {
    PyRef value(constant.is_float ? PyFloat_FromDouble(constant.value)
                                  : PyLong_FromDouble(std::floor(constant.value)));
    if (!value || PyModule_AddObject(module, constant.name, value.get()) != 0) return -1;
    value.release(); /* the module holds it now */
  }
  return addObject(module, "controls", qrv_py_env.controls);
}

}  // namespace

/* Run when the interpreter discards the module. */
static void quorvamod_freeModule(void *) {
  releaseEnvironmentRecord();
  quorva_restore_comparisons();
  restoreDefaultLog();
  /* The classes are static objects; nothing of them is released here. */
  if (turnQRVAoff(0) != 0) PyErr_Clear();
}

static PyObject *initModule() {
  if (readyClasses() != 0) return nullptr;

  if (moduleMethods.empty()) {
    for (PyMethodDef *family : kMethodFamilies)
      for (PyMethodDef *def = family; def->ml_name; ++def) moduleMethods.push_back(*def);
    moduleMethods.push_back(PyMethodDef{nullptr, nullptr, 0, nullptr});
  }
  quorvaModule.m_methods = moduleMethods.data();
  quorvaModule.m_free = QRVA_ENTRY(quorvamod_freeModule);

  PyRef module(PyModule_Create2(&quorvaModule, 1013));
  if (!module) return nullptr;

  qrv_py_env.controls = control_new_modulewide();
  qrv_py_env.control_defaults = PyDict_New();
  qrv_py_env.control_table = PyDict_New();
  qrv_py_env.attribute_table = PyDict_New();
  qrv_py_env.msghandlers = PyList_New(0);
  qrv_py_env.env_on = 0;
  qrv_py_env.next_var_serial = qrv_py_env.next_con_serial = qrv_py_env.next_sos_serial = 1;
  if (!qrv_py_env.controls || !qrv_py_env.control_defaults || !qrv_py_env.control_table ||
      !qrv_py_env.attribute_table || !qrv_py_env.msghandlers || qrva_py_fill_tables(1) != 0 ||
      quorva_import_numpy() != 0) {
    releaseEnvironmentRecord();
    if (!PyErr_Occurred()) PyErr_SetString(PyExc_RuntimeError, "Error initializing the Quorva module");
    return nullptr;
  }
  if (createExceptions() != 0 || fillModule(module.get()) != 0) {
    quorva_restore_comparisons();
    releaseEnvironmentRecord();
    turnQRVAoff(0);
    return nullptr;
  }
  return module.release();
}

/* Python 3.8's PyMODINIT_FUNC does not mark the entry point visible, and
 * the module is built with hidden symbols. */
#pragma GCC visibility push(default)
PyMODINIT_FUNC PyInit_quorvalib(void) { return PyEntry<initModule>::call(); }
#pragma GCC visibility pop
