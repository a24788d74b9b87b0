// SPDX-License-Identifier: MIT
#pragma once
// Sizes and counts as a person reads them: "321.8 GB" rather than
// 321830283655, and 2,147,483,647 with the separators of the user's locale.

#include <cstdint>
#include <string>

#include <QLocale>

#include "combine/BigCount.h"

namespace vestrane {

/// Bytes in SI units (B, kB, MB, GB, TB, PB, EB; 1 kB is 1000 B): whole
/// bytes below 1000 ("999 B"), from kB on one decimal rounded half up
/// ("4.2 kB"). The unit is the smallest whose rounded figure stays below
/// 1000, so 999,950 B reads "1.0 MB", never "1000.0 kB"; beyond 999.9 EB
/// the figure grows in EB. The decimal separator is always ".".
std::string byteSizeText(const BigCount& bytes);
std::string byteSizeText(std::uint64_t bytes);

/// A count in decimal with the digit groups and group separator of
/// @p locale (the user's by default), as "2,147,483,647" or "2.147.483.647".
std::string countText(const BigCount& count, const QLocale& locale = QLocale());

}  // namespace vestrane
