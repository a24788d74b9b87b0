// SPDX-License-Identifier: MIT
#include "app/core/UndoHistory.h"

#include <algorithm>
#include <utility>

namespace vestrane {

namespace {
void setBit(std::vector<std::uint64_t>& bits, int row) {
  bits[static_cast<std::size_t>(row) >> 6] |= std::uint64_t{1} << (row & 63);
}
}  // namespace

UndoHistory::UndoHistory(std::size_t memoryBound, std::size_t maxSteps)
    : memoryBound_(memoryBound), maxSteps_(maxSteps < 1 ? 1 : maxSteps) {}

std::size_t UndoHistory::memoryOf(const Step& step) {
  std::size_t bytes = sizeof(Step) + step.name.capacity() + step.view.caption.capacity() +
                      step.view.sample.capacity() + step.view.area.capacity() +
                      step.flipped.capacity() * sizeof(int) +
                      step.flippedBits.capacity() * sizeof(std::uint64_t);
  if (step.appendedSince)
    for (const std::string& caption : step.appendedSince->fixedCaptions)
      bytes += sizeof(std::string) + caption.capacity();
  if (step.table) {
    bytes += sizeof(AnalysisTable) + step.table->memoryUsed();
    for (int c = 0; c < step.table->columnCount(); ++c)
      bytes += sizeof(std::string) + step.table->caption(c).capacity();
  }
  return bytes;
}

bool UndoHistory::recordFlips(std::string name, std::vector<int> rows, UndoView view) {
  if (rows.empty()) return false;
  Step step;
  // A list costs four bytes a row, a bitmap one bit a row up to the last
  // flipped one: whichever is smaller is kept.
  const int span = *std::max_element(rows.begin(), rows.end()) + 1;
  if (rows.size() * 32 > static_cast<std::size_t>(span)) {
    step.flippedBits.assign((static_cast<std::size_t>(span) + 63) / 64, 0);
    for (int row : rows) setBit(step.flippedBits, row);
  } else {
    step.flipped = std::move(rows);
    step.flipped.shrink_to_fit();
  }
  step.name = std::move(name);
  step.view = std::move(view);
  return push(std::move(step));
}

bool UndoHistory::recordTableChange(std::string name, AnalysisTable before, UndoView view) {
  Step step;
  step.name = std::move(name);
  step.view = std::move(view);
  step.table = std::make_unique<AnalysisTable>(std::move(before));
  return push(std::move(step));
}

bool UndoHistory::recordTableChange(std::string name, AnalysisTable::Mark before, UndoView view) {
  Step step;
  step.name = std::move(name);
  step.view = std::move(view);
  step.appendedSince = std::make_unique<AnalysisTable::Mark>(std::move(before));
  return push(std::move(step));
}

bool UndoHistory::push(Step step) {
  // A new step ends what could be redone.
  for (const Step& s : redo_) memory_ -= s.memory;
  redo_.clear();
  step.memory = memoryOf(step);
  if (step.memory > memoryBound_) {
    // Not even this step alone fits: nothing before it can be undone
    // either, since the steps must be taken back in order.
    clear();
    return false;
  }
  memory_ += step.memory;
  undo_.push_back(std::move(step));
  enforceBounds();
  return true;
}

void UndoHistory::dropFront(std::deque<Step>& steps) {
  memory_ -= steps.front().memory;
  steps.pop_front();
}

void UndoHistory::enforceBounds() {
  while (!undo_.empty() && (memory_ > memoryBound_ || undo_.size() + redo_.size() > maxSteps_))
    dropFront(undo_);
  while (!redo_.empty() && (memory_ > memoryBound_ || redo_.size() > maxSteps_)) dropFront(redo_);
}

void UndoHistory::apply(Step& step, AnalysisTable& table, UndoView& view) {
  if (step.appendedSince) {
    // Undone for the first time: the table as the step left it is kept for
    // redo, and the table goes back to the mark. From now on the step swaps
    // the two sides like any table step.
    step.table = std::make_unique<AnalysisTable>(table);
    table.rollBack(*step.appendedSince);
    step.appendedSince.reset();
  } else if (step.table) {
    std::swap(*step.table, table);
  }
  for (int row : step.flipped)
    if (row < table.rowCount()) table.setChecked(row, !table.isChecked(row));
  for (std::size_t word = 0; word < step.flippedBits.size(); ++word) {
    const std::uint64_t bits = step.flippedBits[word];
    if (bits == 0) continue;
    for (int bit = 0; bit < 64; ++bit) {
      const int row = static_cast<int>(word * 64) + bit;
      if (((bits >> bit) & 1u) && row < table.rowCount()) table.setChecked(row, !table.isChecked(row));
    }
  }
  std::swap(step.view, view);
}

std::string UndoHistory::undoName() const { return undo_.empty() ? std::string() : undo_.back().name; }

std::string UndoHistory::redoName() const { return redo_.empty() ? std::string() : redo_.back().name; }

std::string UndoHistory::takeBack(std::deque<Step>& from, std::deque<Step>& to, AnalysisTable& table,
                                  UndoView& view) {
  if (from.empty()) return std::string();
  Step step = std::move(from.back());
  from.pop_back();
  memory_ -= step.memory;
  apply(step, table, view);
  // The step now holds the other side, whose size may differ.
  step.memory = memoryOf(step);
  memory_ += step.memory;
  std::string name = step.name;
  to.push_back(std::move(step));
  enforceBounds();
  return name;
}

std::string UndoHistory::undo(AnalysisTable& table, UndoView& view) { return takeBack(undo_, redo_, table, view); }

std::string UndoHistory::redo(AnalysisTable& table, UndoView& view) { return takeBack(redo_, undo_, table, view); }

void UndoHistory::clear() {
  undo_.clear();
  redo_.clear();
  memory_ = 0;
}

}  // namespace vestrane
