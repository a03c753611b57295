// Small text helpers shared by the library: printf-style formatting into
// std::string and bounded copies into caller buffers.
#pragma once

#include <cstdarg>
#include <string>

namespace qrva {

// printf-style formatting into a std::string.
std::string formatText(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// Copies text into buffer (capacity bytes, zero-terminated), cutting it when
// it does not fit. Returns the bytes the whole text needs, with the zero byte.
int copyTruncated(const std::string &text, char *buffer, int capacity);

// A caller-supplied string shown in an error text: quoted, cut to a sane
// length, "NULL" for a null pointer.
std::string quoted(const char *text);

// Lower-case ASCII copy.
std::string lowerCase(const char *text);

}  // namespace qrva
