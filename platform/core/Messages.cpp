// SPDX-License-Identifier: MIT
#include "platform/core/Messages.h"

#include <system_error>

namespace vestrane {

std::string cannotWriteMessage(const std::string& what, const std::string& reason) {
  return "Error: can not write " + what + (reason.empty() ? "" : " (" + reason + ")");
}

std::string cannotWriteFileMessage(const std::string& path, const std::string& reason) {
  return cannotWriteMessage("file " + path, reason);
}

std::string cannotOpenFileMessage(const std::string& path, const std::string& reason) {
  return "Error: can not open file " + path + (reason.empty() ? "" : " (" + reason + ")");
}

std::string cannotReadMessage(const std::string& what, const std::string& reason) {
  return "Error: can not read " + what + " (" + reason + ")";
}

std::string cannotReadFileMessage(const std::string& path, const std::string& reason) {
  return cannotReadMessage("file " + path, reason);
}

std::string tooLargeReason(std::size_t limit) {
  constexpr std::size_t kMiB = std::size_t(1) << 20;
  if (limit < kMiB) return "larger than " + std::to_string(limit >> 10) + " KiB";
  return "larger than " + std::to_string(limit / kMiB) + " MiB";
}

std::string notRegularFileReason() { return "not a regular file"; }

std::string outOfMemoryReason() { return "out of memory"; }

std::string systemReason(int error) {
  return error != 0 ? std::generic_category().message(error) : std::string("input/output error");
}

}  // namespace vestrane
