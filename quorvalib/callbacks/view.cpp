#include "callbacks/view.h"

#include "model/maps.h"
#include "problem/controls.h"

PyObject *problem_view_new(problem_s *owner, QRVAprob qprob, QSLPprob slpprob) {
  PyRef object(quorva_problemType.tp_alloc(&quorva_problemType, 0));
  if (!object) return nullptr;
  problem_s *view = PROBLEM(object.get());
  view->view = PROBLEM_VIEW;
  view->qprob = qprob;
  view->slpprob = slpprob;
  /* Dismissed on every path from here, also when filling fails halfway. */
  struct Dismiss {
    problem_s *view;
    bool armed = true;
    ~Dismiss() {
      if (armed) problem_view_dismiss(view);
    }
  } dismiss{view};
  for (PyObject *problem_s::*list : {&problem_s::variables, &problem_s::constraints, &problem_s::sets}) {
    Py_XINCREF(owner->*list);
    view->*list = owner->*list;
  }
  for (int kind = 0; kind < QRVA_PY_CB_KINDS; ++kind) {
    Py_XINCREF(owner->callbacks[kind]);
    view->callbacks[kind] = owner->callbacks[kind];
  }
  /* Queries of an optimizer callback go to the optimizer's current problem;
   * only the SLP kinds see the SLP problem and its nonlinear parts. */
  view->special_col = owner->special_col;
  view->obj_transfer_col = owner->obj_transfer_col;
  view->obj_transfer_row = owner->obj_transfer_row;
  if (slpprob) {
    view->nl_count = owner->nl_count;
    view->nl_objective = owner->nl_objective;
  }
  view->synced = owner->synced;
  view->controls = control_new_bound(view);
  view->attributes = attribute_new_bound(view);
  if (!view->controls || !view->attributes) {
    if (!PyErr_Occurred()) PyErr_NoMemory();
    return nullptr;
  }
  /* The owner's maps from objects to indices, borrowed like its lists: a
   * callback runs often, and copying maps of a million columns for each
   * call would cost more than the call. */
  view->varmap = owner->varmap;
  view->conmap = owner->conmap;
  view->sosmap = owner->sosmap;
  dismiss.armed = false;
  return object.release();
}

void problem_view_dismiss(problem_s *view) {
  /* Borrowed from the owner: forgotten, never freed. */
  view->varmap = view->conmap = view->sosmap = nullptr;
  control_detach(view->controls);
  control_detach(view->attributes);
  view->qprob = nullptr;
  view->slpprob = nullptr;
  view->view = PROBLEM_VIEW_GONE;
  Py_CLEAR(view->controls);
  Py_CLEAR(view->attributes);
  Py_CLEAR(view->variables);
  Py_CLEAR(view->constraints);
  Py_CLEAR(view->sets);
  for (PyObject *&list : view->callbacks) Py_CLEAR(list);
}
