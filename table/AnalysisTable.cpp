// SPDX-License-Identifier: MIT
#include "table/AnalysisTable.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/core/Memory.h"

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
    std::uint32_t keep = 0;
    while (keep < r.cellCount && wideAt(unitsOf(r), r.firstCell + 4 * keep) < static_cast<Wide>(kFixedColumns))
      ++keep;
    r.cellCount = keep;
  }
  ++revision_;
}

std::string_view AnalysisTable::cell(int row, int column) const {
  const Row& r = rows_[static_cast<std::size_t>(row)];
  if (column < 1) return kMissing;
  const char* bytes = poolOf(r) + r.poolOffset;
  const Unit* units = unitsOf(r);
  auto index = static_cast<std::uint32_t>(column - 1);
  if (r.narrow) {
    if (index >= r.cellCount) return kMissing;
    const Unit* c = units + r.firstCell + index;
    if (*c & kNarrowMissingBit) return kMissing;
    Unit begin = index == 0 ? 0 : static_cast<Unit>(c[-1] & ~kNarrowMissingBit);
    return std::string_view(bytes + begin, static_cast<std::size_t>(*c - begin));
  }
  if (r.sparse) {
    // Binary search over the (column, end) pairs, each pair four units.
    std::uint32_t lo = 0, hi = r.cellCount;
    auto wanted = static_cast<Wide>(column);
    while (lo < hi) {
      std::uint32_t mid = (lo + hi) / 2;
      if (wideAt(units, r.firstCell + 4 * mid) < wanted)
        lo = mid + 1;
      else
        hi = mid;
    }
    if (lo == r.cellCount || wideAt(units, r.firstCell + 4 * lo) != wanted) return kMissing;
    Wide begin = lo == 0 ? 0 : wideAt(units, r.firstCell + 4 * lo - 2);
    return std::string_view(bytes + begin, wideAt(units, r.firstCell + 4 * lo + 2) - begin);
  }
  if (index >= r.cellCount) return kMissing;
  const std::size_t at = r.firstCell + 2 * static_cast<std::size_t>(index);
  Wide end = wideAt(units, at);
  if (end & kMissingBit) return kMissing;
  Wide begin = index == 0 ? 0 : (wideAt(units, at - 2) & ~kMissingBit);
  return std::string_view(bytes + begin, end - begin);
}

namespace {

// Copies @p n bytes. Most cells are a few bytes long: they move in one or
// two fixed-size pieces (overlapping when need be) instead of a library
// call each; no byte outside the source or the target is touched.
inline void copyCell(char* out, const char* in, std::size_t n) {
  if (n >= 16) {
    std::memcpy(out, in, n);
  } else if (n >= 8) {
    std::uint64_t a, b;
    std::memcpy(&a, in, 8);
    std::memcpy(&b, in + n - 8, 8);
    std::memcpy(out, &a, 8);
    std::memcpy(out + n - 8, &b, 8);
  } else if (n >= 4) {
    std::uint32_t a, b;
    std::memcpy(&a, in, 4);
    std::memcpy(&b, in + n - 4, 4);
    std::memcpy(out, &a, 4);
    std::memcpy(out + n - 4, &b, 4);
  } else if (n > 0) {
    out[0] = in[0];
    out[n / 2] = in[n / 2];
    out[n - 1] = in[n - 1];
  }
}

// Writes the entries of a row (dense or sparse) into @p entry, whose type
// is its width, and its bytes into @p out.
template <bool sparse, class Entry>
void writeCells(const AnalysisTable::CellValue* cells, std::size_t count, Entry missingBit, char* out,
                Entry* entry) {
  Entry end = 0;
  std::uint32_t nextColumn = 1;
  for (std::size_t i = 0; i < count; ++i) {
    const AnalysisTable::CellValue& v = cells[i];
    copyCell(out + end, v.text.data(), v.text.size());
    if (sparse) {
      end = static_cast<Entry>(end + v.text.size());
      *entry++ = static_cast<Entry>(v.column);
      *entry++ = end;
      continue;
    }
    const auto column = static_cast<std::uint32_t>(v.column);
    if (column != nextColumn) {
      // Columns without a cell before this one read "-".
      for (; nextColumn < column; ++nextColumn) *entry++ = static_cast<Entry>(end | missingBit);
    }
    end = static_cast<Entry>(end + v.text.size());
    *entry++ = end;
    nextColumn = column + 1;
  }
}

}  // namespace

void AnalysisTable::appendCells(int row, int fromColumn, std::string& out) const {
  const int columns = columnCount();
  if (fromColumn < 1) fromColumn = 1;
  if (fromColumn >= columns) return;
  const Row& r = rows_[static_cast<std::size_t>(row)];
  if (!r.narrow) {
    for (int c = fromColumn; c < columns; ++c) {
      out += '\t';
      std::string_view v = cell(row, c);
      out.append(v.data(), v.size());
    }
    return;
  }
  // A narrow row is walked entry by entry: each cell begins where the one
  // before it ends, so the bytes are copied without looking any cell up.
  const auto from = static_cast<std::uint32_t>(fromColumn - 1);
  const auto wanted = static_cast<std::uint32_t>(columns - 1);
  const std::uint32_t stored = std::min(r.cellCount, wanted);
  const Unit* entry = unitsOf(r) + r.firstCell;
  const char* bytes = poolOf(r) + r.poolOffset;
  Unit begin = from == 0 || from > stored ? 0 : static_cast<Unit>(entry[from - 1] & ~kNarrowMissingBit);
  const Unit last = stored == 0 || from >= stored ? begin : static_cast<Unit>(entry[stored - 1] & ~kNarrowMissingBit);
  // Space for every cell's bytes and TAB, and "-" for the missing ones.
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(last - begin) + 2 * static_cast<std::size_t>(wanted - from));
  char* o = out.data() + at;
  std::uint32_t i = from;
  for (; i < stored; ++i) {
    *o++ = '\t';
    const Unit e = entry[i];
    if (e & kNarrowMissingBit) {
      *o++ = '-';
      continue;
    }
    copyCell(o, bytes + begin, static_cast<std::size_t>(e - begin));
    o += e - begin;
    begin = e;
  }
  for (; i < wanted; ++i) {
    *o++ = '\t';
    *o++ = '-';
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
}

void AnalysisTable::appendRow(bool checked, const CellValue* cells, std::size_t count) {
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < count; ++i) bytes += cells[i].text.size();
  appendRow(checked, cells, count, bytes);
}

void AnalysisTable::appendRow(bool checked, const CellValue* cells, std::size_t count, std::size_t bytes) {
  Row r;
  r.poolOffset = pool_.size();
  r.firstCell = cells_.size();
  r.checked = checked;
  r.store = 0;
  const auto lastColumn = count == 0 ? 0u : static_cast<std::uint32_t>(cells[count - 1].column);
  r.sparse = lastColumn > 2 * count + 8;
  r.cellCount = r.sparse ? static_cast<std::uint32_t>(count) : lastColumn;

  // All of the row's bytes go into the pool in one step.
  if (bytes >= kMissingBit) throw std::length_error("table line too long");
  r.narrow = !r.sparse && bytes < kNarrowMissingBit;
  const std::size_t poolStart = pool_.size();
  pool_.resize(poolStart + bytes);
  char* out = pool_.data() + poolStart;
  const std::size_t cellStart = cells_.size();
  if (r.narrow) {
    cells_.resize(cellStart + lastColumn);
    writeCells<false, Unit>(cells, count, kNarrowMissingBit, out, cells_.data() + cellStart);
  } else {
    // Wide entries are written to an aligned scratch row and copied in.
    const std::size_t entries = r.sparse ? 2 * count : lastColumn;
    wideScratch_.resize(entries);
    if (r.sparse)
      writeCells<true, Wide>(cells, count, kMissingBit, out, wideScratch_.data());
    else
      writeCells<false, Wide>(cells, count, kMissingBit, out, wideScratch_.data());
    cells_.resize(cellStart + 2 * entries);
    if (entries) std::memcpy(cells_.data() + cellStart, wideScratch_.data(), entries * sizeof(Wide));
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
  // The three large blocks are about to be filled from end to end.
  adviseLargePages(rows_.data(), rows_.capacity() * sizeof(Row));
  adviseLargePages(cells_.data(), cells_.capacity() * sizeof(Unit));
  adviseLargePages(pool_.data(), pool_.capacity());
}

void AnalysisTable::shrinkToFit() {
  rows_.shrink_to_fit();
  rowPoint_.shrink_to_fit();
  cells_.shrink_to_fit();
  pool_.shrink_to_fit();
}

std::size_t AnalysisTable::pointHash(std::string_view sample, std::string_view area) {
  std::size_t h = std::hash<std::string_view>()(sample);
  // The two hashes are mixed unevenly, so (x, y) and (y, x) differ.
  return (h ^ (h >> 29)) * 0x9E3779B97F4A7C15ull + std::hash<std::string_view>()(area);
}

std::size_t AnalysisTable::findSlot(std::string_view sample, std::string_view area,
                                    std::size_t hash) const {
  const std::size_t mask = pointSlots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    int point = pointSlots_[i];
    if (point < 0) return i;
    const Point& p = points_[static_cast<std::size_t>(point)];
    if (p.hash == hash) {
      int row = p.rows.front();
      if (sameText(cell(row, ColSample), sample) && sameText(cell(row, ColArea), area)) return i;
    }
  }
}

void AnalysisTable::growPointIndex() { indexPoints(pointSlots_.empty() ? 64 : 2 * pointSlots_.size()); }

void AnalysisTable::indexPoints(std::size_t size) {
  pointSlots_.assign(size, -1);
  const std::size_t mask = size - 1;
  for (std::size_t point = 0; point < points_.size(); ++point) {
    std::size_t i = points_[point].hash & mask;
    while (pointSlots_[i] >= 0) i = (i + 1) & mask;
    pointSlots_[i] = static_cast<int>(point);
  }
}

void AnalysisTable::commitRow() {
  int row = rowCount() - 1;
  std::string_view sample = cell(row, ColSample);
  std::string_view area = cell(row, ColArea);
  // Rows of one point mostly come one after another.
  if (row > 0 && sameText(sample, cell(row - 1, ColSample)) && sameText(area, cell(row - 1, ColArea))) {
    int point = rowPoint_[static_cast<std::size_t>(row - 1)];
    points_[static_cast<std::size_t>(point)].rows.push_back(row);
    rowPoint_.back() = point;
    return;
  }
  // At most half the slots are taken, so a search always meets an empty one.
  if (2 * (points_.size() + 1) > pointSlots_.size()) growPointIndex();
  const std::size_t hash = pointHash(sample, area);
  const std::size_t slot = findSlot(sample, area, hash);
  int point = pointSlots_[slot];
  if (point < 0) {
    point = pointCount();
    points_.push_back(Point{{}, hash});
    pointSlots_[slot] = point;
  }
  points_[static_cast<std::size_t>(point)].rows.push_back(row);
  rowPoint_.back() = point;
}

void AnalysisTable::appendRowsOf(AnalysisTable&& other) {
  // The other table's storage is taken over as it is; only when this table
  // holds as many such stores as a row can name are the cell bytes and
  // entries copied over, in one piece each.
  const bool takeOver = stores_.size() < kMaxStores;
  const std::size_t poolBase = takeOver ? 0 : pool_.size();
  const std::size_t cellBase = takeOver ? 0 : cells_.size();
  if (takeOver) {
    stores_.push_back(Store{std::move(other.cells_), std::move(other.pool_)});
  } else {
    pool_.resize(poolBase + other.pool_.size());
    if (!other.pool_.empty()) std::memcpy(pool_.data() + poolBase, other.pool_.data(), other.pool_.size());
    cells_.resize(cellBase + other.cells_.size());
    if (!other.cells_.empty())
      std::memcpy(cells_.data() + cellBase, other.cells_.data(), other.cells_.size() * sizeof(Unit));
  }
  const auto store = static_cast<std::uint8_t>(takeOver ? stores_.size() : 0);
  const int rowBase = rowCount();
  rows_.reserve(rows_.size() + other.rows_.size());
  rowPoint_.reserve(rowPoint_.size() + other.rows_.size());
  std::size_t indexed = 0;
  for (const Point& p : other.points_) indexed += p.rows.size();
  if (indexed != other.rows_.size()) {
    // Rows the other table did not index are indexed one by one.
    for (Row r : other.rows_) {
      r.poolOffset += poolBase;
      r.firstCell += cellBase;
      r.store = store;
      rows_.push_back(r);
      rowPoint_.push_back(-1);
      commitRow();
    }
  } else {
    for (Row r : other.rows_) {
      r.poolOffset += poolBase;
      r.firstCell += cellBase;
      r.store = store;
      rows_.push_back(r);
    }
    // Each of the other table's points, in its order (that of their first
    // rows), is found here or added, and its rows follow the ones it has.
    std::vector<int> pointOf(other.points_.size());
    for (std::size_t op = 0; op < other.points_.size(); ++op) {
      const Point& p = other.points_[op];
      const int first = p.rows.front() + rowBase;
      if (2 * (points_.size() + 1) > pointSlots_.size()) growPointIndex();
      const std::size_t slot = findSlot(cell(first, ColSample), cell(first, ColArea), p.hash);
      int point = pointSlots_[slot];
      if (point < 0) {
        point = pointCount();
        points_.push_back(Point{{}, p.hash});
        pointSlots_[slot] = point;
      }
      pointOf[op] = point;
      std::vector<int>& rows = points_[static_cast<std::size_t>(point)].rows;
      for (int row : p.rows) rows.push_back(row + rowBase);
    }
    for (int op : other.rowPoint_) rowPoint_.push_back(pointOf[static_cast<std::size_t>(op)]);
  }
  other.clearRows();
  ++revision_;
}

void AnalysisTable::clearRows() {
  rows_.clear();
  rows_.shrink_to_fit();
  cells_.clear();
  cells_.shrink_to_fit();
  pool_.clear();
  pool_.shrink_to_fit();
  stores_.clear();
  stores_.shrink_to_fit();
  rowPoint_.clear();
  rowPoint_.shrink_to_fit();
  points_.clear();
  pointSlots_.clear();
  pointSlots_.shrink_to_fit();
  ++revision_;
}

AnalysisTable::Mark AnalysisTable::mark() const {
  Mark m;
  m.rows = rows_.size();
  m.columns = captions_.size();
  m.pool = pool_.size();
  m.cells = cells_.size();
  m.stores = stores_.size();
  m.points = points_.size();
  m.fixedCaptions.assign(captions_.begin(), captions_.begin() + kFixedColumns);
  return m;
}

void AnalysisTable::rollBack(Mark& m) {
  // Rows appended since leave their points (each point's rows are in
  // increasing order), the points they began go, and the storage shrinks
  // back to what the earlier rows use.
  points_.resize(m.points);
  for (Point& p : points_)
    while (!p.rows.empty() && static_cast<std::size_t>(p.rows.back()) >= m.rows) p.rows.pop_back();
  rows_.resize(m.rows);
  rowPoint_.resize(std::min(rowPoint_.size(), m.rows));
  pool_.resize(m.pool);
  cells_.resize(m.cells);
  stores_.resize(m.stores);
  if (!pointSlots_.empty()) indexPoints(pointSlots_.size());
  // Rows kept hold no cells of the columns that go: those came after them.
  captions_.resize(m.columns);
  for (std::size_t c = 0; c < m.fixedCaptions.size(); ++c) captions_[c].swap(m.fixedCaptions[c]);
  shrinkToFit();
  ++revision_;
}

int AnalysisTable::findPoint(std::string_view sample, std::string_view area) const {
  if (pointSlots_.empty()) return -1;
  return pointSlots_[findSlot(sample, area, pointHash(sample, area))];
}

std::size_t AnalysisTable::memoryUsed() const {
  std::size_t bytes = pool_.capacity() + cells_.capacity() * sizeof(Unit) +
                      rows_.capacity() * sizeof(Row) + rowPoint_.capacity() * sizeof(int) +
                      pointSlots_.capacity() * sizeof(int) + wideScratch_.capacity() * sizeof(Wide);
  for (const Point& p : points_) bytes += p.rows.capacity() * sizeof(int) + sizeof(Point);
  for (const Store& s : stores_) bytes += s.pool.capacity() + s.cells.capacity() * sizeof(Unit);
  return bytes;
}

}  // namespace vestrane
