#include "table/TableFile.h"

#include <algorithm>
#include <string_view>

#include "platform/core/Files.h"
#include "platform/core/Memory.h"
#include "platform/core/Messages.h"
#include "table/TableText.h"

namespace vestrane {

std::size_t tableSizeLimit() {
  constexpr std::size_t kLeast = std::size_t(64) << 20;
  return std::max(memoryForData() / 4, kLeast);
}

TableReadResult readTableFile(TableReader& reader, const std::string& path, bool mayMap) {
  FileBytes file;
  std::string reason;
  const ReadResult read = file.open(path, mayMap, tableSizeLimit(), &reason);
  if (read != ReadResult::Ok) {
    TableReadResult result;
    result.messages.push_back(read == ReadResult::CannotOpen ? kMsgCannotOpen + path
                                                             : cannotReadFileMessage(path, reason));
    return result;
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

}  // namespace vestrane
