// SPDX-License-Identifier: MIT
// Fuzz target: version texts as StrToVersion reads them from the version
// file's version line. Besides the sanitizers, the result is compared with a
// plain reading of the rules written out separately below, and a version
// written with VersionToStr must read back as itself.

#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "update/core/uVersions.h"

using namespace vestrane;

namespace {

// A piece's value: spaces skipped, an optional sign, decimal digits or
// hexadecimal ones after "$", "x", "X", "0x" or "0X". A piece that is such a
// number whole gives its signed value, any other the digits read before the
// first one that does not fit, unsigned; only the low 16 bits are kept.
std::uint16_t referencePiece(std::string_view piece) {
  std::size_t i = 0;
  while (i < piece.size() && piece[i] == ' ') ++i;
  bool negative = false;
  if (i < piece.size() && (piece[i] == '-' || piece[i] == '+')) negative = piece[i++] == '-';
  unsigned base = 10;
  if (piece.substr(i, 2) == "0x" || piece.substr(i, 2) == "0X") {
    base = 16;
    i += 2;
  } else if (i < piece.size() && (piece[i] == '$' || piece[i] == 'x' || piece[i] == 'X')) {
    base = 16;
    i += 1;
  }
  unsigned value = 0;  // modulo 65536 all along
  std::size_t digits = 0;
  for (; i < piece.size(); ++i, ++digits) {
    const char c = piece[i];
    unsigned d;
    if (c >= '0' && c <= '9')
      d = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = static_cast<unsigned>(c - 'A' + 10);
    else
      break;
    value = (value * base + d) % 65536u;
  }
  if (negative && digits > 0 && i == piece.size()) value = (65536u - value) % 65536u;
  return static_cast<std::uint16_t>(value);
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
  return s;
}

// @return false where StrToVersion must fail with a range error.
bool referenceVersion(std::string_view text, std::uint16_t parts[4]) {
  int index = 0;
  while (!text.empty()) {
    const std::size_t dot = text.find('.');
    if (dot != std::string_view::npos && dot + 1 > 255) return false;
    if (index > 3) return false;
    if (dot == std::string_view::npos) {
      parts[index] = referencePiece(text);
      break;
    }
    parts[index++] = referencePiece(trimmed(text.substr(0, dot)));
    text.remove_prefix(dot + 1);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const TVersion start{11, 22, 33, 44};
  TVersion version = start;
  bool ok = true;
  try {
    StrToVersion(text, version);
  } catch (const VersionRangeError&) {
    ok = false;
  }
  std::uint16_t expected[4] = {start.Major, start.Minor, start.Release, start.Build};
  FUZZ_CHECK(referenceVersion(text, expected) == ok);
  FUZZ_CHECK(version.Major == expected[0] && version.Minor == expected[1] &&
             version.Release == expected[2] && version.Build == expected[3]);

  TVersion back{1, 1, 1, 1};
  StrToVersion(VersionToStr(version), back);
  FUZZ_CHECK(back == version);
  FUZZ_CHECK(IsActual(version, version));
  return 0;
}
