#include "combine/PointsOverview.h"

#include "combine/Points.h"
#include "combine/RunPoints.h"
#include "table/TableWriter.h"

namespace vestrane {

namespace {

/// The overview of the current point of @p state; @p header is the size of
/// the header line, which the point's separate file begins with, and @p body
/// becomes the size of the point's lines alone.
PointOverview describePoint(const AnalysisTable& table, const PointState& state,
                            const BigCount& header, BigCount& body, std::string& cells) {
  PointOverview o;
  o.sample = state.sample;
  o.area = state.area;
  o.point = table.findPoint(state.sample, state.area);

  // A combination line is "1", TAB, Sample, TAB, the Area cell, the cells
  // from Mineral on (each after a TAB) and CR LF. The Area cell is the
  // same in every line of the point, so it is added at the end. Adding a
  // group of s rows whose lines (without Area cell) have L bytes in all
  // to c combinations of b bytes gives c * s combinations of b * s + c * L
  // bytes: each earlier combination meets each of the s rows.
  BigCount count(1);
  body = BigCount();
  std::uint64_t minerals = 0;
  for (std::size_t i = 0; i < state.groups.size(); ++i) {
    const std::vector<int>& group = state.groups[i];
    if (group.empty()) continue;
    ++minerals;
    std::uint64_t length = 0;
    for (int row : group) {
      cells.clear();
      table.appendCells(row, ColMineral, cells);
      length += 2 + state.sample.size() + 1 + cells.size() + 2;
    }
    BigCount added = count;
    added *= length;
    body *= group.size();
    body += added;
    count *= group.size();
    o.minerals.push_back({state.minerals[i].mineral, static_cast<std::uint32_t>(group.size())});
  }
  if (minerals == 0) count = BigCount();

  // The Area cell: with two or more combinations the area (none for "-"),
  // "_" and the index padded to the max index's width; else the area as it is.
  o.generable = state.count.fitsInt32();
  const bool indexed = !(o.generable && state.count.toInt32() < 2);
  std::uint64_t areaCell = state.area.size();
  if (indexed) areaCell = (state.area == kMissing ? 0 : state.area.size() + 1) + state.maxIndexText.size();

  o.lines = count;
  o.lines *= minerals;
  BigCount areaBytes = o.lines;
  areaBytes *= areaCell;
  body += areaBytes;
  o.combinations = std::move(count);
  o.bytes = header;
  o.bytes += body;
  return o;
}

}  // namespace

PointsOverview overviewOfRun(const AnalysisTable& table) {
  PointsOverview overview;
  const std::vector<RunPoint> run = runPoints(table);
  overview.points.reserve(run.size());
  const BigCount header(headerLine(table).size());
  if (!run.empty()) overview.combinedBytes = header;

  PointState state;
  BigCount body;
  std::string cells;
  for (const RunPoint& p : run) {
    // The point's groups exactly as generating it would build them.
    makePointCurrent(table, state, p.point);
    PointOverview o = describePoint(table, state, header, body, cells);
    o.firstRow = p.firstRow;
    overview.combinations += o.combinations;
    overview.lines += o.lines;
    overview.combinedBytes += body;
    overview.allGenerable = overview.allGenerable && o.generable;
    overview.points.push_back(std::move(o));
  }
  return overview;
}

PointOverview overviewOfPoint(const AnalysisTable& table, const PointState& state) {
  BigCount body;
  std::string cells;
  return describePoint(table, state, BigCount(headerLine(table).size()), body, cells);
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

std::string pointsListing(const PointsOverview& overview) {
  std::string out = "Sample\tArea\tMinerals\tCombinations\tLines\tBytes\n";
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
    out += '\n';
  }
  return out;
}

std::string pointsSummary(const PointsOverview& overview) {
  return std::to_string(overview.points.size()) + " points, " + overview.combinations.toDecimal() +
         " combinations, " + overview.lines.toDecimal() + " lines, " +
         overview.combinedBytes.toDecimal() + " bytes in one combined file";
}

}  // namespace vestrane
