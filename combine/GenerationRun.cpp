// SPDX-License-Identifier: MIT
#include "combine/GenerationRun.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "combine/CombinationWriter.h"
#include "combine/PointFileName.h"
#include "combine/PointsOverview.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/BackgroundSink.h"
#include "platform/core/Messages.h"
#include "platform/core/Paths.h"

namespace vestrane {

namespace {

/// The lines a run writes, as a progress total.
long long progressTotal(const BigCount& lines) {
  return static_cast<long long>(std::min<std::uint64_t>(lines.toUInt64(), LLONG_MAX));
}

}  // namespace

GenerationRun::GenerationRun(const AnalysisTable& table, PointState& point, int selectedRow,
                             Progress* progress)
    : table_(table), point_(point), selectedRow_(selectedRow), progress_(progress) {}

const std::vector<RunPoint>& GenerationRun::points() const {
  if (!pointsFound_) points_ = runPoints(table_);
  pointsFound_ = true;
  return points_;
}

std::string GenerationRun::pointRefusal() const {
  if (!point_.count.atLeastTwo()) return kMsgLessThan2;
  if (!point_.count.fitsInt32()) return "Error: too many combinations (" + point_.countText + ")!";
  return std::string();
}

std::string GenerationRun::runRefusal() const {
  for (const RunPoint& p : points()) {
    ComboCount count = pointComboCount(table_, p.point);
    if (!count.fitsInt32())
      return "Error: too many combinations (" + count.toDecimal() + ") at sample " +
             std::string(p.sample) + ", area " + std::string(p.area) + "!";
  }
  return std::string();
}

bool GenerationRun::refused(GenerateResult& result) const {
  std::string refusal = runRefusal();
  if (refusal.empty()) return false;
  result.ok = false;
  result.messages.push_back(std::move(refusal));
  return true;
}

void GenerationRun::finish() {
  if (selectedRow_ >= 0 && selectedRow_ < table_.rowCount() && !point_.belongs(table_, selectedRow_))
    makePointCurrent(table_, point_, table_.cell(selectedRow_, ColSample),
                     table_.cell(selectedRow_, ColArea));
}

void GenerationRun::passOver() {
  if (selectedRow_ < 0 && !points().empty()) makePointCurrent(table_, point_, points().back().point);
  finish();
}

GenerateResult GenerationRun::currentPoint(const std::string& path) {
  GenerateResult result;
  std::string refusal = pointRefusal();
  if (!refusal.empty()) {
    result.ok = false;
    result.messages.push_back(std::move(refusal));
    return result;
  }
  AtomicFile file(path);
  if (!file.open()) {
    result.messages.push_back(cannotWriteFileMessage(path, file.error()));
    result.ok = false;
    result.writeFailed = true;
    return result;
  }
  FileSink sink(file);
  BackgroundSink background(sink);
  CombinationWriter writer(table_, background, progress_);
  if (progress_) progress_->begin(progressTotal(overviewOfPoint(table_, point_).lines));
  bool ok = writer.GeneratePoint(point_, true) && writer.flush() && background.finish();
  result.lines = writer.linesWritten();
  result.points = 1;
  if (writer.cancelled()) {
    result.ok = false;
    result.cancelled = true;
    return result;
  }
  if (!ok || !file.commit()) {
    result.messages.push_back(cannotWriteMessage(path, file.error()));
    result.ok = false;
    result.writeFailed = true;
  }
  return result;
}

GenerateResult GenerationRun::combined(ByteSink& sink) {
  GenerateResult result;
  if (refused(result)) return result;
  if (progress_) progress_->begin(progressTotal(overviewOfRun(table_).lines));
  // The file is written in the background while the points are generated.
  BackgroundSink background(sink);
  CombinationWriter writer(table_, background, progress_);
  const std::vector<RunPoint>& points = this->points();
  const auto total = static_cast<long long>(points.size());
  result.movedPoint = true;
  for (std::size_t i = 0; i < points.size(); ++i) {
    makePointCurrent(table_, point_, points[i].point);
    writer.setPointProgress(static_cast<long long>(i), total);
    if (!writer.GeneratePoint(point_, i == 0)) break;
    ++result.points;
  }
  bool flushed = !writer.cancelled() && writer.flush() && background.finish();
  result.lines = writer.linesWritten();
  result.cancelled = writer.cancelled();
  result.writeFailed = writer.failed() || (!result.cancelled && !flushed);
  result.ok = !result.cancelled && !result.writeFailed;
  if (result.ok || result.cancelled) finish();
  return result;
}

GenerateResult GenerationRun::combinedFile(const std::string& path) {
  AtomicFile file(path);
  if (!file.open()) {
    GenerateResult result;
    result.ok = false;
    result.writeFailed = true;
    result.messages.push_back(cannotWriteMessage(path, file.error()));
    return result;
  }
  FileSink sink(file);
  GenerateResult result = combined(sink);
  // A cancelled run or a failed write drops the file with `file`.
  if (result.writeFailed) result.messages.push_back(cannotWriteMessage(path, file.error()));
  if (!result.ok) return result;
  if (!file.commit()) {
    result.ok = false;
    result.writeFailed = true;
    result.messages.push_back(cannotWriteMessage(path, file.error()));
  }
  return result;
}

GenerateResult GenerationRun::separate(const std::string& folder) {
  GenerateResult result;
  if (refused(result)) return result;
  if (progress_) progress_->begin(progressTotal(overviewOfRun(table_).lines));
  const std::vector<RunPoint>& points = this->points();
  const auto total = static_cast<long long>(points.size());
  RunFileNames names;
  result.movedPoint = true;
  for (std::size_t i = 0; i < points.size(); ++i) {
    makePointCurrent(table_, point_, points[i].point);
    std::string name = names.take(pointFileName(points[i].sample, points[i].area));
    std::string path = joinPath(folder, name);
    AtomicFile file(path, AtomicFile::Target::Generated);
    if (!file.open()) {
      result.filesSkipped.push_back({name, file.error()});
      continue;
    }
    FileSink sink(file);
    CombinationWriter writer(table_, sink, progress_);
    writer.setPointProgress(static_cast<long long>(i), total, result.lines);
    bool ok = writer.GeneratePoint(point_, true) && writer.flush();
    result.lines += writer.linesWritten();
    if (writer.cancelled()) {
      result.ok = false;
      result.cancelled = true;
      break;
    }
    if (!ok || !file.commit()) {
      result.messages.push_back(cannotWriteMessage(path, file.error()));
      result.ok = false;
      result.writeFailed = true;
      return result;
    }
    ++result.points;
    result.filesWritten.push_back(name);
  }
  finish();
  return result;
}

}  // namespace vestrane
