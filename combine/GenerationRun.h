// SPDX-License-Identifier: MIT
#pragma once
// One run of "Generate Combinations": the count checks, the points in the
// order they are written, progress and cancel, output files that are
// replaced only once all of them was written, and the names of separate
// files. The window and the batch tool both run through it; neither shows
// nor prints anything from here, the messages come back with the outcome.

#include <string>
#include <vector>

#include "combine/Points.h"
#include "combine/RunPoints.h"
#include "platform/core/ByteSink.h"
#include "platform/core/Services.h"
#include "table/AnalysisTable.h"

namespace vestrane {

inline constexpr const char* kMsgLessThan2 = "Error: less than 2 combinations!";

/// A point's file that a run could not create, and the system's reason.
struct SkippedFile {
  std::string name;  ///< without folder
  std::string reason;
};

/// Outcome of a generation run.
struct GenerateResult {
  bool ok = true;               ///< no error, not cancelled
  bool cancelled = false;
  bool writeFailed = false;     ///< the output could not be written (reason in the sink)
  /// Points were made current in turn: the current point may have changed.
  bool movedPoint = false;
  std::vector<std::string> filesWritten;  ///< separate files, names without folder
  std::vector<SkippedFile> filesSkipped;  ///< separate files that could not be created
  long long points = 0;
  long long lines = 0;
  /// The messages for the user, in order: a count that refuses the run, an
  /// output that could not be written.
  std::vector<std::string> messages;
};

class GenerationRun {
 public:
  /// A run over the rows of @p table. @p point is the current point: a run
  /// over every point makes each current in turn and, once it completed or
  /// was cancelled, leaves the point of @p selectedRow current again (with
  /// no row selected, -1, the last point it generated). A failed write
  /// leaves the point whose text failed current.
  GenerationRun(const AnalysisTable& table, PointState& point, int selectedRow,
                Progress* progress = nullptr);

  /// Why the current point alone is not generated: fewer than two
  /// combinations, or more than 32 bits count. Empty when it is.
  std::string pointRefusal() const;
  /// Why the points of the checked rows are not generated: the first with
  /// more combinations than 32 bits count. Empty when they are.
  std::string runRefusal() const;

  /// The current point into the file @p path.
  GenerateResult currentPoint(const std::string& path);
  /// Every point into @p sink, the header once; a failed write is left to
  /// the caller to name.
  GenerateResult combined(ByteSink& sink);
  /// Every point into the one file @p path.
  GenerateResult combinedFile(const std::string& path);
  /// Every point into a file of its own in @p folder. A file that cannot
  /// be created is skipped and listed in filesSkipped.
  GenerateResult separate(const std::string& folder);
  /// Leaves current the point that a completed run over every point would
  /// leave, without generating anything: for a run called off before it began.
  void passOver();

 private:
  /// Refuses a run whose points have more combinations than 32 bits count.
  bool refused(GenerateResult& result) const;
  /// The point of the selected row becomes current again, when the run left another.
  void finish();
  /// The points of the run, found when first asked for.
  const std::vector<RunPoint>& points() const;

  const AnalysisTable& table_;
  PointState& point_;
  int selectedRow_;
  Progress* progress_;
  mutable std::vector<RunPoint> points_;
  mutable bool pointsFound_ = false;
};

}  // namespace vestrane
