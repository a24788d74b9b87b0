#include "table/AnalysisTable.h"

#include <cstring>
#include <stdexcept>

namespace vestrane {

AnalysisTable::AnalysisTable() : captions_{"Select", "Sample", "Area", "Mineral", "Analysis"} {}

void AnalysisTable::setCaption(int column, std::string caption) {
  captions_[static_cast<std::size_t>(column)] = std::move(caption);
  ++revision_;
}

int AnalysisTable::appendColumn(std::string caption) {
  captions_.push_back(std::move(caption));
  ++revision_;
  return columnCount() - 1;
}

void AnalysisTable::removeExtraColumns() {
  captions_.resize(kFixedColumns);
  // Rows that hold cells of the removed columns forget them, so a column
  // appended later at the same index starts as "-" in every row.
  for (Row& r : rows_) {
    if (!r.sparse) {
      if (r.cellCount > kFixedColumns - 1) r.cellCount = kFixedColumns - 1;
      continue;
    }
    const Cell* first = cells_.data() + r.firstCell;
    std::uint32_t keep = 0;
    while (keep < r.cellCount && first[2 * keep] < static_cast<Cell>(kFixedColumns)) ++keep;
    r.cellCount = keep;
  }
  ++revision_;
}

std::string_view AnalysisTable::cell(int row, int column) const {
  const Row& r = rows_[static_cast<std::size_t>(row)];
  if (column < 1) return kMissing;
  const Cell* first = cells_.data() + r.firstCell;
  if (r.sparse) {
    // Binary search over the (column, end) pairs.
    std::uint32_t lo = 0, hi = r.cellCount;
    auto wanted = static_cast<Cell>(column);
    while (lo < hi) {
      std::uint32_t mid = (lo + hi) / 2;
      if (first[2 * mid] < wanted)
        lo = mid + 1;
      else
        hi = mid;
    }
    if (lo == r.cellCount || first[2 * lo] != wanted) return kMissing;
    Cell begin = lo == 0 ? 0 : first[2 * lo - 1];
    return std::string_view(pool_.data() + r.poolOffset + begin, first[2 * lo + 1] - begin);
  }
  auto index = static_cast<std::uint32_t>(column - 1);
  if (index >= r.cellCount) return kMissing;
  const Cell* c = first + index;
  if (*c & kMissingBit) return kMissing;
  Cell begin = index == 0 ? 0 : (c[-1] & ~kMissingBit);
  return std::string_view(pool_.data() + r.poolOffset + begin, *c - begin);
}

void AnalysisTable::appendRow(bool checked, const CellValue* cells, std::size_t count) {
  Row r;
  r.poolOffset = pool_.size();
  r.firstCell = cells_.size();
  r.checked = checked;
  const auto lastColumn = count == 0 ? 0u : static_cast<std::uint32_t>(cells[count - 1].column);
  r.sparse = lastColumn > 2 * count + 8;
  r.cellCount = r.sparse ? static_cast<std::uint32_t>(count) : lastColumn;

  // All of the row's bytes go into the pool in one step.
  std::uint64_t bytes = 0;
  for (std::size_t i = 0; i < count; ++i) bytes += cells[i].text.size();
  if (bytes >= kMissingBit) throw std::length_error("table line too long");
  const std::size_t poolStart = pool_.size();
  pool_.resize(poolStart + bytes);
  char* out = pool_.data() + poolStart;
  const std::size_t cellStart = cells_.size();
  cells_.resize(cellStart + (r.sparse ? 2 * count : lastColumn));
  Cell* entry = cells_.data() + cellStart;

  Cell end = 0;
  std::uint32_t nextColumn = 1;
  for (std::size_t i = 0; i < count; ++i) {
    const CellValue& v = cells[i];
    if (!v.text.empty()) std::memcpy(out + end, v.text.data(), v.text.size());
    if (r.sparse) {
      end += static_cast<Cell>(v.text.size());
      *entry++ = static_cast<Cell>(v.column);
      *entry++ = end;
      continue;
    }
    for (; nextColumn < static_cast<std::uint32_t>(v.column); ++nextColumn) *entry++ = end | kMissingBit;
    end += static_cast<Cell>(v.text.size());
    *entry++ = end;
    ++nextColumn;
  }
  rows_.push_back(r);
  rowPoint_.push_back(-1);
  ++revision_;
}

void AnalysisTable::reserve(std::size_t rows, std::size_t cells, std::size_t bytes) {
  rows_.reserve(rows_.size() + rows);
  rowPoint_.reserve(rowPoint_.size() + rows);
  cells_.reserve(cells_.size() + cells);
  pool_.reserve(pool_.size() + bytes);
}

std::string AnalysisTable::pointKey(std::string_view sample, std::string_view area) {
  // Length-prefixed, so no byte of a cell can be mistaken for the boundary.
  std::string key = std::to_string(sample.size());
  key += ':';
  key.append(sample.data(), sample.size());
  key.append(area.data(), area.size());
  return key;
}

void AnalysisTable::commitRow() {
  int row = rowCount() - 1;
  // Rows of one point mostly come one after another.
  if (row > 0 && cell(row, ColSample) == cell(row - 1, ColSample) &&
      cell(row, ColArea) == cell(row - 1, ColArea)) {
    int point = rowPoint_[static_cast<std::size_t>(row - 1)];
    points_[static_cast<std::size_t>(point)].rows.push_back(row);
    rowPoint_.back() = point;
    return;
  }
  std::string key = pointKey(cell(row, ColSample), cell(row, ColArea));
  auto [it, inserted] = pointIndex_.try_emplace(std::move(key), pointCount());
  if (inserted) points_.emplace_back();
  points_[static_cast<std::size_t>(it->second)].rows.push_back(row);
  rowPoint_.back() = it->second;
}

void AnalysisTable::clearRows() {
  rows_.clear();
  rows_.shrink_to_fit();
  cells_.clear();
  cells_.shrink_to_fit();
  pool_.clear();
  pool_.shrink_to_fit();
  rowPoint_.clear();
  rowPoint_.shrink_to_fit();
  points_.clear();
  pointIndex_.clear();
  ++revision_;
}

int AnalysisTable::findPoint(std::string_view sample, std::string_view area) const {
  auto it = pointIndex_.find(pointKey(sample, area));
  return it == pointIndex_.end() ? -1 : it->second;
}

std::size_t AnalysisTable::memoryUsed() const {
  std::size_t bytes = pool_.capacity() + cells_.capacity() * sizeof(Cell) +
                      rows_.capacity() * sizeof(Row) + rowPoint_.capacity() * sizeof(int);
  for (const Point& p : points_) bytes += p.rows.capacity() * sizeof(int) + sizeof(Point);
  for (const auto& kv : pointIndex_) bytes += kv.first.capacity() + 48;
  return bytes;
}

}  // namespace vestrane
