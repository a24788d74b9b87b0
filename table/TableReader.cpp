#include "table/TableReader.h"

#include <algorithm>

#include "platform/core/Services.h"
#include "settings/Text.h"

namespace vestrane {

// ------------------------------------------------------------ file reading

void TableTextBuilder::endLine() {
  text_ += "\r\n";
  lineStarted_ = false;
  atLineStart_ = true;
  skipping_ = false;
}

void TableTextBuilder::feed(const char* data, std::size_t size) {
  for (std::size_t i = 0; i < size && !ended_; ++i) {
    char c = data[i];
    if (pendingCR_) {
      pendingCR_ = false;
      if (c == '\n') {
        endLine();
        continue;
      }
      // A CR not followed by LF is dropped and the line goes on.
    }
    lineStarted_ = true;
    if (c == '\r') {
      pendingCR_ = true;
    } else if (c == '\n') {
      endLine();
    } else if (c == '\x1a') {
      if (atLineStart_) {
        ended_ = true;
        lineStarted_ = false;
      } else {
        skipping_ = true;
      }
    } else if (!skipping_) {
      // Copy the run of ordinary bytes in one go.
      std::size_t j = i;
      while (j < size && data[j] != '\r' && data[j] != '\n' && data[j] != '\x1a') ++j;
      text_.append(data + i, j - i);
      atLineStart_ = false;
      i = j - 1;
    }
  }
}

std::string TableTextBuilder::finish() {
  if (lineStarted_) endLine();
  pendingCR_ = false;
  std::string out;
  out.swap(text_);
  *this = TableTextBuilder();
  return out;
}

std::string TableTextFromBytes(std::string_view bytes) {
  TableTextBuilder b;
  b.reserve(bytes.size() + bytes.size() / 16 + 2);
  b.feed(bytes.data(), bytes.size());
  return b.finish();
}

// ------------------------------------------------------------ alias tests

bool LineHasAlias(const AliasList& list, std::string_view upperLine) {
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (it->empty()) continue;
    std::size_t p = upperLine.find(*it);
    if (p == std::string_view::npos) continue;
    if (p == 0 || upperLine[p - 1] == '\t') return true;
  }
  return false;
}

bool FieldMatchesAlias(const AliasList& list, std::string_view upperField) {
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (!it->empty() && upperField.compare(0, it->size(), *it) == 0) return true;
  }
  return false;
}

bool IsHeaderLine(const AliasLists& aliases, std::string_view line) {
  if (aliases.mineral.empty() && aliases.sample.empty()) return false;
  std::string upper = upperText(line);
  return LineHasAlias(aliases.mineral, upper) || LineHasAlias(aliases.sample, upper);
}

// ------------------------------------------------------------ column map

void TableReader::BuildColumnMap(std::string_view header) {
  map_.clear();
  extraByCaption_.clear();
  for (int c = kFixedColumns; c < table_.columnCount(); ++c)
    extraByCaption_[upperText(table_.caption(c))] = c;  // the last equal caption wins

  const AliasList* fixedLists[kFixedColumns] = {&aliases_.select, &aliases_.sample, &aliases_.area,
                                                &aliases_.mineral, &aliases_.analysis};
  std::string_view rest = header;
  while (!rest.empty()) {
    std::string_view field = SplitToken(rest, '\t');
    if (field.empty()) {
      map_.push_back(-1);
      continue;
    }
    std::string upper = upperText(field);
    int column = -1;
    for (int c = 0; c < kFixedColumns && column < 0; ++c)
      if (FieldMatchesAlias(*fixedLists[c], upper)) column = c;
    if (column >= 0) {
      table_.setCaption(column, std::string(field));
    } else {
      auto it = extraByCaption_.find(upper);
      if (it != extraByCaption_.end()) {
        column = it->second;
      } else {
        column = table_.appendColumn(std::string(field));
        extraByCaption_.emplace(std::move(upper), column);
      }
    }
    map_.push_back(column);
  }
}

// ------------------------------------------------------------ parse

namespace {

// Takes the text before the next CR from @p pos on, and moves @p pos past the
// CR and the one character after it. Without a CR, takes the rest.
std::string_view takeLine(const std::string& text, std::size_t& pos) {
  std::size_t cr = text.find('\r', pos);
  std::string_view line;
  if (cr == std::string::npos) {
    line = std::string_view(text).substr(pos);
    pos = text.size();
  } else {
    line = std::string_view(text).substr(pos, cr - pos);
    pos = cr + 2 <= text.size() ? cr + 2 : text.size();
  }
  return line;
}

}  // namespace

bool TableReader::ParseTableText(std::string& text) {
  report_.clear();
  rowsAdded_ = 0;
  long long lineNumber = 0;

  if (text.find('\r') == std::string::npos) {
    services_.showMessage(kMsgLessThanTwoRows);
    return false;
  }

  std::size_t pos = 0;
  std::string_view header;
  bool found = false;
  while (true) {
    std::string_view line = takeLine(text, pos);
    ++lineNumber;
    if (line.find('\t') != std::string_view::npos && IsHeaderLine(aliases_, line)) {
      header = line;
      found = true;
      break;
    }
    if (text.find('\r', pos) == std::string::npos) break;
  }
  if (!found || text.find('\r', pos) == std::string::npos) {
    text.erase(0, pos);
    services_.showMessage(kMsgNoHeader);
    return false;
  }

  if (onBeginUpdate) onBeginUpdate();
  BuildColumnMap(header);
  {
    // Room for every remaining line as a row, so the table grows in one step
    // instead of doubling (and briefly holding twice) its storage.
    std::size_t lines = 1, tabs = 0;
    for (std::size_t p = pos; p < text.size(); ++p) {
      lines += text[p] == '\r';
      tabs += text[p] == '\t';
    }
    std::size_t cellsPerRow = std::min<std::size_t>(map_.size(), table_.columnCount() - 1);
    table_.reserve(lines, std::min(lines * cellsPerRow, tabs + lines), text.size() - pos);
  }
  while (pos < text.size()) {
    std::string_view line = takeLine(text, pos);
    ++lineNumber;
    if (line.size() <= 17 || trimControls(line).empty() || line.find('\t') == std::string_view::npos)
      continue;
    if (IsHeaderLine(aliases_, line)) {
      BuildColumnMap(line);
      continue;
    }
    readDataLine(line, lineNumber);
  }
  text.clear();
  if (onEndUpdate) onEndUpdate();

  if (!report_.empty()) services_.showMessage(kMsgIgnoredLines + report_);
  return true;
}

void TableReader::readDataLine(std::string_view line, long long lineNumber) {
  fields_.clear();
  bool checked = true;

  std::string_view rest = line;
  std::size_t position = 0;
  while (!rest.empty()) {
    std::string_view field = SplitToken(rest, '\t');
    std::size_t index = position++;
    if (field.empty() || index >= map_.size()) continue;
    int column = map_[index];
    if (column < 0) continue;
    if (column == ColSelect) {
      checked = field == "1";
      continue;
    }
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
      field = field.substr(1, field.size() - 2);
    else if (field == "\"")
      field = std::string_view();
    if (column == ColMineral) {
      // Only the last Mineral field of a line counts, so one buffer serves.
      mineral_ = capitalizeFirst(field);
      field = mineral_;
    }
    if (field == kMissing) field = kMissing;
    fields_.push_back({column, index, field});
  }

  // Cells in column order; of several fields for one column the later wins.
  std::stable_sort(fields_.begin(), fields_.end(),
                   [](const Field& a, const Field& b) { return a.column < b.column; });
  cells_.clear();
  std::string_view sample = kMissing;
  std::string_view mineral = kMissing;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (i + 1 < fields_.size() && fields_[i + 1].column == fields_[i].column) continue;
    const Field& f = fields_[i];
    if (f.column == ColSample) sample = f.text;
    if (f.column == ColMineral) mineral = f.text;
    if (f.text.data() != kMissing.data()) cells_.push_back({f.column, f.text});
  }

  // A mineral that is empty (after quote removal) or "-" counts as missing.
  if (mineral.empty() || mineral == kMissing) {
    report_ += "\r\n" + std::to_string(lineNumber) + ": Mineral is not specified";
    return;
  }
  if (sample == kMissing) {
    report_ += "\r\n" + std::to_string(lineNumber) + ": Sample ID is not specified";
    return;
  }
  table_.appendRow(checked, cells_);
  table_.commitRow();
  ++rowsAdded_;
}

}  // namespace vestrane
