#pragma once
// Reading TAB-delimited tables of analyses: the file-reading rules that turn
// a file into table text, the header search with the alias lists, the column
// map, and the data lines that become rows of the analysis table.

#include <bitset>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "settings/Settings.h"
#include "table/AnalysisTable.h"

namespace vestrane {

class Services;

inline constexpr const char* kMsgLessThanTwoRows =
    "Error: incorrect table format (less than two rows detected)!";
inline constexpr const char* kMsgNoHeader =
    "Error: incorrect table format (columns with required Sample ID and Minerals not found)!";
inline constexpr const char* kMsgIgnoredLines = "Warning! Ignored lines with mineral analyses:";
inline constexpr const char* kMsgCannotOpen = "Error: can not open file ";

/// Turns file bytes into table text, fed in chunks: every line ends with
/// CR LF; a line ends at LF or CR LF, a lone CR is dropped, a Ctrl-Z at the
/// start of a line ends the input and inside a line ends that line (the rest
/// of it is skipped); the last line needs no line end.
class TableTextBuilder {
 public:
  void reserve(std::size_t bytes) { text_.reserve(bytes); }
  void feed(const char* data, std::size_t size);
  /// The table text; the builder is empty afterwards.
  std::string finish();

 private:
  friend void TableTextInPlace(std::string& bytes);
  /// Converts @p size bytes at @p in to @p out, which may lie at or below
  /// @p in in the same buffer. @return the end of the output.
  char* run(const char* in, std::size_t size, char* out);
  char* endLine(char* out);

  std::string text_;
  bool lineStarted_ = false;  // bytes seen since the last line end
  bool atLineStart_ = true;   // no byte kept in the current line yet
  bool pendingCR_ = false;
  bool skipping_ = false;
  bool ended_ = false;
};

/// Converts whole file bytes to table text in their own buffer, by the
/// rules of TableTextBuilder, without a second copy of a large file.
void TableTextInPlace(std::string& bytes);

/// Room for the rows a table text can give: only a line longer than 17
/// characters can become a row, so blank and short lines set nothing aside.
struct RowRoom {
  std::size_t rows = 0;   ///< lines longer than 17 characters
  std::size_t bytes = 0;  ///< their characters
  // A text counted in two parts: where the second begins (the start of a
  // line; 0 when it was counted whole) and its share of the above.
  std::size_t secondFrom = 0;
  std::size_t secondRows = 0;
  std::size_t secondBytes = 0;
};

/// Whether @p bytes are their own table text: every line ends with CR LF
/// (but maybe the last), with no other CR, no bare LF and no Ctrl-Z, as most
/// files from a Windows machine are. With @p room, the same sweep counts
/// the room for the rows of text that is table text.
bool IsTableText(std::string_view bytes, RowRoom* room = nullptr);

/// Table text of whole file bytes, by the rules of TableTextBuilder.
std::string TableTextFromBytes(std::string_view bytes);

/// Whether an alias of @p list starts a field of @p upperLine: its first
/// occurrence stands at the start of the line or right after a TAB.
bool LineHasAlias(const AliasList& list, std::string_view upperLine);

/// Whether @p upperField begins with a non-empty alias of @p list.
bool FieldMatchesAlias(const AliasList& list, std::string_view upperField);

/// Whether @p line is a header line: a Mineral or a Sample alias starts one of its fields.
bool IsHeaderLine(const AliasLists& aliases, std::string_view line);

/// Reads table text into an analysis table, appending rows and extra columns.
class TableReader {
 public:
  TableReader(AnalysisTable& table, const AliasLists& aliases, Services& services)
      : table_(table), aliases_(aliases), services_(services) {}

  /// Called around the part of a parse that changes rows and columns, so a
  /// view can suspend redrawing.
  std::function<void()> onBeginUpdate;
  std::function<void()> onEndUpdate;

  /// Reads @p text (consumed) into the table and shows the reader's messages.
  /// @return false for the two format errors, when no row was added.
  bool ParseTableText(std::string& text);
  /// The same for table text that stays where it is (a mapped file), which
  /// must be empty or end with CR LF; the text is left unchanged.
  bool ParseTableView(std::string_view text, const RowRoom* room = nullptr);

  /// Rebuilds the column map from @p header; may append extra columns and set captions.
  void BuildColumnMap(std::string_view header);

  /// Column of each field position of the last header (index 0 = field 1); -1 = ignored.
  const std::vector<int>& columnMap() const { return map_; }
  /// Entries for the lines dropped by the last parse.
  const std::string& ignoredReport() const { return report_; }
  /// Rows added by the last parse.
  int rowsAdded() const { return rowsAdded_; }

  /// A text with at least this many bytes after its header is read in two
  /// parts at once, the second by a thread of its own; the rows, their
  /// order and the messages are those of reading it line by line.
  std::size_t splitFrom = std::size_t{1} << 20;

 private:
  /// ParseTableText on a view; @p consumed tells how much of the text the
  /// parse used up (all of it unless the header was missing).
  bool parse(std::string_view text, std::size_t& consumed, const RowRoom* room);
  /// Reads a line that cutLine has just cut; @p ascii as it told.
  void readDataLine(std::string_view line, long long lineNumber, bool ascii);
  /// Reads the lines of @p text from @p pos on, counting them in
  /// @p lineNumber. A worker stops in front of a further header, @p pos and
  /// @p lineNumber then telling where.
  void readLines(std::string_view text, std::size_t& pos, long long& lineNumber);
  /// The start of a line near the middle of @p text from @p pos on, where it
  /// can be cut in two; npos for a text shorter than splitFrom.
  std::size_t splitPoint(std::string_view text, std::size_t pos) const;
  /// Reads text[pos, split) here and text[split, end) in a worker at once
  /// (@p secondRoom: room for the worker's rows, when known), then takes
  /// over the worker's rows and messages. What the worker could
  /// not read (after a further header) or read with the wrong columns (a
  /// further header before split) is left to be read from @p pos on.
  void readInTwo(std::string_view text, std::size_t& pos, std::size_t split, long long& lineNumber,
                 const RowRoom* secondRoom);
  /// Cells a row can have with the current map.
  std::size_t cellsPerRow() const;
  /// Makes room in @p table for the rows of @p room, of at most
  /// @p cellsPerRow cells, and for @p moreRows rows whose cells are stored
  /// elsewhere.
  static void reserveRows(AnalysisTable& table, const RowRoom& room, std::size_t cellsPerRow,
                          std::size_t moreRows = 0);
  /// IsHeaderLine, answering "no" at once for the ASCII lines in which no
  /// field begins with a Sample or Mineral alias.
  bool isHeader(std::string_view line) const;
  /// Cuts the line at @p pos as takeLine does (up to the next CR, or the
  /// end; @p pos then moves past the CR and one more byte), fills tabs_ with
  /// the positions of its TABs and then its length (tabCount_ entries), and
  /// tells whether it is all ASCII.
  std::string_view cutLine(std::string_view text, std::size_t& pos, bool& ascii);
  std::vector<std::uint32_t> tabs_;
  std::size_t tabCount_ = 0;  ///< entries of tabs_ the last cutLine filled
  /// Whether @p field begins with a Sample or Mineral alias, ASCII letter case aside.
  bool startsWithHeaderAlias(std::string_view field) const;
  /// IsHeaderLine with the aliases of this parse.
  bool headerTest(std::string_view line) const;

  /// Non-empty aliases of one or more lists, found by hashing: a look-up per
  /// distinct alias length instead of a comparison per alias.
  struct AliasSet {
    std::unordered_set<std::string_view> aliases;
    std::vector<std::size_t> lengths;  ///< distinct, ascending
    void assign(std::initializer_list<const AliasList*> lists);
    /// FieldMatchesAlias over the set.
    bool beginsWithAlias(std::string_view upper) const;
    /// LineHasAlias over the set.
    bool lineHasAlias(std::string_view upperLine) const;
  };
  /// Up to this many aliases in all the lists are compared one by one.
  static constexpr std::size_t kLinearAliases = 64;
  bool indexed_ = false;  ///< in a parse with more aliases than that
  AliasSet headerSet_;    ///< the Sample and Mineral aliases
  AliasSet fixedSets_[kFixedColumns];
  mutable std::string fieldScratch_;

  AnalysisTable& table_;
  const AliasLists& aliases_;
  Services& services_;
  std::vector<int> map_;
  // True when the map sends fields to columns in increasing order, each
  // column once: then a line's cells come out in column order as they are read.
  bool mapOrdered_ = true;
  // The non-empty Sample and Mineral aliases, and which bytes begin one.
  std::vector<std::string_view> headerAliases_;
  bool headerAliasStart_[256] = {};
  std::bitset<65536> headerAliasPair_;  ///< the first two bytes (first << 8 | second) that can begin one
  std::string report_;
  int rowsAdded_ = 0;
  // The lines this parse dropped: number, and whether for want of a
  // Mineral (else of a Sample); report_ is written from them at the end.
  struct Ignored {
    long long line;
    bool noMineral;
  };
  std::vector<Ignored> ignored_;
  bool worker_ = false;   ///< reads part of a text into a table of its own; a header stops it
  bool stopped_ = false;  ///< a worker met a further header
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
