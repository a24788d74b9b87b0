// SPDX-License-Identifier: MIT
#include "combine/PointsOverview.h"

#include "combine/PointLayout.h"
#include "combine/Points.h"
#include "combine/RequiredMinerals.h"
#include "combine/RunPoints.h"
#include "table/TableWriter.h"

namespace vestrane {

namespace {

/// The overview of the current point of @p state; @p header is the size of
/// the header line, which the point's separate file begins with, and @p body
/// becomes the size of the point's lines alone. @p layout is reused space.
PointOverview describePoint(const AnalysisTable& table, const PointState& state,
                            const BigCount& header, BigCount& body, PointLayout& layout) {
  PointOverview o;
  o.sample = state.sample;
  o.area = state.area;
  o.point = table.findPoint(state.sample, state.area);
  o.generable = state.count.fitsInt32();

  // Every row of a participating group of s rows is in count / s of the
  // combinations, so a group whose lines have L bytes in all adds
  // L * count / s bytes.
  layout.layOut(table, state);
  const BigCount& count = state.count.value();
  body = BigCount();
  for (std::size_t g = 0; g < layout.groupCount(); ++g) {
    std::uint64_t length = 0;
    for (std::size_t i = layout.groupBegin(g); i < layout.groupEnd(g); ++i)
      length += layout.lineSize(i);
    const auto rows = static_cast<std::uint32_t>(layout.groupEnd(g) - layout.groupBegin(g));
    BigCount added = count;
    added /= rows;
    added *= length;
    body += added;
    o.minerals.push_back({state.minerals[layout.groupEntry(g)].mineral, rows});
  }

  o.lines = count;
  o.lines *= layout.groupCount();
  o.combinations = count;
  o.bytes = header;
  o.bytes += body;
  o.lineBytes = body;
  return o;
}

}  // namespace

PointsOverview overviewOfRun(const AnalysisTable& table) {
  PointsOverview overview;
  const std::vector<RunPoint> run = runPoints(table);
  overview.points.reserve(run.size());
  const BigCount header(headerLine(table).size());
  overview.headerBytes = header;
  if (!run.empty()) overview.combinedBytes = header;

  PointState state;
  BigCount body;
  PointLayout layout;
  for (const RunPoint& p : run) {
    // The point's groups exactly as generating it would build them.
    makePointCurrent(table, state, p.point);
    PointOverview o = describePoint(table, state, header, body, layout);
    o.firstRow = p.firstRow;
    overview.combinations += o.combinations;
    overview.lines += o.lines;
    overview.combinedBytes += body;
    overview.allGenerable = overview.allGenerable && o.generable;
    overview.points.push_back(std::move(o));
  }
  return overview;
}

PointsOverview generablePart(const PointsOverview& overview) {
  PointsOverview part;
  part.headerBytes = overview.headerBytes;
  for (const PointOverview& p : overview.points) {
    if (!p.generable) continue;
    if (part.points.empty()) part.combinedBytes = part.headerBytes;
    part.combinations += p.combinations;
    part.lines += p.lines;
    part.combinedBytes += p.lineBytes;
    part.points.push_back(p);
  }
  return part;
}

PointOverview overviewOfPoint(const AnalysisTable& table, const PointState& state) {
  BigCount body;
  PointLayout layout;
  return describePoint(table, state, BigCount(headerLine(table).size()), body, layout);
}

std::string mineralsText(const PointOverview& point) {
  std::string text;
  for (std::size_t i = 0; i < point.minerals.size(); ++i) {
    if (i) text += ' ';
    text += point.minerals[i].mineral;
    text += ':';
    text += std::to_string(point.minerals[i].analyses);
  }
  return text;
}

namespace {

/// The listing's lines; with @p required, each ends with the Missing column.
std::string listing(const PointsOverview& overview, const std::vector<std::string>* required) {
  std::string out = "Sample\tArea\tMinerals\tCombinations\tLines\tBytes";
  out += required ? "\tMissing\n" : "\n";
  for (const PointOverview& p : overview.points) {
    out += p.sample;
    out += '\t';
    out += p.area;
    out += '\t';
    out += mineralsText(p);
    out += '\t';
    out += p.combinations.toDecimal();
    out += '\t';
    out += p.lines.toDecimal();
    out += '\t';
    out += p.bytes.toDecimal();
    if (required) {
      out += '\t';
      out += missingMineralsText(missingMinerals(p, *required));
    }
    out += '\n';
  }
  return out;
}

}  // namespace

std::string pointsListing(const PointsOverview& overview) { return listing(overview, nullptr); }

std::string pointsListing(const PointsOverview& overview,
                          const std::vector<std::string>& required) {
  return listing(overview, &required);
}

std::string pointsSummary(const PointsOverview& overview) {
  return std::to_string(overview.points.size()) + " points, " + overview.combinations.toDecimal() +
         " combinations, " + overview.lines.toDecimal() + " lines, " +
         overview.combinedBytes.toDecimal() + " bytes in one combined file";
}

}  // namespace vestrane
