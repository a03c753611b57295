#include "tune/method.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace qrva {
namespace {

const char *const kHeader = "QRVA tuner method 1";

using Spec = ParamSpec<qrva_problem_s>;

TunerSetting intSetting(int id, int64_t v) {
  TunerSetting s;
  s.id = id, s.i = v;
  return s;
}

TunerSetting dblSetting(int id, double v) {
  TunerSetting s;
  s.id = id, s.d = v;
  return s;
}

// Controls the tuner sets itself, which a trial may not name.
bool reserved(int id) { return id == QRVA_TIMELIMIT || id == QRVA_TUNERMAXTIME; }

// The shortest text that reads back as the same value.
std::string valueText(const Spec &spec, const TunerSetting &s) {
  if (spec.type != ParamType::Double) return formatText("%lld", (long long)s.i);
  std::string text = formatText("%.15g", s.d);
  return std::strtod(text.c_str(), nullptr) == s.d ? text : formatText("%.17g", s.d);
}

// One "name=value" word of line `line` of path into a setting, checked
// against the catalog.
TunerSetting parseSetting(const std::string &word, const std::string &path, int line, const Check &chk) {
  auto bad = [&](const std::string &why) {
    chk.fail(formatText("file %s line %d: %s", quoted(path.c_str()).c_str(), line, why.c_str()));
  };
  size_t eq = word.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == word.size())
    bad(formatText("%s is not of the form control=value", quoted(word.c_str()).c_str()));
  std::string name = lowerCase(word.substr(0, eq).c_str()), value = word.substr(eq + 1);
  const Spec *spec = optimizerCatalog().findByName(name);
  if (spec == nullptr || !spec->isControl)
    bad(formatText("%s is not a control of the optimizer", quoted(name.c_str()).c_str()));
  if (reserved(spec->id)) bad(formatText("%s is set by the tuner itself and cannot be tried", spec->name));
  if (spec->type != ParamType::Int && spec->type != ParamType::Int64 && spec->type != ParamType::Double)
    bad(formatText("%s is a string control; the tuner tries integer and double controls only", spec->name));
  const char *text = value.c_str();
  char *end = nullptr;
  errno = 0;
  TunerSetting s;
  s.id = spec->id;
  if (spec->type == ParamType::Double) {
    s.d = std::strtod(text, &end);
    if (*end != '\0' || end == text || std::isnan(s.d) || errno == ERANGE)
      bad(formatText("value %s of %s is not a number", quoted(text).c_str(), spec->name));
    if (s.d < spec->dblMin || s.d > spec->dblMax)
      bad(formatText("value %g of %s is outside its range [%g, %g]", s.d, spec->name, spec->dblMin, spec->dblMax));
  } else {
    s.i = std::strtoll(text, &end, 10);
    if (*end != '\0' || end == text || errno == ERANGE)
      bad(formatText("value %s of %s is not an integer", quoted(text).c_str(), spec->name));
    if (s.i < spec->intMin || s.i > spec->intMax)
      bad(formatText("value %lld of %s is outside its range [%lld, %lld]", (long long)s.i, spec->name,
                     (long long)spec->intMin, (long long)spec->intMax));
  }
  return s;
}

}  // namespace

TunerMethod defaultTunerMethod(const qrva_problem_s &p, bool mip) {
  TunerMethod m;
  auto trial = [&](std::initializer_list<TunerSetting> settings) { m.trials.emplace_back(settings); };
  if (!mip) {
    trial({intSetting(QRVA_DEFAULTALG, 2)});
    trial({intSetting(QRVA_DEFAULTALG, 3)});
    trial({intSetting(QRVA_DEFAULTALG, 4)});
  }
  trial({intSetting(QRVA_PRESOLVE, p.intControl(QRVA_PRESOLVE) ? 0 : 1)});
  trial({intSetting(QRVA_SCALING, p.intControl(QRVA_SCALING) ? 0 : 1)});
  if (mip) {
    trial({intSetting(QRVA_CUTSTRATEGY, 0)});
    trial({intSetting(QRVA_CUTSTRATEGY, 2)});
    trial({dblSetting(QRVA_HEURISTICEFFORT, 0.0)});
    trial({dblSetting(QRVA_HEURISTICEFFORT, 0.3)});
    unsigned cores = std::thread::hardware_concurrency();
    trial({intSetting(QRVA_THREADS, 1)});
    if (cores > 1) trial({intSetting(QRVA_THREADS, cores > 1024 ? 1024 : cores)});
  }
  return m;
}

TunerMethod tunerMethodOf(const qrva_problem_s &p, bool mip) {
  return p.tunerMethod ? *p.tunerMethod : defaultTunerMethod(p, mip);
}

std::string trialText(const TunerTrial &trial) {
  std::string text;
  for (const TunerSetting &s : trial) {
    const Spec *spec = optimizerCatalog().find(s.id);
    if (!text.empty()) text += ' ';
    text += std::string(spec->name) + "=" + valueText(*spec, s);
  }
  return text;
}

void writeTunerMethod(const TunerMethod &m, const std::string &path, const Check &chk) {
  std::ostringstream out;
  out << kHeader << "\n"
      << "# One trial per line: control=value pairs separated by blanks, tried on top of the\n"
      << "# problem's own settings. Lines starting with # and blank lines are ignored.\n";
  for (const TunerTrial &t : m.trials) out << trialText(t) << "\n";
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) chk.fail(formatText("cannot open %s for writing: %s", quoted(path.c_str()).c_str(), std::strerror(errno)),
                      QRVA_ERR_ARGUMENT);
  file << out.str();
  file.close();
  if (!file) chk.fail(formatText("could not write %s", quoted(path.c_str()).c_str()), QRVA_ERR_ARGUMENT);
}

TunerMethod readTunerMethod(const std::string &path, const Check &chk) {
  std::ifstream file(path, std::ios::binary);
  if (!file) chk.fail(formatText("cannot open %s: %s", quoted(path.c_str()).c_str(), std::strerror(errno)),
                      QRVA_ERR_ARGUMENT);
  TunerMethod m;
  std::string text;
  int line = 0;
  bool header = false;
  while (std::getline(file, text)) {
    ++line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos || text[first] == '#') continue;
    size_t last = text.find_last_not_of(" \t");
    std::string content = text.substr(first, last - first + 1);
    if (!header) {
      if (content != kHeader)
        chk.fail(formatText("file %s line %d: %s is not the header %s", quoted(path.c_str()).c_str(), line,
                            quoted(content.c_str()).c_str(), quoted(kHeader).c_str()));
      header = true;
      continue;
    }
    std::istringstream words(content);
    std::string word;
    TunerTrial trial;
    while (words >> word) {
      TunerSetting s = parseSetting(word, path, line, chk);
      for (const TunerSetting &other : trial)
        if (other.id == s.id)
          chk.fail(formatText("file %s line %d: the trial sets %s twice", quoted(path.c_str()).c_str(), line,
                              optimizerCatalog().find(s.id)->name));
      trial.push_back(s);
    }
    m.trials.push_back(std::move(trial));
  }
  if (file.bad()) chk.fail(formatText("could not read %s", quoted(path.c_str()).c_str()), QRVA_ERR_ARGUMENT);
  if (!header) chk.fail(formatText("file %s has no header %s", quoted(path.c_str()).c_str(), quoted(kHeader).c_str()));
  return m;
}

}  // namespace qrva
