// Version of the library as reported by QRVAgetversion and the banner.
#pragma once

namespace qrva {
constexpr const char *kVersionText = "34.01.00";
constexpr const char *kLibraryName = "quorva optimizer library";
}  // namespace qrva
