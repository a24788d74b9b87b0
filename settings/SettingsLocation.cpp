// SPDX-License-Identifier: MIT
#include "settings/SettingsLocation.h"

#include <QDir>
#include <QString>

#include "platform/core/AtomicFile.h"
#include "platform/core/Messages.h"
#include "platform/core/Paths.h"
#include "platform/core/ProgramFolders.h"

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

/// Reads @p file into @p settings, its messages going to @p inUse. @return
/// false with the message that says why in @p problem when it is there but
/// cannot be read; a missing file leaves the values alone.
bool readInto(const std::string& file, Settings& settings, const DateSettings& format,
              SettingsInUse& inUse, std::string& problem) {
  SettingsReadResult result = ReadSettings(file, settings, format);
  if (!result.ok()) {
    problem = result.messages.front();
    return false;
  }
  inUse.messages = std::move(result.messages);
  return true;
}

}  // namespace

std::string userSettingsFolder() {
  const std::string config = userConfigurationFolder();
  return config.empty() ? std::string() : joinPath(config, kUserFolderName);
}

SettingsInUse readSettingsInUse(const std::string& besideFile, Settings& settings,
                                const DateSettings& format, const std::string& userFolder) {
  const std::string exeFolder = folderOf(besideFile);
  const bool installed = isInstalledLayout(exeFolder);
  const std::string defaults = joinPath(installedDataFolder(exeFolder), kShippedDefaultsName);
  SettingsInUse inUse;
  std::string problem;
  if (!installed || pathExists(besideFile)) {
    inUse.file = besideFile;
    if (readInto(besideFile, settings, format, inUse, problem)) return inUse;
    if (!installed) {
      inUse.messages = {problem};
      inUse.read = inUse.writable = false;
      return inUse;
    }
  } else if (userFolder.empty()) {
    problem = cannotWriteMessage("the user's settings", "no configuration folder");
  } else {
    const std::string userFile = joinPath(userFolder, fileNameOf(besideFile));
    std::string reason;
    inUse.file = userFile;
    if (!pathExists(userFile) && !copyDefaults(defaults, userFile, reason))
      problem = cannotWriteMessage(userFile, reason);
    else if (readInto(userFile, settings, format, inUse, problem))
      return inUse;
  }

  // The file in use can be neither made nor read: the shipped defaults
  // stand in for it, read-only, so that tables still load with their alias
  // lists and the window keeps their bounds and their update check.
  SettingsReadResult shipped = ReadSettings(defaults, settings, format);
  inUse.file = defaults;
  inUse.read = shipped.ok();
  inUse.writable = false;
  inUse.messages = {problem + "\rThe shipped settings " + defaults +
                    " are used instead, and changes to them are not saved."};
  for (std::string& message : shipped.messages) inUse.messages.push_back(std::move(message));
  return inUse;
}

}  // namespace vestrane
