// SPDX-License-Identifier: MIT
#include "cli/RunScreening.h"

#include "combine/RequiredMinerals.h"
#include "combine/RunSpace.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/Text.h"

namespace vestrane::cli {

std::string takeRequiredMinerals(const std::string& value, std::vector<std::string>& required) {
  const std::vector<std::string> minerals = parseMineralList(value);
  if (minerals.empty()) return "--require needs minerals separated by commas, as Grt,Bt";
  for (const std::string& mineral : minerals) {
    bool known = false;
    for (const std::string& r : required) known = known || upperText(r) == upperText(mineral);
    if (!known) required.push_back(mineral);
  }
  return "";
}

std::string takeMineralTotalRange(const std::string& value, TotalRange& range) {
  MineralTotalRange mineral;
  if (!parseMineralTotalRange(value, mineral))
    return "--total-range needs MINERAL=MIN:MAX, two numbers with MIN <= MAX, not " + value;
  for (const MineralTotalRange& m : range.minerals)
    if (upperText(m.mineral) == upperText(mineral.mineral))
      return "--total-range gives " + m.mineral + " more than one range";
  range.minerals.push_back(std::move(mineral));
  return "";
}

void leaveOutPointsLacking(Workbench& bench, const std::vector<std::string>& required,
                           Console& console) {
  const PointsOverview overview = bench.pointsOverview();
  const std::vector<int> lacking = pointsLacking(overview, required);
  bench.uncheckPoints(lacking);
  std::string names;
  for (const std::string& mineral : required) names += (names.empty() ? "" : ", ") + mineral;
  console.message("Points left out for lacking a required mineral (" + names + "): " +
                  std::to_string(lacking.size()) + " of " + std::to_string(overview.points.size()));
}

bool runFitsDisk(const Workbench& bench, bool separateFiles, const std::string& target,
                 DiskSpace& disk, Console& console) {
  if (target == "-") return true;  // standard output
  const PointsOverview overview = bench.pointsOverview();
  if (!overview.allGenerable) return true;
  const std::string folder = separateFiles ? target : AtomicFile(target).folderWritten();
  const RunSpace space = runSpace(runBytes(overview, separateFiles), folder, disk);
  if (space.fits) return true;
  console.message("Error: " + runSpaceText(space) + " (--no-space-check writes anyway)");
  return false;
}

}  // namespace vestrane::cli
