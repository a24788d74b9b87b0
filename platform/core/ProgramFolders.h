// SPDX-License-Identifier: MIT
#pragma once
// Where the program finds the files it ships with. A program run from its
// own folder (a build tree, an unpacked archive, a folder the user owns)
// keeps them beside its executable. An installed program has its executable
// in <prefix>/bin and the rest in <prefix>/share: the shipped default
// settings in share/vestrane, the help in share/doc/vestrane. The install
// rules fill exactly these folders, and the build hands their places,
// relative to the executable's folder, to this file. The user's own
// settings go into the user's configuration folder, which this file finds
// by the platform's rules.

#include <string>

namespace vestrane {

/// Name of the shipped default settings file in the installed data folder.
inline constexpr const char* kShippedDefaultsName = "Vestrane.ini";

/// The data folder of an installed program whose executable is in
/// @p exeFolder: <prefix>/share/vestrane.
std::string installedDataFolder(const std::string& exeFolder);

/// The documentation folder of an installed program: <prefix>/share/doc/vestrane.
std::string installedDocFolder(const std::string& exeFolder);

/// Whether the executable in @p exeFolder stands in an installed layout: the
/// shipped defaults are in its installed data folder. Decided by the files
/// there and never by whether a folder may be written (an administrator may
/// write anywhere, a user may own the folder of an unpacked program).
bool isInstalledLayout(const std::string& exeFolder);

/// The user's configuration folder, by the platform's rules. On Linux and
/// the other freedesktop.org systems the XDG base-directory rules:
/// $XDG_CONFIG_HOME when it is an absolute path (a relative one is ignored),
/// else the home folder followed by ".config", the home folder being $HOME
/// when that is an absolute path and else the account's home in the user
/// database. On Windows the local application data folder, on macOS the
/// preferences folder. Empty when none can be found.
std::string userConfigurationFolder();

}  // namespace vestrane
