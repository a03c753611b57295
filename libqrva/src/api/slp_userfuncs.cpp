// User functions: the string table, definitions, names, addresses and
// objects, and what a user function asks about itself while it runs.
#include <cmath>
#include <cstring>

#include "slp/userfunc.h"

using qrva::Check;
using qrva::formatText;
using S = qslp_problem_s;

namespace {

qrva::UserFunction &function(const Check &chk, S &s, int index, const char *argument) {
  int n = static_cast<int>(s.store->functions.size());
  if (index < 1 || index > n)
    chk.fail(n == 0 ? formatText("%s %d names no user function (none is defined)", argument, index)
                    : formatText("%s %d names no user function (they are 1 to %d)", argument,
                                 index, n));
  return s.store->functions[index - 1];
}

const std::string &stringAt(const Check &chk, const S &s, double v, int64_t pos) {
  int n = static_cast<int>(s.store->strings.size());
  if (!(v >= 1 && v <= n && v == std::floor(v)))
    chk.fail(formatText("string index %g at position %lld names no string (QSLPsetstring gives "
                        "them; %d are set)",
                        v, (long long)pos, n));
  return s.store->strings[static_cast<size_t>(v) - 1];
}

int checkFunctionHandle(QSLPfunc func, const char *function) {
  if (func == nullptr)
    return qrva::failGlobal(QRVA_ERR_ARGUMENT, formatText("%s: function handle is NULL", function));
  return QRVA_OK;
}

}  // namespace

extern "C" {

int QSLPsetstring(QSLPprob slp, int *index, const char *text) {
  return qrva::withSlp(slp, "QSLPsetstring", [&](S &s) {
    Check chk("QSLPsetstring");
    chk.array(index, "index"), chk.array(text, "text");
    *index = s.store->stringIndex(text);
    return QRVA_OK;
  });
}

int QSLPadduserfuncs(QSLPprob slp, int nfuncs, const int type[], const double value[]) {
  return qrva::withSlp(slp, "QSLPadduserfuncs", [&](S &s) {
    Check chk("QSLPadduserfuncs");
    chk.count(nfuncs, "nfuncs");
    if (nfuncs == 0) return QRVA_OK;
    chk.array(type, "type"), chk.array(value, "value");
    std::vector<qrva::UserFunction> defined;
    int64_t pos = 0;
    for (int k = 0; k < nfuncs; ++k) {
      qrva::UserFunction uf;
      int strings = 0;
      for (;; ++pos) {
        int t = type[pos];
        double v = value[pos];
        if (t == qrva::kTokEnd) break;
        if (t == QSLP_DEF_STRING) {
          const std::string &text = stringAt(chk, s, v, pos);
          if (strings == 0) {
            uf.name = text;
          } else if (strings == 1) {
            if (text != "DirectC")
              chk.fail(formatText("calling convention %s of function %d (position %lld) is not "
                                  "available; user functions are called directly (\"DirectC\")",
                                  qrva::quoted(text.c_str()).c_str(), k, (long long)pos));
            uf.linkage = static_cast<int>(v);
          } else {
            chk.fail(formatText("function %d has a third string (position %lld); a definition "
                                "holds its name and its calling convention",
                                k, (long long)pos));
          }
          ++strings;
        } else if (t == QSLP_DEF_FLAGS) {
          if (!(v >= 0 && v == std::floor(v) && v < 2147483648.0))
            chk.fail(formatText("flags %g of function %d (position %lld) are not a whole number "
                                "of 0 or more",
                                v, k, (long long)pos));
          uf.flags = static_cast<int>(v);
        } else if (t == QSLP_DEF_RETURNS) {
          if (v != 1.0)
            chk.fail(formatText("function %d returns %g values (position %lld); user functions "
                                "return one value (and its derivatives)",
                                k, v, (long long)pos));
        } else {
          chk.fail(formatText("token type %d at position %lld of function %d is not one of %d "
                              "(end), %d (string), %d (flags), %d (values returned)",
                              t, (long long)pos, k, QSLP_TOK_EOF, QSLP_DEF_STRING,
                              QSLP_DEF_FLAGS, QSLP_DEF_RETURNS));
        }
      }
      ++pos;
      if (strings == 0)
        chk.fail(formatText("function %d has no name (a string token of type %d)", k,
                            QSLP_DEF_STRING));
      defined.push_back(uf);
    }
    s.store->functions.insert(s.store->functions.end(), defined.begin(), defined.end());
    return QRVA_OK;
  });
}

int QSLPaddnames(QSLPprob slp, int type, const char names[], int first, int last) {
  return qrva::withSlp(slp, "QSLPaddnames", [&](S &s) {
    Check chk("QSLPaddnames");
    if (type != QSLP_NAMES_USERFUNCTIONS)
      chk.fail(formatText("name type %d is not %d (user functions); rows and columns are named "
                          "with QRVAaddnames",
                          type, QSLP_NAMES_USERFUNCTIONS));
    chk.array(names, "names");
    int n = static_cast<int>(s.store->functions.size());
    if (first < 1 || last > n || last < first)
      chk.fail(formatText("range first=%d last=%d of user functions is out of range (they are 1 "
                          "to %d)",
                          first, last, n));
    const char *p = names;
    for (int k = first; k <= last; ++k) {
      s.store->functions[k - 1].name = p;
      p += std::strlen(p) + 1;
    }
    return QRVA_OK;
  });
}

int QSLPchguserfuncaddress(QSLPprob slp, int index, void *address) {
  return qrva::withSlp(slp, "QSLPchguserfuncaddress", [&](S &s) {
    function(Check("QSLPchguserfuncaddress"), s, index, "index").address = address;
    return QRVA_OK;
  });
}

int QSLPsetuserfuncobject(QSLPprob slp, int index, void *object) {
  return qrva::withSlp(slp, "QSLPsetuserfuncobject", [&](S &s) {
    function(Check("QSLPsetuserfuncobject"), s, index, "index").object = object;
    return QRVA_OK;
  });
}

int QSLPgetuserfuncobject(QSLPprob slp, int index, void **object) {
  return qrva::withSlp(slp, "QSLPgetuserfuncobject", [&](S &s) {
    Check chk("QSLPgetuserfuncobject");
    chk.array(object, "object");
    *object = function(chk, s, index, "index").object;
    return QRVA_OK;
  });
}

int QSLPgetfuncinfo(QSLPfunc func, int *nargs, int *wantresults, int *wantderivatives,
                    int *index) {
  return qrva::withEnvironment("QSLPgetfuncinfo", [&]() -> int {
    if (int rc = checkFunctionHandle(func, "QSLPgetfuncinfo")) return rc;
    if (nargs) *nargs = func->nargs;
    if (wantresults) *wantresults = func->wantResults;
    if (wantderivatives) *wantderivatives = func->wantDerivatives;
    if (index) *index = func->index;
    return QRVA_OK;
  });
}

int QSLPgetfuncobject(QSLPfunc func, int id, void **object) {
  return qrva::withEnvironment("QSLPgetfuncobject", [&]() -> int {
    if (int rc = checkFunctionHandle(func, "QSLPgetfuncobject")) return rc;
    if (object == nullptr)
      return qrva::failGlobal(QRVA_ERR_ARGUMENT, "QSLPgetfuncobject: argument 'object' is NULL");
    if (id != QSLP_FUNC_SLPPROBLEM)
      return func->slp->fail(QRVA_ERR_ARGUMENT,
                             formatText("QSLPgetfuncobject: %d is not a known query (%d: the "
                                        "SLP problem)",
                                        id, QSLP_FUNC_SLPPROBLEM));
    *object = func->slp;
    return QRVA_OK;
  });
}

}  // extern "C"
