// Argument checks of the entry points that take problem data. A check that
// fails throws Failure with a text naming the function, the argument, the
// position and the bad value; the entry point's guard records it on the
// problem. Entry points check everything before they change anything.
#pragma once

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "qrva.h"
#include "core/text.h"

namespace qrva {

struct Failure : std::runtime_error {
  Failure(int c, const std::string &text) : std::runtime_error(text), code(c) {}
  int code;
};

class Check {
 public:
  explicit Check(const char *function) : fn_(function) {}
  const char *function() const { return fn_; }

  [[noreturn]] void fail(const std::string &what, int code = QRVA_ERR_ARGUMENT) const {
    throw Failure(code, std::string(fn_) + ": " + what);
  }
  void array(const void *p, const char *name) const {
    if (p == nullptr) fail(formatText("argument '%s' is NULL", name));
  }
  void count(int64_t n, const char *name) const {
    if (n < 0) fail(formatText("%s is %lld; it must not be negative", name, (long long)n));
  }
  void index(int64_t i, int64_t n, const char *kind, const char *name, int64_t pos) const {
    if (i < 0 || i >= n) {
      if (pos >= 0)
        fail(formatText("%s index %lld in '%s' at position %lld is out of range (%s 0 to %lld)",
                        kind, (long long)i, name, (long long)pos, kind == std::string("set") ? "sets" : (kind == std::string("row") ? "rows" : "columns"),
                        (long long)n - 1));
      fail(formatText("%s index %lld in '%s' is out of range (%s 0 to %lld)", kind,
                      (long long)i, name,
                      kind == std::string("set") ? "sets" : (kind == std::string("row") ? "rows" : "columns"),
                      (long long)n - 1));
    }
  }
  void row(int64_t i, int64_t n, const char *name, int64_t pos = -1) const {
    index(i, n, "row", name, pos);
  }
  void col(int64_t i, int64_t n, const char *name, int64_t pos = -1) const {
    index(i, n, "column", name, pos);
  }
  void number(double v, const char *name, int64_t pos) const {
    if (std::isnan(v)) fail(formatText("'%s' at position %lld is NaN", name, (long long)pos));
  }
  // A coefficient of the objective or the matrix: a number strictly inside
  // the library's infinity (bounds at or beyond 1e20 mean "none"; a
  // coefficient there has no such meaning and would make every objective
  // value infinite).
  void coefficient(double v, const char *name, int64_t pos) const {
    number(v, name, pos);
    if (!(std::fabs(v) < 1e20))
      fail(formatText("'%s' at position %lld is %g; a coefficient must lie strictly between "
                      "-1e20 and 1e20 (the library's infinity)",
                      name, (long long)pos, v));
  }
  void rowType(char t, const char *name, int64_t pos) const {
    if (t != 'L' && t != 'G' && t != 'E' && t != 'R' && t != 'N')
      fail(formatText("row type %s in '%s' at position %lld is not one of L G E R N",
                      charText(t).c_str(), name, (long long)pos));
  }
  void colType(char t, const char *name, int64_t pos) const {
    if (t != 'C' && t != 'I' && t != 'B' && t != 'S' && t != 'R' && t != 'P')
      fail(formatText("column type %s in '%s' at position %lld is not one of C I B S R P",
                      charText(t).c_str(), name, (long long)pos));
  }
  void setType(char t, const char *name, int64_t pos) const {
    if (t != '1' && t != '2')
      fail(formatText("set type %s in '%s' at position %lld is not one of 1 2",
                      charText(t).c_str(), name, (long long)pos));
  }
  // Elements (or members) given for n items: with no items there is nothing
  // to hold them, and the arrays would be read for nothing.
  void heldBy(int n, int64_t nelems, const char *itemCount, const char *elemCount,
              const char *items) const {
    if (n == 0 && nelems > 0)
      fail(formatText("%s is %lld but %s is 0: there are no %s to hold them", elemCount,
                      (long long)nelems, itemCount, items));
  }
  // A range [first, last] of n items; last = first - 1 is the empty range.
  void span(int first, int last, int n, const char *kind) const {
    if (first < 0 || first > n || last < first - 1 || last >= n)
      fail(formatText("range first=%d last=%d of %s is out of range (the problem has %d)",
                      first, last, kind, n));
  }
  // Start array of n items: non-decreasing from 0, ending at total.
  void starts(const int64_t *start, int n, int64_t total, const char *name) const {
    if (start[0] != 0) fail(formatText("'%s' must start at 0, not %lld", name, (long long)start[0]));
    for (int i = 0; i < n; ++i)
      if (start[i + 1] < start[i])
        fail(formatText("'%s' decreases at position %d (%lld after %lld)", name, i + 1,
                        (long long)start[i + 1], (long long)start[i]));
    if (start[n] != total)
      fail(formatText("'%s' ends at %lld but the element count is %lld", name,
                      (long long)start[n], (long long)total));
  }

  static std::string charText(char c) {
    if (c >= 32 && c < 127) return formatText("'%c'", c);
    return formatText("(byte %d)", static_cast<unsigned char>(c));
  }

 private:
  const char *fn_;
};

}  // namespace qrva
