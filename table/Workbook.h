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
};

struct Workbook {
  std::vector<SheetTable> sheets;
  /// Formula cells without a cached value, given as empty cells.
  long long formulasWithoutValue = 0;
};

}  // namespace vestrane
