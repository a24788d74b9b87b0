#pragma once
// A table file to rows: its bytes are read, made table text and parsed by
// the table reader, which appends the rows to its table. Every table file
// the program loads comes this one way; a kind of file other than TAB text
// is converted here, between its bytes and the parse. And rows to a table
// file, as "Save" writes them.

#include <cstddef>
#include <string>

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
};

/// Reads the table file @p path, up to tableSizeLimit() bytes, and appends
/// its rows to the table of @p reader. A file whose lines all end with CR
/// LF is parsed where it lies, any other as the table text of its bytes.
/// A file that cannot be opened or read is NotRead, with the message
/// "can not open file" or "can not read file" and its reason.
TableReadResult readTableFile(TableReader& reader, const std::string& path,
                              const TableFileOptions& options);

/// Writes @p table to the file @p path as table text (SerializeTable); the
/// file is replaced only once all of it was written. @return the message
/// that says why it could not be written ("Error: can not write PATH
/// (reason)"); empty when it was.
std::string writeTableFile(const AnalysisTable& table, const std::string& path);

}  // namespace vestrane
