// SPDX-License-Identifier: MIT
#pragma once
// Writing the combinations of a point: every way to take exactly one checked
// analysis of each mineral that has one, the first mineral varying slowest.
// Each combination is a block of lines, one per mineral, whose Area cell
// carries the combination's index in base 36. Output is streamed to a sink,
// so memory does not grow with the number of combinations.

#include <string>
#include <string_view>
#include <vector>

#include "combine/PointLayout.h"
#include "combine/Points.h"
#include "platform/core/ByteSink.h"
#include "platform/core/Services.h"
#include "table/AnalysisTable.h"

namespace vestrane {

/// Writes point texts to a sink through a buffer.
class CombinationWriter {
 public:
  CombinationWriter(const AnalysisTable& table, ByteSink& sink, Progress* progress = nullptr)
      : table_(table), sink_(sink), progress_(progress) {}
  ~CombinationWriter() = default;

  /// For progress reports: which point of how many is being written, and
  /// how many lines the run wrote before this writer's first.
  void setPointProgress(long long done, long long total, long long linesBefore = 0) {
    pointsDone_ = done;
    pointsTotal_ = total;
    linesBefore_ = linesBefore;
  }

  /// Appends the text of the current point of @p state: the header line when
  /// @p withHeader, then the lines of every combination. The count must be
  /// at least 1 and fit 32 bits. @return false when the sink failed or the
  /// run was cancelled.
  bool GeneratePoint(const PointState& state, bool withHeader);

  /// Writes what is buffered to the sink. @return false when the sink failed.
  bool flush();

  long long linesWritten() const { return lines_; }
  bool cancelled() const { return cancelled_; }
  bool failed() const { return failed_; }

 private:
  bool EmitCombinations(const PointState& state);
  bool append(std::string_view bytes);
  bool tick();

  const AnalysisTable& table_;
  ByteSink& sink_;
  Progress* progress_;
  std::string buffer_;
  PointLayout layout_;  ///< the lines of the point being written, reused from point to point
  long long lines_ = 0;
  long long nextReport_ = 0;
  long long pointsDone_ = 0;
  long long pointsTotal_ = 1;
  long long linesBefore_ = 0;
  bool cancelled_ = false;
  bool failed_ = false;
};

}  // namespace vestrane
