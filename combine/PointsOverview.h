// SPDX-License-Identifier: MIT
#pragma once
// What an "All at once" run would write, worked out before anything is
// written: for every point its minerals, its combinations, the lines they
// make and the exact size of its separate file, and the size of the one
// combined file. Nothing is generated: the sizes follow from the mineral
// groups and the lengths of the lines each checked analysis contributes.

#include <cstdint>
#include <string>
#include <vector>

#include "combine/BigCount.h"
#include "combine/Points.h"
#include "table/AnalysisTable.h"

namespace vestrane {

/// A mineral taking part at a point, with its number of checked analyses.
struct PointMineral {
  std::string mineral;  ///< as the point's mineral list spells it
  std::uint32_t analyses = 0;
};

struct PointOverview {
  std::string sample;
  std::string area;
  int point = -1;     ///< the table's index of the point
  int firstRow = -1;  ///< the point's first checked row
  /// The minerals with a checked analysis, in the point's mineral list order.
  std::vector<PointMineral> minerals;
  BigCount combinations;
  BigCount lines;  ///< minerals times combinations
  BigCount bytes;  ///< the size of the point's separate file, header line included
  BigCount lineBytes;  ///< of them, the point's lines alone: its part of the combined file
  /// Whether the count is small enough to be generated (signed 32 bits).
  bool generable = true;
};

struct PointsOverview {
  std::vector<PointOverview> points;  ///< in the order of the run
  BigCount combinations;
  BigCount lines;
  /// The size of the combined file: the header line once, then the lines of
  /// every point; nothing at all when there is no point.
  BigCount combinedBytes;
  BigCount headerBytes;  ///< the header line every file of the run begins with
  bool allGenerable = true;
};

/// The overview of the points of an "All at once" run over @p table.
PointsOverview overviewOfRun(const AnalysisTable& table);

/// The points of @p overview that can be generated, with the totals of
/// those alone: what a run writes once the others are left out.
PointsOverview generablePart(const PointsOverview& overview);

/// The overview of the current point of @p state, with the groups it holds:
/// what generating that point alone writes.
PointOverview overviewOfPoint(const AnalysisTable& table, const PointState& state);

/// The minerals of a point as name:count, separated by single spaces.
std::string mineralsText(const PointOverview& point);

/// The overview as the batch tool lists it: a header line, then one line
/// per point (Sample, Area, minerals as name:count separated by spaces,
/// combinations, lines, bytes), TAB-separated, each line ending with LF.
std::string pointsListing(const PointsOverview& overview);

/// The same with a last column Missing: the minerals of @p required each
/// point lacks (see RequiredMinerals.h), "-" where it lacks none.
std::string pointsListing(const PointsOverview& overview,
                          const std::vector<std::string>& required);

/// "N points, M combinations, L lines, B bytes in one combined file", without a line end.
std::string pointsSummary(const PointsOverview& overview);

}  // namespace vestrane
