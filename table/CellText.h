// SPDX-License-Identifier: MIT
#pragma once
// The text a spreadsheet cell or a CSV field becomes in table text. Every
// reader of workbooks (.xlsx, .ods, .xls) and of CSV files uses these rules,
// so the same analysis gives the same bytes whichever file it came from.

#include <string>
#include <string_view>

namespace vestrane {

/// Appends @p text to @p out with each TAB, CR, LF and Ctrl-Z replaced by a
/// space: table text cannot carry them inside a field.
void appendFieldText(std::string& out, std::string_view text);

/// The same into a buffer with room for @p text: writes text.size() bytes
/// at @p out. @return the end of what was written.
char* copyFieldText(char* out, std::string_view text);

/// Appends code point @p c as UTF-8 (workbooks store text as UTF-16 or in
/// escapes of it; table text from them is UTF-8).
void appendUtf8(std::string& out, char32_t c);

/// A stored number as text: what printf("%.15G") gives in the C locale,
/// whatever the program's locale, except that negative zero is "0".
/// 40.267020000000002 -> "40.26702", 0.30000000000000004 -> "0.3",
/// 100 -> "100", 1e-7 -> "1E-07".
std::string numberText(double value);

/// A date serial number as text: "YYYY-MM-DD", or "YYYY-MM-DD hh:mm:ss" when
/// it has a time of day (to the nearest second). @p date1904: the workbook
/// counts days from 1 January 1904, else from the 1900 system, in which
/// serial 60 is the 29 February 1900 that spreadsheets show. A serial that
/// is no date (negative, or past the year 9999) gives numberText(serial).
std::string dateText(double serial, bool date1904);

/// A calendar date and a time of day as dateText writes them: "YYYY-MM-DD",
/// or "YYYY-MM-DD hh:mm:ss" when @p seconds (since the day's midnight; a
/// day or more moves the date on) is not 0. "" when the date is none (a
/// month past 12, a 31 April, a year before 1).
std::string calendarText(long long year, unsigned month, unsigned day, long long seconds);

/// The text of a boolean cell.
inline const char* booleanText(bool value) { return value ? "TRUE" : "FALSE"; }

}  // namespace vestrane
