// SPDX-License-Identifier: MIT
#pragma once
// A sheet's cells to table text: one line per row from the sheet's first
// row on, fields separated by TAB, lines ending with CR LF. Every row that
// holds a value has as many fields as the widest row; a row without any
// value is an empty line, so a line's number is the sheet's row number.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vestrane {

class SheetTextBuilder {
 public:
  /// @p limit: the most bytes the table text may take.
  explicit SheetTextBuilder(std::size_t limit) : limit_(limit) {}

  /// Sets the cell in @p row and @p column (both from 0) to @p text, which
  /// appendFieldText cleans. Rows come in increasing order, the cells of a
  /// row in any order (a later cell of the same place replaces an earlier
  /// one). An empty text is no value.
  /// @return false, and nothing is set, when the row comes before one set
  /// already (outOfOrder()) or the text would pass the limit (tooLarge()).
  bool setCell(std::size_t row, std::size_t column, std::string_view text);

  /// The table text; the builder is empty afterwards.
  std::string finish();

  bool tooLarge() const { return tooLarge_; }
  bool outOfOrder() const { return outOfOrder_; }

 private:
  struct Cell {
    std::size_t column;
    std::string text;
  };
  /// Writes the buffered row as a line (padding comes in finish).
  bool flushRow();
  bool grow(std::size_t bytes);

  std::size_t limit_;
  std::string text_;
  // For every line written: where it starts and how many fields it has
  // (0 for an empty line).
  std::vector<std::size_t> lineStarts_;
  std::vector<std::uint32_t> lineFields_;
  std::size_t width_ = 0;  ///< fields of the widest row
  bool rowOpen_ = false;
  std::size_t row_ = 0;  ///< the buffered row, when rowOpen_
  std::vector<Cell> cells_;
  std::size_t cellsUsed_ = 0;
  std::size_t rowBytes_ = 0;    ///< the buffered cells' text
  std::size_t rowColumns_ = 0;  ///< up to the buffered row's last cell
  bool tooLarge_ = false;
  bool outOfOrder_ = false;
};

}  // namespace vestrane
