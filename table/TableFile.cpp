#include "table/TableFile.h"

#include <algorithm>
#include <string_view>

#include "platform/core/ByteSink.h"
#include "platform/core/Files.h"
#include "platform/core/Memory.h"
#include "platform/core/Messages.h"
#include "table/TableText.h"
#include "table/TableWriter.h"

namespace vestrane {

std::size_t tableSizeLimit() {
  constexpr std::size_t kLeast = std::size_t(64) << 20;
  return std::max(memoryForData() / 4, kLeast);
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
  const ReadResult read = file.open(path, options.mayMap, tableSizeLimit(), &reason);
  if (read != ReadResult::Ok) {
    notRead.messages.push_back(read == ReadResult::CannotOpen ? cannotOpenFileMessage(path)
                                                              : cannotReadFileMessage(path, reason));
    return notRead;
  }
  // A file whose lines all end with CR LF, the last one included, is its
  // own table text and is parsed where it lies; any other is converted in a
  // buffer of its own first.
  const std::string_view bytes = file.bytes();
  RowCapacity capacity;
  if (bytes.size() >= 2 && bytes.back() == '\n' && isTableText(bytes, &capacity))
    return reader.parseTableView(bytes, &capacity);
  std::string text = file.takeString();
  tableTextInPlace(text);
  return reader.ParseTableText(text);
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
