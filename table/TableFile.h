// SPDX-License-Identifier: MIT
#pragma once
// A table file to rows: its bytes are read, made table text and parsed by
// the table reader, which appends the rows to its table. Every table file
// the program loads comes this one way; a kind of file other than TAB text
// is converted here, between its bytes and the parse. And rows to a table
// file, as "Save" writes them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/FileReading.h"
#include "table/TableReader.h"

namespace vestrane {

/// The most bytes a table file or stream is read up to: a quarter of the
/// memory this process may fill (memoryForData), at least 64 MiB. A table
/// needs its bytes again and more in memory once it is read, and a device
/// such as /dev/zero never ends; either is refused with the reason.
std::size_t tableSizeLimit();

/// How a table file is read.
struct TableFileOptions {
  /// The file may be mapped into memory (see FileBytes::open).
  bool mayMap = false;
  /// FIFOs and devices are read as tables too (the batch tool's process
  /// substitutions and named pipes). Without it only regular files are:
  /// opening a FIFO would wait for a writer, and the window must not
  /// freeze; anything else "can not open" (not a regular file).
  bool streams = false;
  /// Not 0: every text file is read as delimited text with this delimiter
  /// (the batch tool's --delimiter), whatever its kind would be.
  char delimiter = 0;
  /// Not empty: of a workbook only the sheets of these names are read (the
  /// batch tool's --sheet); each must be there.
  std::vector<std::string> sheets;
};

/// Reads the table file @p path, up to tableSizeLimit() bytes, and appends
/// its rows to the table of @p reader. Its kind comes from its bytes
/// (inputFormatOf): TAB text whose lines all end with CR LF is parsed where
/// it lies, other TAB text as the table text of its bytes; delimited text
/// is converted by csvTableText, a workbook (.xlsx, .xlsm, .ods, .xls) read
/// sheet by sheet (readWorkbookTables). A file that cannot be opened or
/// read, or that its reader refuses, is NotRead, with the message "can not
/// open file" or "can not read file" and its reason, and adds nothing.
TableReadResult readTableFile(TableReader& reader, const std::string& path,
                              const TableFileOptions& options);

/// The start of a table that comes as a stream (a pipe, a device, standard
/// input), as a StreamStartCheck: text whose first kStreamStartBytes bytes
/// hold no line end is refused ("not a table: no line end in its first 16
/// MiB"), so that a device such as /dev/zero is not read to the bound
/// first. No table's first line is that long; a workbook is not text.
std::string tableStreamRefusal(std::string_view start);

/// Reads the bytes of a table from standard input, up to tableSizeLimit()
/// bytes and refused early as tableStreamRefusal says.
ReadResult readTableStandardInput(std::string& bytes, std::string& reason);

/// The same for the bytes of a table that came from no file (standard
/// input), @p bytes consumed, named @p what ("standard input") in the
/// messages; with no name to go by, text without a TAB in its first lines
/// is delimited text.
TableReadResult readTableBytes(TableReader& reader, const std::string& what, std::string& bytes,
                               const TableFileOptions& options);

/// Writes @p table to the file @p path as table text (SerializeTable); the
/// file is replaced only once all of it was written. @return the message
/// that says why it could not be written ("Error: can not write PATH
/// (reason)"); empty when it was.
std::string writeTableFile(const AnalysisTable& table, const std::string& path);

}  // namespace vestrane
