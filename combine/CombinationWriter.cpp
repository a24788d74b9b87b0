// SPDX-License-Identifier: MIT
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
  // Every line is the point's head, the index and the chosen row's tail;
  // only the index changes from one combination to the next.
  const PointLayout& layout = layout_;
  layout_.layOut(table_, state);
  const std::size_t levels = layout.groupCount();
  if (levels == 0) return true;

  // Odometer over the choices, the last group turning fastest; the index
  // text is counted up beside it. A whole combination goes into the buffer
  // before the buffer is looked at.
  std::vector<std::size_t> choice(levels);
  for (std::size_t g = 0; g < levels; ++g) choice[g] = layout.groupBegin(g);
  std::string index = layout.firstIndex();
  const std::string& head = layout.head();
  while (true) {
    // The combination's lines are copied into space reserved for all of them.
    std::size_t size = 0;
    for (std::size_t g = 0; g < levels; ++g) size += layout.lineSize(choice[g]);
    const std::size_t at = buffer_.size();
    buffer_.resize(at + size);
    char* out = &buffer_[at];
    for (std::size_t g = 0; g < levels; ++g) {
      const std::string_view tail = layout.tail(choice[g]);
      std::memcpy(out, head.data(), head.size());
      out += head.size();
      std::memcpy(out, index.data(), index.size());
      out += index.size();
      std::memcpy(out, tail.data(), tail.size());
      out += tail.size();
    }
    if (buffer_.size() >= kBufferSize && !flush()) return false;
    lines_ += static_cast<long long>(levels);
    if (!tick()) return false;
    PointLayout::nextIndex(index);
    std::size_t level = levels;
    while (level > 0) {
      --level;
      if (++choice[level] < layout.groupEnd(level)) break;
      choice[level] = layout.groupBegin(level);
      if (level == 0) return true;
    }
  }
}

}  // namespace vestrane
