// Problem files: the MPS and LP formats, and what their writers and readers
// share (numbers that read back exactly, names that other programs can read
// back to the same entries).
#pragma once

#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "problem_store.h"
#include "validate.h"

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

// Columns that no file format can hold (partially integer ones) make a write fail.
void checkWritableColumns(const ProblemStore &s, const Check &chk, const char *format);

// Writers throw Failure for what the format cannot hold; readers throw
// Failure naming the line and the fault. name is the problem's name.
void writeMps(const ProblemStore &s, const std::string &name, const Check &chk,
              std::ostream &out);
std::unique_ptr<ProblemStore> readMps(const Check &chk, std::istream &in, std::string &name);
void writeLp(const ProblemStore &s, const std::string &name, const Check &chk,
             std::ostream &out);
std::unique_ptr<ProblemStore> readLp(const Check &chk, std::istream &in, std::string &name);

}  // namespace qrva
