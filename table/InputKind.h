// SPDX-License-Identifier: MIT
#pragma once
// What kind of table file a file is, told by its bytes rather than its name:
// a workbook in a zip (.xlsx, .xlsm, .ods, and the .xlsb that is refused),
// an OLE2 compound file (.xls, and a password-protected .xlsx), TAB text as
// the program has always read it, or delimiter-separated text.

#include <string_view>

namespace vestrane {

enum class InputKind {
  TabText,        ///< read by the file-reading rules of table text
  DelimitedText,  ///< converted by csvTableText first
  Zip,            ///< a zip archive: the workbook reader tells what it holds
  Ole2,           ///< an OLE2 compound file: the .xls reader tells what it holds
};

struct InputFormat {
  InputKind kind = InputKind::TabText;
  /// For DelimitedText: the delimiter guessCsvDelimiter gives.
  char delimiter = '\t';
};

/// The kind of the file @p fileName (a name or a path; only its end counts)
/// whose bytes begin with @p bytes: the whole file, or at least its first
/// kCsvGuessRecords lines. Text is TAB text unless the name ends in ".csv"
/// (any letter case) or none of its first kCsvGuessRecords lines holds a TAB.
InputFormat inputFormatOf(std::string_view bytes, std::string_view fileName);

/// Whether @p bytes begin as a workbook does (a zip archive or an OLE2
/// compound file): the kinds that are not text, whatever their name.
bool isWorkbookStart(std::string_view bytes);

}  // namespace vestrane
