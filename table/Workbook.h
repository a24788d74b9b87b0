// SPDX-License-Identifier: MIT
#pragma once
// What a workbook reader (.xlsx, .ods, .xls) gives: each sheet as table text
// (SheetTextBuilder), in the workbook's order, for the table reader to read
// as if the sheets were files given together.

#include <string>
#include <vector>

namespace vestrane {

struct SheetTable {
  std::string name;     ///< as the workbook names it, UTF-8
  bool hidden = false;  ///< hidden sheets are named in a note, never read
  std::string text;     ///< table text: one line per sheet row, CR LF
  /// Formula cells of the sheet without a cached value, given as empty cells.
  long long formulasWithoutValue = 0;
};

struct Workbook {
  std::vector<SheetTable> sheets;
  /// Formula cells without a cached value in all sheets.
  long long formulasWithoutValue() const {
    // Each sheet's count stays below a quarter of the largest one, so the
    // sum is held at that bound rather than overflowing.
    constexpr long long kMost = static_cast<long long>(~0ull >> 2);
    long long count = 0;
    for (const SheetTable& sheet : sheets)
      count = sheet.formulasWithoutValue >= kMost - count ? kMost : count + sheet.formulasWithoutValue;
    return count;
  }
};

}  // namespace vestrane
