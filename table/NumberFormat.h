// SPDX-License-Identifier: MIT
#pragma once
// Which cells of a workbook hold dates: a number shown through a date or
// time number format is a date serial (CellText.h's dateText), any other
// number is a number. The same rule for .xlsx and .xls, whose cells name
// their number format through a cell format (a style, an XF record).

#include <cstddef>
#include <string_view>
#include <vector>

namespace vestrane {

/// Whether a number format code shows a date or a time: a d, m, y, h or s
/// (either case) in its first section (up to the first ';'), outside quoted
/// text, escaped, padding and fill characters (\x _x *x) and brackets; or
/// an elapsed time in brackets ([h], [mm], [ss]). "yyyy-mm-dd", "h:mm",
/// "[h]:mm:ss" are dates; "0.00", "[Red]0.00", "0.0\d", "#\" ms\"" are not.
bool isDateFormatCode(std::string_view code);

/// Whether a built-in number format, one a workbook names by its id alone,
/// shows a date or a time: 14 to 22 and 45 to 47 in every language, 27 to 36
/// and 50 to 58 in the East Asian ones (in the others these ids name no
/// format at all, so no workbook written there uses them).
bool isBuiltInDateFormat(long id);

/// The number formats a workbook defines and the cell formats that use
/// them, in the order the workbook lists them; then, for each cell format,
/// whether it shows dates. A format the workbook defines decides for its
/// id, even for the id of a built-in one.
class DateFormats {
 public:
  /// A number format the workbook defines (a <numFmt>, a FORMAT record).
  void addFormat(long id, std::string_view code);
  /// The next cell format (a <xf> of cellXfs, an XF record) uses format @p id.
  void addCellFormat(long id) { cellFormats_.push_back(id); }
  /// By cell format index (a cell's s attribute, its XF index).
  std::vector<bool> dateCellFormats() const;

 private:
  struct Format {
    long id;
    bool date;
  };
  std::vector<Format> formats_;
  std::vector<long> cellFormats_;
};

}  // namespace vestrane
