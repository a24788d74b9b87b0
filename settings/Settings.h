// SPDX-License-Identifier: MIT
#pragma once
// The settings file: the work directory, the main window's bounds, the five
// alias lists that recognise table headers, the two output options and the
// state of the automatic update check. Read once at start-up and written
// whole when the main window is closed with its close box.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/DateTimeText.h"

namespace vestrane {

using AliasList = std::vector<std::string>;

/// The alias lists in the order the table reader tries them.
struct AliasLists {
  AliasList select;
  AliasList sample;
  AliasList area;
  AliasList mineral;
  AliasList analysis;
};

struct Settings {
  /// The work directory: the file dialogs open there, separate files go there.
  std::string workDirectory;
  std::array<std::int32_t, 4> mainWindowBounds{0, 0, 0, 0};  ///< left, top, width, height
  AliasLists aliases;
  bool allAtOnce = false;              ///< "All at once"
  bool separateFiles = false;          ///< "Separate files"
  bool checkForUpdates = true;         ///< automatic update checks
  std::uint8_t updateCheckPeriod = 0;  ///< between automatic checks: 0 daily, 1 weekly, 2 monthly
  double lastUpdate = 0.0;             ///< days since 30 December 1899
};

/// The most bytes a settings file is read up to. Twelve lines hold even
/// alias lists of many thousand entries in far less; a larger file (or a
/// device that never ends) is refused as unreadable.
inline constexpr std::size_t kSettingsFileLimit = std::size_t(16) << 20;

/// Sets what the program holds before its settings file is read: the alias
/// lists empty, the executable's folder as the work directory and automatic
/// update checks on. The other values stay as they are.
void setStartUpSettings(Settings& settings, const std::string& exePath);

/// The settings file of an executable: its path with the extension replaced by ".ini".
std::string settingsFileBesideProgram(const std::string& exePath);

/// Parses the integer text form: optional blanks, optional sign, decimal
/// digits or hexadecimal ones after "$", "x", "X", "0x" or "0X"; nothing after
/// the digits, and within the signed 32-bit range.
bool parseSettingsInteger(const std::string& text, std::int32_t& value);

/// What became of reading a settings file's bytes.
enum class SettingsFileState {
  Read,
  Missing,     ///< no file of that name: the values keep their defaults
  Unreadable,  ///< there, but not to be read: not a regular file, no permission, too large
};

/// Reads the bytes of the settings file @p fileName, with the reason in
/// @p reason when it is Unreadable. Only a regular file is opened: a FIFO
/// would wait for a writer and a device may never end.
SettingsFileState readSettingsBytes(const std::string& fileName, std::string& bytes,
                                    std::string& reason);

/// What reading a settings file found. The reader shows nothing itself: its
/// caller shows, prints or checks the messages.
struct SettingsReadResult {
  SettingsFileState state = SettingsFileState::Missing;
  /// The messages for the user, in the order they arose: "Error: can not
  /// read FILE (reason)" for a file that could not be read; else "Work
  /// directory changed to ..." when a Path names no folder, then "Errors in
  /// FILE:" with every problem of the file.
  std::vector<std::string> messages;

  /// False when the file is there but could not be read: the values keep
  /// their defaults.
  bool ok() const { return state != SettingsFileState::Unreadable; }
};

/// Reads @p fileName into @p settings. A missing file leaves the values
/// alone, silently.
SettingsReadResult ReadSettings(const std::string& fileName, Settings& settings,
                                const DateSettings& format);

/// ReadSettings on the bytes of a settings file already read; @p fileName
/// names the file in the "Errors in " message. @return the messages.
std::vector<std::string> readSettingsText(const std::string& fileName, std::string_view bytes,
                                          Settings& settings, const DateSettings& format);

/// The text of a settings file for @p settings: exactly twelve CR LF lines.
std::string settingsFileText(const Settings& settings, const DateSettings& format);

/// Writes the settings file atomically. @return false with @p error set when
/// it could not be written; the old file is then unchanged.
bool WriteSettings(const std::string& fileName, const Settings& settings,
                   const DateSettings& format, std::string& error);

}  // namespace vestrane
