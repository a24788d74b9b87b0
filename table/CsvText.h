// SPDX-License-Identifier: MIT
#pragma once
// Delimiter-separated text (CSV exports: comma, semicolon, pipe or TAB) to
// table text, so that the table reader reads it as it reads a TAB file: one
// table text line per record, fields separated by TAB, lines ending CR LF.
//
// The rules:
// - A field that begins with a double quote is quoted: up to the next lone
//   quote, "" stands for one quote, and the delimiter, line ends, TAB and
//   Ctrl-Z are part of the field; its text goes through copyFieldText, so
//   each TAB, CR, LF and Ctrl-Z in it becomes a space. What follows the
//   closing quote up to the next delimiter or line end is taken literally
//   ("ab"c gives abc). A quote left open at the end of the input takes the
//   rest of the input as its field.
// - A field that does not begin with a quote is taken literally, quotes in
//   it included. A TAB in it becomes a space (unless TAB is the delimiter);
//   so does a Ctrl-Z that is not at the start of a record.
// - LF and CR LF end a record, outside quotes; a CR not followed by LF is
//   dropped and the record goes on, as in a TAB file. A Ctrl-Z at the start
//   of a record ends the input, as in a TAB file. The last record needs no
//   line end; a record that is an empty line stays an empty line, so the
//   table text's line numbers are the record numbers. Text without quotes
//   and Ctrl-Z thus gives the lines a TAB file of its bytes gives.
// - A UTF-8 byte-order mark at the very start is dropped. All other bytes
//   are kept as they are (UTF-8 or Windows-1252; decimal commas stay).

#include <cstddef>
#include <string>
#include <string_view>

namespace vestrane {

/// Converts the delimited text @p bytes, fields separated by @p delimiter
/// (one that guessCsvDelimiter gives or parseCsvDelimiter accepts), to table
/// text in @p text (replacing what it held).
/// @return false when the table text would be longer than @p limit bytes;
/// @p text is then empty.
bool csvTableText(std::string_view bytes, char delimiter, std::size_t limit, std::string& text);

/// Records looked at by guessCsvDelimiter, and lines by the test of whether
/// a text holds TAB-separated lines.
inline constexpr int kCsvGuessRecords = 50;

/// The delimiter of delimited text: of TAB, ';', ',' and '|', the one that
/// gives the same number (more than one) of fields on most of the first
/// kCsvGuessRecords records (those within the first MiB), quotes respected.
/// On a tie the earlier of that order wins (';' before ',': a semicolon file
/// with a decimal comma in every value has as many fields by the comma on
/// its data lines, but its header line usually tells). When no delimiter
/// gives any record more than one field, ','.
char guessCsvDelimiter(std::string_view bytes);

/// Reads a delimiter as the user names it: one printable ASCII character
/// other than a letter, a digit or the double quote (",", ";", "|", ":",
/// " "...), a TAB character, "\t", or one of the names tab, space, comma,
/// semicolon and pipe in any letter case. @return false, @p delimiter
/// unchanged, for anything else.
bool parseCsvDelimiter(std::string_view name, char& delimiter);

}  // namespace vestrane
