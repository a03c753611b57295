/* NumPy's C interface as the module uses it. Include this header, not
 * NumPy's own, so that every file shares the one API table bound at
 * initialisation. */
#ifndef QUORVA_NUMPY_API_H
#define QUORVA_NUMPY_API_H

#include "module/pyref.h"

#define PY_ARRAY_UNIQUE_SYMBOL QUORVA_OPT_ARRAY_API
#define PY_UFUNC_UNIQUE_SYMBOL QUORVA_OPT_UFUNC_API
#ifndef QUORVA_NUMPY_API_OWNER
#define NO_IMPORT_ARRAY
#define NO_IMPORT_UFUNC
#endif
#include <numpy/arrayobject.h>
#include <numpy/arrayscalars.h>
#include <numpy/ufuncobject.h>

/* Binds NumPy's array and ufunc tables. 0 on success; -1 with ImportError
 * set (the cause has been printed). */
int quorva_import_numpy();

/* Replaces NumPy's less_equal, greater_equal and equal by copies whose object
 * loops build constraints; 0 or -1 with an error set. */
int quorva_redirect_comparisons();
/* Puts NumPy's own three ufuncs back and frees the copies' arrays. */
void quorva_restore_comparisons();

#endif
