// SPDX-License-Identifier: MIT
// Platform file: userConfigurationFolder follows the XDG rules with the
// POSIX user database (getpwuid_r) on freedesktop.org systems, and asks Qt
// for the system's folder on Windows and macOS (marked below).

#include "platform/core/ProgramFolders.h"

#include "platform/core/Paths.h"

#if defined(_WIN32) || defined(__APPLE__)
// Windows, macOS: the system's folder for application settings.
#include <QDir>
#include <QStandardPaths>
#else
// POSIX: the environment and the account's home in the user database.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>
#endif

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

#if !defined(_WIN32) && !defined(__APPLE__)
/// @p value when it is an absolute path, else empty: the XDG rules take a
/// relative path for an invalid one.
std::string absoluteOrEmpty(const char* value) {
  return value && value[0] == '/' ? std::string(value) : std::string();
}

/// $HOME, or the home of the account this process runs as.
std::string homeFolder() {
  std::string home = absoluteOrEmpty(std::getenv("HOME"));
  if (!home.empty()) return home;
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
    home = absoluteOrEmpty(found->pw_dir);
  return home;
}
#endif

}  // namespace

std::string userConfigurationFolder() {
#if defined(_WIN32) || defined(__APPLE__)
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  const QByteArray folder = QDir::toNativeSeparators(config).toUtf8();
  return std::string(folder.constData(), static_cast<std::size_t>(folder.size()));
#else
  const std::string config = absoluteOrEmpty(std::getenv("XDG_CONFIG_HOME"));
  if (!config.empty()) return config;
  const std::string home = homeFolder();
  return home.empty() ? std::string() : joinPath(home, ".config");
#endif
}

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
