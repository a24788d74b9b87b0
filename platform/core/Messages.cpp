#include "platform/core/Messages.h"

#include <system_error>

namespace vestrane {

std::string cannotWriteMessage(const std::string& what, const std::string& reason) {
  return "Error: can not write " + what + (reason.empty() ? "" : " (" + reason + ")");
}

std::string cannotWriteFileMessage(const std::string& path) {
  return "Error: can not write file " + path;
}

std::string cannotReadMessage(const std::string& what, const std::string& reason) {
  return "Error: can not read " + what + " (" + reason + ")";
}

std::string cannotReadFileMessage(const std::string& path, const std::string& reason) {
  return cannotReadMessage("file " + path, reason);
}

std::string systemReason(int error) {
  return error != 0 ? std::generic_category().message(error) : std::string("input/output error");
}

}  // namespace vestrane
