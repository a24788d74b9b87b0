// SPDX-License-Identifier: MIT
#include "table/TableWriter.h"

#include <utility>

namespace vestrane {

std::string headerLine(const AnalysisTable& table) {
  std::string line = table.caption(0);
  for (int c = 1; c < table.columnCount(); ++c) {
    line += '\t';
    line += table.caption(c);
  }
  line += "\r\n";
  return line;
}

bool SerializeTable(const AnalysisTable& table, ByteSink& sink) {
  constexpr std::size_t kChunk = 1 << 20;
  std::string buffer = headerLine(table);
  buffer.reserve(kChunk + 4096);
  for (int row = 0, n = table.rowCount(); row < n; ++row) {
    buffer += table.isChecked(row) ? '1' : '0';
    table.appendCells(row, 1, buffer);
    buffer += "\r\n";
    if (buffer.size() >= kChunk) {
      if (!sink.write(buffer)) return false;
      buffer.clear();
    }
  }
  return buffer.empty() || sink.write(buffer);
}

std::string SerializeTable(const AnalysisTable& table) {
  StringSink sink;
  SerializeTable(table, sink);
  return std::move(sink.text);
}

}  // namespace vestrane
