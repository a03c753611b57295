/* Internal functions of the modeling algebra exposed under underscore names
 * for the test suite. Not part of the API. */
#ifndef QUORVA_ALGEBRA_HOOKS_H
#define QUORVA_ALGEBRA_HOOKS_H

#include "module/pyref.h"

extern PyMethodDef quorvamod_algebraTestMethods[];

#endif
