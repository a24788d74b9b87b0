#include "platform/core/ProgramFolders.h"

#include "platform/core/Files.h"

// The installed folders relative to the executable's folder, with "/"
// between the parts; the build gives them from its install directories.
#ifndef VESTRANE_DATA_FROM_BIN
#define VESTRANE_DATA_FROM_BIN "../share/vestrane"
#endif
#ifndef VESTRANE_DOC_FROM_BIN
#define VESTRANE_DOC_FROM_BIN "../share/doc/vestrane"
#endif

namespace vestrane {

namespace {

/// @p relative ("../share/vestrane") followed from @p folder part by part:
/// ".." goes up one folder, so the result names no ".." and reads well in
/// messages.
std::string follow(std::string folder, const std::string& relative) {
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    const std::string part = relative.substr(start, end - start);
    if (part == "..")
      folder = folderOf(folder);
    else if (!part.empty() && part != ".")
      folder = joinPath(folder, part);
    start = end + 1;
  }
  return folder;
}

}  // namespace

std::string installedDataFolder(const std::string& exeFolder) {
  return follow(exeFolder, VESTRANE_DATA_FROM_BIN);
}

std::string installedDocFolder(const std::string& exeFolder) {
  return follow(exeFolder, VESTRANE_DOC_FROM_BIN);
}

bool isInstalledLayout(const std::string& exeFolder) {
  return fileExists(joinPath(installedDataFolder(exeFolder), kShippedDefaultsName));
}

}  // namespace vestrane
