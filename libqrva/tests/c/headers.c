/* Compiled as C99 with -pedantic -Werror against the public headers: they
 * must stay plain C. It also loads and solves a small LP, so a declaration
 * that disagrees with the library fails to link or gives a wrong answer.
 *   min x + 2y  s.t.  x + y >= 2,  0 <= x, y <= 10   (optimum x = 2, y = 0) */
#include <math.h>
#include <stdio.h>

#include "qrva.h"
#include "qslp.h"

static int fail(const char *what, int rc) {
  fprintf(stderr, "%s failed (%d)\n", what, rc);
  return 1;
}

int main(void) {
  char version[256] = "";
  QRVAprob prob = NULL;
  QSLPprob slp = NULL;
  const char rowtype[] = {'G'};
  const double rhs[] = {2.0}, obj[] = {1.0, 2.0}, val[] = {1.0, 1.0};
  const double lb[] = {0.0, 0.0}, ub[] = {10.0, 10.0};
  const int start[] = {0, 1, 2}, rowind[] = {0, 0};
  double x[2] = {-1.0, -1.0};
  int rc;

  if ((rc = QRVAinit(NULL)) != 0) return fail("QRVAinit", rc);
  if ((rc = QRVAgetversion(version)) != 0 || version[0] == '\0') return fail("QRVAgetversion", rc);
  if ((rc = QRVAcreateprob(&prob)) != 0) return fail("QRVAcreateprob", rc);
  rc = QRVAloadlp(prob, "c99", 2, 1, rowtype, rhs, NULL, obj, start, NULL, rowind, val, lb, ub);
  if (rc != 0) return fail("QRVAloadlp", rc);
  if ((rc = QRVAlpoptimize(prob, "")) != 0) return fail("QRVAlpoptimize", rc);
  if ((rc = QRVAgetlpsol(prob, x, NULL, NULL, NULL)) != 0) return fail("QRVAgetlpsol", rc);
  if (fabs(x[0] - 2.0) > 1e-6 || fabs(x[1]) > 1e-6) {
    fprintf(stderr, "wrong solution %g %g\n", x[0], x[1]);
    return 1;
  }
  if ((rc = QSLPinit()) != 0) return fail("QSLPinit", rc);
  if ((rc = QSLPcreateprob(&slp, &prob)) != 0) return fail("QSLPcreateprob", rc);
  if ((rc = QSLPdestroyprob(slp)) != 0) return fail("QSLPdestroyprob", rc);
  if ((rc = QSLPfree()) != 0) return fail("QSLPfree", rc);
  if ((rc = QRVAdestroyprob(prob)) != 0) return fail("QRVAdestroyprob", rc);
  if ((rc = QRVAfree()) != 0) return fail("QRVAfree", rc);
  printf("ok %s\n", version);
  return 0;
}
