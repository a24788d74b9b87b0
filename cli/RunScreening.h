// SPDX-License-Identifier: MIT
#pragma once
// The batch tool's checks of a run before it writes: the options that name
// total ranges and required minerals, the points left out for lacking a
// required mineral, and whether the run fits its disk. Each says its part
// on standard error (what the total ranges did, the engine says).

#include <string>
#include <vector>

#include "app/core/Workbench.h"
#include "cli/Console.h"
#include "combine/TotalFilter.h"
#include "platform/core/DiskSpace.h"

namespace vestrane::cli {

/// Takes the value of --require, a list such as "Grt,Bt", into @p required.
/// @return what is wrong, or nothing.
std::string takeRequiredMinerals(const std::string& value, std::vector<std::string>& required);

/// Takes "MINERAL=MIN:MAX" of --total-range into @p range. @return what is
/// wrong, or nothing.
std::string takeMineralTotalRange(const std::string& value, TotalRange& range);

/// Unchecks every analysis of the points of the run that lack one of
/// @p required, and says how many points these were.
void leaveOutPointsLacking(Workbench& bench, const std::vector<std::string>& required,
                           Console& console);

/// Whether the run fits the file system it is written to: the combined
/// file to @p target, or with @p separateFiles the points' files into the
/// folder @p target. A target written as a stream ("-", a device, a pipe)
/// and a disk whose free space cannot be learned are not refused. A run
/// with a point of too many combinations is left to the run to refuse.
/// @return false, said as an error, when it does not fit.
bool runFitsDisk(const Workbench& bench, bool separateFiles, const std::string& target,
                 DiskSpace& disk, Console& console);

}  // namespace vestrane::cli
