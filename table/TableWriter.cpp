#include "table/TableWriter.h"

namespace vestrane {

std::string HeaderLine(const AnalysisTable& table) {
  std::string line = table.caption(0);
  for (int c = 1; c < table.columnCount(); ++c) {
    line += '\t';
    line += table.caption(c);
  }
  line += "\r\n";
  return line;
}

bool SerializeTable(const AnalysisTable& table, const std::function<bool(std::string_view)>& sink) {
  constexpr std::size_t kChunk = 1 << 20;
  std::string buffer = HeaderLine(table);
  buffer.reserve(kChunk + 4096);
  for (int row = 0, n = table.rowCount(); row < n; ++row) {
    buffer += table.isChecked(row) ? '1' : '0';
    table.appendCells(row, 1, buffer);
    buffer += "\r\n";
    if (buffer.size() >= kChunk) {
      if (!sink(buffer)) return false;
      buffer.clear();
    }
  }
  return buffer.empty() || sink(buffer);
}

std::string SerializeTable(const AnalysisTable& table) {
  std::string text;
  SerializeTable(table, [&text](std::string_view piece) {
    text.append(piece.data(), piece.size());
    return true;
  });
  return text;
}

}  // namespace vestrane
