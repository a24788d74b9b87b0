// SPDX-License-Identifier: MIT
#include "combine/SizeText.h"

#include <limits>

namespace vestrane {

std::string byteSizeText(const BigCount& bytes) {
  static const char* const kUnits[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
  constexpr std::size_t kUnitCount = sizeof kUnits / sizeof kUnits[0];
  if (bytes.atMost(999)) return bytes.toDecimal() + " B";

  // Tenths of the unit, rounded half up: (10 * bytes + unit / 2) / unit,
  // worked out exactly. Dividing by 1000 step by step gives the same as
  // dividing by the unit at once.
  std::uint64_t unit = 1000;
  BigCount tenths;
  std::size_t u = 0;
  for (;; ++u, unit *= 1000) {
    tenths = bytes;
    tenths *= 10;
    tenths += BigCount(unit / 2);
    for (std::size_t i = 0; i <= u; ++i) tenths /= 1000;
    if (tenths.atMost(9999) || u + 1 == kUnitCount) break;
  }
  std::string digits = tenths.toDecimal();
  if (digits.size() < 2) digits.insert(0, 1, '0');
  digits.insert(digits.size() - 1, 1, '.');
  return digits + " " + kUnits[u];
}

std::string byteSizeText(std::uint64_t bytes) { return byteSizeText(BigCount(bytes)); }

std::string countText(const BigCount& count, const QLocale& locale) {
  if (count.atMost(std::numeric_limits<qulonglong>::max())) {
    const QByteArray text = locale.toString(static_cast<qulonglong>(count.toUInt64())).toUtf8();
    return std::string(text.constData(), static_cast<std::size_t>(text.size()));
  }
  // Beyond 64 bits, groups of three digits with the locale's separator.
  const QByteArray separator = locale.groupSeparator().toUtf8();
  const std::string digits = count.toDecimal();
  const bool grouped = !(locale.numberOptions() & QLocale::OmitGroupSeparator);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (grouped && i > 0 && (digits.size() - i) % 3 == 0)
      text.append(separator.constData(), static_cast<std::size_t>(separator.size()));
    text += digits[i];
  }
  return text;
}

}  // namespace vestrane
