#include "settings/SettingsLocation.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/core/Files.h"
#include "platform/core/ProgramFolders.h"
#include "platform/core/Services.h"
#include "settings/Settings.h"

namespace vestrane {

namespace {

/// The name of the folder in the configuration folder: the program's, however
/// the executable is called.
constexpr const char* kUserFolderName = "Vestrane";

/// Copies the shipped defaults to @p userFile, making its folder first.
bool copyDefaults(const std::string& defaultsFile, const std::string& userFile,
                  std::string& reason) {
  std::string defaults;
  if (readWholeFile(defaultsFile, defaults, kSettingsFileLimit, &reason) != ReadResult::Ok) {
    reason = "can not read " + defaultsFile + (reason.empty() ? "" : ": " + reason);
    return false;
  }
  const QString folder = QString::fromUtf8(folderOf(userFile).c_str());
  if (!QDir().mkpath(folder)) {
    reason = "can not create the folder " + folderOf(userFile);
    return false;
  }
  return writeFileAtomically(userFile, defaults, &reason);
}

}  // namespace

std::string userSettingsFolder() {
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (config.isEmpty()) return std::string();
  const QByteArray folder = QDir::toNativeSeparators(config).toUtf8();
  return joinPath(std::string(folder.constData(), static_cast<std::size_t>(folder.size())),
                  kUserFolderName);
}

std::string settingsFileInUse(const std::string& besideFile, Services& services,
                              const std::string& userFolder) {
  const std::string exeFolder = folderOf(besideFile);
  if (fileExists(besideFile) || userFolder.empty() || !isInstalledLayout(exeFolder))
    return besideFile;

  const std::string userFile = joinPath(userFolder, fileNameOf(besideFile));
  if (fileExists(userFile)) return userFile;
  std::string reason;
  const std::string defaults = joinPath(installedDataFolder(exeFolder), kShippedDefaultsName);
  if (!copyDefaults(defaults, userFile, reason))
    services.showMessage("Error: can not write " + userFile + (reason.empty() ? "" : " (" + reason + ")"));
  return userFile;
}

}  // namespace vestrane
