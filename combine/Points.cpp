// SPDX-License-Identifier: MIT
#include "combine/Points.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "combine/Radix.h"
#include "platform/core/Text.h"

namespace vestrane {

// ---------------------------------------------------------------- ComboCount

std::string ComboCount::maxIndexText() const {
  if (isZero()) return "--";
  std::string text = BigCount(value_).decrement().toRadix(kIndexRadix);
  PadText(text, '0', 2, 0);
  return text;
}

// ---------------------------------------------------------------- point state

bool PointState::belongs(const AnalysisTable& table, int row) const {
  return sameText(table.cell(row, ColSample), sample) && sameText(table.cell(row, ColArea), area);
}

namespace {

// Finds minerals in a mineral list ignoring letter case: the exact spelling
// first, then the upper-cased one, the earliest entry winning. The reader
// stores minerals capitalised, so the exact spelling almost always hits. A
// point has a few minerals, searched linearly without building any string;
// a list that grows long is indexed by hash maps instead. Entries are the
// caller's bytes, which must stay in place while the lookup is used.
class MineralLookup {
 public:
  MineralLookup() { entries_.reserve(8); }

  /// Adds the next entry of the list.
  void add(std::string_view mineral) {
    if (!exactMap_.empty() || entries_.size() == kLinear) {
      if (exactMap_.empty())
        for (std::size_t i = 0; i < entries_.size(); ++i) {
          exactMap_.emplace(entries_[i].exact, static_cast<int>(i));
          foldedMap_.emplace(upperText(entries_[i].exact), static_cast<int>(i));
        }
      exactMap_.emplace(mineral, static_cast<int>(entries_.size()));
      foldedMap_.emplace(upperText(mineral), static_cast<int>(entries_.size()));
    }
    // Upper-casing an ASCII entry is a byte-wise matter done while comparing;
    // only the others keep their upper-cased spelling.
    Entry e;
    e.exact = mineral;
    e.ascii = isAscii(mineral);
    if (!e.ascii) e.folded = upperText(mineral);
    entries_.push_back(std::move(e));
  }

  /// The entry of @p mineral, or -1.
  int find(std::string_view mineral) const {
    if (!exactMap_.empty()) {
      auto it = exactMap_.find(mineral);
      if (it != exactMap_.end()) return it->second;
      auto f = foldedMap_.find(upperText(mineral));
      return f == foldedMap_.end() ? -1 : f->second;
    }
    for (std::size_t i = 0; i < entries_.size(); ++i)
      if (sameText(entries_[i].exact, mineral)) return static_cast<int>(i);
    if (entries_.empty()) return -1;
    const bool ascii = isAscii(mineral);
    std::string upper;
    bool haveUpper = false;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      const Entry& e = entries_[i];
      if (ascii && e.ascii) {
        if (sameUpper(e.exact, mineral)) return static_cast<int>(i);
        continue;
      }
      if (!haveUpper) {
        upper = upperText(mineral);
        haveUpper = true;
      }
      // The upper-cased mineral holds no lower-case ASCII letter, so an
      // ASCII entry matches it when its bytes do upper-cased.
      if (e.ascii ? sameUpper(e.exact, upper) : e.folded == upper) return static_cast<int>(i);
    }
    return -1;
  }

  std::size_t size() const { return entries_.size(); }

 private:
  static char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
  /// Whether @p a and @p b agree with their ASCII letters upper-cased.
  static bool sameUpper(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
      if (upperAscii(a[i]) != upperAscii(b[i])) return false;
    return true;
  }

  struct Entry {
    std::string_view exact;
    std::string folded;  ///< upper-cased; empty for ASCII entries
    bool ascii = true;
  };
  static constexpr std::size_t kLinear = 16;
  std::vector<Entry> entries_;
  std::unordered_map<std::string_view, int> exactMap_;
  std::unordered_map<std::string, int> foldedMap_;
};

}  // namespace

namespace {

// RebuildGroups for the current point, whose index in the table is @p point (-1: none).
void rebuildGroupsAt(const AnalysisTable& table, PointState& state, int point) {
  for (auto& g : state.groups) g.clear();
  state.groups.resize(state.minerals.size());

  if (point >= 0) {
    // The lookup holds the list's own strings, which must not move while new
    // minerals are added: capacity for one per row is reserved first. New entries
    // are looked up by the table's bytes.
    const std::vector<int>& rows = table.pointRows(point);
    state.minerals.reserve(state.minerals.size() + rows.size());
    MineralLookup lookup;
    for (const MineralEntry& m : state.minerals) lookup.add(m.mineral);
    for (int row : rows) {
      std::string_view mineral = table.cell(row, ColMineral);
      int entry = lookup.find(mineral);
      if (entry < 0) {
        entry = static_cast<int>(state.minerals.size());
        state.minerals.push_back({std::string(mineral), false});
        state.groups.emplace_back();
        lookup.add(mineral);
      }
      if (table.isChecked(row)) state.groups[static_cast<std::size_t>(entry)].push_back(row);
    }
  }

  ComboCount count;
  for (std::size_t i = 0; i < state.minerals.size(); ++i) {
    const auto& g = state.groups[i];
    state.minerals[i].checked = !g.empty();
    count.addGroup(static_cast<std::uint32_t>(g.size()));
  }
  state.count = count;
  state.countText = count.toDecimal();
  state.maxIndexText = count.maxIndexText();
}

}  // namespace

void RebuildGroups(const AnalysisTable& table, PointState& state) {
  rebuildGroupsAt(table, state, table.findPoint(state.sample, state.area));
}

ComboCount pointComboCount(const AnalysisTable& table, int point) {
  // The count of a point made current afresh, from the numbers of checked
  // rows of each mineral that has any. Unchecked rows only add empty
  // groups, which take no part in the count, so they are not looked at.
  if (point < 0) return ComboCount();
  MineralLookup lookup;
  std::vector<std::uint32_t> checked;
  for (int row : table.pointRows(point)) {
    if (!table.isChecked(row)) continue;
    std::string_view mineral = table.cell(row, ColMineral);
    int entry = lookup.find(mineral);
    if (entry < 0) {
      entry = static_cast<int>(lookup.size());
      lookup.add(mineral);
      checked.push_back(0);
    }
    ++checked[static_cast<std::size_t>(entry)];
  }
  ComboCount count;
  for (std::uint32_t n : checked) count.addGroup(n);
  return count;
}

void makePointCurrent(const AnalysisTable& table, PointState& state, std::string_view sample,
                      std::string_view area) {
  state.minerals.clear();
  state.groups.clear();
  state.sample.assign(sample.data(), sample.size());
  state.area.assign(area.data(), area.size());
  RebuildGroups(table, state);
}

void makePointCurrent(const AnalysisTable& table, PointState& state, int point) {
  state.minerals.clear();
  state.groups.clear();
  int row = table.pointRows(point).front();
  std::string_view sample = table.cell(row, ColSample);
  std::string_view area = table.cell(row, ColArea);
  state.sample.assign(sample.data(), sample.size());
  state.area.assign(area.data(), area.size());
  rebuildGroupsAt(table, state, point);
}

void SelectPoint(const AnalysisTable& table, PointState& state, int row) {
  if (row < 0 || row >= table.rowCount()) return;
  if (state.belongs(table, row)) return;
  makePointCurrent(table, state, table.cell(row, ColSample), table.cell(row, ColArea));
}

void ClearPoint(PointState& state) {
  state.minerals.clear();
  state.groups.clear();
  state.sample.clear();
  state.area.clear();
  state.count = ComboCount();
  state.countText = "0";
  state.maxIndexText = "--";
}

bool setRowCheckFlag(AnalysisTable& table, PointState& state, int row, bool checked) {
  if (row < 0 || row >= table.rowCount()) return false;
  table.setChecked(row, checked);
  if (!state.belongs(table, row)) return false;
  RebuildGroups(table, state);
  return true;
}

std::vector<int> checkMineralAtPoint(AnalysisTable& table, PointState& state, int entry,
                                     bool checked) {
  std::vector<int> flipped;
  if (entry < 0 || entry >= static_cast<int>(state.minerals.size())) return flipped;
  state.minerals[static_cast<std::size_t>(entry)].checked = checked;
  const std::string& mineral = state.minerals[static_cast<std::size_t>(entry)].mineral;
  int point = table.findPoint(state.sample, state.area);
  if (point >= 0) {
    for (int row : table.pointRows(point)) {
      if (table.cell(row, ColMineral) != mineral || table.isChecked(row) == checked) continue;
      table.setChecked(row, checked);
      flipped.push_back(row);
    }
  }
  RebuildGroups(table, state);
  return flipped;
}

std::vector<int> toggleMineralEverywhere(AnalysisTable& table, PointState& state, int selectedRow) {
  std::vector<int> flipped;
  if (selectedRow < 0 || selectedRow >= table.rowCount()) return flipped;
  std::string mineral(table.cell(selectedRow, ColMineral));
  bool newState = !table.isChecked(selectedRow);
  for (int row = 0, n = table.rowCount(); row < n; ++row) {
    if (table.cell(row, ColMineral) != mineral || table.isChecked(row) == newState) continue;
    table.setChecked(row, newState);
    flipped.push_back(row);
  }
  RebuildGroups(table, state);
  return flipped;
}

}  // namespace vestrane
