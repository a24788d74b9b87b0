// SPDX-License-Identifier: MIT
// Fuzz target: the version file as the update server sends it, read by
// parseVersionFile and by a whole check (CheckUpdates with a client that
// returns the input, an Updates window that records what it is given).
//
// Checked besides the sanitizers: every caption has its URL; CR, LF and CR LF
// end lines alike; a last line without a line end changes nothing; a check
// shows the one error message exactly when a version line was out of range,
// moves LastUpdate exactly when a version was found, and shows the window as
// windowActionFor says; only web links reach the shell.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "fakes/FakeUpdate.h"
#include "fakes/FakeServices.h"
#include "settings/Settings.h"
#include "update/core/UpdateCheck.h"

using namespace vestrane;

namespace {

const TVersion kOwn{1, 0, 0, 3};
constexpr double kLast = 44000.25;
constexpr double kNow = 45000.5;

using vestrane::testing::RecordingUpdateView;
using vestrane::testing::ServedBody;

bool sameReport(const VersionFileReport& a, const VersionFileReport& b) {
  return a.published == b.published && a.upToDate == b.upToDate && a.rangeError == b.rangeError &&
         a.messageLines == b.messageLines && a.captions == b.captions && a.urls == b.urls;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const VersionFileReport report = parseVersionFile(text, "Vestrane", kOwn);
  FUZZ_CHECK(report.captions.size() == report.urls.size());
  FUZZ_CHECK(report.versionFound() == (report.published.Major > 0));
  std::size_t lines = 0;
  for (std::size_t i = 0; i < text.size(); ++i)
    if ((text[i] == '\r' || text[i] == '\n') && i > 0 && text[i - 1] != '\r' && text[i - 1] != '\n') ++lines;
  FUZZ_CHECK(report.messageLines.size() + report.urls.size() <= 3 * lines);

  // Any line end is as good as another.
  std::string lf = text;
  std::replace(lf.begin(), lf.end(), '\r', '\n');
  FUZZ_CHECK(sameReport(report, parseVersionFile(lf, "Vestrane", kOwn)));
  // A last line that no line end closes is dropped.
  if (text.empty() || text.back() == '\r' || text.back() == '\n')
    FUZZ_CHECK(sameReport(report, parseVersionFile(text + "URL=x;http://x.example/", "Vestrane", kOwn)));

  for (bool manual : {false, true}) {
    Settings settings;
    settings.lastUpdate = kLast;
    ServedBody http;
    http.body = text;
    testing::FakeServices services;
    RecordingUpdateView view;
    UpdateChecker checker(settings, http, services, view);
    checker.ProgName = "Vestrane";
    checker.ProgVersion = kOwn;
    checker.now = [] { return kNow; };
    checker.CheckUpdates(manual);
    if (report.rangeError) {
      FUZZ_CHECK(services.messages == std::vector<std::string>{updateErrorMessage("Vestrane")});
      FUZZ_CHECK(settings.lastUpdate == kLast);
      FUZZ_CHECK(view.shown == 1);
      continue;
    }
    FUZZ_CHECK(services.messages.empty());
    FUZZ_CHECK(settings.lastUpdate == (report.versionFound() ? kNow : kLast));
    FUZZ_CHECK(view.lines == report.messageLines && view.captions == report.captions);
    FUZZ_CHECK(checker.LinkList == report.urls);
    const UpdateWindowAction action = windowActionFor(report, manual);
    FUZZ_CHECK(view.shown == (action == UpdateWindowAction::None ? 0 : 1));
    FUZZ_CHECK(view.broughtToFront == (action == UpdateWindowAction::ForegroundAndShow ? 1 : 0));

    for (const std::string& url : checker.LinkList) checker.OpenLink(url);
    for (const std::string& opened : services.opened) FUZZ_CHECK(isWebLink(opened));
  }
  return 0;
}
