// SPDX-License-Identifier: MIT
#pragma once
// The combination lines of a point, laid out once for the writer that
// writes them and for the overview that works out their sizes.
//
// A combination line is "1" (standing in the Select column), TAB, Sample,
// TAB, the Area cell, the row's cells from Mineral on (each after a TAB)
// and CR LF. With a combination count of 2 or more the Area cell is the
// area (nothing at all for "-"), "_" and the combination index in base 36,
// padded with zeros to the width of the max index text; with a smaller
// count it is the area as it is.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "combine/Points.h"
#include "combine/Radix.h"
#include "table/AnalysisTable.h"

namespace vestrane {

class PointLayout {
 public:
  /// Lays out the current point of @p state: its participating groups (the
  /// non-empty ones, in mineral list order), the head every line of the
  /// point begins with and the tail of each of their rows. The space of the
  /// last layout is reused.
  void layOut(const AnalysisTable& table, const PointState& state);

  /// The digits of the index; 0 when the Area cells carry none.
  std::size_t indexWidth() const { return indexWidth_; }
  /// The index of the first combination: indexWidth() zeros.
  std::string firstIndex() const { return std::string(indexWidth_, '0'); }
  /// Counts @p index up to the next combination's.
  static void nextIndex(std::string& index) { countUp(index, kIndexRadix); }

  /// The number of participating groups.
  std::size_t groupCount() const { return groupStart_.size() - 1; }
  /// The mineral list entry of participating group @p group.
  std::size_t groupEntry(std::size_t group) const { return groupEntry_[group]; }
  /// The lines of participating group @p group are lines groupBegin to groupEnd - 1.
  std::size_t groupBegin(std::size_t group) const { return groupStart_[group]; }
  std::size_t groupEnd(std::size_t group) const { return groupStart_[group + 1]; }

  /// Every line's bytes up to the index: "1", TAB, Sample, TAB and the Area
  /// cell or the part of it in front of the index.
  const std::string& head() const { return head_; }
  /// Line @p i's bytes after the index: the row's cells from Mineral on and CR LF.
  std::string_view tail(std::size_t i) const {
    return std::string_view(tails_).substr(tailStart_[i], tailStart_[i + 1] - tailStart_[i]);
  }
  /// The size of line @p i as written: head, index and tail.
  std::size_t lineSize(std::size_t i) const {
    return head_.size() + indexWidth_ + (tailStart_[i + 1] - tailStart_[i]);
  }

 private:
  std::size_t indexWidth_ = 0;
  std::string head_;
  std::string tails_;
  std::vector<std::size_t> tailStart_{0};  ///< where each tail begins, and the end
  std::vector<std::size_t> groupStart_{0};
  std::vector<std::size_t> groupEntry_;
};

}  // namespace vestrane
