// SPDX-License-Identifier: MIT
#pragma once
// Table text: a whole table held as one text whose lines end with CR LF.
// The file-reading rules that turn a file's bytes into it, the check that
// bytes already are it, the capacity its rows will need, and the fast scan
// that cuts it into lines for the reader.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vestrane {

/// A line of this many characters or fewer (counted before trimming) is
/// passed over without a report, even when it holds a sample and a mineral,
/// and a later header line that short maps nothing: the table format's rule
/// for stray short lines (notes, totals, the remains of a broken line). The
/// reader skips them and the capacity reserved for rows leaves them out, so
/// both take the number from here.
inline constexpr std::size_t kShortLineLength = 17;

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
  friend void tableTextInPlace(std::string& bytes);
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
void tableTextInPlace(std::string& bytes);

/// Table text of whole file bytes, by the rules of TableTextBuilder.
std::string tableTextFromBytes(std::string_view bytes);

/// The capacity to reserve for the rows a table text can give: only a line
/// longer than kShortLineLength can become a row, so blank and short lines
/// reserve nothing.
struct RowCapacity {
  std::size_t rows = 0;   ///< lines longer than kShortLineLength characters
  std::size_t bytes = 0;  ///< their characters
  // A text counted in two parts: where the second begins (the start of a
  // line; 0 when it was counted whole) and its share of the above.
  std::size_t secondFrom = 0;
  std::size_t secondRows = 0;
  std::size_t secondBytes = 0;

  /// Counts a line of @p length characters, which reserves only when it can become a row.
  void countLine(std::size_t length) {
    if (length > kShortLineLength) {
      ++rows;
      bytes += length;
    }
  }
};

/// Whether @p bytes are their own table text: every line ends with CR LF
/// (but maybe the last), with no other CR, no bare LF and no Ctrl-Z, as most
/// files from a Windows machine are. With @p capacity, the same sweep counts
/// the capacity for the rows of text that is table text.
bool isTableText(std::string_view bytes, RowCapacity* capacity = nullptr);

/// The capacity for the rows of table text, its lines cut as LineScanner
/// cuts them; counted whole, never in two parts.
RowCapacity countRowCapacity(std::string_view text);

/// Cuts table text into lines, one sweep per line, and tells where the
/// line's fields end.
class LineScanner {
 public:
  /// Cuts the line at @p pos: up to the next CR, or the end; @p pos then
  /// moves past the CR and one more byte (the LF of table text). Tells in
  /// @p ascii whether the line is all ASCII.
  std::string_view cut(std::string_view text, std::size_t& pos, bool& ascii);
  /// Where each field of the last line cut ends: the positions of its TABs,
  /// then its length.
  const std::uint32_t* fieldEnds() const { return ends_.data(); }
  /// Fields of the last line cut (its TABs and one); one means no TAB.
  std::size_t fieldCount() const { return fieldCount_; }

 private:
  std::vector<std::uint32_t> ends_;  ///< only grows
  std::size_t fieldCount_ = 0;
};

}  // namespace vestrane
