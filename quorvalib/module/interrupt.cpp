#include "module/interrupt.h"

#include "module/env.h"

#include <signal.h>

static struct sigaction action;
static void (*handler)(int) = SIG_DFL;

int setSigIntHandler() {
  LockGuard guard(lockSigIntAct);
  if (sigaction(SIGINT, nullptr, &action) != 0) return -1;
  handler = action.sa_handler;
  action.sa_handler = SIG_DFL; /* flags and mask stay as they were */
  return sigaction(SIGINT, &action, nullptr);
}

int resetSigIntHandler() {
  LockGuard guard(lockSigIntAct);
  if (sigaction(SIGINT, nullptr, &action) != 0) return -1;
  action.sa_handler = handler;
  return sigaction(SIGINT, &action, nullptr);
}
