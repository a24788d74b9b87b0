// SPDX-License-Identifier: MIT
#pragma once
// The update check without a window or a network: the version file's name
// and address, reading the version file and deciding what the Updates window
// shows, when an automatic check is due, and the check itself, which fetches
// through an HttpClient and shows through an UpdateView.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/HttpClient.h"
#include "update/core/uVersions.h"

namespace vestrane {

class Services;
struct Settings;

/// Host name of the update server, fixed when the program is built.
extern const char* const kUpdateHost;

/// The one message of a failed check, for the program named @p progName.
std::string updateErrorMessage(const std::string& progName);

/// The version file of the program file @p progName: its extension replaced
/// by ".vrs", then A to Z lower-cased (Vestrane.exe gives vestrane.vrs).
std::string versionFileName(const std::string& progName);

/// "http://" + @p host + "/sites/default/files/versions/" + the version file name.
std::string versionFileUrl(const std::string& host, const std::string& progName);

/// What the Updates window does after a version file was read, when it is
/// not on screen already.
enum class UpdateWindowAction {
  None,               ///< stays hidden
  Show,               ///< shown modally
  ForegroundAndShow,  ///< the program comes to the foreground, then the window is shown modally
};

/// Everything a version file gives: the message area's lines, the
/// "Download from:" captions with their URLs, and the outcome.
struct VersionFileReport {
  TVersion published;     ///< from the version lines read, 0.0.0.0 without any
  bool upToDate = false;  ///< outcome of the last version line read
  /// A version line was out of range (StrToVersion rejects it); reading
  /// stopped there, what came before it is kept and the check fails.
  bool rangeError = false;
  std::vector<std::string> messageLines;
  std::vector<std::string> captions;
  std::vector<std::string> urls;  ///< urls[i] belongs to captions[i]

  /// The version file named a version (its first part at least 1).
  bool versionFound() const { return published.Major > 0; }
};

/// Reads a fetched version file for the program @p progName of version
/// @p progVersion. Lines end at CR or LF; empty lines are skipped and a last
/// line without a line end is dropped. Lines are read until a version with a
/// first part of at least 1 is found; after that, "URL=caption;url" lines are
/// links and all other lines are notes, kept unchanged.
VersionFileReport parseVersionFile(std::string_view text, const std::string& progName,
                                   const TVersion& progVersion);

/// What the Updates window does for @p report: an up-to-date program shows
/// it only for a manual check; otherwise (a newer version, or none found) it
/// always comes up, in front.
UpdateWindowAction windowActionFor(const VersionFileReport& report, bool manual);

/// Days allowed between automatic checks for the period @p updateCheckPeriod (0
/// daily, 1 weekly, 2 monthly); -1 for any other value, which means never.
int updatePeriodDays(std::uint8_t updateCheckPeriod);

/// Whether an automatic check is due: checks on, a known period, and more
/// whole days between @p now and @p lastUpdate (either way round) than the
/// period allows.
bool AutoCheckDue(bool checkForUpdates, std::uint8_t updateCheckPeriod, double lastUpdate,
                  double now);

/// Whether @p url may be handed to the shell: an http or https address.
bool isWebLink(std::string_view url);

/// How ShowVersionFile ended.
enum class VersionFileOutcome {
  NoVersion,     ///< the file named no version
  VersionFound,  ///< the file named a version (its first part at least 1)
  Failed,        ///< a version line was out of range: the check fails
};

/// The Updates window as the check sees it.
class UpdateView {
 public:
  virtual ~UpdateView() = default;
  virtual void clearMessages() = 0;
  virtual void addMessageLines(const std::vector<std::string>& lines) = 0;
  /// Replaces the "Download from:" list.
  virtual void setLinkCaptions(const std::vector<std::string>& captions) = 0;
  /// Whether the window is on screen.
  virtual bool isShown() const = 0;
  /// Shows the window modally; returns when the user has closed it.
  virtual void showModal() = 0;
  /// Brings the program to the foreground.
  virtual void bringToFront() = 0;
};

/// The update checker's state and its checks. ChkUpdates, CUPeriod and
/// LastUpdate are the settings values, so the settings file reads and writes
/// them.
class UpdateChecker {
 public:
  UpdateChecker(Settings& settings, HttpClient& http, Services& services, UpdateView& view);

  std::string ProgName;     ///< the program's file name, set when the main window is shown
  TVersion ProgVersion;     ///< the program's version, set then too
  std::vector<std::string> LinkList;  ///< URLs of the "Download from:" list

  /// Host of the update server; kUpdateHost unless changed (tests use a local one).
  std::string host = kUpdateHost;
  /// The clock; currentDateTime unless changed.
  std::function<double()> now;

  bool& ChkUpdates();
  std::uint8_t& CUPeriod();
  double& LastUpdate();

  /// Fetches the version file and shows what it says. Every failure shows
  /// the one error message and then the Updates window. LastUpdate becomes
  /// now when the file named a version.
  void CheckUpdates(bool manual);

  /// Fills the Updates window from @p text and shows it when needed. For a
  /// version line out of range it fills in what came before that line and
  /// returns Failed without showing the window; the check reports the failure.
  VersionFileOutcome ShowVersionFile(const std::string& text, bool manual);

  /// Runs CheckUpdates (not manual) when an automatic check is due.
  void AutoCheckUpdates();

  /// Opens a download link; anything but an http or https address is ignored.
  void OpenLink(const std::string& url);

 private:
  Settings& settings_;
  HttpClient& http_;
  Services& services_;
  UpdateView& view_;
};

}  // namespace vestrane
