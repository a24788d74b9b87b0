// SPDX-License-Identifier: MIT
#pragma once
// Platform file: the only place where UTF-8 path strings become the operating
// system's paths and back. On Windows std::filesystem needs the UTF-8 marked
// as such; elsewhere the bytes are the native path already. For the file
// access sources of platform/core only.

#include <filesystem>
#include <string>

namespace vestrane {

inline std::filesystem::path nativePath(const std::string& path) {
#ifdef _WIN32
  return std::filesystem::u8path(path);
#else
  return std::filesystem::path(path);
#endif
}

/// A path as UTF-8 bytes: the inverse of nativePath.
inline std::string bytesOf(const std::filesystem::path& path) {
#ifdef _WIN32
  const auto u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
#else
  return path.string();
#endif
}

}  // namespace vestrane
