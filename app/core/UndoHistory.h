// SPDX-License-Identifier: MIT
#pragma once
// Undo and redo of the changes a user makes to the table: check boxes,
// minerals checked or unchecked, "Uncheck by total", "Clear", "Paste" and
// loaded files. A step is one of two kinds: the rows whose checked flags a
// change flipped, or a change of the table, which keeps the table of the
// other side (or, for rows appended to a table, only where it ended).
// Undoing a step swaps that state with the live one, so the same step then
// redoes it.
//
// The history's memory is bounded: past kDefaultMemoryBound bytes or
// kDefaultMaxSteps steps the oldest steps are dropped.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "table/AnalysisTable.h"

namespace vestrane {

inline constexpr const char* kStepClear = "Clear";
inline constexpr const char* kStepPaste = "Paste";
inline constexpr const char* kStepLoad = "Load TAB file";
inline constexpr const char* kStepUncheckMineral = "(Un)check mineral";
inline constexpr const char* kStepUncheckByTotal = "Uncheck by total";
inline constexpr const char* kStepUncheckLacking = "Uncheck points lacking required minerals";
inline constexpr const char* kStepDrop = "Drop files";
inline constexpr const char* kStepCheckAnalysis = "Check analysis";
inline constexpr const char* kStepUncheckAnalysis = "Uncheck analysis";

/// What the window shows besides the table, restored with it.
struct UndoView {
  std::string caption;  ///< the window caption
  std::string sample;   ///< the current point
  std::string area;
  int selectedRow = -1;
};

class UndoHistory {
 public:
  static constexpr std::size_t kDefaultMemoryBound = std::size_t{512} << 20;
  static constexpr std::size_t kDefaultMaxSteps = 200;

  explicit UndoHistory(std::size_t memoryBound = kDefaultMemoryBound,
                       std::size_t maxSteps = kDefaultMaxSteps);

  /// A step that flipped the checked flags of @p rows (each once); @p view
  /// as it was before it. @return false when @p rows is
  /// empty, so there is no step.
  bool recordFlips(std::string name, std::vector<int> rows, UndoView view);
  /// A step that changed the table (rows, columns, captions): @p before is
  /// the whole table as it was, moved in. @return false when the step is
  /// larger than the whole memory bound and was dropped.
  bool recordTableChange(std::string name, AnalysisTable before, UndoView view);
  /// The same for a change that appended rows and columns to a table that
  /// had rows (a load or a paste): @p before marks the table as it was.
  /// Nothing is copied now; the table as the step left it is copied only
  /// when the step is undone, so that it can be redone.
  bool recordTableChange(std::string name, AnalysisTable::Mark before, UndoView view);

  bool canUndo() const { return !undo_.empty(); }
  bool canRedo() const { return !redo_.empty(); }
  /// The name of the step undo (redo) would take back; empty when there is none.
  std::string undoName() const;
  std::string redoName() const;

  /// Takes back the last step: @p table and @p view become as they were
  /// before it. @return the step's name; empty when there was none.
  std::string undo(AnalysisTable& table, UndoView& view);
  /// Does the step undone last again. @return its name; empty when there was none.
  std::string redo(AnalysisTable& table, UndoView& view);

  /// Forgets every step.
  void clear();

  std::size_t undoSteps() const { return undo_.size(); }
  std::size_t redoSteps() const { return redo_.size(); }
  /// Bytes held by the steps.
  std::size_t memoryUsed() const { return memory_; }

 private:
  struct Step {
    std::string name;
    UndoView view;
    std::unique_ptr<AnalysisTable> table;  ///< a table step's other side
    /// An append step not undone yet: the table as it was before it.
    std::unique_ptr<AnalysisTable::Mark> appendedSince;
    std::vector<int> flipped;              ///< rows a check step changed, when few
    std::vector<std::uint64_t> flippedBits;  ///< the same as a bitmap, when many
    std::size_t memory = 0;
  };
  static std::size_t memoryOf(const Step& step);
  static void apply(Step& step, AnalysisTable& table, UndoView& view);
  bool push(Step step);
  /// Drops the oldest steps, then the steps furthest to redo, until the
  /// bounds hold again.
  void enforceBounds();
  void dropFront(std::deque<Step>& steps);
  /// Applies the last step of @p from and moves it to @p to. @return its name.
  std::string takeBack(std::deque<Step>& from, std::deque<Step>& to, AnalysisTable& table, UndoView& view);

  std::deque<Step> undo_;  ///< oldest first
  std::deque<Step> redo_;  ///< the next step to redo last
  std::size_t memoryBound_;
  std::size_t maxSteps_;
  std::size_t memory_ = 0;
};

}  // namespace vestrane
