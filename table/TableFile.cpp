// SPDX-License-Identifier: MIT
#include "table/TableFile.h"

#include <algorithm>
#include <string_view>

#include "platform/core/ByteSink.h"
#include "platform/core/Files.h"
#include "platform/core/Memory.h"
#include "platform/core/Messages.h"
#include "table/CsvText.h"
#include "table/InputKind.h"
#include "table/TableText.h"
#include "table/TableWriter.h"
#include "table/WorkbookTables.h"
#include "table/XlsReader.h"
#include "table/ZipWorkbook.h"

namespace vestrane {

std::size_t tableSizeLimit() {
  constexpr std::size_t kLeast = std::size_t(64) << 20;
  return std::max(memoryForData() / 4, kLeast);
}

namespace {

TableReadResult refused(const std::string& what, const std::string& reason) {
  TableReadResult notRead;
  notRead.messages.push_back(cannotReadMessage(what, reason));
  return notRead;
}

/// The kind of a table's bytes, or the delimited text that the options force.
InputFormat formatOf(std::string_view bytes, std::string_view fileName,
                     const TableFileOptions& options) {
  InputFormat format = inputFormatOf(bytes, fileName);
  if (options.delimiter != 0 && (format.kind == InputKind::TabText ||
                                 format.kind == InputKind::DelimitedText)) {
    format.kind = InputKind::DelimitedText;
    format.delimiter = options.delimiter;
  }
  return format;
}

/// Delimited text to table text, then parsed.
TableReadResult readDelimited(TableReader& reader, const std::string& what, std::string_view bytes,
                              char delimiter) {
  std::string text;
  if (!csvTableText(bytes, delimiter, tableSizeLimit(), text))
    return refused(what, tooLargeReason(tableSizeLimit()));
  TableReadResult result = reader.ParseTableText(text);
  result.converted = true;
  return result;
}

/// A zip workbook's sheets, parsed; @p path names the file in the messages.
TableReadResult readZip(TableReader& reader, const std::string& what, const std::string& path,
                        std::string_view bytes, const TableFileOptions& options) {
  Workbook workbook;
  std::string reason;
  if (!readZipWorkbook(bytes, tableSizeLimit(), workbook, reason)) return refused(what, reason);
  TableReadResult result = readWorkbookTables(reader, path, workbook, options.sheets);
  result.converted = true;
  return result;
}

/// Reads bytes of any kind but TAB text into @p result: delimited text, a
/// zip workbook, or an .xls workbook, which its reader opens by @p path
/// itself (@p file, where the bytes are held, is closed first). Bytes of a
/// stream come with no path; an .xls among them is read from a temporary copy.
/// @return false for TAB text, which the caller reads its own way.
bool readConverted(TableReader& reader, const std::string& what, const std::string& path,
                   std::string_view bytes, const TableFileOptions& options, FileBytes* file,
                   TableReadResult& result) {
  const InputFormat format = formatOf(bytes, path, options);
  switch (format.kind) {
    case InputKind::TabText:
      return false;
    case InputKind::DelimitedText:
      result = readDelimited(reader, what, bytes, format.delimiter);
      return true;
    case InputKind::Zip:
      result = readZip(reader, what, path.empty() ? what : path, bytes, options);
      return true;
    case InputKind::Ole2: {
      Workbook workbook;
      std::string reason;
      bool read = false;
      if (path.empty()) {
        read = readXlsWorkbookBytes(bytes, tableSizeLimit(), workbook, reason);
      } else {
        if (file) file->close();
        read = readXlsWorkbook(path, tableSizeLimit(), workbook, reason);
      }
      if (!read) {
        result = refused(what, reason);
        return true;
      }
      result = readWorkbookTables(reader, path.empty() ? what : path, workbook, options.sheets);
      result.converted = true;
      return true;
    }
  }
  return false;
}

/// Bytes whose lines all end with CR LF, the last one included, are their
/// own table text: they are parsed where they lie, with the room for the
/// rows counted while they were checked, into @p result.
/// @return false for any other bytes, which must be converted first.
bool parseWhereItLies(TableReader& reader, std::string_view bytes, TableReadResult& result) {
  RowCapacity capacity;
  if (bytes.size() < 2 || bytes.back() != '\n' || !isTableText(bytes, &capacity)) return false;
  result = reader.parseTableView(bytes, &capacity);
  return true;
}

}  // namespace

std::string tableStreamRefusal(std::string_view start) {
  if (start.find_first_of("\r\n") != std::string_view::npos || isWorkbookStart(start))
    return std::string();
  return "not a table: no line end in its first " + std::to_string(kStreamStartBytes >> 20) + " MiB";
}

ReadResult readTableStandardInput(std::string& bytes, std::string& reason) {
  return readStandardInput(bytes, tableSizeLimit(), &reason, &tableStreamRefusal);
}

TableReadResult readTableFile(TableReader& reader, const std::string& path,
                              const TableFileOptions& options) {
  TableReadResult notRead;
  // A folder is left to the opening, which fails.
  if (!options.streams && pathExists(path) && !fileExists(path) && !directoryExists(path)) {
    notRead.messages.push_back(cannotOpenFileMessage(path, notRegularFileReason()));
    return notRead;
  }
  FileBytes file;
  std::string reason;
  const ReadResult read =
      file.open(path, options.mayMap, tableSizeLimit(), &reason, &tableStreamRefusal);
  if (read != ReadResult::Ok) {
    notRead.messages.push_back(read == ReadResult::CannotOpen ? cannotOpenFileMessage(path)
                                                              : cannotReadFileMessage(path, reason));
    return notRead;
  }
  const std::string_view bytes = file.bytes();
  TableReadResult converted;
  if (readConverted(reader, "file " + path, path, bytes, options, &file, converted))
    return converted;
  if (parseWhereItLies(reader, bytes, converted)) return converted;
  // Any other is converted in a buffer of its own first.
  std::string text = file.takeString();
  tableTextInPlace(text);
  return reader.ParseTableText(text);
}

TableReadResult readTableBytes(TableReader& reader, const std::string& what, std::string& bytes,
                               const TableFileOptions& options) {
  TableReadResult converted;
  if (readConverted(reader, what, std::string(), bytes, options, nullptr, converted))
    return converted;
  if (parseWhereItLies(reader, bytes, converted)) {
    std::string().swap(bytes);
    return converted;
  }
  tableTextInPlace(bytes);
  return reader.ParseTableText(bytes);
}

std::string writeTableFile(const AnalysisTable& table, const std::string& path) {
  AtomicFile file(path);
  if (!file.open()) return cannotWriteMessage(path, file.error());
  FileSink sink(file);
  if (!SerializeTable(table, sink) || !file.commit()) {
    file.cancel();
    return cannotWriteMessage(path, file.error());
  }
  return std::string();
}

}  // namespace vestrane
