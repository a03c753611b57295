// The catalog of controls and attributes: one table per library (optimizer,
// SLP) of identifier, name, type, kind, default, range and description, from
// which the identifier lists, the typed get/set functions and the defaults
// are all served. Attributes carry a reader that computes their value from
// the owning problem.
#pragma once

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "qrva.h"
#include "core/text.h"

namespace qrva {

enum class ParamType { Int, Int64, Double, String, Pointer };

inline const char *typeName(ParamType t) {
  switch (t) {
    case ParamType::Int:
    case ParamType::Int64: return "integer";
    case ParamType::Double: return "double";
    case ParamType::String: return "string";
    case ParamType::Pointer: return "pointer";
  }
  return "?";
}

// The current value of one control. Only the member of the control's type
// is meaningful.
struct ParamValue {
  int64_t i = 0;
  double d = 0.0;
  std::string s;
};

template <class Owner>
struct ParamSpec {
  int id = 0;
  const char *name = "";
  ParamType type = ParamType::Int;
  bool isControl = false;
  int64_t intDefault = 0, intMin = 0, intMax = 0;
  double dblDefault = 0.0, dblMin = 0.0, dblMax = 0.0;
  const char *strDefault = "";
  size_t strMaxLength = 0;
  const char *description = "";
  // Extra rule for a double control: the reason a value is refused, or null.
  const char *(*checkDouble)(double) = nullptr;
  // Attribute readers (one, by type).
  int64_t (*readInt)(const Owner &) = nullptr;
  double (*readDouble)(const Owner &) = nullptr;
  std::string (*readString)(const Owner &) = nullptr;
  void *(*readPointer)(const Owner &) = nullptr;

  static ParamSpec intControl(int id, const char *name, int64_t def, int64_t lo, int64_t hi,
                              const char *description) {
    ParamSpec s = base(id, name, ParamType::Int, true, description);
    s.intDefault = def, s.intMin = lo, s.intMax = hi;
    return s;
  }
  static ParamSpec dblControl(int id, const char *name, double def, double lo, double hi,
                              const char *description,
                              const char *(*check)(double) = nullptr) {
    ParamSpec s = base(id, name, ParamType::Double, true, description);
    s.dblDefault = def, s.dblMin = lo, s.dblMax = hi, s.checkDouble = check;
    return s;
  }
  static ParamSpec strControl(int id, const char *name, const char *def, size_t maxLength,
                              const char *description) {
    ParamSpec s = base(id, name, ParamType::String, true, description);
    s.strDefault = def, s.strMaxLength = maxLength;
    return s;
  }
  static ParamSpec intAttrib(int id, const char *name, int64_t (*read)(const Owner &),
                             const char *description) {
    ParamSpec s = base(id, name, ParamType::Int, false, description);
    s.readInt = read;
    return s;
  }
  static ParamSpec int64Attrib(int id, const char *name, int64_t (*read)(const Owner &),
                               const char *description) {
    ParamSpec s = base(id, name, ParamType::Int64, false, description);
    s.readInt = read;
    return s;
  }
  static ParamSpec dblAttrib(int id, const char *name, double (*read)(const Owner &),
                             const char *description) {
    ParamSpec s = base(id, name, ParamType::Double, false, description);
    s.readDouble = read;
    return s;
  }
  static ParamSpec strAttrib(int id, const char *name, std::string (*read)(const Owner &),
                             const char *description) {
    ParamSpec s = base(id, name, ParamType::String, false, description);
    s.readString = read;
    return s;
  }
  static ParamSpec ptrAttrib(int id, const char *name, void *(*read)(const Owner &),
                             const char *description) {
    ParamSpec s = base(id, name, ParamType::Pointer, false, description);
    s.readPointer = read;
    return s;
  }

  const char *kindName() const { return isControl ? "control" : "attribute"; }

 private:
  static ParamSpec base(int id, const char *name, ParamType type, bool control,
                        const char *description) {
    ParamSpec s;
    s.id = id, s.name = name, s.type = type, s.isControl = control;
    s.description = description;
    return s;
  }
};

template <class Owner>
class Catalog {
 public:
  using Spec = ParamSpec<Owner>;

  // flagsOf gives the library's flag bits of an entry; with a header entry
  // the identifier list starts with {number of entries, headerName}. The
  // list always ends with {0, "", 0}.
  Catalog(std::vector<Spec> specs, int (*flagsOf)(const Spec &), const char *headerName)
      : specs_(std::move(specs)) {
    if (headerName != nullptr) push(static_cast<int>(specs_.size()), headerName, 0);
    for (size_t k = 0; k < specs_.size(); ++k) {
      byId_[specs_[k].id] = k;
      byName_[specs_[k].name] = k;
      push(specs_[k].id, specs_[k].name, flagsOf(specs_[k]));
    }
    push(0, "", 0);
  }

  const Spec *find(int id) const {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : &specs_[it->second];
  }
  const Spec *findByName(const std::string &lowerName) const {
    auto it = byName_.find(lowerName);
    return it == byName_.end() ? nullptr : &specs_[it->second];
  }
  size_t indexOf(const Spec *spec) const { return static_cast<size_t>(spec - specs_.data()); }
  const std::vector<Spec> &specs() const { return specs_; }

  std::vector<ParamValue> defaultControls() const {
    std::vector<ParamValue> values(specs_.size());
    for (size_t k = 0; k < specs_.size(); ++k) resetToDefault(specs_[k], values[k]);
    return values;
  }
  static void resetToDefault(const Spec &spec, ParamValue &value) {
    value.i = spec.intDefault;
    value.d = spec.dblDefault;
    value.s = spec.strDefault ? spec.strDefault : "";
  }

  const int *ids() const { return ids_.data(); }
  const char *const *names() const { return names_.data(); }
  const int *flags() const { return flags_.data(); }

 private:
  void push(int id, const char *name, int flags) {
    ids_.push_back(id);
    names_.push_back(name);
    flags_.push_back(flags);
  }

  std::vector<Spec> specs_;
  std::unordered_map<int, size_t> byId_;
  std::unordered_map<std::string, size_t> byName_;
  std::vector<int> ids_;
  std::vector<const char *> names_;
  std::vector<int> flags_;
};

// Typed access to the controls and attributes of an owner (a problem or an
// SLP problem). Owner provides `std::vector<ParamValue> controls` and
// `int fail(int code, const std::string &text)`. Every refusal names the
// function, the identifier and the value.
template <class Owner>
class ParamAccess {
 public:
  using Spec = ParamSpec<Owner>;
  enum class Want { Integer, Double, String, Pointer };

  ParamAccess(Owner &owner, const Catalog<Owner> &catalog, const char *function)
      : owner_(owner), catalog_(catalog), fn_(function) {}

  // Integer control or attribute; narrow: the value must fit an int.
  int getInt(int id, bool control, int64_t *value, bool narrow) {
    const Spec *spec = nullptr;
    if (int rc = resolve(id, control, Want::Integer, value, &spec)) return rc;
    int64_t v = control ? owner_.controls[catalog_.indexOf(spec)].i : spec->readInt(owner_);
    if (narrow && (v < INT_MIN || v > INT_MAX))
      return owner_.fail(QRVA_ERR_ARGUMENT,
                         formatText("%s: the value of %d (%s) is %lld, beyond the range of an "
                                    "int; read it with the 64-bit function",
                                    fn_, id, spec->name, static_cast<long long>(v)));
    *value = v;
    return QRVA_OK;
  }

  int getDouble(int id, bool control, double *value) {
    const Spec *spec = nullptr;
    if (int rc = resolve(id, control, Want::Double, value, &spec)) return rc;
    *value = control ? owner_.controls[catalog_.indexOf(spec)].d : spec->readDouble(owner_);
    return QRVA_OK;
  }

  // String control or attribute into value (maxbytes bytes); *nbytes gets
  // the bytes needed. value NULL asks for the size only.
  int getString(int id, bool control, char *value, int maxbytes, int *nbytes) {
    const Spec *spec = nullptr;
    if (value == nullptr && nbytes == nullptr)
      return owner_.fail(QRVA_ERR_ARGUMENT,
                         formatText("%s: arguments 'value' and 'nbytes' are both NULL", fn_));
    const void *notNull = "";
    if (int rc = resolve(id, control, Want::String, notNull, &spec)) return rc;
    std::string text =
        control ? owner_.controls[catalog_.indexOf(spec)].s : spec->readString(owner_);
    int needed = static_cast<int>(text.size()) + 1;
    if (nbytes != nullptr) *nbytes = needed;
    if (value == nullptr) return QRVA_OK;
    if (maxbytes < needed)
      return owner_.fail(QRVA_ERR_ARGUMENT,
                         formatText("%s: a buffer of %d bytes is too small for the value of %d "
                                    "(%s), which needs %d bytes",
                                    fn_, maxbytes, id, spec->name, needed));
    std::memcpy(value, text.c_str(), static_cast<size_t>(needed));
    return QRVA_OK;
  }

  int getPointer(int id, void **value) {
    const Spec *spec = nullptr;
    if (int rc = resolve(id, false, Want::Pointer, value, &spec)) return rc;
    *value = spec->readPointer(owner_);
    return QRVA_OK;
  }

  int setInt(int id, int64_t value) {
    const Spec *spec = nullptr;
    const void *notNull = "";
    if (int rc = resolve(id, true, Want::Integer, notNull, &spec)) return rc;
    if (value < spec->intMin || value > spec->intMax)
      return owner_.fail(QRVA_ERR_ARGUMENT,
                         formatText("%s: value %lld for control %d (%s) is outside its range "
                                    "[%lld, %lld]",
                                    fn_, static_cast<long long>(value), id, spec->name,
                                    static_cast<long long>(spec->intMin),
                                    static_cast<long long>(spec->intMax)));
    owner_.controls[catalog_.indexOf(spec)].i = value;
    return QRVA_OK;
  }

  int setDouble(int id, double value) {
    const Spec *spec = nullptr;
    const void *notNull = "";
    if (int rc = resolve(id, true, Want::Double, notNull, &spec)) return rc;
    if (std::isnan(value))
      return owner_.fail(QRVA_ERR_ARGUMENT,
                         formatText("%s: value NaN for control %d (%s) is not a number", fn_,
                                    id, spec->name));
    if (value < spec->dblMin || value > spec->dblMax)
      return owner_.fail(QRVA_ERR_ARGUMENT,
                         formatText("%s: value %g for control %d (%s) is outside its range "
                                    "[%g, %g]",
                                    fn_, value, id, spec->name, spec->dblMin, spec->dblMax));
    if (spec->checkDouble != nullptr) {
      if (const char *reason = spec->checkDouble(value))
        return owner_.fail(QRVA_ERR_ARGUMENT,
                           formatText("%s: value %g for control %d (%s) is refused: %s", fn_,
                                      value, id, spec->name, reason));
    }
    owner_.controls[catalog_.indexOf(spec)].d = value;
    return QRVA_OK;
  }

  int setString(int id, const char *value) {
    const Spec *spec = nullptr;
    if (int rc = resolve(id, true, Want::String, value, &spec)) return rc;
    size_t length = std::strlen(value);
    if (length > spec->strMaxLength)
      return owner_.fail(QRVA_ERR_ARGUMENT,
                         formatText("%s: value %s (%zu bytes) for control %d (%s) is longer "
                                    "than its limit of %zu bytes",
                                    fn_, quoted(value).c_str(), length, id, spec->name,
                                    spec->strMaxLength));
    owner_.controls[catalog_.indexOf(spec)].s = value;
    return QRVA_OK;
  }

  int setDefault(int id) {
    const Spec *spec = catalog_.find(id);
    if (spec == nullptr || !spec->isControl) return unknownOrWrongKind(id, spec, true);
    Catalog<Owner>::resetToDefault(*spec, owner_.controls[catalog_.indexOf(spec)]);
    return QRVA_OK;
  }

 private:
  int unknownOrWrongKind(int id, const Spec *spec, bool control) {
    if (spec == nullptr)
      return owner_.fail(QRVA_ERR_ARGUMENT,
                         formatText("%s: %d is not a known %s identifier", fn_, id,
                                    control ? "control" : "attribute"));
    return owner_.fail(QRVA_ERR_ARGUMENT,
                       formatText("%s: %d (%s) is %s, not %s", fn_, id, spec->name,
                                  spec->isControl ? "a control" : "an attribute",
                                  control ? "a control (attributes cannot be set)"
                                          : "an attribute"));
  }

  // Finds the entry and checks its kind, its type and the out-pointer.
  int resolve(int id, bool control, Want want, const void *out, const Spec **spec) {
    const Spec *found = catalog_.find(id);
    if (found == nullptr || found->isControl != control)
      return unknownOrWrongKind(id, found, control);
    if (!matches(found->type, want)) {
      const char *wanted = want == Want::Integer  ? "an integer"
                           : want == Want::Double ? "a double"
                           : want == Want::String ? "a string"
                                                  : "a pointer";
      return owner_.fail(QRVA_ERR_ARGUMENT,
                         formatText("%s: %d (%s) is %s %s %s, not %s one", fn_, id, found->name,
                                    found->type == ParamType::Int ||
                                            found->type == ParamType::Int64
                                        ? "an"
                                        : "a",
                                    typeName(found->type), found->kindName(), wanted));
    }
    if (out == nullptr)
      return owner_.fail(QRVA_ERR_ARGUMENT,
                         formatText("%s: argument 'value' is NULL (identifier %d)", fn_, id));
    *spec = found;
    return QRVA_OK;
  }

  static bool matches(ParamType type, Want want) {
    switch (want) {
      case Want::Integer: return type == ParamType::Int || type == ParamType::Int64;
      case Want::Double: return type == ParamType::Double;
      case Want::String: return type == ParamType::String;
      case Want::Pointer: return type == ParamType::Pointer;
    }
    return false;
  }

  Owner &owner_;
  const Catalog<Owner> &catalog_;
  const char *fn_;
};

}  // namespace qrva
