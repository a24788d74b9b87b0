// SPDX-License-Identifier: MIT
#include "platform/core/DiskSpace.h"

#include <filesystem>
#include <system_error>

#include "platform/core/NativePath.h"

namespace fs = std::filesystem;

namespace vestrane {

bool freeSpaceOf(const std::string& folder, std::uint64_t& bytes) {
  std::error_code ec;
  const fs::space_info space = fs::space(nativePath(folder), ec);
  // The library gives the largest value for a figure the system did not tell.
  if (ec || space.available == static_cast<std::uintmax_t>(-1)) return false;
  bytes = static_cast<std::uint64_t>(space.available);
  return true;
}

}  // namespace vestrane
