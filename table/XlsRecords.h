// SPDX-License-Identifier: MIT
#pragma once
// What a .xls reader through FreeXL does not learn from FreeXL, read from
// the records of the workbook's BIFF8 "Workbook" stream: whether a sheet is
// hidden, the cached values of formulas (which FreeXL leaves empty), booleans
// and error values (which FreeXL gives as the numbers 0 and 1), and the
// serial numbers of cells that hold numbers (FreeXL gives dates and times
// only as text, rounded its own way, and tells dates from numbers by a rule
// of its own: the records' number formats decide, as for .xlsx).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vestrane {

struct XlsSheetRecords {
  std::string name;       ///< UTF-8
  bool hidden = false;    ///< hidden or very hidden
  bool worksheet = true;  ///< false for a chart sheet or a macro sheet
  /// A cell whose text FreeXL does not give: a formula's value, a boolean
  /// or an error value, as table text ("TRUE", "#N/A", numberText ...);
  /// empty for a formula without a value.
  struct Value {
    std::uint32_t row;
    std::uint16_t column;
    std::string text;
  };
  std::vector<Value> values;  ///< by row, then column
  /// A cell that holds a number (not a formula), with its stored value and
  /// whether its number format shows a date (NumberFormat.h).
  struct Number {
    std::uint32_t row;
    std::uint16_t column;
    bool date;
    double value;
  };
  std::vector<Number> numbers;  ///< by row, then column
  long long formulasWithoutValue = 0;
  /// Rows times columns of the sheet's DIMENSIONS record: FreeXL keeps a
  /// slot for each of these cells, with a value or not.
  std::uint64_t cellSlots = 0;
};

struct XlsRecords {
  bool encrypted = false;       ///< the workbook is protected by a password
  bool olderThanBiff8 = false;  ///< written by Excel 95 or older (then nothing else is read)
  std::vector<XlsSheetRecords> sheets;  ///< in the workbook's order
};

/// Reads the records of a BIFF8 Workbook stream.
/// @return false for a stream that is damaged or no workbook, and for one
/// of an older version (olderThanBiff8).
bool readXlsRecords(std::string_view stream, XlsRecords& out);

}  // namespace vestrane
