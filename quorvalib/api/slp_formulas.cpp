/* Library-named methods of the nonlinear solver's formulas: text to tokens,
 * unparsed tokens to parsed ones, checks, counts and evaluations. Token
 * lists read from Python always get an end token appended, so that a list
 * without one cannot send the library past its end. */
#include "api/wrapper.h"
#include "module/docs.h"
#include "module/errors.h"

#include <string>
#include <vector>

/* The token arrays of arguments ti (types) and vi (values), both converted
 * in one group, with an end token after them. */
struct Tokens {
  std::vector<int> type;
  std::vector<double> value;
};

static Tokens tokensOf(const WrapperCall &c, int ti, int vi, int group) {
  Tokens t;
  const int *types = c.in<int>(ti);
  const double *values = c.in<double>(vi);
  for (int k = 0; k < c.n(group); ++k) t.type.push_back(types[k]), t.value.push_back(values[k]);
  t.type.push_back(0), t.value.push_back(0.0);
  return t;
}

/* A new list of the first n elements. */
template <typename T>
static PyObject *listOf(const T *data, int n) {
  PyRef list(PyList_New(n));
  if (!list) return nullptr;
  for (int k = 0; k < n; ++k) {
    PyObject *item = std::is_same<T, int>::value ? PyLong_FromLong((long)data[k]) : PyFloat_FromDouble((double)data[k]);
    if (!item) return nullptr;
    PyList_SET_ITEM(list.get(), k, item);
  }
  return list.release();
}

/* Calls fill(maxtokens, ntokens, type, value) for the count, then for the
 * tokens into the output lists of arguments ti and vi. */
template <typename Fill>
static PyObject *tokensInto(WrapperCall &c, int ti, int vi, Fill fill) {
  int n = 0;
  if (fill(0, &n, nullptr, nullptr) != 0) return nullptr;
  bool failed = false;
  int *type = c.out<int>(ti, n, &failed);
  double *value = c.out<double>(vi, n, &failed);
  if (failed) return nullptr;
  return c.done(fill(n, &n, type, value));
}

static const WrapperSpec kParsecformula{
    "sOO", "Incorrect arguments in parsecformula", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) {
      return tokensInto(c, 1, 2, [&](int max, int *n, int *t, double *v) {
        return QSLPparsecformula(c.problem->slpprob, c.slot[0].text, max, n, t, v);
      });
    },
    {{"formula", -1, -1, 0, -1}, {"type", KIND_INT, -1, ARG_OUTPUT, -1}, {"value", KIND_DOUBLE, -1, ARG_OUTPUT, -1}}};

static const WrapperSpec kParseformula{
    "OO|OO", "Wrong arguments in parseformula", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) {
      Tokens in = tokensOf(c, 0, 1, 0);
      return tokensInto(c, 2, 3, [&](int max, int *n, int *t, double *v) {
        return QSLPparseformula(c.problem->slpprob, in.type.data(), in.value.data(), max, n, t, v);
      });
    },
    {{"intype", KIND_INT, 0, ARG_ARRAY | ARG_REQUIRED, -1},
     {"invalue", KIND_DOUBLE, 0, ARG_ARRAY | ARG_REQUIRED, -1},
     {"type", KIND_INT, -1, ARG_OUTPUT, -1},
     {"value", KIND_DOUBLE, -1, ARG_OUTPUT, -1}}};

static const WrapperSpec kPreparseformula{
    "s", "Incorrect arguments in preparseformula", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      QSLPprob slp = c.problem->slpprob;
      int n = 0;
      if (QSLPpreparseformula(slp, c.slot[0].text, 0, &n, nullptr, nullptr, nullptr, 0) != 0) return nullptr;
      std::vector<int> type((size_t)n);
      std::vector<double> value((size_t)n);
      /* The text written back is never longer than a few times the tokens. */
      std::vector<char> text((size_t)n * 64 + 4096);
      if (QSLPpreparseformula(slp, c.slot[0].text, n, &n, type.data(), value.data(), text.data(), (int)text.size()) != 0)
        return nullptr;
      PyRef types(listOf(type.data(), n)), values(listOf(value.data(), n));
      if (!types || !values) return nullptr;
      return Py_BuildValue("(OOs)", types.get(), values.get(), text.data());
    },
    {{"formula", -1, -1, 0, -1}}};

static const WrapperSpec kValidformula{
    "OO", "Wrong arguments in validformula", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      Tokens in = tokensOf(c, 0, 1, 0);
      std::vector<char> text(in.type.size() * 64 + 4096), message(4096);
      int size = (int)std::max(text.size(), message.size());
      text.resize((size_t)size), message.resize((size_t)size);
      double result = 0.0;
      if (QSLPvalidformula(c.problem->slpprob, in.type.data(), in.value.data(), &result, text.data(), message.data(),
                           size) != 0)
        return nullptr;
      return Py_BuildValue("(dss)", result, text.data(), message.data());
    },
    {{"type", KIND_INT, 0, ARG_ARRAY | ARG_REQUIRED, -1}, {"value", KIND_DOUBLE, 0, ARG_ARRAY | ARG_REQUIRED, -1}}};

static const WrapperSpec kTokencount{
    "s", "Erroneous argument in tokencount", CHECK_BEFORE_PARSED, false,
    [](WrapperCall &c) -> PyObject * {
      int n = 0;
      if (QSLPtokencount(c.slot[0].text, &n) != 0) {
        qrva_py_raise_global_error();  // no problem handle: the error is global
        return nullptr;
      }
      return PyLong_FromLong(n);
    },
    {{"record", -1, -1, 0, -1}}};

static const WrapperSpec kEvaluatecoef{
    "OO", "Incorrect arguments in evaluatecoef", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      double v = 0.0;
      if (QSLPevaluatecoef(c.problem->slpprob, c.index[0], c.index[1], &v) != 0) return nullptr;
      return PyFloat_FromDouble(v);
    },
    {{"rowindex", KIND_ROW, -1, ARG_INDEX, -1}, {"colindex", KIND_COL, -1, ARG_INDEX, -1}}};

static const WrapperSpec kEvaluateformula{
    "iOO", "Incorrect arguments in evaluateformula", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      Tokens in = tokensOf(c, 1, 2, 0);
      double v = 0.0;
      if (QSLPevaluateformula(c.problem->slpprob, c.slot[0].integer, in.type.data(), in.value.data(), &v) != 0)
        return nullptr;
      return PyFloat_FromDouble(v);
    },
    {{"parsed", -1, -1, 0, -1},
     {"type", KIND_INT, 0, ARG_ARRAY | ARG_REQUIRED, -1},
     {"value", KIND_DOUBLE, 0, ARG_ARRAY | ARG_REQUIRED, -1}}};

static const WrapperSpec kGetcoefformula{
    "OOii", "Incorrect argument to getcoefformula or excessive buffersize", CHECK_BEFORE_PARSED, true,
    [](WrapperCall &c) -> PyObject * {
      int max = c.slot[3].integer, n = 0;
      if (max < 0) return WrapperCall::interfaceError("Incorrect argument to getcoefformula or excessive buffersize");
      std::vector<int> type((size_t)max);
      std::vector<double> value((size_t)max);
      if (QSLPgetcoefformula(c.problem->slpprob, c.index[0], c.index[1], nullptr, c.slot[2].integer, max, &n,
                             type.data(), value.data()) != 0)
        return nullptr;
      PyRef types(listOf(type.data(), n)), values(listOf(value.data(), n));
      if (!types || !values) return nullptr;
      return Py_BuildValue("(OO)", types.get(), values.get());
    },
    {{"rowindex", KIND_ROW, -1, ARG_INDEX, -1},
     {"colindex", KIND_COL, -1, ARG_INDEX, -1},
     {"parsed", -1, -1, 0, -1},
     {"bufsize", -1, -1, 0, -1}}};

PyMethodDef problem_apiSlpFormulaMethods[] = {
    QRVA_WRAPPER("parsecformula", kParsecformula,
                 QRVA_DOC("Parses a formula written as text into parsed (postfix) tokens.",
                          "p.parsecformula(formula, type, value)",
                          "formula: the text, with columns and user functions by name; type, value: lists that "
                          "receive the token types and values, the end token last.",
                          "t, v = [], []\n  p.parsecformula('x ^ 2 + sin(y)', t, v)",
                          "A formula that does not parse raises an error naming the character where it fails.",
                          "preparseformula, parseformula, evaluateformula")),
    QRVA_WRAPPER("parseformula", kParseformula,
                 QRVA_DOC("Turns unparsed tokens (reading order, with brackets and delimiters) into parsed ones.",
                          "p.parseformula(intype, invalue, type, value)",
                          "intype, invalue: the unparsed tokens (an end token is added when missing); type, value: "
                          "lists that receive the parsed tokens.",
                          "t, v, _ = p.preparseformula('x * (y + 1)')\n  pt, pv = [], []\n  p.parseformula(t, v, pt, pv)",
                          "A token sequence that does not parse raises an error naming the token where it fails.",
                          "preparseformula, parsecformula")),
    QRVA_WRAPPER("preparseformula", kPreparseformula,
                 QRVA_DOC("Splits a formula text into unparsed tokens.", "p.preparseformula(formula)",
                          "formula: the text.",
                          "types, values, text = p.preparseformula('-x ^ 2')",
                          "Returns (types, values, text): the tokens with the end token, and the formula as the "
                          "library writes it back.",
                          "parseformula, tokencount")),
    QRVA_WRAPPER("validformula", kValidformula,
                 QRVA_DOC("Checks a parsed formula at the current point.", "p.validformula(type, value)",
                          "type, value: the parsed tokens.",
                          "value, text, message = p.validformula(t, v)",
                          "Returns (value, text, message); a formula that cannot be evaluated there gives NaN and "
                          "says why in the message.",
                          "parsecformula, evaluateformula")),
    QRVA_WRAPPER("tokencount", kTokencount,
                 QRVA_DOC("Counts the unparsed tokens of a formula text.", "p.tokencount(record)",
                          "record: the text.", "n = p.tokencount('x + 1')",
                          "The count includes the end token; names are not looked up.", "preparseformula")),
    QRVA_WRAPPER("evaluatecoef", kEvaluatecoef,
                 QRVA_DOC("Evaluates a formula coefficient at the current point.", "p.evaluatecoef(rowindex, colindex)",
                          "rowindex, colindex: the coefficient's row and column.", "v = p.evaluatecoef(0, x)",
                          "The value is the factor times the formula.", "evaluateformula, getcoefformula")),
    QRVA_WRAPPER("evaluateformula", kEvaluateformula,
                 QRVA_DOC("Evaluates a formula given as tokens at the current point.",
                          "p.evaluateformula(parsed, type, value)",
                          "parsed: 1 for parsed tokens, 0 for unparsed ones; type, value: the tokens.",
                          "v = p.evaluateformula(1, t, v)", "Returns the value.", "evaluatecoef, validformula")),
    QRVA_WRAPPER("getcoefformula", kGetcoefformula,
                 QRVA_DOC("Reads the formula of a coefficient as tokens.",
                          "p.getcoefformula(rowindex, colindex, parsed, bufsize)",
                          "rowindex, colindex: the coefficient; parsed: 1 parsed, 0 unparsed tokens; bufsize: the "
                          "most tokens to read.",
                          "types, values = p.getcoefformula(0, x, 1, 100)",
                          "Returns (types, values) with the end token; a formula longer than bufsize is an error.",
                          "evaluatecoef, parseformula")),
    {nullptr, nullptr, 0, nullptr},
};
