#include "core/text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

namespace qrva {

std::string formatText(const char *fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  std::string out;
  if (needed > 0) {
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), fmt, args);
    out.assign(buffer.data(), static_cast<size_t>(needed));
  }
  va_end(args);
  return out;
}

int copyTruncated(const std::string &text, char *buffer, int capacity) {
  if (buffer != nullptr && capacity > 0) {
    size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
  }
  return static_cast<int>(text.size()) + 1;
}

std::string quoted(const char *text) {
  if (text == nullptr) return "NULL";
  const size_t kShown = 256;  // enough for paths, short of the 512-byte error buffers
  std::string s(text, strnlen(text, kShown + 1));
  if (s.size() > kShown) s = s.substr(0, kShown) + "...";
  return "'" + s + "'";
}

std::string lowerCase(const char *text) {
  std::string s = text ? text : "";
  for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace qrva
