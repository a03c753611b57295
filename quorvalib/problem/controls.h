/* Controls and attributes by name: the tables filled from the libraries'
 * lists, the quorva.control and quorva.attribute classes, and the problem
 * methods that read and set values. */
#ifndef QUORVA_CONTROLS_H
#define QUORVA_CONTROLS_H

#include "module/pyref.h"
#include "problem/problem.h"

struct control_s {
  PyObject_HEAD
  problem_s *problem; /* bound problem (not owned; NULL module-wide or once the problem is gone) */
  PyObject *dict;     /* the shared table, or the module-wide default values */
  int bound;          /* 1 for an object made for a problem */
};
typedef struct control_s control_s;

/* Fills the control and attribute tables and the module-wide defaults.
 * quiet = 1: an environment that cannot start leaves the tables empty and
 * counts as success. 0 or -1 with an error set. */
int qrva_py_fill_tables(int quiet);

/* The module-wide controls object (empty dictionary). */
PyObject *control_new_modulewide();
/* Objects bound to a problem, sharing the tables. */
PyObject *control_new_bound(problem_s *problem);
PyObject *attribute_new_bound(problem_s *problem);
/* A copy with the same binding and a shallow copy of the dictionary. */
PyObject *control_copy(PyObject *object);
/* Called when the bound problem goes away: later reads then fail cleanly. */
void control_detach(PyObject *object);

/* One value of a problem: type 1 int, 2 float, 3 str; control or attribute;
 * library 0 optimizer, 1 SLP. New reference or NULL. */
PyObject *problem_getParamValue(problem_s *problem, int identifier, int type, int is_control, int library);
/* Sets one control of a problem after checking the value's type. */
int problem_setControl_single(problem_s *problem, int identifier, int type, int library, PyObject *value);
/* A control by its name in the module's table (read under the tables'
 * lock): 1 and its identifier, type and library when known, 0 when not. */
int control_lookup(PyObject *name, int *identifier, int *type, int *library);
/* 0 when value suits a control of the type, else -1 with ModelError. */
int check_setCtrl(int type, PyObject *value);
/* Gives a new problem the values set module-wide on quorva.controls. */
int problem_applyControlDefaults(problem_s *problem);

/* Fills the slots of quorva.control and quorva.attribute. */
void controls_prepareTypes();

/* Problem methods. */
PyObject *problem_getControl(PyObject *self, PyObject *args);
PyObject *problem_getAttrib(PyObject *self, PyObject *args);
PyObject *problem_setControl(PyObject *self, PyObject *args);
PyObject *problem_setdefaultcontrol(PyObject *self, PyObject *args);

#endif
