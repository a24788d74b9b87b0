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
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vestrane {

inline constexpr std::string_view kMissing = "-";

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
  /// Adds the row appended last to the point index.
  void commitRow();
  /// Removes all rows.
  void clearRows();

  // ---- points: distinct (Sample, Area) pairs, compared exactly
  int pointCount() const { return static_cast<int>(points_.size()); }
  /// The point of @p row.
  int pointOf(int row) const { return rowPoint_[static_cast<std::size_t>(row)]; }
  /// The point of (sample, area), or -1.
  int findPoint(std::string_view sample, std::string_view area) const;
  /// Rows of @p point in increasing order.
  const std::vector<int>& pointRows(int point) const { return points_[static_cast<std::size_t>(point)].rows; }

  /// Makes room for @p rows more rows holding @p cells cells of @p bytes bytes.
  void reserve(std::size_t rows, std::size_t cells, std::size_t bytes);

  /// Bytes held by the table (cell pool and indexes), for the benchmarks.
  std::size_t memoryUsed() const;

  /// Counts changes of the rows and columns (not of checked flags), so a view
  /// can tell whether it must reload.
  std::uint64_t revision() const { return revision_; }

 private:
  // A row keeps its cells densely (one entry per column up to its last
  // given cell) or, when most of those would be "-", sparsely (a column
  // number before each entry), so memory follows the bytes read, never
  // rows times columns. An entry is the end of the cell's bytes, counted
  // from the row's start in the pool; a cell starts where the entry before
  // it ends. The top bit marks "-" in dense rows.
  using Cell = std::uint32_t;
  static constexpr Cell kMissingBit = 0x80000000u;
  struct Row {
    std::uint64_t poolOffset;
    std::uint64_t firstCell;
    std::uint32_t cellCount;  ///< dense: cells; sparse: (column, end) pairs
    bool checked;
    bool sparse;
  };
  struct Point {
    std::vector<int> rows;
  };
  struct KeyHash {
    std::size_t operator()(const std::string& k) const noexcept { return std::hash<std::string>()(k); }
  };
  static std::string pointKey(std::string_view sample, std::string_view area);

  std::vector<std::string> captions_;
  std::vector<Row> rows_;
  std::vector<Cell> cells_;
  std::string pool_;
  std::vector<int> rowPoint_;
  std::vector<Point> points_;
  std::unordered_map<std::string, int, KeyHash> pointIndex_;
  std::uint64_t revision_ = 0;
};

}  // namespace vestrane
