// SPDX-License-Identifier: MIT
#pragma once
// Reading TAB-delimited tables of analyses: the header search, the column
// map, and the data lines of table text that become rows of the analysis
// table. A large text is read in two parts at once (TwoPartReading.cpp).

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "settings/Settings.h"
#include "table/AliasMatching.h"
#include "table/AnalysisTable.h"
#include "table/TableText.h"

namespace vestrane {

inline constexpr const char* kMsgLessThanTwoRows =
    "Error: incorrect table format (less than two rows detected)!";
inline constexpr const char* kMsgNoHeader =
    "Error: incorrect table format (columns with required Sample ID and Minerals not found)!";
inline constexpr const char* kMsgIgnoredLines = "Warning! Ignored lines with mineral analyses:";

/// How far reading a table got.
enum class TableReadStatus {
  Read,       ///< a header was found and the lines after it were read (rows may be none)
  NotATable,  ///< one of the two format errors: no row was added
  NotRead,    ///< the file could not be opened or read to its end: no text was parsed
};

/// What reading a table found. The reader shows nothing itself: its caller
/// shows, prints or checks the messages.
struct TableReadResult {
  TableReadStatus status = TableReadStatus::NotRead;
  /// Rows appended to the table.
  int rowsAdded = 0;
  /// The messages for the user, in the order they arose: a format error or
  /// a file that could not be read, else the warning about ignored lines.
  std::vector<std::string> messages;
  /// The file was no TAB text but delimited text or a workbook, made table
  /// text first (Save then proposes a file of its own, not this one).
  bool converted = false;

  bool read() const { return status == TableReadStatus::Read; }
};

/// Reads table text into an analysis table, appending rows and extra columns.
class TableReader {
 public:
  TableReader(AnalysisTable& table, const AliasLists& aliases)
      : table_(table), aliases_(aliases), ownIndex_(aliases), index_(ownIndex_) {}
  // The reader's index is shared with the second reader by reference.
  TableReader(const TableReader&) = delete;
  TableReader& operator=(const TableReader&) = delete;

  /// Reads @p text (consumed) into the table: Read, or NotATable for the
  /// two format errors, with the messages for the user.
  TableReadResult ParseTableText(std::string& text);
  /// The same for table text that stays where it is (a mapped file), which
  /// must be empty or end with CR LF; the text is left unchanged.
  /// @p capacity: as isTableText counted it, when it did.
  TableReadResult parseTableView(std::string_view text, const RowCapacity* capacity = nullptr);

  /// Rebuilds the column map from @p header; may append extra columns and set captions.
  void BuildColumnMap(std::string_view header);

  /// Column of each field position of the last header (index 0 = field 1); -1 = ignored.
  const std::vector<int>& columnMap() const { return map_; }

  /// A text with at least this many bytes after its header is read in two
  /// parts at once, the second by a reader of its own in a thread of its
  /// own; the rows, their order and the messages are those of reading it
  /// line by line.
  std::size_t splitFrom = std::size_t{1} << 20;

 private:
  /// The second reader of a text read in two parts: it reads into @p side
  /// with the column map of @p first as it stands, testing lines with the
  /// alias index of @p first, and stops at a further header.
  TableReader(AnalysisTable& side, const TableReader& first);

  /// ParseTableText on a view; @p consumed tells how much of the text the
  /// parse used up (all of it unless the header was missing).
  TableReadResult parse(std::string_view text, std::size_t& consumed, const RowCapacity* given);
  /// Reads the line that lines_ has just cut; @p ascii as it told.
  void readDataLine(std::string_view line, long long lineNumber, bool ascii);
  /// Reads the lines of @p text from @p pos on, counting them in
  /// @p lineNumber. A second reader stops in front of a further header,
  /// @p pos and @p lineNumber then telling where.
  void readLines(std::string_view text, std::size_t& pos, long long& lineNumber);
  /// The start of a line near the middle of @p text from @p pos on, where it
  /// can be cut in two; npos for a text shorter than splitFrom.
  std::size_t splitPoint(std::string_view text, std::size_t pos) const;
  /// Reads text[pos, split) here and text[split, end) by a second reader at
  /// once (@p secondCapacity: the capacity for its rows, when known), then
  /// takes over its rows and messages. What the second reader could not
  /// read (after a further header) or read with the wrong columns (a
  /// further header before split) is left to be read from @p pos on.
  void readInTwo(std::string_view text, std::size_t& pos, std::size_t split, long long& lineNumber,
                 const RowCapacity* secondCapacity);
  /// Cells a row can have with the current map.
  std::size_t cellsPerRow() const;
  /// Reserves in @p table the capacity for the rows of @p capacity, of at
  /// most @p cellsPerRow cells, and for @p moreRows rows whose cells are
  /// stored elsewhere.
  static void reserveRows(AnalysisTable& table, const RowCapacity& capacity, std::size_t cellsPerRow,
                          std::size_t moreRows = 0);

  AnalysisTable& table_;
  const AliasLists& aliases_;
  AliasIndex ownIndex_;      ///< built for each parse; a second reader leaves it unused
  const AliasIndex& index_;  ///< ownIndex_, or that of the first reader
  LineScanner lines_;
  std::string fieldScratch_;  ///< for the alias index
  std::vector<int> map_;
  // True when the map sends fields to columns in increasing order, each
  // column once: then a line's cells come out in column order as they are read.
  bool mapOrdered_ = true;
  int rowsAdded_ = 0;
  // The lines this parse dropped: number, and whether for want of a
  // Mineral (else of a Sample); the warning is written from them at the end.
  struct Ignored {
    long long line;
    bool noMineral;
  };
  std::vector<Ignored> ignored_;
  bool second_ = false;   ///< the second reader of a text read in two parts; a header stops it
  bool stopped_ = false;  ///< the second reader met a further header
  int headersRead_ = 0;   ///< further headers met by this parse
  // Upper-cased captions of the extra columns, each with its last index;
  // it covers the columns below indexedColumns_, the last of which had
  // the caption lastIndexedCaption_.
  std::unordered_map<std::string, int> extraByCaption_;
  int indexedColumns_ = kFixedColumns;
  std::string lastIndexedCaption_;
  // Scratch space reused from line to line.
  struct Field {
    int column;
    std::size_t position;
    std::string_view text;
  };
  std::vector<Field> fields_;
  std::vector<AnalysisTable::CellValue> cells_;
  std::string mineral_;
};

}  // namespace vestrane
