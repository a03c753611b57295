/* The class objects of the module. Each is defined in the file of its
 * class; initialisation makes all fourteen ready. */
#ifndef QUORVA_TYPES_H
#define QUORVA_TYPES_H

#include "module/pyref.h"

extern PyTypeObject quorva_varType;
extern PyTypeObject quorva_sosType;
extern PyTypeObject quorva_expressionType;
extern PyTypeObject quorva_constraintType;
extern PyTypeObject quorva_controlType;
extern PyTypeObject quorva_attributeType;
extern PyTypeObject quorva_problemType;
extern PyTypeObject quorva_branchobjType;
extern PyTypeObject quorva_poolcutType;
extern PyTypeObject quorva_qrvaobjectType;
extern PyTypeObject quorva_genericType;
extern PyTypeObject quorva_lintermType;
extern PyTypeObject quorva_quadtermType;
extern PyTypeObject quorva_nonlinearType;

/* Each class file fills its type's slots in its prepare function, which
 * initialisation calls before making the class ready. */
void var_prepareType();
void sos_prepareType();
void expression_prepareType();
void constraint_prepareType();
void controls_prepareTypes(); /* control and attribute */
void problem_prepareType();
void branchobj_prepareType();
void handles_prepareTypes(); /* poolcut, qrvaobject, generic */
void linterm_prepareType();
void quadterm_prepareType();
void nonlinear_prepareType();

/* True for the objects the algebra builds constraints from: variables,
 * linear and quadratic terms, expressions and nonlinear expressions. */
static inline int isModelingObject(PyObject *object) {
  PyTypeObject *t = Py_TYPE(object);
  return t == &quorva_varType || t == &quorva_lintermType || t == &quorva_quadtermType ||
         t == &quorva_expressionType || t == &quorva_nonlinearType;
}

#endif
