/* While a solve runs inside the libraries, SIGINT goes back to its default
 * disposition so the library's own handling applies; the interpreter's
 * handler is put back afterwards. Calls pair up; nested and concurrent
 * pairs are counted, and the last reset restores what the first set found. */
#ifndef QUORVA_INTERRUPT_H
#define QUORVA_INTERRUPT_H

int setSigIntHandler();
int resetSigIntHandler();

#endif
