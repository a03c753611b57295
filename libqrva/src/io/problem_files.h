// Problem files: the MPS and LP formats, and what their writers and readers
// share (numbers that read back exactly, names that other programs can read
// back to the same entries).
#pragma once

#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "model/problem.h"
#include "model/store.h"
#include "core/validate.h"

namespace qrva {

// Infinite bounds and right-hand sides of the store.
const double kFileInfinity = 1e20;

// The shortest decimal text that reads back as exactly v.
std::string numberText(double v);

// The names a writer uses for the entries of table (count of them): a name of
// its own must pass valid() (else the write fails naming the entry), and no
// two entries may share a name. A generated name that meets a name of its own
// gets '_' appended until it is unique.
std::vector<std::string> namesForFile(const NameTable &table, size_t count, const Check &chk,
                                      const char *kind, const char *format,
                                      bool (*valid)(const std::string &));

// Free MPS separates fields by spaces: a name is any non-empty run of
// printable characters without them.
bool isMpsName(const std::string &name);

// Columns that no file format can hold (partially integer ones) make a write fail.
void checkWritableColumns(const ProblemStore &s, const Check &chk, const char *format);

// Where a problem file goes and in which format: the flag 'l' or a name
// ending in ".lp" choose the LP format, else MPS; a name without an
// extension gets ".lp" or ".mps".
struct ProblemFile {
  std::string path;
  bool lp = false;
};
ProblemFile problemFile(const char *filename, const char *flags);
// The file a read opens: problemFile's, after refusing a directory by the
// name the caller gave (not by the name with an extension added).
ProblemFile problemFileToRead(const Check &chk, const char *filename, const char *flags);

// The path of a basis, solution, directive or save file of problem p:
// filename, or the problem's name when filename is NULL or empty, with ext
// appended when the name has no extension. A directory is refused.
std::string auxiliaryFile(const Check &chk, const qrva_problem_s &p, const char *filename,
                          const char *ext);

// Writes text as the whole file at path (or fails naming the path).
void writeWholeFile(const Check &chk, const std::string &path, const std::string &text);
std::string readWholeFile(const Check &chk, const std::string &path);

// Choices of the MPS writer: the objective sense to write (0: the store's),
// and whether to end the file (a writer appending sections of its own ends
// it itself).
struct MpsWriteOptions {
  int objSense = 0;
  bool endData = true;
};

// Writers throw Failure for what the format cannot hold; readers throw
// Failure naming the line and the fault. name is the problem's name.
void writeMps(const ProblemStore &s, const std::string &name, const Check &chk,
              std::ostream &out, const MpsWriteOptions &options = MpsWriteOptions());
std::unique_ptr<ProblemStore> readMps(const Check &chk, std::istream &in, std::string &name);
void writeLp(const ProblemStore &s, const std::string &name, const Check &chk,
             std::ostream &out);
std::unique_ptr<ProblemStore> readLp(const Check &chk, std::istream &in, std::string &name);

// Makes store (read from path, naming the problem name) the problem's, and
// says so in a message ending in more.
void installReadProblem(qrva_problem_s &p, std::unique_ptr<ProblemStore> store,
                        const std::string &name, const std::string &path,
                        const std::string &more);

}  // namespace qrva
