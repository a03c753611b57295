#include "module/interrupt.h"

#include "module/env.h"

#include <signal.h>

static struct sigaction action;
static void (*handler)(int) = SIG_DFL;
/* Solves running now, in any thread: the disposition is saved by the first
 * and put back by the last, so concurrent solves never save the default
 * action that another one installed. */
static int installations = 0;

int setSigIntHandler() {
  LockGuard guard(lockSigIntAct);
  if (installations++ > 0) return 0;
  if (sigaction(SIGINT, nullptr, &action) != 0) return -1;
  handler = action.sa_handler;
  action.sa_handler = SIG_DFL; /* flags and mask stay as they were */
  return sigaction(SIGINT, &action, nullptr);
}

int resetSigIntHandler() {
  LockGuard guard(lockSigIntAct);
  if (installations == 0 || --installations > 0) return 0;
  if (sigaction(SIGINT, nullptr, &action) != 0) return -1;
  action.sa_handler = handler;
  return sigaction(SIGINT, &action, nullptr);
}
