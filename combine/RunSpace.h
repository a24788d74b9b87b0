// SPDX-License-Identifier: MIT
#pragma once
// Whether a run fits its disk: the exact size of what it writes, from the
// points overview, against the free space of the target's file system.

#include <cstdint>
#include <string>

#include "combine/BigCount.h"
#include "combine/PointsOverview.h"
#include "platform/core/DiskSpace.h"

namespace vestrane {

/// The bytes an "All at once" run writes: the one combined file, or with
/// @p separateFiles every point's own file (each with its header line).
BigCount runBytes(const PointsOverview& overview, bool separateFiles);

struct RunSpace {
  BigCount needed;
  bool known = false;         ///< whether the free space could be learned
  std::uint64_t available = 0;  ///< the free space, when known
  /// Whether the run fits; a run whose free space is not known counts as fitting.
  bool fits = true;
};

/// Compares @p needed with the free space of the file system of @p folder.
/// An empty folder (a target written as a stream) is not asked about.
RunSpace runSpace(const BigCount& needed, const std::string& folder, DiskSpace& disk);

/// "the run needs 321.8 GB; the disk has 40.1 GB free", with exact bytes
/// where both sizes would read the same.
std::string runSpaceText(const RunSpace& space);

/// The window's question when the run does not fit: "The run needs
/// 321.8 GB; the disk has 40.1 GB free. Write anyway?"
std::string runSpaceQuestion(const RunSpace& space);

}  // namespace vestrane
