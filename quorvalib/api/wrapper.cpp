#include "api/wrapper.h"

#include "module/errors.h"
#include "module/heap.h"

#include <algorithm>
#include <climits>
#include <new>

WrapperCall::WrapperCall(PyObject *self_, const WrapperSpec &spec_)
    : problem(spec_.owner ? spec_.owner(self_) : PROBLEM(self_)), self(self_), spec(spec_) {
  for (int64_t &c : count) c = -1;
}

WrapperCall::~WrapperCall() {
  for (void *&block : arrays) qo_MemoryAllocator_Free_Untyped(qo_MemoryAllocator_DefaultHeap, &block);
}

PyObject *WrapperCall::interfaceError(const char *message) {
  PyErr_SetString(qpy_interf_exc, message);
  return nullptr;
}

int WrapperCall::attribute(int id, int *value) const {
  *value = 0;
  return QRVAgetintattrib(problem->qprob, id, value) == 0 ? 0 : -1;
}

int WrapperCall::range(int first_arg, int last_arg, int kind, const int *defaults, int *first, int *last) {
  int *ends[2] = {first, last};
  int args[2] = {first_arg, last_arg};
  for (int k = 0; k < 2; ++k) {
    *ends[k] = defaults ? defaults[k] : 0;
    PyObject *end = object(args[k]);
    if (defaults && !given(args[k])) continue;
    if (!end) return interfaceError("Must provide arguments first and last"), -1;
    if (ObjInt2int(end, problem, ends[k], kind) != 0) return -1;
  }
  return 0;
}

static int sizesInto(WrapperCall &c, int rows_id, int cols_id) {
  int rows = 0, cols = 0;
  if (c.attribute(rows_id, &rows) != 0 || c.attribute(cols_id, &cols) != 0) return -1;
  c.count[0] = rows;
  c.count[1] = cols;
  return 0;
}

int wrapperOriginalSizes(WrapperCall &c) { return sizesInto(c, QRVA_ORIGINALROWS, QRVA_ORIGINALCOLS); }

int wrapperPresolvedSizes(WrapperCall &c) { return sizesInto(c, QRVA_ROWS, QRVA_COLS); }

void *WrapperCall::output(int i, int64_t n, size_t width, bool wanted, bool *failed) {
  if (!wanted) return nullptr;
  /* One byte at least: an empty output still empties the caller's list. */
  size_t bytes = std::max<size_t>(1, (size_t)(n < 0 ? 0 : n) * width);
  HeapArray<char> data(bytes);
  if (!data.ok()) {
    PyErr_NoMemory();
    *failed = true;
    return nullptr;
  }
  void *block = data.data();
  try {
    outputs_.push_back(Output{i, n, std::move(data)});
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
    *failed = true;
    return nullptr;
  }
  return block;
}

int WrapperCall::longAsInt(int i, int *value) const {
  long long v = slot[i].wide;
  if (v < INT_MIN || v > INT_MAX) {
    PyErr_Format(PyExc_OverflowError, "%s is %lld, outside the range of the library's int", spec.args[(size_t)i].keyword,
                 v);
    return -1;
  }
  *value = (int)v;
  return 0;
}

void WrapperCall::written(int i, int64_t n) {
  for (Output &o : outputs_)
    if (o.arg == i) o.n = n;
}

int WrapperCall::writeOutputs() {
  for (Output &o : outputs_)
    if (given(o.arg) && conv_arr2obj(problem, o.n, o.data.data(), object(o.arg), spec.args[(size_t)o.arg].kind) != 0)
      return -1;
  return 0;
}

/* An output argument that is given must be a list, whether or not the
 * library has anything to put in it this time. 0, or -1 with ModelError. */
static int checkOutputLists(const WrapperCall &call) {
  for (size_t i = 0; i < call.spec.args.size(); ++i)
    if ((call.spec.args[i].use & ARG_OUTPUT) && call.given((int)i) && !PyList_Check(call.object((int)i))) {
      PyErr_SetString(qpy_model_exc, "Argument of type List required");
      return -1;
    }
  return 0;
}

static bool anyRequiredMissing(const WrapperCall &call) {
  for (size_t i = 0; i < call.spec.args.size(); ++i)
    if ((call.spec.args[i].use & ARG_REQUIRED) && !call.given((int)i)) return true;
  return false;
}

/* Converts one array argument with its group's count slot. 0 or -1. */
static int convertArray(WrapperCall &call, int i) {
  const WrapperArg &arg = call.spec.args[(size_t)i];
  int64_t *slot = arg.group >= 0 ? &call.count[arg.group] : nullptr;
  if (!(arg.use & ARG_STARTS))
    return conv_obj2arr(call.problem, slot, call.object(i), &call.arrays[i], arg.kind);
  /* Start offsets carry one entry more than the group has members; a group
   * of none needs no offsets. */
  if (slot && *slot == 0) return 0;
  int64_t starts = slot && *slot >= 0 ? *slot + 1 : -1;
  if (conv_obj2arr(call.problem, &starts, call.object(i), &call.arrays[i], arg.kind) != 0) return -1;
  if (!call.arrays[i]) return 0;
  if (slot && *slot < 0) *slot = starts > 0 ? starts - 1 : 0;
  if (arg.ends >= 0 && starts > 0) {
    int64_t elements = call.in<int64_t>(i)[starts - 1];
    int64_t &expected = call.count[arg.ends];
    if (expected >= 0 && expected != elements) {
      PyErr_Format(qpy_model_exc, "Mismatched lengths in arguments: expected %lld, found %lld", (long long)expected,
                   (long long)elements);
      return -1;
    }
    expected = elements;
  }
  return 0;
}

static int convertArguments(WrapperCall &call) {
  for (size_t i = 0; i < call.spec.args.size(); ++i) {
    const WrapperArg &arg = call.spec.args[i];
    /* An index given as None is refused by ObjInt2int, not read as 0. */
    if ((arg.use & ARG_INDEX) && call.object((int)i) &&
        ObjInt2int(call.object((int)i), call.problem, &call.index[i], arg.kind) != 0)
      return -1;
    if ((arg.use & ARG_ARRAY) && call.given((int)i) && convertArray(call, (int)i) != 0) return -1;
  }
  return 0;
}

/* Gives every slot its default before parsing: no object, the empty
 * string, and -1 for numbers. */
static void initialSlots(const char *format, WrapperSlot *slot) {
  int k = 0;
  for (const char *f = format; *f && k < WRAPPER_MAX_ARGS; ++f) {
    switch (*f) {
      case '|':
      case '$':
        continue;
      case 's':
        slot[k++].text = "";
        break;
      case 'd':
        slot[k++].number = 0.0;
        break;
      case 'i':
        slot[k++].integer = -1;
        break;
      case 'L':
        slot[k++].wide = -1;
        break;
      default:
        slot[k++].object = nullptr;
        break;
    }
  }
}

static int parseArguments(WrapperCall &call, PyObject *args, PyObject *kwargs) {
  const char *keywords[WRAPPER_MAX_ARGS + 1] = {};
  for (size_t i = 0; i < call.spec.args.size() && i < WRAPPER_MAX_ARGS; ++i) keywords[i] = call.spec.args[i].keyword;
  initialSlots(call.spec.format, call.slot);
  /* Every slot is passed; the parser takes as many as the format names. */
  WrapperSlot *s = call.slot;
  return PyArg_ParseTupleAndKeywords(
      args, kwargs, call.spec.format, const_cast<char **>(keywords), &s[0], &s[1], &s[2], &s[3], &s[4], &s[5], &s[6],
      &s[7], &s[8], &s[9], &s[10], &s[11], &s[12], &s[13], &s[14], &s[15], &s[16], &s[17], &s[18], &s[19], &s[20],
      &s[21], &s[22], &s[23], &s[24], &s[25], &s[26], &s[27]);
}

PyObject *runWrapper(const WrapperSpec &spec, PyObject *self, PyObject *args, PyObject *kwargs) {
  WrapperCall call(self, spec);
  if (!parseArguments(call, args, kwargs)) {
    if (spec.check == CHECK_BEFORE_PARSED && spec.required) {
      PyErr_Clear();
      WrapperCall::interfaceError(spec.required);
    }
    return setQrvaErrIfNull(self, nullptr);
  }
  bool late = spec.check == CHECK_AFTER;
  if (spec.required && !late && anyRequiredMissing(call))
    return setQrvaErrIfNull(self, WrapperCall::interfaceError(spec.required));
  if (checkOutputLists(call) != 0 || (spec.prepare && spec.prepare(call) != 0) || convertArguments(call) != 0)
    return setQrvaErrIfNull(self, nullptr);
  if (spec.required && late && anyRequiredMissing(call))
    return setQrvaErrIfNull(self, WrapperCall::interfaceError(spec.required));
  if (spec.push && problem_pushChanges(call.problem) != 0) return setQrvaErrIfNull(self, nullptr);
  PyRef result(spec.body(call));
  if (result && call.writeOutputs() != 0) result.reset();
  return setQrvaErrIfNull(self, result.release());
}
