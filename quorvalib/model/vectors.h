/* quorva.Sum, quorva.Prod and quorva.Dot. */
#ifndef QUORVA_VECTORS_H
#define QUORVA_VECTORS_H

#include "module/pyref.h"

extern PyMethodDef quorvamod_vectorMethods[];

#endif
