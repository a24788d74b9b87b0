#include "settings/SettingsLocation.h"

#include <QDir>
#include <QString>

#include "platform/core/Files.h"
#include "platform/core/Messages.h"
#include "platform/core/ProgramFolders.h"
#include "platform/core/Services.h"

namespace vestrane {

namespace {

/// The name of the folder in the configuration folder: the program's, however
/// the executable is called.
constexpr const char* kUserFolderName = "Vestrane";

/// Copies the shipped defaults to @p userFile, making its folder first.
bool copyDefaults(const std::string& defaultsFile, const std::string& userFile,
                  std::string& reason) {
  std::string defaults;
  if (readSettingsBytes(defaultsFile, defaults, reason) != SettingsFileState::Read) {
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

/// Reads @p file into @p settings. @return false with the message that says
/// why in @p problem when it is there but cannot be read; a missing file
/// leaves the values alone.
bool readInto(const std::string& file, Settings& settings, const DateSettings& format,
              Services& services, std::string& problem) {
  std::string bytes, reason;
  switch (readSettingsBytes(file, bytes, reason)) {
    case SettingsFileState::Missing: return true;
    case SettingsFileState::Unreadable: problem = cannotReadMessage(file, reason); return false;
    case SettingsFileState::Read: break;
  }
  readSettingsText(file, bytes, settings, format, services);
  return true;
}

}  // namespace

std::string userSettingsFolder() {
  const std::string config = userConfigurationFolder();
  return config.empty() ? std::string() : joinPath(config, kUserFolderName);
}

SettingsInUse readSettingsInUse(const std::string& besideFile, Settings& settings,
                                const DateSettings& format, Services& services,
                                const std::string& userFolder) {
  const std::string exeFolder = folderOf(besideFile);
  const bool installed = isInstalledLayout(exeFolder);
  const std::string defaults = joinPath(installedDataFolder(exeFolder), kShippedDefaultsName);
  std::string problem;
  if (!installed || pathExists(besideFile)) {
    if (readInto(besideFile, settings, format, services, problem)) return {besideFile, true, true};
    if (!installed) {
      services.showMessage(problem);
      return {besideFile, false, false};
    }
  } else if (userFolder.empty()) {
    problem = cannotWriteMessage("the user's settings", "no configuration folder");
  } else {
    const std::string userFile = joinPath(userFolder, fileNameOf(besideFile));
    std::string reason;
    if (!pathExists(userFile) && !copyDefaults(defaults, userFile, reason))
      problem = cannotWriteMessage(userFile, reason);
    else if (readInto(userFile, settings, format, services, problem))
      return {userFile, true, true};
  }

  // The file in use can be neither made nor read: the shipped defaults
  // stand in for it, read-only, so that tables still load with their alias
  // lists and the window keeps their bounds and their update check.
  services.showMessage(problem + "\rThe shipped settings " + defaults +
                       " are used instead, and changes to them are not saved.");
  const bool read = ReadSettings(defaults, settings, format, services);
  return {defaults, read, false};
}

}  // namespace vestrane
