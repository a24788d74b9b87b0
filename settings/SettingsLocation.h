// SPDX-License-Identifier: MIT
#pragma once
// Which settings file a program reads and writes. It is the file beside the
// executable, as ever, wherever the program runs from its own folder. An
// installed program (see platform/core/ProgramFolders.h) whose executable
// has no settings file beside it uses a file of the same name in the user's
// configuration folder instead, made from the shipped defaults the first
// time: the folder of an installed program is not the user's to write, and
// every user keeps settings of their own. A settings file that is there but
// cannot be read is never written over.

#include <string>
#include <vector>

#include "settings/Settings.h"

namespace vestrane {

/// The user's folder for Vestrane's settings: the user's configuration
/// folder (userConfigurationFolder: $XDG_CONFIG_HOME or ~/.config on Linux,
/// the local application data folder on Windows) followed by "Vestrane".
/// Empty when the platform names none.
std::string userSettingsFolder();

/// The settings file a program started with.
struct SettingsInUse {
  std::string file;      ///< the file the values were read from
  bool read = true;      ///< false: nothing could be read (reported); the defaults stay
  bool writable = true;  ///< whether the window writes its settings back into @ref file on close
  /// The messages for the user, in the order they arose; the caller shows
  /// or prints them.
  std::vector<std::string> messages;
};

/// Reads the settings in use for @p besideFile, the settings file beside the
/// executable (its folder is the executable's), into @p settings:
/// - @p besideFile when anything of that name exists or the executable does
///   not stand in an installed layout. A missing file leaves the defaults,
///   silently; one that cannot be read is reported and not written back.
/// - otherwise the file of the same name in @p userFolder. When that does not
///   exist yet it is created as a byte-for-byte copy of the shipped
///   defaults.
/// An installed program whose file can be neither made nor read (or that
/// has no user folder) says so in one message and reads the shipped
/// defaults instead, which are never written back.
SettingsInUse readSettingsInUse(const std::string& besideFile, Settings& settings,
                                const DateSettings& format,
                                const std::string& userFolder = userSettingsFolder());

}  // namespace vestrane
