// SPDX-License-Identifier: MIT
#pragma once
// The points an "All at once" run writes, in the order it writes them.

#include <string_view>
#include <vector>

#include "table/AnalysisTable.h"

namespace vestrane {

/// One point of a run. The texts are the table's own cells, valid while its
/// rows stay as they are.
struct RunPoint {
  std::string_view sample;
  std::string_view area;
  int point;     ///< the table's index of the point
  int firstRow;  ///< the point's first checked row
};

/// Every point that has a checked row: the samples in the order they first
/// occur among the checked rows, and within each sample its areas in the
/// same order. Samples and areas are told apart exactly (letter case counts).
std::vector<RunPoint> runPoints(const AnalysisTable& table);

}  // namespace vestrane
