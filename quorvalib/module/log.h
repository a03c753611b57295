/* The default log: where the library prints a problem's messages. */
#ifndef QUORVA_LOG_H
#define QUORVA_LOG_H

/* Hands the library the module's printer (with the environment started). */
void routeDefaultLog();
/* Gives the library back its own standard streams (the module is freed). */
void restoreDefaultLog();

#endif
