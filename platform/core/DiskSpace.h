// SPDX-License-Identifier: MIT
#pragma once
// What the engine asks about free disk space before a run, behind an
// interface so that a test can give any figure it needs.

#include <cstdint>
#include <string>

namespace vestrane {

/// The bytes this process may still write on the file system that holds
/// @p folder. @return false when the system does not tell.
bool freeSpaceOf(const std::string& folder, std::uint64_t& bytes);

class DiskSpace {
 public:
  virtual ~DiskSpace() = default;
  /// The bytes this process may still write on the file system that holds
  /// @p folder. @return false when that cannot be learned.
  virtual bool freeBytes(const std::string& folder, std::uint64_t& bytes) = 0;
};

/// The system's own figures.
class SystemDiskSpace : public DiskSpace {
 public:
  bool freeBytes(const std::string& folder, std::uint64_t& bytes) override {
    return freeSpaceOf(folder, bytes);
  }
};

}  // namespace vestrane
