#pragma once
// Which settings file a program reads and writes. It is the file beside the
// executable, as ever, wherever the program runs from its own folder. An
// installed program (see platform/core/ProgramFolders.h) whose executable
// has no settings file beside it uses a file of the same name in the user's
// configuration folder instead, made from the shipped defaults the first
// time: the folder of an installed program is not the user's to write, and
// every user keeps settings of their own.

#include <string>

namespace vestrane {

class Services;

/// The user's folder for Vestrane's settings: the platform's configuration
/// folder (~/.config, or $XDG_CONFIG_HOME, on Linux; the local application
/// data folder on Windows) followed by "Vestrane". Empty when the platform
/// names none.
std::string userSettingsFolder();

/// The settings file in use for @p besideFile, the settings file beside the
/// executable (its folder is the executable's):
/// - @p besideFile itself when it exists, or when the executable does not
///   stand in an installed layout, or when @p userFolder is empty;
/// - otherwise the file of the same name in @p userFolder. When that does not
///   exist yet it is created as a byte-for-byte copy of the shipped
///   defaults; a copy that cannot be made is reported through @p services,
///   and the values then keep their defaults as for any missing settings file.
std::string settingsFileInUse(const std::string& besideFile, Services& services,
                              const std::string& userFolder = userSettingsFolder());

}  // namespace vestrane
