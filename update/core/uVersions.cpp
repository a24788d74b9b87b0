// SPDX-License-Identifier: MIT
#include "update/core/uVersions.h"

#include <cstdint>
#include <string_view>

#include "platform/core/Text.h"

namespace vestrane {

TVersion OwnVersion;

namespace {

std::uint16_t& part(TVersion& version, int index) {
  switch (index) {
    case 0: return version.Major;
    case 1: return version.Minor;
    case 2: return version.Release;
    default: return version.Build;
  }
}

int digitValue(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Converts one piece of a version text. A whole number gives its signed
// value; otherwise the digits before the first character that does not fit
// count, without their sign. Only the low 16 bits are kept, and they are
// exact however many digits the piece has.
std::uint16_t pieceToPart(std::string_view piece) {
  std::size_t pos = 0;
  while (pos < piece.size() && piece[pos] == ' ') ++pos;
  bool negative = false;
  if (pos < piece.size() && (piece[pos] == '+' || piece[pos] == '-')) {
    negative = piece[pos] == '-';
    ++pos;
  }
  int base = 10;
  if (pos < piece.size() && (piece[pos] == '$' || piece[pos] == 'x' || piece[pos] == 'X')) {
    base = 16;
    ++pos;
  } else if (pos + 1 < piece.size() && piece[pos] == '0' &&
             (piece[pos + 1] == 'x' || piece[pos + 1] == 'X')) {
    base = 16;
    pos += 2;
  }
  std::uint32_t value = 0;  // wraps; its low 16 bits stay exact
  std::size_t digits = 0;
  for (; pos < piece.size(); ++pos, ++digits) {
    const int d = digitValue(piece[pos], base);
    if (d < 0) break;
    value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(d);
  }
  const bool whole = digits > 0 && pos == piece.size();
  if (whole && negative) value = 0u - value;
  return static_cast<std::uint16_t>(value & 0xFFFFu);
}

// Stores the parts of @p text into @p version, one by one. @return why the
// text is out of range, or nullptr when it was read whole.
const char* storeVersionParts(const std::string& text, TVersion& version) {
  std::string s = text;
  int index = 0;
  while (!s.empty()) {
    const std::size_t dot = s.find('.');
    const std::size_t p = dot == std::string::npos ? 0 : dot + 1;  // counted from 1
    if (p > 255) return "version number part too long";
    if (index > 3) return "version number has more than four parts";
    if (p >= 1) {
      const std::string piece(trimControls(std::string_view(s).substr(0, p - 1)));
      s.erase(0, p);
      part(version, index++) = pieceToPart(piece);
    } else {
      part(version, index) = pieceToPart(s);
      s.clear();
    }
  }
  return nullptr;
}

}  // namespace

void GetOwnVersion() {
#if defined(VESTRANE_VERSION_MAJOR) && defined(VESTRANE_VERSION_MINOR) && \
    defined(VESTRANE_VERSION_RELEASE) && defined(VESTRANE_VERSION_BUILD)
  // "+ 0" makes a number the build left empty count as 0.
  OwnVersion.Major = static_cast<std::uint16_t>(VESTRANE_VERSION_MAJOR + 0);
  OwnVersion.Minor = static_cast<std::uint16_t>(VESTRANE_VERSION_MINOR + 0);
  OwnVersion.Release = static_cast<std::uint16_t>(VESTRANE_VERSION_RELEASE + 0);
  OwnVersion.Build = static_cast<std::uint16_t>(VESTRANE_VERSION_BUILD + 0);
#endif
  // A build without version numbers leaves OwnVersion as it was.
}

std::string VersionToStr(const TVersion& version) {
  return std::to_string(version.Major) + "." + std::to_string(version.Minor) + "." +
         std::to_string(version.Release) + "." + std::to_string(version.Build);
}

void StrToVersion(const std::string& text, TVersion& version) {
  if (const char* problem = storeVersionParts(text, version)) throw VersionRangeError(problem);
}

bool readVersion(const std::string& text, TVersion& version) {
  return storeVersionParts(text, version) == nullptr;
}

bool IsActual(const TVersion& own, const TVersion& published) {
  const std::uint16_t ownParts[] = {own.Major, own.Minor, own.Release, own.Build};
  const std::uint16_t publishedParts[] = {published.Major, published.Minor, published.Release,
                                          published.Build};
  for (int i = 0; i < 4; ++i)
    if (publishedParts[i] > ownParts[i]) return false;
  return true;
}

}  // namespace vestrane
