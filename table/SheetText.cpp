// SPDX-License-Identifier: MIT
#include "table/SheetText.h"

#include <algorithm>
#include <cstring>

#include "table/CellText.h"

namespace vestrane {

bool SheetTextBuilder::grow(std::size_t bytes) {
  if (bytes > limit_ || text_.size() > limit_ - bytes) {
    tooLarge_ = true;
    return false;
  }
  return true;
}

bool SheetTextBuilder::setCell(std::size_t row, std::size_t column, std::string_view text) {
  if (text.empty()) return true;
  if (rowOpen_ && row < row_) {
    outOfOrder_ = true;
    return false;
  }
  if (!rowOpen_ && row < lineStarts_.size()) {
    outOfOrder_ = true;
    return false;
  }
  if (rowOpen_ && row != row_ && !flushRow()) return false;
  if (!rowOpen_) {
    // Rows without a value in between stay empty lines.
    std::size_t gap = row - lineStarts_.size();
    if (gap > limit_ / 2) {
      tooLarge_ = true;
      return false;
    }
    if (!grow(gap * 2)) return false;
    for (std::size_t i = 0; i < gap; ++i) {
      lineStarts_.push_back(text_.size());
      lineFields_.push_back(0);
      text_ += "\r\n";
    }
    rowOpen_ = true;
    row_ = row;
    cellsUsed_ = 0;
    rowBytes_ = 0;
    rowColumns_ = 0;
  }
  // A row's text is at least its cells and the TABs up to its last one;
  // the cells buffered so far count too, so that a row of many large cells
  // stops at the limit before it is written.
  std::size_t columns = std::max(rowColumns_, column + 1);
  if (column >= limit_ || text.size() > limit_ || !grow(rowBytes_ + text.size() + columns + 1)) {
    tooLarge_ = true;
    return false;
  }
  // Cells mostly come from left to right: only a cell that is not right of
  // every buffered one may take the place of an earlier one.
  if (column < rowColumns_) {
    for (std::size_t i = cellsUsed_; i-- > 0;) {
      if (cells_[i].column == column) {
        rowBytes_ -= cells_[i].text.size();
        cells_[i].text.clear();
        appendFieldText(cells_[i].text, text);
        rowBytes_ += text.size();
        return true;
      }
    }
  }
  rowBytes_ += text.size();
  rowColumns_ = columns;
  if (cellsUsed_ == cells_.size()) cells_.emplace_back();
  Cell& cell = cells_[cellsUsed_++];
  cell.column = column;
  cell.text.clear();
  appendFieldText(cell.text, text);
  return true;
}

bool SheetTextBuilder::flushRow() {
  rowOpen_ = false;
  auto begin = cells_.begin();
  auto end = begin + static_cast<std::ptrdiff_t>(cellsUsed_);
  if (!std::is_sorted(begin, end, [](const Cell& a, const Cell& b) { return a.column < b.column; })) {
    std::sort(begin, end, [](const Cell& a, const Cell& b) { return a.column < b.column; });
  }
  std::size_t fields = cells_[cellsUsed_ - 1].column + 1;
  std::size_t bytes = fields + 1;  // the TABs and CR LF
  for (std::size_t i = 0; i < cellsUsed_; ++i) bytes += cells_[i].text.size();
  if (!grow(bytes)) return false;
  lineStarts_.push_back(text_.size());
  lineFields_.push_back(static_cast<std::uint32_t>(fields));
  std::size_t column = 0;
  for (std::size_t i = 0; i < cellsUsed_; ++i) {
    for (; column < cells_[i].column; ++column) text_ += '\t';
    text_ += cells_[i].text;
  }
  text_ += "\r\n";
  width_ = std::max(width_, fields);
  return true;
}

std::string SheetTextBuilder::finish() {
  if (rowOpen_ && !flushRow()) {
    rowOpen_ = false;
  }
  // Pads every row with a value to the widest row's fields: the text grows
  // in place, each line moving back to its final place, the last line first.
  std::size_t extra = 0;
  for (std::uint32_t fields : lineFields_) {
    if (fields != 0) extra += width_ - fields;
  }
  if (extra != 0 && grow(extra)) {
    std::size_t oldSize = text_.size();
    text_.resize(oldSize + extra);
    char* data = &text_[0];
    std::size_t lineEnd = oldSize;
    std::size_t shift = extra;
    for (std::size_t i = lineStarts_.size(); i-- > 0 && shift != 0;) {
      std::size_t start = lineStarts_[i];
      std::size_t pad = lineFields_[i] == 0 ? 0 : width_ - lineFields_[i];
      // The line without its CR LF, then the padding, then CR LF.
      std::size_t body = lineEnd - 2 - start;
      char* to = data + start + shift - pad;
      std::memcpy(to + body + pad, "\r\n", 2);
      std::memset(to + body, '\t', pad);
      std::memmove(to, data + start, body);
      shift -= pad;
      lineEnd = start;
    }
  }
  std::string out;
  out.swap(text_);
  lineStarts_.clear();
  lineFields_.clear();
  width_ = 0;
  return out;
}

}  // namespace vestrane
