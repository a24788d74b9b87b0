// SPDX-License-Identifier: MIT
// Platform file: which characters separate the parts of a path differs
// between Windows and elsewhere (marked below); what stands at a path is
// asked through std::filesystem.

#include "platform/core/Paths.h"

#include <filesystem>
#include <system_error>

#include "platform/core/NativePath.h"

namespace fs = std::filesystem;

namespace vestrane {

namespace {

bool isSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

}  // namespace

char pathSeparator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

bool directoryExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(nativePath(path), ec);
}

std::size_t fileSize(const std::string& path) {
  std::error_code ec;
  auto size = fs::file_size(nativePath(path), ec);
  return ec ? 0 : static_cast<std::size_t>(size);
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(nativePath(path), ec);
}

bool pathExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::exists(nativePath(path), ec);
}

std::string folderOf(const std::string& path) {
  std::size_t p = path.size();
  while (p > 0 && !isSeparator(path[p - 1])) --p;
  if (p == 0) return std::string();
  std::string folder = path.substr(0, p - 1);
  // A root keeps its separator: "/" and "C:\".
  if (folder.empty() || (folder.size() == 2 && folder[1] == ':')) folder = path.substr(0, p);
  return folder;
}

std::string fileNameOf(const std::string& path) {
  std::size_t p = path.size();
  while (p > 0 && !isSeparator(path[p - 1])) --p;
  return path.substr(p);
}

std::string replaceExtension(const std::string& path, const std::string& ext) {
  std::size_t nameStart = path.size() - fileNameOf(path).size();
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return path + ext;
  return path.substr(0, dot) + ext;
}

std::string absolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  const fs::path absolute = fs::absolute(nativePath(path), ec);
  if (ec) return path;
  fs::path tidy = absolute.root_path();
  for (const fs::path& part : absolute.relative_path())
    if (!part.empty() && part != ".") tidy /= part;
  // "folder/" and "folder/." keep the separator that says "a folder".
  const fs::path last = absolute.filename();
  if ((last.empty() || last == ".") && tidy.has_relative_path()) tidy /= "";
  return bytesOf(tidy);
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (isSeparator(folder.back())) return folder + name;
  return folder + pathSeparator() + name;
}

}  // namespace vestrane
