// SPDX-License-Identifier: MIT
#pragma once
// The analysis table: the loaded analyses, one row per analysis, with the
// five fixed columns Select, Sample, Area, Mineral, Analysis and any number of
// extra columns taken over from table headers.
//
// Rows are appended and only ever removed all together (or the last one right
// after it was appended), and cells are never edited, so the cell bytes live
// in one append-only pool. A row stores only the cells it had when it was
// read; a column appended later reads as "-" in older rows without touching
// them. Rows are indexed by point (Sample, Area) as they are appended, so
// everything that works on one point visits only that point's rows.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vestrane {

inline constexpr std::string_view kMissing = "-";

/// Whether @p a and @p b hold the same bytes. Cells are short, and a plain
/// loop over them beats a library call per comparison.
inline bool sameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

enum FixedColumn : int { ColSelect = 0, ColSample = 1, ColArea = 2, ColMineral = 3, ColAnalysis = 4 };
inline constexpr int kFixedColumns = 5;

class AnalysisTable {
 public:
  AnalysisTable();

  // ---- columns
  int columnCount() const { return static_cast<int>(captions_.size()); }
  const std::string& caption(int column) const { return captions_[static_cast<std::size_t>(column)]; }
  void setCaption(int column, std::string caption);
  /// Appends an extra column; every existing row reads "-" in it. @return its index.
  int appendColumn(std::string caption);
  /// Removes all extra columns; the fixed columns keep their captions.
  void removeExtraColumns();

  // ---- rows
  int rowCount() const { return static_cast<int>(rows_.size()); }
  bool isChecked(int row) const { return rows_[static_cast<std::size_t>(row)].checked; }
  void setChecked(int row, bool checked) { rows_[static_cast<std::size_t>(row)].checked = checked; }
  /// The cell of @p row in @p column (1 and up); "-" where the row has none.
  std::string_view cell(int row, int column) const;
  /// Appends to @p out a TAB and the cell for each column from @p fromColumn
  /// (1 and up) to the last, as a saved or generated line has them.
  void appendCells(int row, int fromColumn, std::string& out) const;
  /// The row label: the row's index in decimal.
  std::string rowLabel(int row) const { return std::to_string(row); }

  /// A cell given to appendRow: its column (1 and up) and its bytes.
  struct CellValue {
    int column;
    std::string_view text;
  };
  /// Appends a row from its cells, sorted by column, each column once; cells
  /// not given read "-". Call commitRow() next to index it by point.
  void appendRow(bool checked, const CellValue* cells, std::size_t count);
  /// The same when the caller knows the cells' @p bytes in all.
  void appendRow(bool checked, const CellValue* cells, std::size_t count, std::size_t bytes);
  /// Adds the row appended last to the point index.
  void commitRow();
  /// Appends the rows of @p other, read with this table's columns and
  /// holding no rows of a third table, and adds them to the point index
  /// (by the other table's points, when it indexed all its rows).
  /// Their cells stay where @p other stored them: this table takes over
  /// that storage (and copies it only when it already holds many).
  void appendRowsOf(AnalysisTable&& other);
  /// Removes all rows.
  void clearRows();

  /// The rows, columns and fixed captions the table holds at one moment.
  struct Mark {
    std::size_t rows = 0, columns = 0, pool = 0, cells = 0, stores = 0, points = 0;
    std::vector<std::string> fixedCaptions;
  };
  Mark mark() const;
  /// Returns the table to @p mark, taken since: the rows and columns
  /// appended after it go, and the fixed columns get their captions back.
  /// For a read that failed half-way, which appends only.
  void rollBack(Mark& mark);

  // ---- points: distinct (Sample, Area) pairs, compared exactly
  int pointCount() const { return static_cast<int>(points_.size()); }
  /// The point of @p row.
  int pointOf(int row) const { return rowPoint_[static_cast<std::size_t>(row)]; }
  /// The point of (sample, area), or -1.
  int findPoint(std::string_view sample, std::string_view area) const;
  /// Rows of @p point in increasing order.
  const std::vector<int>& pointRows(int point) const { return points_[static_cast<std::size_t>(point)].rows; }

  /// Reserves capacity for @p rows more rows holding @p cells cells of @p bytes bytes.
  void reserve(std::size_t rows, std::size_t cells, std::size_t bytes);
  /// Gives back the capacity reserved beyond the rows held.
  void shrinkToFit();

  /// Bytes held by the table (cell pool and indexes), for the benchmarks.
  std::size_t memoryUsed() const;

  /// Counts changes of the rows and columns (not of checked flags), so a view
  /// can tell whether it must reload.
  std::uint64_t revision() const { return revision_; }

 private:
  /// An allocator whose growth leaves new elements uninitialised: the pool
  /// and the cell entries are written right after they grow, so filling
  /// them with zeros first would only cost a second pass over the memory.
  template <class T>
  struct GrowAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
      using other = GrowAllocator<U>;
    };
    GrowAllocator() = default;
    template <class U>
    GrowAllocator(const GrowAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept {
      ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
      ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
  };

  // A row keeps its cells densely (one entry per column up to its last
  // given cell) or, when most of those would be "-", sparsely (a column
  // number before each entry), so memory follows the bytes read, never
  // rows times columns. An entry is the end of the cell's bytes, counted
  // from the row's start in the pool; a cell starts where the entry before
  // it ends. The top bit marks "-" in dense rows. A dense row of fewer than
  // 32768 bytes has narrow entries of one 16-bit unit each; other rows have
  // wide entries of 32 bits in two units.
  using Unit = std::uint16_t;
  using Wide = std::uint32_t;
  static constexpr Wide kMissingBit = 0x80000000u;
  static constexpr Unit kNarrowMissingBit = 0x8000u;
  struct Row {
    std::uint64_t poolOffset;
    std::uint64_t firstCell;  ///< index of the row's first unit
    std::uint32_t cellCount;  ///< dense: cells; sparse: (column, end) pairs
    bool checked;
    bool sparse;
    bool narrow;
    std::uint8_t store;  ///< 0: the table's own cells; k: those of stores_[k - 1]
  };
  /// The cells of rows taken over from another table.
  struct Store {
    std::vector<Unit, GrowAllocator<Unit>> cells;
    std::vector<char, GrowAllocator<char>> pool;
  };
  static constexpr std::size_t kMaxStores = 255;
  const char* poolOf(const Row& r) const { return r.store == 0 ? pool_.data() : stores_[r.store - 1u].pool.data(); }
  const Unit* unitsOf(const Row& r) const {
    return r.store == 0 ? cells_.data() : stores_[r.store - 1u].cells.data();
  }
  struct Point {
    std::vector<int> rows;
    std::size_t hash;
  };
  /// The wide entry at unit @p at of @p units.
  static Wide wideAt(const Unit* units, std::size_t at) {
    Wide w;
    std::memcpy(&w, units + at, sizeof w);
    return w;
  }
  static std::size_t pointHash(std::string_view sample, std::string_view area);
  /// The point index's slot for (sample, area): the slot holding its point,
  /// or the empty slot where it belongs.
  std::size_t findSlot(std::string_view sample, std::string_view area, std::size_t hash) const;
  void growPointIndex();
  /// Enters every point into a point index of @p size slots.
  void indexPoints(std::size_t size);

  std::vector<std::string> captions_;
  std::vector<Row> rows_;
  std::vector<Unit, GrowAllocator<Unit>> cells_;
  std::vector<char, GrowAllocator<char>> pool_;
  std::vector<Store> stores_;
  std::vector<int> rowPoint_;
  std::vector<Point> points_;
  // Open addressing over the points by their hash; -1 marks an empty slot.
  // Keys are the points' own cells, so no key string is built or kept.
  std::vector<int> pointSlots_;
  std::vector<Wide> wideScratch_;
  std::uint64_t revision_ = 0;
};

}  // namespace vestrane
