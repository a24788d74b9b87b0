// SPDX-License-Identifier: MIT
#include "table/TableReader.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/core/Text.h"

namespace vestrane {

// ------------------------------------------------------------ column map

void TableReader::BuildColumnMap(std::string_view header) {
  map_.clear();
  // Extra columns are appended by this reader or removed all together, and
  // their captions never change, so the index of their upper-cased captions
  // is brought up to date rather than built anew for every header: a table
  // whose lines are headers again and again over thousands of columns would
  // otherwise cost lines times columns.
  const int columns = table_.columnCount();
  if (indexedColumns_ > columns ||
      (indexedColumns_ > kFixedColumns && table_.caption(indexedColumns_ - 1) != lastIndexedCaption_)) {
    extraByCaption_.clear();
    indexedColumns_ = kFixedColumns;
  }
  for (int c = indexedColumns_; c < columns; ++c)
    extraByCaption_[upperText(table_.caption(c))] = c;  // the last equal caption wins
  indexedColumns_ = columns;
  if (columns > kFixedColumns) lastIndexedCaption_ = table_.caption(columns - 1);

  std::string_view rest = header;
  while (!rest.empty()) {
    std::string_view field = SplitToken(rest, '\t');
    if (field.empty()) {
      map_.push_back(-1);
      continue;
    }
    std::string upper = upperText(field);
    int column = index_.fixedColumnOf(upper);
    if (column >= 0) {
      table_.setCaption(column, std::string(field));
    } else {
      auto it = extraByCaption_.find(upper);
      if (it != extraByCaption_.end()) {
        column = it->second;
      } else {
        column = table_.appendColumn(std::string(field));
        extraByCaption_.emplace(std::move(upper), column);
        indexedColumns_ = column + 1;
        lastIndexedCaption_ = table_.caption(column);
      }
    }
    map_.push_back(column);
  }
  mapOrdered_ = true;
  int last = 0;
  for (int column : map_) {
    if (column <= 0) continue;
    if (column <= last) mapOrdered_ = false;
    last = column;
  }
}

// ------------------------------------------------------------ parse

namespace {

// Takes the text before the next CR from @p pos on, and moves @p pos past the
// CR and the one character after it. Without a CR, takes the rest.
std::string_view takeLine(std::string_view text, std::size_t& pos) {
  std::size_t cr = text.find('\r', pos);
  std::string_view line;
  if (cr == std::string_view::npos) {
    line = text.substr(pos);
    pos = text.size();
  } else {
    line = text.substr(pos, cr - pos);
    pos = cr + 2 <= text.size() ? cr + 2 : text.size();
  }
  return line;
}

}  // namespace

TableReadResult TableReader::ParseTableText(std::string& text) {
  std::size_t consumed = 0;
  TableReadResult result = parse(text, consumed, nullptr);
  if (result.read())
    text.clear();
  else
    text.erase(0, consumed);
  return result;
}

TableReadResult TableReader::parseTableView(std::string_view text, const RowCapacity* capacity) {
  std::size_t consumed = 0;
  return parse(text, consumed, capacity);
}

TableReadResult TableReader::parse(std::string_view text, std::size_t& consumed,
                                   const RowCapacity* given) {
  ignored_.clear();
  rowsAdded_ = 0;
  headersRead_ = 0;
  long long lineNumber = 0;
  TableReadResult result;
  result.status = TableReadStatus::NotATable;

  if (text.find('\r') == std::string_view::npos) {
    result.messages.push_back(kMsgLessThanTwoRows);
    return result;
  }

  // The index serves this parse only: the lists may change before the next.
  struct EndOfParse {
    AliasIndex& index;
    ~EndOfParse() { index.release(); }
  } endOfParse{ownIndex_};
  ownIndex_.build();

  std::size_t pos = 0;
  std::string_view header;
  bool found = false;
  while (true) {
    std::string_view line = takeLine(text, pos);
    ++lineNumber;
    if (line.find('\t') != std::string_view::npos && index_.isHeaderLineScreened(line, fieldScratch_)) {
      header = line;
      found = true;
      break;
    }
    if (text.find('\r', pos) == std::string_view::npos) break;
  }
  if (!found || text.find('\r', pos) == std::string_view::npos) {
    consumed = pos;
    result.messages.push_back(kMsgNoHeader);
    return result;
  }

  BuildColumnMap(header);
  // Capacity for every remaining line that can be a row, so the table grows
  // in one step instead of doubling (and briefly holding twice) its storage.
  // A capacity counted over the whole text (while it was checked) also
  // counts the lines up to the header, a little more than is needed. A text
  // read in two parts is cut where it was counted in two, when it was; the
  // rows of the second part go to the second reader's table.
  constexpr std::size_t npos = std::string_view::npos;
  std::size_t split = npos;
  RowCapacity first, second;
  const bool counted = given && given->secondFrom > pos && given->secondFrom < text.size() &&
                       text.size() - pos >= splitFrom;
  if (counted) {
    split = given->secondFrom;
    first.rows = given->rows - given->secondRows;
    first.bytes = given->bytes - given->secondBytes;
    second.rows = given->secondRows;
    second.bytes = given->secondBytes;
  } else {
    split = splitPoint(text, pos);
    first = given && split == npos ? *given : countRowCapacity(text.substr(pos, split == npos ? npos : split - pos));
  }
  // The table holds the rows of both parts, the cells of the first only.
  reserveRows(table_, first, cellsPerRow(), second.rows);
  if (split != npos) readInTwo(text, pos, split, lineNumber, counted ? &second : nullptr);
  readLines(text, pos, lineNumber);
  consumed = text.size();

  result.status = TableReadStatus::Read;
  result.rowsAdded = rowsAdded_;
  if (!ignored_.empty()) {
    std::string warning = kMsgIgnoredLines;
    for (const Ignored& i : ignored_)
      warning += "\r\n" + std::to_string(i.line) +
                 (i.noMineral ? ": Mineral is not specified" : ": Sample ID is not specified");
    result.messages.push_back(std::move(warning));
  }
  return result;
}

void TableReader::readLines(std::string_view text, std::size_t& pos, long long& lineNumber) {
  while (pos < text.size()) {
    const std::size_t lineStart = pos;
    bool ascii = true;
    std::string_view line = lines_.cut(text, pos, ascii);
    ++lineNumber;
    if (line.size() <= kShortLineLength || lines_.fieldCount() < 2 || trimControls(line).empty()) continue;
    readDataLine(line, lineNumber, ascii);
    if (stopped_) {
      pos = lineStart;
      --lineNumber;
      return;
    }
  }
}

std::size_t TableReader::cellsPerRow() const {
  return std::min<std::size_t>(map_.size(), table_.columnCount() - 1);
}

void TableReader::reserveRows(AnalysisTable& table, const RowCapacity& capacity, std::size_t cellsPerRow,
                              std::size_t moreRows) {
  table.reserve(capacity.rows + moreRows, std::min(capacity.rows * cellsPerRow, capacity.bytes / 2 + capacity.rows),
                capacity.bytes);
}

namespace {

// A Mineral cell is stored with its first character upper-cased and the
// rest lower-cased; most are written that way already and keep their bytes.
bool isCapitalizedAscii(std::string_view s) {
  if (s.empty() || (s[0] >= 'a' && s[0] <= 'z')) return s.empty();
  for (std::size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80 || (i > 0 && c >= 'A' && c <= 'Z')) return false;
  }
  return true;
}

}  // namespace

void TableReader::readDataLine(std::string_view line, long long lineNumber, bool ascii) {
  // Fields and cells are written member by member into vectors sized once
  // per line: building them as temporaries and copying them in stalls the
  // processor on every field of a large table.
  if (fields_.size() < map_.size()) fields_.resize(map_.size());
  if (cells_.size() < map_.size()) cells_.resize(map_.size());
  std::size_t fieldCount = 0;
  // With an ordered map the cells are written as the fields are cut; else
  // the fields are collected and put in column order afterwards.
  const bool ordered = mapOrdered_;
  std::size_t cellCount = 0;
  std::size_t cellBytes = 0;
  std::string_view sample = kMissing;
  std::string_view mineral = kMissing;
  bool checked = true;
  // A line may be a further header. That takes a field beginning with a
  // Sample or Mineral alias, which is looked for while the fields are cut;
  // a line that is not ASCII always gets the full test.
  bool mayBeHeader = !ascii;

  // Fields are cut at TABs and trimmed of codes 0 to 32; an empty field
  // takes up its position, and a TAB at the very end opens no new field.
  const char* const start = line.data();
  const char* const end = start + line.size();
  const std::uint32_t* const fieldEnds = lines_.fieldEnds();
  const AliasIndex& index = index_;
  const std::size_t mapped = map_.size();
  const char* p = start;
  for (std::size_t position = 0; p < end; ++position) {
    const char* b = p;
    const char* e = start + fieldEnds[position];
    p = e < end ? e + 1 : end;
    if (!mayBeHeader &&
        index.startsWithHeaderAlias(std::string_view(b, static_cast<std::size_t>(end - b)), fieldScratch_))
      mayBeHeader = true;
    if (position >= mapped) continue;
    while (b < e && static_cast<unsigned char>(*b) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(e[-1]) <= 32) --e;
    int column = map_[position];
    if (b == e || column < 0) continue;
    std::string_view field(b, static_cast<std::size_t>(e - b));
    if (column == ColSelect) {
      checked = field == "1";
      continue;
    }
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
      field = field.substr(1, field.size() - 2);
    else if (field == "\"")
      field = std::string_view();
    if (column == ColMineral && !isCapitalizedAscii(field)) {
      // Only the last Mineral field of a line counts, so one buffer serves.
      mineral_ = capitalizeFirst(field);
      field = mineral_;
    }
    if (field.size() == 1 && field[0] == '-') field = kMissing;
    if (ordered) {
      // Columns come in increasing order, each once: the field is its cell.
      if (column == ColSample) sample = field;
      if (column == ColMineral) mineral = field;
      if (field.data() == kMissing.data()) continue;
      AnalysisTable::CellValue& c = cells_[cellCount++];
      c.column = column;
      c.text = field;
      cellBytes += field.size();
      continue;
    }
    Field& f = fields_[fieldCount++];
    f.column = column;
    f.position = position;
    f.text = field;
  }

  if (mayBeHeader && index.isHeaderLine(line)) {
    if (second_) {
      stopped_ = true;
      return;
    }
    BuildColumnMap(line);
    ++headersRead_;
    return;
  }

  // Cells in column order; of several fields for one column the later wins.
  auto first = fields_.begin();
  auto last = first + static_cast<std::ptrdiff_t>(fieldCount);
  std::stable_sort(first, last, [](const Field& a, const Field& b) { return a.column < b.column; });
  for (std::size_t i = 0; i < fieldCount; ++i) {
    const Field& f = fields_[i];
    if (i + 1 < fieldCount && fields_[i + 1].column == f.column) continue;
    if (f.column == ColSample) sample = f.text;
    if (f.column == ColMineral) mineral = f.text;
    if (f.text.data() == kMissing.data()) continue;
    AnalysisTable::CellValue& c = cells_[cellCount++];
    c.column = f.column;
    c.text = f.text;
    cellBytes += f.text.size();
  }

  // A mineral that is empty (after quote removal) or "-" counts as missing.
  if (mineral.empty() || mineral == kMissing) {
    ignored_.push_back({lineNumber, true});
    return;
  }
  if (sample == kMissing) {
    ignored_.push_back({lineNumber, false});
    return;
  }
  table_.appendRow(checked, cells_.data(), cellCount, cellBytes);
  table_.commitRow();
  ++rowsAdded_;
}

}  // namespace vestrane
