// SPDX-License-Identifier: MIT
#pragma once
// Reading .xls workbooks (Excel 97 to 2003, BIFF8) through FreeXL, with what
// FreeXL does not tell (hidden sheets, formula values, booleans, error
// values, the serial numbers behind dates) read from the workbook's records
// (XlsRecords.h). Each sheet becomes table text by the cell rules of
// CellText.h, as the other workbook readers give it.

#include <cstddef>
#include <string>
#include <string_view>

#include "table/Workbook.h"

namespace vestrane {

/// Reasons a workbook is refused, each to follow the file's name in a
/// message ("can not read file NAME (reason)").
inline constexpr const char* kReasonCannotOpenXls = "the file can not be opened";
inline constexpr const char* kReasonXlsDamaged = "damaged, or not an Excel workbook";
inline constexpr const char* kReasonNoWorkbook = "the file holds no workbook";
inline constexpr const char* kReasonPasswordProtected = "the workbook is protected by a password";
inline constexpr const char* kReasonOldExcel =
    "a workbook of Excel 95 or older: save it as .xlsx or as .xls of Excel 97 or later";
inline constexpr const char* kReasonUnknownCharset =
    "the workbook's text is in a character set that can not be read";

/// Reads the .xls workbook at @p path (UTF-8; on Windows FreeXL opens the
/// path in the system's ANSI code page, so a name outside it can not be
/// opened there) into @p out: every sheet in the workbook's order, its
/// table text at most @p limit bytes for all sheets together (the file
/// itself at most @p limit bytes too).
/// @return false, with @p reason set and @p out empty, when the file can
/// not be opened (kReasonCannotOpenXls) or read (reason from Messages.h), is too large
/// (tooLargeReason), or is refused for one of the reasons above.
bool readXlsWorkbook(const std::string& path, std::size_t limit, Workbook& out,
                     std::string& reason);

/// Reads an .xls workbook that came from no file (standard input) as
/// readXlsWorkbook does: FreeXL opens workbooks by name only, so the bytes
/// are written to a temporary file first, which is removed afterwards (and
/// by a signal that ends the process meanwhile). A temporary file that can
/// not be written gives its reason ("a temporary copy can not be written
/// (...)").
bool readXlsWorkbookBytes(std::string_view bytes, std::size_t limit, Workbook& out,
                          std::string& reason);

}  // namespace vestrane
