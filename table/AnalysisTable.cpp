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
  // Extra columns are only ever removed all together, so rows that hold cells
  // for them keep those bytes: the cells read as "-" once the columns are gone
  // and a new column of the same index appears, unless we cut them here.
  captions_.resize(kFixedColumns);
  for (Row& r : rows_)
    if (r.cellCount > kFixedColumns - 1) r.cellCount = kFixedColumns - 1;
  ++revision_;
}

std::string_view AnalysisTable::cell(int row, int column) const {
  const Row& r = rows_[static_cast<std::size_t>(row)];
  auto index = static_cast<std::uint32_t>(column - 1);
  if (column < 1 || index >= r.cellCount) return kMissing;
  const Cell& c = cells_[r.firstCell + index];
  if (c.length == kMissingLength) return kMissing;
  return std::string_view(pool_.data() + r.poolOffset + c.offset, c.length);
}

void AnalysisTable::appendRow(bool checked, const std::vector<std::string_view>& cells) {
  Row r;
  r.poolOffset = pool_.size();
  r.firstCell = cells_.size();
  r.cellCount = static_cast<std::uint32_t>(cells.size());
  r.checked = checked;
  std::uint64_t offset = 0;
  for (std::string_view v : cells) {
    if (v.data() == kMissing.data()) {
      cells_.push_back({0, kMissingLength});
      continue;
    }
    if (offset + v.size() > 0xFFFFFFF0u) throw std::length_error("table line too long");
    cells_.push_back({static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(v.size())});
    pool_.append(v.data(), v.size());
    offset += v.size();
  }
  rows_.push_back(r);
  rowPoint_.push_back(-1);
  ++revision_;
}

void AnalysisTable::dropLastRow() {
  const Row& r = rows_.back();
  pool_.resize(r.poolOffset);
  cells_.resize(r.firstCell);
  rows_.pop_back();
  rowPoint_.pop_back();
  ++revision_;
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
