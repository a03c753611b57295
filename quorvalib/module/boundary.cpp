#include "module/boundary.h"

#include "module/errors.h"

#include <exception>
#include <new>

void setPyErrFromCxx() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
  } catch (const std::exception &e) {
    PyErr_Format(qpy_interf_exc, "Internal error: %s", e.what());
  } catch (...) {
    PyErr_SetString(qpy_interf_exc, "Internal error");
  }
}

void reportDeallocFailure() noexcept {
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  setPyErrFromCxx();
  /* Not the object itself: it is half destroyed and must not be printed. */
  PyErr_WriteUnraisable(nullptr);
  PyErr_Restore(type, value, traceback);
}
