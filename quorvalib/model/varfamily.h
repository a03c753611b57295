/* quorva.vars: families of variables. */
#ifndef QUORVA_VARFAMILY_H
#define QUORVA_VARFAMILY_H

#include "module/pyref.h"

extern PyMethodDef quorvamod_varsMethods[];

#endif
