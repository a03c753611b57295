/* Internal functions exposed under underscore names so the test suite can
 * reach helpers that no public method drives yet. Not part of the API. */
#ifndef QUORVA_TESTHOOKS_H
#define QUORVA_TESTHOOKS_H

#include "module/pyref.h"

extern PyMethodDef quorvamod_testMethods[];

#endif
