#include "combine/CombinationWriter.h"

#include <cstring>

#include "table/TableWriter.h"

namespace vestrane {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
constexpr long long kReportEvery = 1 << 16;  // lines between progress reports
}  // namespace

bool CombinationWriter::flush() {
  if (failed_) return false;
  if (!buffer_.empty()) {
    if (!sink_.take(buffer_)) {
      failed_ = true;
      return false;
    }
    if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize + 4096);
  }
  return true;
}

bool CombinationWriter::append(std::string_view bytes) {
  buffer_.append(bytes.data(), bytes.size());
  if (buffer_.size() >= kBufferSize) return flush();
  return true;
}

bool CombinationWriter::tick() {
  if (!progress_ || lines_ < nextReport_) return true;
  nextReport_ = lines_ + kReportEvery;
  if (!progress_->report(pointsDone_, pointsTotal_, linesBefore_ + lines_)) {
    cancelled_ = true;
    return false;
  }
  return true;
}

bool CombinationWriter::GeneratePoint(const PointState& state, bool withHeader) {
  if (failed_ || cancelled_) return false;
  if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize + 4096);
  if (withHeader && !append(headerLine(table_))) return false;
  return EmitCombinations(state);
}

bool CombinationWriter::EmitCombinations(const PointState& state) {
  // The participating groups: the non-empty ones, in mineral list order.
  std::vector<const std::vector<int>*> groups;
  for (const auto& g : state.groups)
    if (!g.empty()) groups.push_back(&g);
  if (groups.empty()) return true;

  const bool indexed = !(state.count.fitsInt32() && state.count.toInt32() < 2);
  const std::size_t width = state.maxIndexText.size();
  std::string areaPrefix = state.area;
  if (indexed) areaPrefix = state.area == kMissing ? std::string() : state.area + "_";

  // Each chosen row's line is its head (Select, Sample, Area up to the
  // index) and its tail (the cells after Area); only the index between them
  // changes from one combination to the next. Heads and tails of all rows
  // are kept in one reused string, each group's lines one after another.
  std::string& store = lineStore_;
  store.clear();
  rowLines_.clear();
  groupStart_.assign(1, 0);
  for (const std::vector<int>* group : groups) {
    for (int row : *group) {
      Line l;
      l.head = store.size();
      store += "1\t";
      store += table_.cell(row, ColSample);
      store += '\t';
      store += areaPrefix;
      l.tail = store.size();
      table_.appendCells(row, ColMineral, store);
      store += "\r\n";
      l.end = store.size();
      rowLines_.push_back(l);
    }
    groupStart_.push_back(rowLines_.size());
  }

  // Odometer over the choices, the last group turning fastest; the index
  // text is counted up in base 36 beside it. A whole combination goes into
  // the buffer before the buffer is looked at.
  const std::size_t levels = groups.size();
  std::vector<std::size_t> choice(groupStart_.begin(), groupStart_.end() - 1);
  std::string index(indexed ? width : 0, '0');
  const char* text = store.data();
  while (true) {
    // The combination's lines are copied into space reserved for all of them.
    std::size_t size = 0;
    for (std::size_t g = 0; g < levels; ++g) {
      const Line& l = rowLines_[choice[g]];
      size += l.end - l.head + index.size();
    }
    const std::size_t at = buffer_.size();
    buffer_.resize(at + size);
    char* out = &buffer_[at];
    for (std::size_t g = 0; g < levels; ++g) {
      const Line& l = rowLines_[choice[g]];
      std::memcpy(out, text + l.head, l.tail - l.head);
      out += l.tail - l.head;
      std::memcpy(out, index.data(), index.size());
      out += index.size();
      std::memcpy(out, text + l.tail, l.end - l.tail);
      out += l.end - l.tail;
    }
    if (buffer_.size() >= kBufferSize && !flush()) return false;
    lines_ += static_cast<long long>(levels);
    if (!tick()) return false;
    for (std::size_t k = index.size(); k-- > 0;) {
      char& d = index[k];
      if (d == '9') { d = 'A'; break; }
      if (d != 'Z') { ++d; break; }
      d = '0';
    }
    std::size_t level = levels;
    while (level > 0) {
      --level;
      if (++choice[level] < groupStart_[level + 1]) break;
      choice[level] = groupStart_[level];
      if (level == 0) return true;
    }
  }
}

}  // namespace vestrane
