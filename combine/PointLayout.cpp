// SPDX-License-Identifier: MIT
#include "combine/PointLayout.h"

namespace vestrane {

void PointLayout::layOut(const AnalysisTable& table, const PointState& state) {
  const bool indexed = state.count.atLeastTwo();
  indexWidth_ = indexed ? state.maxIndexText.size() : 0;
  // The rows of the point hold its Sample and Area exactly, so every line
  // begins with the same bytes.
  head_ = "1\t";
  head_ += state.sample;
  head_ += '\t';
  if (!indexed) {
    head_ += state.area;
  } else if (state.area != kMissing) {
    head_ += state.area;
    head_ += '_';
  }

  tails_.clear();
  tailStart_.assign(1, 0);
  groupStart_.assign(1, 0);
  groupEntry_.clear();
  for (std::size_t entry = 0; entry < state.groups.size(); ++entry) {
    const std::vector<int>& group = state.groups[entry];
    if (group.empty()) continue;
    for (int row : group) {
      table.appendCells(row, ColMineral, tails_);
      tails_ += "\r\n";
      tailStart_.push_back(tails_.size());
    }
    groupStart_.push_back(tailStart_.size() - 1);
    groupEntry_.push_back(entry);
  }
}

}  // namespace vestrane
