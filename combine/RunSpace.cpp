// SPDX-License-Identifier: MIT
#include "combine/RunSpace.h"

#include "combine/SizeText.h"

namespace vestrane {

BigCount runBytes(const PointsOverview& overview, bool separateFiles) {
  if (!separateFiles) return overview.combinedBytes;
  BigCount bytes;
  for (const PointOverview& p : overview.points) bytes += p.bytes;
  return bytes;
}

RunSpace runSpace(const BigCount& needed, const std::string& folder, DiskSpace& disk) {
  RunSpace space;
  space.needed = needed;
  if (folder.empty()) return space;
  space.known = disk.freeBytes(folder, space.available);
  space.fits = !space.known || space.needed.atMost(space.available);
  return space;
}

std::string runSpaceText(const RunSpace& space) {
  std::string needed = byteSizeText(space.needed);
  std::string available = byteSizeText(space.available);
  if (needed == available) {
    needed = countText(space.needed) + " bytes";
    available = countText(BigCount(space.available)) + " bytes";
  }
  return "the run needs " + needed + "; the disk has " + available + " free";
}

std::string runSpaceQuestion(const RunSpace& space) {
  std::string text = runSpaceText(space);
  text[0] = 'T';  // "the run needs" begins the sentence
  return text + ". Write anyway?";
}

}  // namespace vestrane
