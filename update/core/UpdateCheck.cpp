// SPDX-License-Identifier: MIT
#include "update/core/UpdateCheck.h"

#include <cmath>

#include "platform/core/Paths.h"
#include "platform/core/Services.h"
#include "platform/core/Text.h"
#include "settings/DateTimeText.h"
#include "settings/Settings.h"

#ifndef VESTRANE_UPDATE_HOST
#define VESTRANE_UPDATE_HOST "updates.vestrane.example"
#endif

namespace vestrane {

const char* const kUpdateHost = VESTRANE_UPDATE_HOST;

namespace {

const char* const kVersionsPath = "/sites/default/files/versions/";

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

std::string updateErrorMessage(const std::string& progName) {
  return "Error occured while checking updates for " + progName + "!";
}

std::string versionFileName(const std::string& progName) {
  std::string name = replaceExtension(progName, ".vrs");
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return name;
}

std::string versionFileUrl(const std::string& host, const std::string& progName) {
  return "http://" + host + kVersionsPath + versionFileName(progName);
}

VersionFileReport parseVersionFile(std::string_view text, const std::string& progName,
                                   const TVersion& progVersion) {
  VersionFileReport report;
  auto handleLine = [&](const std::string& line) {
    if (report.published.Major == 0) {
      // A version line; parts it does not give keep what earlier version
      // lines of this file gave. One out of range ends the reading.
      if (!readVersion(line, report.published)) {
        report.rangeError = true;
        return;
      }
      report.upToDate = IsActual(progVersion, report.published);
      if (report.upToDate) {
        report.messageLines.push_back("Your version of " + progName + " (" +
                                      VersionToStr(progVersion) + ") is actual");
      } else {
        report.messageLines.push_back("New version of " + progName + " released: " + line);
        report.messageLines.push_back("Your version is " + VersionToStr(progVersion));
      }
      report.messageLines.emplace_back();
    } else if (line.compare(0, 4, "URL=") == 0) {
      // "URL=caption;url": the caption ends at the first ";". Without one the
      // caption is empty and the whole rest is the URL.
      const std::string rest = line.substr(4);
      const std::size_t semicolon = rest.find(';');
      if (semicolon == std::string::npos) {
        report.captions.emplace_back();
        report.urls.push_back(rest);
      } else {
        report.captions.push_back(rest.substr(0, semicolon));
        report.urls.push_back(rest.substr(semicolon + 1));
      }
    } else {
      report.messageLines.push_back(line);
    }
  };

  std::string line;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      if (!line.empty()) handleLine(line);
      if (report.rangeError) break;
      line.clear();
    } else {
      line += c;
    }
  }
  // A last line that no line end closed is dropped.
  return report;
}

UpdateWindowAction windowActionFor(const VersionFileReport& report, bool manual) {
  if (report.upToDate) return manual ? UpdateWindowAction::Show : UpdateWindowAction::None;
  return UpdateWindowAction::ForegroundAndShow;
}

int updatePeriodDays(std::uint8_t updateCheckPeriod) {
  switch (updateCheckPeriod) {
    case 0: return 1;
    case 1: return 7;
    case 2: return 30;
    default: return -1;
  }
}

bool AutoCheckDue(bool checkForUpdates, std::uint8_t updateCheckPeriod, double lastUpdate,
                  double now) {
  if (!checkForUpdates) return false;
  const int limit = updatePeriodDays(updateCheckPeriod);
  if (limit < 0) return false;
  const double wholeDays = std::trunc(std::fabs(now - lastUpdate));
  return wholeDays > limit;
}

bool isWebLink(std::string_view url) {
  url = trimControls(url);
  return startsWithNoCase(url, "http://") || startsWithNoCase(url, "https://");
}

// ----------------------------------------------------------------- checker

UpdateChecker::UpdateChecker(Settings& settings, HttpClient& http, Services& services,
                             UpdateView& view)
    : now(currentDateTime), settings_(settings), http_(http), services_(services), view_(view) {}

bool& UpdateChecker::ChkUpdates() { return settings_.checkForUpdates; }
std::uint8_t& UpdateChecker::CUPeriod() { return settings_.updateCheckPeriod; }
double& UpdateChecker::LastUpdate() { return settings_.lastUpdate; }

void UpdateChecker::CheckUpdates(bool manual) {
  view_.clearMessages();
  bool failed = false;
  try {
    std::string body;
    if (http_.get(versionFileUrl(host, ProgName), body)) {
      const VersionFileOutcome outcome = ShowVersionFile(body, manual);
      if (outcome == VersionFileOutcome::VersionFound) LastUpdate() = now();
      failed = outcome == VersionFileOutcome::Failed;
    } else {
      failed = true;
    }
  } catch (...) {
    // Any other error ends the check the same way.
    failed = true;
  }
  if (!failed) return;
  // Whatever went wrong, the user sees one message, then the window.
  view_.bringToFront();
  services_.showMessage(updateErrorMessage(ProgName));
  if (!view_.isShown()) view_.showModal();
}

VersionFileOutcome UpdateChecker::ShowVersionFile(const std::string& text, bool manual) {
  const VersionFileReport report = parseVersionFile(text, ProgName, ProgVersion);
  LinkList = report.urls;
  view_.setLinkCaptions(report.captions);
  view_.addMessageLines(report.messageLines);
  if (report.rangeError) return VersionFileOutcome::Failed;

  if (!view_.isShown()) {
    switch (windowActionFor(report, manual)) {
      case UpdateWindowAction::None: break;
      case UpdateWindowAction::ForegroundAndShow:
        view_.bringToFront();
        view_.showModal();
        break;
      case UpdateWindowAction::Show: view_.showModal(); break;
    }
  }
  return report.versionFound() ? VersionFileOutcome::VersionFound : VersionFileOutcome::NoVersion;
}

void UpdateChecker::AutoCheckUpdates() {
  if (AutoCheckDue(ChkUpdates(), CUPeriod(), LastUpdate(), now())) CheckUpdates(false);
}

void UpdateChecker::OpenLink(const std::string& url) {
  // Links come from the network: only web addresses go to the browser,
  // never a file or a program the shell would start.
  if (!isWebLink(url)) return;
  services_.openWebAddress(std::string(trimControls(url)));
}

}  // namespace vestrane
