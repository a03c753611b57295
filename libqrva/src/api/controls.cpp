// Controls and attributes of optimizer problems, served from the catalog.
#include "api/support.h"

using qrva::formatText;
using P = qrva_problem_s;
using Access = qrva::ParamAccess<P>;

namespace {

Access access(P &p, const char *function) {
  return Access(p, qrva::optimizerCatalog(), function);
}

// Identifier and QRVA_TYPE_* of a control (or attribute) by name.
int infoByName(P &p, const char *function, bool control, const char *name, int *id,
               int *type) {
  if (name == nullptr) return qrva::nullArgument(p, function, "name");
  if (id == nullptr) return qrva::nullArgument(p, function, "id");
  if (type == nullptr) return qrva::nullArgument(p, function, "type");
  const auto *spec = qrva::optimizerCatalog().findByName(qrva::lowerCase(name));
  *id = 0;
  *type = QRVA_TYPE_NOTDEFINED;
  if (spec == nullptr || spec->isControl != control) return QRVA_OK;
  *id = spec->id;
  switch (spec->type) {
    case qrva::ParamType::Int: *type = QRVA_TYPE_INT; break;
    case qrva::ParamType::Int64: *type = QRVA_TYPE_INT64; break;
    case qrva::ParamType::Double: *type = QRVA_TYPE_DOUBLE; break;
    case qrva::ParamType::String: *type = QRVA_TYPE_STRING; break;
    case qrva::ParamType::Pointer: *type = QRVA_TYPE_NOTDEFINED; break;
  }
  return QRVA_OK;
}

std::string valueText(const qrva::ParamSpec<P> &spec, const qrva::ParamValue &value) {
  switch (spec.type) {
    case qrva::ParamType::Int:
    case qrva::ParamType::Int64: return formatText("%lld", static_cast<long long>(value.i));
    case qrva::ParamType::Double: return formatText("%.17g", value.d);
    default: return "'" + value.s + "'";
  }
}

bool isDefault(const qrva::ParamSpec<P> &spec, const qrva::ParamValue &value) {
  switch (spec.type) {
    case qrva::ParamType::Int:
    case qrva::ParamType::Int64: return value.i == spec.intDefault;
    case qrva::ParamType::Double: return value.d == spec.dblDefault;
    default: return value.s == spec.strDefault;
  }
}

}  // namespace

extern "C" {

int QRVAgetintcontrol(QRVAprob prob, int id, int *value) {
  return qrva::withProblem(prob, "QRVAgetintcontrol", [&](P &p) {
    int64_t v = 0;
    int rc = access(p, "QRVAgetintcontrol").getInt(id, true, value ? &v : nullptr, true);
    if (rc == QRVA_OK) *value = static_cast<int>(v);
    return rc;
  });
}

int QRVAsetintcontrol(QRVAprob prob, int id, int value) {
  return qrva::withProblem(prob, "QRVAsetintcontrol",
                           [&](P &p) { return access(p, "QRVAsetintcontrol").setInt(id, value); });
}

int QRVAgetdblcontrol(QRVAprob prob, int id, double *value) {
  return qrva::withProblem(prob, "QRVAgetdblcontrol", [&](P &p) {
    return access(p, "QRVAgetdblcontrol").getDouble(id, true, value);
  });
}

int QRVAsetdblcontrol(QRVAprob prob, int id, double value) {
  return qrva::withProblem(prob, "QRVAsetdblcontrol", [&](P &p) {
    return access(p, "QRVAsetdblcontrol").setDouble(id, value);
  });
}

int QRVAgetstrcontrol(QRVAprob prob, int id, char *value, int maxbytes, int *nbytes) {
  return qrva::withProblem(prob, "QRVAgetstrcontrol", [&](P &p) {
    return access(p, "QRVAgetstrcontrol").getString(id, true, value, maxbytes, nbytes);
  });
}

int QRVAsetstrcontrol(QRVAprob prob, int id, const char *value) {
  return qrva::withProblem(prob, "QRVAsetstrcontrol", [&](P &p) {
    return access(p, "QRVAsetstrcontrol").setString(id, value);
  });
}

int QRVAsetdefaultcontrol(QRVAprob prob, int id) {
  return qrva::withProblem(prob, "QRVAsetdefaultcontrol", [&](P &p) {
    return access(p, "QRVAsetdefaultcontrol").setDefault(id);
  });
}

int QRVAsetdefaults(QRVAprob prob) {
  return qrva::withProblem(prob, "QRVAsetdefaults", [&](P &p) {
    p.controls = qrva::optimizerCatalog().defaultControls();
    return QRVA_OK;
  });
}

int QRVAgetintattrib(QRVAprob prob, int id, int *value) {
  return qrva::withProblem(prob, "QRVAgetintattrib", [&](P &p) {
    int64_t v = 0;
    int rc = access(p, "QRVAgetintattrib").getInt(id, false, value ? &v : nullptr, true);
    if (rc == QRVA_OK) *value = static_cast<int>(v);
    return rc;
  });
}

int QRVAgetintattrib64(QRVAprob prob, int id, int64_t *value) {
  return qrva::withProblem(prob, "QRVAgetintattrib64", [&](P &p) {
    return access(p, "QRVAgetintattrib64").getInt(id, false, value, false);
  });
}

int QRVAgetdblattrib(QRVAprob prob, int id, double *value) {
  return qrva::withProblem(prob, "QRVAgetdblattrib", [&](P &p) {
    return access(p, "QRVAgetdblattrib").getDouble(id, false, value);
  });
}

int QRVAgetstringattrib(QRVAprob prob, int id, char *value, int maxbytes, int *nbytes) {
  return qrva::withProblem(prob, "QRVAgetstringattrib", [&](P &p) {
    return access(p, "QRVAgetstringattrib").getString(id, false, value, maxbytes, nbytes);
  });
}

int QRVAgetcalist_c(QRVAprob prob, const int **ids, const char *const **names,
                    const int **flags) {
  return qrva::withProblem(prob, "QRVAgetcalist_c", [&](P &p) {
    if (ids == nullptr) return qrva::nullArgument(p, "QRVAgetcalist_c", "ids");
    if (names == nullptr) return qrva::nullArgument(p, "QRVAgetcalist_c", "names");
    if (flags == nullptr) return qrva::nullArgument(p, "QRVAgetcalist_c", "flags");
    const auto &catalog = qrva::optimizerCatalog();
    *ids = catalog.ids();
    *names = catalog.names();
    *flags = catalog.flags();
    return QRVA_OK;
  });
}

int QRVAgetcontrolinfo(QRVAprob prob, const char *name, int *id, int *type) {
  return qrva::withProblem(prob, "QRVAgetcontrolinfo", [&](P &p) {
    return infoByName(p, "QRVAgetcontrolinfo", true, name, id, type);
  });
}

int QRVAgetattribinfo(QRVAprob prob, const char *name, int *id, int *type) {
  return qrva::withProblem(prob, "QRVAgetattribinfo", [&](P &p) {
    return infoByName(p, "QRVAgetattribinfo", false, name, id, type);
  });
}

int QRVAdumpcontrols(QRVAprob prob) {
  return qrva::withProblem(prob, "QRVAdumpcontrols", [&](P &p) {
    const auto &specs = qrva::optimizerCatalog().specs();
    bool any = false;
    for (size_t k = 0; k < specs.size(); ++k) {
      if (!specs[k].isControl || isDefault(specs[k], p.controls[k])) continue;
      p.message(QRVA_MSG_INFO,
                formatText("%s = %s", specs[k].name, valueText(specs[k], p.controls[k]).c_str()));
      any = true;
    }
    if (!any) p.message(QRVA_MSG_INFO, "All controls are at their default values");
    return QRVA_OK;
  });
}

}  // extern "C"
