// SPDX-License-Identifier: MIT
// The update check without a network or a window: the version file's name,
// reading it, when an automatic check is due, which links may be opened, and
// every way a check can end, with a scripted HTTP client and a recording
// stand-in for the Updates window.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fakes/FakeServices.h"
#include "platform/core/HttpResponse.h"
#include "settings/Settings.h"
#include "update/core/UpdateCheck.h"

using namespace vestrane;
using vestrane::testing::FakeServices;

namespace {

const TVersion kOwn{1, 0, 0, 3};
using Lines = std::vector<std::string>;

VersionFileReport parse(const std::string& text, const TVersion& own = kOwn) {
  return parseVersionFile(text, "Vestrane.exe", own);
}

TEST(VersionFileTest, NameAndAddressFollowTheProgramFile) {
  EXPECT_EQ(versionFileName("Vestrane.exe"), "vestrane.vrs");
  EXPECT_EQ(versionFileName("Vestrane"), "vestrane.vrs");
  EXPECT_EQ(versionFileName("My.Tool.EXE"), "my.tool.vrs");
  // Only A to Z change case.
  EXPECT_EQ(versionFileName("\xC3\x84RGER.exe"), "\xC3\x84rger.vrs");
  EXPECT_EQ(versionFileUrl("127.0.0.1:8080", "Vestrane.exe"),
            "http://127.0.0.1:8080/sites/default/files/versions/vestrane.vrs");
  EXPECT_EQ(updateErrorMessage("Vestrane.exe"),
            "Error occured while checking updates for Vestrane.exe!");
  EXPECT_STRNE(kUpdateHost, "");
}

TEST(VersionFileTest, UpToDateFileGivesOneMessageLineTheLinksAndTheNotes) {
  const auto r = parse("1.0.0.3\r\nURL=Mirror;http://mirror.example/v.zip\r\nFaster loading\r\n");
  EXPECT_TRUE(r.upToDate);
  EXPECT_TRUE(r.versionFound());
  EXPECT_FALSE(r.rangeError);
  EXPECT_EQ(r.messageLines, (Lines{"Your version of Vestrane.exe (1.0.0.3) is actual", "",
                                   "Faster loading"}));
  EXPECT_EQ(r.captions, Lines{"Mirror"});
  EXPECT_EQ(r.urls, Lines{"http://mirror.example/v.zip"});
  EXPECT_EQ(windowActionFor(r, false), UpdateWindowAction::None);
  EXPECT_EQ(windowActionFor(r, true), UpdateWindowAction::Show);
}

TEST(VersionFileTest, NewerVersionIsReportedWithTheLineAsReceived) {
  const auto r = parse("1.0.0.4 \r\nNote one\r\n");
  EXPECT_FALSE(r.upToDate);
  EXPECT_TRUE(r.versionFound());
  EXPECT_EQ(VersionToStr(r.published), "1.0.0.4");
  EXPECT_EQ(r.messageLines, (Lines{"New version of Vestrane.exe released: 1.0.0.4 ",
                                   "Your version is 1.0.0.3", "", "Note one"}));
  EXPECT_EQ(windowActionFor(r, false), UpdateWindowAction::ForegroundAndShow);
  EXPECT_EQ(windowActionFor(r, true), UpdateWindowAction::ForegroundAndShow);

  // A part-by-part comparison: 1.5.0.0 counts as new against 2.0.0.0.
  EXPECT_FALSE(parse("1.5.0.0\n", TVersion{2, 0, 0, 0}).upToDate);
  // An older published version counts as up to date.
  EXPECT_TRUE(parse("1.0.0.2\n").upToDate);
}

TEST(VersionFileTest, LinkLinesSplitAtTheFirstSemicolon) {
  const auto r = parse(
      "1.0.0.3\n"
      "URL=Main site;https://a.example/x;y\n"
      "URL=http://no-caption.example/file.zip\n"
      "URL=;http://empty-caption.example\n"
      "URL=\n"
      "url=lower case is a note\n"
      " URL=a blank in front is a note\n");
  EXPECT_EQ(r.captions, (Lines{"Main site", "", "", ""}));
  EXPECT_EQ(r.urls, (Lines{"https://a.example/x;y", "http://no-caption.example/file.zip",
                           "http://empty-caption.example", ""}));
  EXPECT_EQ(r.messageLines, (Lines{"Your version of Vestrane.exe (1.0.0.3) is actual", "",
                                   "url=lower case is a note", " URL=a blank in front is a note"}));
}

TEST(VersionFileTest, LineEndsOfAnyKindGiveTheSameResultAndAnOpenLastLineIsDropped) {
  const std::vector<std::string> variants = {
      "1.0.0.4\r\nURL=M;http://m\r\nnote\r\n",
      "1.0.0.4\nURL=M;http://m\nnote\n",
      "1.0.0.4\rURL=M;http://m\rnote\r",
      "\r\n\r\n1.0.0.4\n\n\rURL=M;http://m\r\r\n\nnote\n\r\n",
      "1.0.0.4\r\nURL=M;http://m\r\nnote\r\nURL=Last;http://never-closed",
      "1.0.0.4\r\nURL=M;http://m\r\nnote\r\nan unended note",
  };
  for (const std::string& text : variants) {
    const auto r = parse(text);
    EXPECT_EQ(r.messageLines, (Lines{"New version of Vestrane.exe released: 1.0.0.4",
                                     "Your version is 1.0.0.3", "", "note"}))
        << text;
    EXPECT_EQ(r.captions, Lines{"M"}) << text;
    EXPECT_EQ(r.urls, Lines{"http://m"}) << text;
  }
  // Nothing but an unended line: nothing at all.
  const auto open = parse("1.0.0.3");
  EXPECT_TRUE(open.messageLines.empty());
  EXPECT_FALSE(open.versionFound());
  EXPECT_FALSE(open.upToDate);
  EXPECT_EQ(windowActionFor(open, false), UpdateWindowAction::ForegroundAndShow);
}

TEST(VersionFileTest, LinesAreVersionLinesUntilTheFirstPartIsAtLeastOne) {
  // A web page: every line is read as a version, each gives 0.0.0.0, which
  // no part of the own version is below; so no version is found, yet each
  // line reads as up to date.
  const auto page = parse("<html>\n<body>Not found</body>\n</html>\n");
  EXPECT_FALSE(page.versionFound());
  EXPECT_FALSE(page.rangeError);
  EXPECT_TRUE(page.upToDate);
  EXPECT_EQ(page.messageLines.size(), 6u);
  EXPECT_EQ(page.messageLines[4], "Your version of Vestrane.exe (1.0.0.3) is actual");
  EXPECT_EQ(windowActionFor(page, false), UpdateWindowAction::None);
  EXPECT_EQ(windowActionFor(page, true), UpdateWindowAction::Show);

  // Parts an earlier version line gave are kept: 0.5, then 2, give 2.5.0.0.
  const auto twoLines = parse("0.5\r\n2\r\nnote\r\n");
  EXPECT_EQ(VersionToStr(twoLines.published), "2.5.0.0");
  EXPECT_FALSE(twoLines.upToDate);
  EXPECT_EQ(twoLines.messageLines,
            (Lines{"New version of Vestrane.exe released: 0.5", "Your version is 1.0.0.3", "",
                   "New version of Vestrane.exe released: 2", "Your version is 1.0.0.3", "",
                   "note"}));
}

TEST(VersionFileTest, AFivePartVersionFailsAfterWhatCameBeforeIt) {
  const auto first = parse("1.0.0.4.1\r\nnote\r\n");
  EXPECT_TRUE(first.rangeError);
  EXPECT_TRUE(first.messageLines.empty());

  const auto later = parse("0.1\r\n1.2.3.4.5\r\nURL=M;http://m\r\n");
  EXPECT_TRUE(later.rangeError);
  EXPECT_EQ(later.messageLines, (Lines{"New version of Vestrane.exe released: 0.1",
                                       "Your version is 1.0.0.3", ""}));
  EXPECT_TRUE(later.captions.empty());

  // Once a version is found, a five-part line is only a note.
  EXPECT_FALSE(parse("1.0.0.3\r\n1.2.3.4.5\r\n").rangeError);
}

TEST(AutoCheckTest, ACheckIsDueOnlyAfterMoreWholeDaysThanThePeriod) {
  const double now = 45000.75;
  struct Case {
    std::uint8_t period;
    double daysAgo;
    bool due;
  };
  const Case cases[] = {
      {0, 1.2, false},  {0, 1.99, false}, {0, 2.0, true},    {0, -2.0, true}, {0, -1.5, false},
      {1, 7.9, false},  {1, 8.0, true},   {2, 30.99, false}, {2, 31.0, true}, {3, 1000.0, false},
      {255, 1e6, false}, {0, 0.0, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AutoCheckDue(true, c.period, now - c.daysAgo, now), c.due)
        << "period " << int(c.period) << ", " << c.daysAgo << " days ago";
  // Never checked (LastUpdate 0) is due at once; switched off never is.
  EXPECT_TRUE(AutoCheckDue(true, 2, 0.0, now));
  EXPECT_FALSE(AutoCheckDue(false, 0, 0.0, now));
  EXPECT_EQ(updatePeriodDays(1), 7);
  EXPECT_EQ(updatePeriodDays(3), -1);
}

TEST(OpenLinkTest, OnlyWebAddressesAreHandedToTheShell) {
  for (const char* url : {"http://a.example/x.zip", "HTTPS://a.example", " https://a.example/ "})
    EXPECT_TRUE(isWebLink(url)) << url;
  for (const char* url : {"file:///etc/passwd", "C:\\Windows\\system32\\calc.exe", "calc.exe",
                          "javascript:alert(1)", "mailto:a@b.example", "httpx://a", "http:/a", ""})
    EXPECT_FALSE(isWebLink(url)) << url;
}

// ------------------------------------------------------------------ checks

/// Answers GETs from a script: a body, or a failure (nullopt).
class ScriptedHttp : public HttpClient {
 public:
  std::optional<std::string> answer;
  std::vector<std::string> urls;
  std::function<void()> duringGet;
  bool get(const std::string& url, std::string& body) override {
    urls.push_back(url);
    if (duringGet) duringGet();
    if (!answer) return false;
    body = *answer;
    return true;
  }
};

/// The Updates window as a log of what the check did to it.
class RecordingView : public UpdateView {
 public:
  std::vector<std::string> events;
  Lines messages;
  Lines captions;
  bool shown = false;
  std::function<void()> whileShown;

  void clearMessages() override {
    events.push_back("clear");
    messages.clear();
  }
  void addMessageLines(const Lines& lines) override {
    messages.insert(messages.end(), lines.begin(), lines.end());
  }
  void setLinkCaptions(const Lines& c) override { captions = c; }
  bool isShown() const override { return shown; }
  void showModal() override {
    events.push_back("show");
    shown = true;
    if (whileShown) whileShown();
    shown = false;
  }
  void bringToFront() override { events.push_back("front"); }
};

class CheckTest : public ::testing::Test {
 protected:
  Settings settings;
  ScriptedHttp http;
  FakeServices services;
  RecordingView view;
  UpdateChecker checker{settings, http, services, view};
  static constexpr double kNow = 45000.5;
  static constexpr double kLast = 44000.25;

  void SetUp() override {
    checker.host = "updates.test";
    checker.ProgName = "Vestrane.exe";
    checker.ProgVersion = kOwn;
    checker.now = [] { return kNow; };
    settings.lastUpdate = kLast;
  }
};

TEST_F(CheckTest, UpToDateShowsTheWindowOnlyForAManualCheckAndRemembersTheCheck) {
  http.answer = "1.0.0.3\r\nURL=Mirror;http://m.example\r\nnote\r\n";
  checker.CheckUpdates(false);
  EXPECT_EQ(http.urls, Lines{"http://updates.test/sites/default/files/versions/vestrane.vrs"});
  EXPECT_EQ(view.events, Lines{"clear"});
  EXPECT_EQ(settings.lastUpdate, kNow);
  EXPECT_EQ(view.captions, Lines{"Mirror"});
  EXPECT_EQ(checker.LinkList, Lines{"http://m.example"});

  settings.lastUpdate = kLast;
  double lastUpdateWhileShown = 0;
  view.whileShown = [&] { lastUpdateWhileShown = settings.lastUpdate; };
  checker.CheckUpdates(true);
  EXPECT_EQ(view.events, (Lines{"clear", "clear", "show"}));
  // LastUpdate changes once the window has been closed again.
  EXPECT_EQ(lastUpdateWhileShown, kLast);
  EXPECT_EQ(settings.lastUpdate, kNow);
  EXPECT_EQ(view.messages, (Lines{"Your version of Vestrane.exe (1.0.0.3) is actual", "", "note"}));
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(CheckTest, ANewerVersionBringsTheProgramToTheFrontAndShowsTheWindow) {
  http.answer = "1.0.0.4\r\n";
  checker.CheckUpdates(false);
  EXPECT_EQ(view.events, (Lines{"clear", "front", "show"}));
  EXPECT_EQ(settings.lastUpdate, kNow);

  // Already on screen (a check from inside the window): nothing more is shown.
  view.events.clear();
  view.shown = true;
  checker.CheckUpdates(false);
  EXPECT_EQ(view.events, Lines{"clear"});
}

TEST_F(CheckTest, EveryFailureGivesTheOneMessageThenTheWindowAndKeepsLastUpdate) {
  // A first check leaves its links.
  http.answer = "1.0.0.3\r\nURL=Old;http://old.example\r\n";
  checker.CheckUpdates(false);
  settings.lastUpdate = kLast;

  struct Failure {
    const char* what;
    std::optional<std::string> answer;
    Lines messagesLeft;
    Lines linksLeft;
  };
  const Failure failures[] = {
      // The fetch failed before the file was read: the old links stay.
      {"no answer", std::nullopt, {}, {"http://old.example"}},
      // The file was read up to the bad line: the links were emptied.
      {"five parts", std::string("0.2\r\n1.0.0.4.0\r\n"),
       {"New version of Vestrane.exe released: 0.2", "Your version is 1.0.0.3", ""}, {}},
  };
  for (const Failure& f : failures) {
    view.events.clear();
    services.messages.clear();
    http.answer = f.answer;
    checker.CheckUpdates(false);
    EXPECT_EQ(view.events, (Lines{"clear", "front", "show"})) << f.what;
    EXPECT_EQ(services.messages, Lines{"Error occured while checking updates for Vestrane.exe!"})
        << f.what;
    EXPECT_EQ(view.messages, f.messagesLeft) << f.what;
    EXPECT_EQ(settings.lastUpdate, kLast) << f.what;
    EXPECT_EQ(checker.LinkList, f.linksLeft) << f.what;
  }

  // With the window up the message comes alone.
  view.events.clear();
  view.shown = true;
  checker.CheckUpdates(false);
  EXPECT_EQ(view.events, (Lines{"clear", "front"}));
}

TEST_F(CheckTest, AFileWithoutAVersionIsNoFailureAndNoSuccess) {
  // Nothing to read: shown as for a newer version.
  for (const char* body : {"", "\r\n\r\n", "1.0.0.4"}) {
    view.events.clear();
    http.answer = body;
    checker.CheckUpdates(false);
    EXPECT_EQ(view.events, (Lines{"clear", "front", "show"})) << body;
    EXPECT_EQ(settings.lastUpdate, kLast) << body;
  }
  // A web page reads as versions 0.0.0.0: shown for a manual check only.
  http.answer = "<html>\r\n</html>\r\n";
  view.events.clear();
  checker.CheckUpdates(false);
  checker.CheckUpdates(true);
  EXPECT_EQ(view.events, (Lines{"clear", "clear", "show"}));
  EXPECT_EQ(settings.lastUpdate, kLast);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(CheckTest, ACheckStartedFromTheShownWindowRunsInsideTheOuterOne) {
  http.answer = "1.0.0.4\r\n";
  int inner = 0;
  view.whileShown = [&] {
    // "Check now" while the window is up: this one fails.
    if (inner++ > 0) return;
    http.answer.reset();
    checker.CheckUpdates(false);
  };
  checker.CheckUpdates(false);
  EXPECT_EQ(view.events, (Lines{"clear", "front", "show", "clear", "front"}));
  EXPECT_EQ(services.messages.size(), 1u);
  // The outer check found a version, so it counts once its window closed.
  EXPECT_EQ(settings.lastUpdate, kNow);
}

TEST_F(CheckTest, AutomaticChecksRunWhenDueAndSwitchedOn) {
  http.answer = "1.0.0.3\r\n";
  settings.checkForUpdates = true;
  settings.updateCheckPeriod = 0;
  settings.lastUpdate = kNow - 1.5;
  checker.AutoCheckUpdates();
  EXPECT_TRUE(http.urls.empty());

  settings.lastUpdate = kNow - 2;
  settings.checkForUpdates = false;
  checker.AutoCheckUpdates();
  EXPECT_TRUE(http.urls.empty());

  settings.checkForUpdates = true;
  checker.AutoCheckUpdates();
  EXPECT_EQ(http.urls.size(), 1u);
  // An automatic check of an up-to-date program shows nothing.
  EXPECT_EQ(view.events, Lines{"clear"});
  EXPECT_EQ(settings.lastUpdate, kNow);
}

TEST_F(CheckTest, OpenLinkPassesOnlyWebAddresses) {
  checker.OpenLink(" https://a.example/x.zip");
  checker.OpenLink("file:///etc/passwd");
  checker.OpenLink("/usr/bin/xterm");
  EXPECT_EQ(services.opened, Lines{"https://a.example/x.zip"});
  // As a web address, never as a document that may be a local file.
  EXPECT_EQ(services.webAddresses, Lines{"https://a.example/x.zip"});
}

// ------------------------------------------------------- the HTTP response

/// @p bytes fed to a response in pieces of @p piece bytes.
HttpResponse readInPieces(const std::string& bytes, std::size_t piece, std::size_t maxBody,
                          bool close = false) {
  HttpResponse response(maxBody);
  for (std::size_t at = 0; at < bytes.size(); at += piece) response.feed(std::string_view(bytes).substr(at, piece));
  if (close) response.closed();
  return response;
}

TEST(HttpResponseTest, BodiesFramedEveryWayAreReadWhateverThePieces) {
  const std::string chunked =
      "HTTP/1.1 100 Continue\r\n\r\n"
      "HTTP/1.1 200 OK\r\nSet-Cookie: visit=7; Path=/\r\nTransfer-Encoding: chunked\r\n\r\n"
      "5;ext=1\r\n1.0.0\r\n4\r\n.4\r\n\r\n0\r\nX-Trailer: t\r\n\r\n";
  const std::string lengthTold = "HTTP/1.0 203 Fine\nContent-Length: 9\n\n1.0.0.4\r\nignored";
  const std::string toTheEnd = "HTTP/1.1 200 OK\r\n\r\n1.0.0.4\r\n";
  for (std::size_t piece : {1u, 2u, 3u, 7u, 4096u}) {
    HttpResponse r = readInPieces(chunked, piece, 100);
    ASSERT_EQ(r.state(), HttpResponse::State::Complete) << piece;
    EXPECT_EQ(r.status(), 200);
    EXPECT_EQ(r.body(), "1.0.0.4\r\n");
    EXPECT_EQ(r.cookies(), Lines{"visit=7; Path=/"});
    r = readInPieces(lengthTold, piece, 100);
    ASSERT_EQ(r.state(), HttpResponse::State::Complete) << piece;
    EXPECT_EQ(r.status(), 203);
    EXPECT_EQ(r.body(), "1.0.0.4\r\n");
    r = readInPieces(toTheEnd, piece, 100);
    EXPECT_EQ(r.state(), HttpResponse::State::Reading);
    EXPECT_EQ(r.closed(), HttpResponse::State::Complete);
    EXPECT_EQ(r.body(), "1.0.0.4\r\n");
  }
  // Cut short: a body of told length or in chunks is incomplete.
  EXPECT_EQ(readInPieces(lengthTold.substr(0, 40), 5, 100, true).state(), HttpResponse::State::Failed);
  EXPECT_EQ(readInPieces(chunked.substr(0, 120), 5, 100, true).state(), HttpResponse::State::Failed);
  EXPECT_EQ(readInPieces("<html>\r\n\r\n", 5, 100).state(), HttpResponse::State::Failed);
}

TEST(HttpResponseTest, ReadingEndsAtTheFirstByteOverTheLimits) {
  // The body limit: the body of exactly the limit is fine, one byte more is not.
  const std::string head = "HTTP/1.1 200 OK\r\n\r\n";
  EXPECT_EQ(readInPieces(head + std::string(10, 'b'), 3, 10, true).state(), HttpResponse::State::Complete);
  HttpResponse over(10);
  EXPECT_EQ(over.feed(head + std::string(10, 'b')), HttpResponse::State::Reading);
  EXPECT_EQ(over.feed("b"), HttpResponse::State::Failed);
  // A told length or a chunk over the limit fails before any of it comes.
  EXPECT_EQ(readInPieces("HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\n", 64, 10).state(),
            HttpResponse::State::Failed);
  EXPECT_EQ(readInPieces("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nB\r\n", 64, 10).state(),
            HttpResponse::State::Failed);
  // The head limit: header lines without end, or one endless chunk line.
  HttpResponse flood(10);
  flood.feed("HTTP/1.1 200 OK\r\n");
  HttpResponse::State state = HttpResponse::State::Reading;
  std::size_t fed = 0;
  while (state == HttpResponse::State::Reading && fed < 10 * kMaxResponseHeadBytes) {
    state = flood.feed("X-Flood: fffffffffffffffff\r\n");
    fed += 28;
  }
  EXPECT_EQ(state, HttpResponse::State::Failed);
  EXPECT_LE(fed, kMaxResponseHeadBytes + 28);
  const std::string endlessChunkLine = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1;" +
                                       std::string(kMaxResponseHeadBytes, 'e');
  EXPECT_EQ(readInPieces(endlessChunkLine, 4096, 10).state(), HttpResponse::State::Failed);
}

}  // namespace
