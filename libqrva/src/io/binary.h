// Binary files of the library (solutions, saved problems): values in the
// machine's own byte order behind a magic text, a version and the sizes,
// and a check sum at the end. The reader checks every length against what
// is left, so a truncated or changed file is refused, never read past.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/validate.h"

namespace qrva {

// FNV-1a over bytes: the check sum of binary files, which finds a changed
// byte that would otherwise read as a different number.
inline uint64_t checkSum(const char *bytes, size_t n) {
  uint64_t h = 14695981039346656037ull;
  for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<unsigned char>(bytes[i])) * 1099511628211ull;
  return h;
}

class ByteWriter {
 public:
  template <class T>
  void put(const T &v) {
    bytes_.append(reinterpret_cast<const char *>(&v), sizeof v);
  }
  void putText(const std::string &s) {
    put<uint64_t>(s.size());
    bytes_ += s;
  }
  template <class T>
  void putVector(const std::vector<T> &v) {
    put<uint64_t>(v.size());
    if (!v.empty()) bytes_.append(reinterpret_cast<const char *>(v.data()), v.size() * sizeof(T));
  }
  // The bytes with the check sum of all of them appended.
  std::string finish() {
    uint64_t sum = checkSum(bytes_.data(), bytes_.size());
    put(sum);
    return std::move(bytes_);
  }

 private:
  std::string bytes_;
};

class ByteReader {
 public:
  // Fails unless bytes end in the check sum of what precedes it.
  ByteReader(const Check &chk, const std::string &path, const std::string &bytes)
      : chk_(chk), path_(path), data_(bytes.data()), size_(bytes.size()) {
    uint64_t sum = 0;
    if (size_ < sizeof sum) truncated();
    size_ -= sizeof sum;
    std::memcpy(&sum, data_ + size_, sizeof sum);
    if (sum != checkSum(data_, size_))
      chk_.fail(formatText("%s is damaged or truncated: its check sum does not match",
                           path_.c_str()));
  }
  template <class T>
  T get() {
    T v;
    take(&v, sizeof v);
    return v;
  }
  std::string getText() {
    uint64_t n = get<uint64_t>();
    if (n > size_ - pos_) truncated();
    std::string s(data_ + pos_, n);
    pos_ += n;
    return s;
  }
  // A vector that must have expected entries (-1: any number).
  template <class T>
  std::vector<T> getVector(int64_t expected = -1) {
    uint64_t n = get<uint64_t>();
    if (expected >= 0 && n != static_cast<uint64_t>(expected))
      chk_.fail(formatText("%s holds %llu entries where the problem has %lld", path_.c_str(),
                           (unsigned long long)n, (long long)expected));
    if (n > (size_ - pos_) / sizeof(T)) truncated();
    std::vector<T> v(n);
    take(v.data(), n * sizeof(T));
    return v;
  }
  // Fails unless every byte was read.
  void end() const {
    if (pos_ != size_)
      chk_.fail(formatText("%s has %zu bytes more than its contents", path_.c_str(),
                           size_ - pos_));
  }
  [[noreturn]] void truncated() const {
    chk_.fail(formatText("%s is truncated", path_.c_str()));
  }

 private:
  void take(void *out, size_t n) {
    if (n > size_ - pos_) truncated();
    if (n) std::memcpy(out, data_ + pos_, n);
    pos_ += n;
  }
  const Check &chk_;
  std::string path_;
  const char *data_;
  size_t size_, pos_ = 0;
};

}  // namespace qrva
