// SPDX-License-Identifier: MIT
#pragma once
// Required minerals: the minerals every point must have for its combinations
// to serve the thermometers they are made for (a garnet-biotite pair needs
// both). A mineral is present at a point when the point has at least one
// checked analysis of it: without one, the point's combinations lack it.

#include <string>
#include <string_view>
#include <vector>

#include "combine/PointsOverview.h"

namespace vestrane {

/// The minerals of a list such as "Grt,Bt": the names between commas,
/// trimmed, empty ones left out, each once (in any letter case; the first
/// spelling kept).
std::vector<std::string> parseMineralList(std::string_view text);

/// The minerals of @p required that @p point has no checked analysis of,
/// in the order of @p required and spelt as there; minerals compared in
/// any letter case, as the table compares them.
std::vector<std::string> missingMinerals(const PointOverview& point,
                                         const std::vector<std::string>& required);

/// The missing minerals as a listing shows them: separated by single
/// spaces, "-" where none is missing.
std::string missingMineralsText(const std::vector<std::string>& missing);

/// The table's indices of the points of @p overview that lack a required mineral.
std::vector<int> pointsLacking(const PointsOverview& overview,
                               const std::vector<std::string>& required);

}  // namespace vestrane
