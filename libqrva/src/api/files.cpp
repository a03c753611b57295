// QRVAreadprob / QRVAwriteprob and what the two file formats share. The LP
// format is chosen by the flag 'l' or a name ending in ".lp"; otherwise MPS.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unordered_set>

#include <sys/stat.h>

#include "api/support.h"
#include "io/problem_files.h"

using qrva::formatText;
using P = qrva_problem_s;

namespace qrva {

std::string numberText(double v) {
  char buffer[40];
  for (int precision = 15; precision <= 17; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*g", precision, v);
    if (std::strtod(buffer, nullptr) == v) break;
  }
  return buffer;
}

std::vector<std::string> namesForFile(const NameTable &table, size_t count, const Check &chk,
                                      const char *kind, const char *format,
                                      bool (*valid)(const std::string &)) {
  std::vector<std::string> names(count);
  std::unordered_set<std::string> own;
  for (size_t i = 0; i < count; ++i) {
    if (!table.hasOwn(i)) continue;
    names[i] = table.get(i);
    if (!valid(names[i]))
      chk.fail(formatText("the name %s of %s %zu cannot be written in the %s format",
                          quoted(names[i].c_str()).c_str(), kind, i, format));
    if (!own.insert(names[i]).second)
      chk.fail(formatText("the name %s is given to more than one %s; a %s file needs "
                          "distinct names",
                          quoted(names[i].c_str()).c_str(), kind, format));
  }
  for (size_t i = 0; i < count; ++i) {
    if (table.hasOwn(i)) continue;
    std::string name = table.get(i);
    while (own.count(name)) name += '_';
    names[i] = name;
  }
  return names;
}

void checkWritableColumns(const ProblemStore &s, const Check &chk, const char *format) {
  for (int j = 0; j < s.ncols(); ++j)
    if (s.colType[j] == 'P')
      chk.fail(formatText("column %d (%s) is partially integer, which the %s format cannot "
                          "hold",
                          j, quoted(s.colNames.get(j).c_str()).c_str(), format),
               QRVA_ERR_STATE);
}

namespace {

bool hasExtension(const std::string &path) {
  size_t slash = path.find_last_of('/');
  return path.find('.', slash == std::string::npos ? 0 : slash) != std::string::npos;
}

bool endsWith(const std::string &text, const char *suffix) {
  size_t n = std::strlen(suffix);
  if (text.size() < n) return false;
  return lowerCase(text.c_str() + text.size() - n) == suffix;
}

}  // namespace

ProblemFile problemFile(const char *filename, const char *flags) {
  ProblemFile file;
  bool lpFlag = flags && std::strchr(flags, 'l') != nullptr;
  file.path = filename;
  if (!hasExtension(file.path)) file.path += lpFlag ? ".lp" : ".mps";
  file.lp = lpFlag || endsWith(file.path, ".lp");
  return file;
}

std::string auxiliaryFile(const Check &chk, const qrva_problem_s &p, const char *filename,
                          const char *ext) {
  std::string path = filename && *filename ? filename : p.name;
  if (path.empty()) chk.fail("no file name is given and the problem has no name");
  if (!hasExtension(path)) path += ext;
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    chk.fail(formatText("cannot use %s: it is a directory", quoted(path.c_str()).c_str()));
  return path;
}

ProblemFile problemFileToRead(const Check &chk, const char *filename, const char *flags) {
  ProblemFile file = problemFile(filename, flags);
  for (const std::string &path : {std::string(filename), file.path}) {
    struct stat info;
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
      chk.fail(formatText("cannot read %s: it is a directory", quoted(path.c_str()).c_str()));
  }
  return file;
}

void writeWholeFile(const Check &chk, const std::string &path, const std::string &text) {
  std::ofstream out(path, std::ios::binary);
  if (!out)
    chk.fail(formatText("cannot open %s for writing: %s", quoted(path.c_str()).c_str(),
                        std::strerror(errno)));
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) chk.fail(formatText("writing %s failed", quoted(path.c_str()).c_str()));
}

std::string readWholeFile(const Check &chk, const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    chk.fail(formatText("cannot open %s: %s", quoted(path.c_str()).c_str(), std::strerror(errno)));
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void installReadProblem(qrva_problem_s &p, std::unique_ptr<ProblemStore> store,
                        const std::string &name, const std::string &path,
                        const std::string &more) {
  p.name = name.empty() ? "noname" : name;
  p.replaceStore(std::move(store));
  p.message(QRVA_MSG_INFO, formatText("Problem '%s' read from %s: %d rows, %d columns%s",
                                      p.name.c_str(), path.c_str(), p.store->nrows(),
                                      p.store->ncols(), more.c_str()));
}

}  // namespace qrva

extern "C" {

int QRVAwriteprob(QRVAprob prob, const char *filename, const char *flags) {
  return qrva::withProblem(prob, "QRVAwriteprob", [&](P &p) {
    qrva::Check chk("QRVAwriteprob");
    chk.array(filename, "filename");
    qrva::ProblemFile file = qrva::problemFile(filename, flags);
    // The whole text first: a problem the format cannot hold leaves no file behind.
    std::ostringstream text;
    if (file.lp) qrva::writeLp(*p.store, p.name, chk, text);
    else qrva::writeMps(*p.store, p.name, chk, text);
    qrva::writeWholeFile(chk, file.path, text.str());
    return QRVA_OK;
  });
}

int QRVAreadprob(QRVAprob prob, const char *filename, const char *flags) {
  return qrva::withProblem(prob, "QRVAreadprob", [&](P &p) {
    qrva::Check chk("QRVAreadprob");
    chk.array(filename, "filename");
    qrva::ProblemFile file = qrva::problemFileToRead(chk, filename, flags);
    std::ifstream in(file.path, std::ios::binary);
    if (!in)
      chk.fail(formatText("cannot open %s: %s", qrva::quoted(file.path.c_str()).c_str(),
                          std::strerror(errno)));
    std::string name;
    auto store = file.lp ? qrva::readLp(chk, in, name) : qrva::readMps(chk, in, name);
    qrva::installReadProblem(p, std::move(store), name, file.path, "");
    return QRVA_OK;
  });
}

}  // extern "C"
