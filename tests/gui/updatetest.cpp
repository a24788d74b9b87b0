// SPDX-License-Identifier: MIT
// The Updates window and the HTTP GET against a server on 127.0.0.1 that the
// test starts itself: what the server is asked, what each kind of answer
// shows, every failure, and the start-up check of the program.

#include <QComboBox>
#include <QEnterEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QtTest/qtestspontaneevent.h>

#include "UpdateTestSupport.h"
#include "platform/qt/QtServices.h"
#include "settings/Settings.h"
#include "update/core/uVersions.h"

namespace vestrane::testing {
namespace {

using Lines = std::vector<std::string>;

constexpr double kNow = kCheckNow;
constexpr double kLast = kLastCheck;

const char* const kUpToDate =
    "1.0.0.3\r\nURL=Mirror;http://mirror.example/v.zip\r\nFaster loading\r\n";
const char* const kNewer =
    "1.0.1.0\r\n"
    "URL=Project page;https://vestrane.example/download\r\n"
    "URL=http://mirror.example/vestrane.zip\r\n"
    "Tables pasted from spreadsheets keep their names.\r\n";

class UpdateWindowTest : public UpdateWindowFixture {
 protected:
  UpdateWindowTest() : UpdateWindowFixture(5000) {}

  Lines listItems() const {
    Lines items;
    for (int i = 0; i < update->ListBox1->count(); ++i)
      items.push_back(textToBytes(update->ListBox1->item(i)->text()));
    return items;
  }
  QPoint rowCenter(int row) const {
    return update->ListBox1->visualItemRect(update->ListBox1->item(row)).center();
  }
};

TEST_F(UpdateWindowTest, StartsHiddenWithItsControlsInPlace) {
  EXPECT_FALSE(update->isVisible());
  EXPECT_EQ(update->objectName().toStdString(), "Update");
  EXPECT_EQ(update->windowTitle().toStdString(), "Updates");
  EXPECT_EQ(update->size(), QSize(501, 360));
  EXPECT_EQ(update->minimumSize(), QSize(200, 200));
  EXPECT_TRUE(update->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(update->Panel1->geometry(), QRect(0, 0, 95, 360));
  EXPECT_EQ(update->Memo1->geometry(), QRect(95, 0, 501 - 95, 360));
  EXPECT_TRUE(update->Memo1->isReadOnly());
  EXPECT_EQ(update->CheckBox1->text().toStdString(), "Auto checking");
  EXPECT_EQ(update->Button1->text().toStdString(), "Check now");
  EXPECT_EQ(update->Label1->text().toStdString(), "Download from:");
  EXPECT_TRUE(update->Label1->font().bold());
  ASSERT_EQ(update->ComboBox1->count(), 3);
  EXPECT_EQ(update->ComboBox1->itemText(2).toStdString(), "Monthly");
  EXPECT_EQ(update->ComboBox1->currentIndex(), 0);
  // The panel's controls stack from top to bottom, each inside the panel,
  // and their captions fit.
  int bottom = 0;
  for (QWidget* w : std::initializer_list<QWidget*>{update->CheckBox1, update->ComboBox1,
                                                    update->Button1, update->Label1,
                                                    update->ListBox1}) {
    EXPECT_GE(w->geometry().top(), bottom) << w->objectName().toStdString();
    EXPECT_LE(w->geometry().right(), 95) << w->objectName().toStdString();
    bottom = w->geometry().bottom();
  }
  EXPECT_LE(update->Label1->fontMetrics().horizontalAdvance(update->Label1->text()),
            update->Label1->width());
  // Five whole rows in the list.
  update->ListBox1->addItem(QStringLiteral("x"));
  EXPECT_EQ(update->ListBox1->height(), 5 * update->ListBox1->visualItemRect(update->ListBox1->item(0)).height());
}

TEST_F(UpdateWindowTest, TheRequestCarriesTheProgramsHeadersAndKeepsCookies) {
  server.serve(kUpToDate);
  server.defaultAnswer.headers = {{"Set-Cookie", "visit=7; Path=/"}};
  checker().CheckUpdates(false);
  checker().CheckUpdates(false);

  ASSERT_EQ(server.requests.size(), 2u);
  const HttpRequestSeen& first = server.requests[0];
  EXPECT_EQ(first.method, "GET");
  EXPECT_EQ(first.path, kVersionFilePath);
  EXPECT_EQ(first.header("Accept"), "text/html, */*");
  EXPECT_EQ(first.header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
  EXPECT_EQ(first.header("Content-Type"), "text/html");
  EXPECT_EQ(first.header("Authorization"), "");
  EXPECT_EQ(first.header("Cookie"), "");
  EXPECT_EQ(server.requests[1].header("Cookie"), "visit=7");
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(UpdateWindowTest, UpToDateShowsTheWindowForAManualCheckOnly) {
  server.serve(kUpToDate);
  Lines memo, list;
  std::string caption;
  ModalWatcher watcher(update.get(), [&] {
    memo = update->messageLines();
    list = listItems();
    caption = update->windowTitle().toStdString();
  });

  checker().CheckUpdates(false);
  EXPECT_EQ(watcher.shown, 0);
  EXPECT_EQ(settings.lastUpdate, kNow);

  settings.lastUpdate = kLast;
  checker().CheckUpdates(true);
  EXPECT_EQ(watcher.shown, 1);
  EXPECT_EQ(caption, "Updates: Vestrane");
  EXPECT_EQ(memo, (Lines{"Your version of Vestrane (1.0.0.3) is actual", "", "Faster loading"}));
  EXPECT_EQ(list, Lines{"Mirror"});
  EXPECT_EQ(settings.lastUpdate, kNow);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(UpdateWindowTest, ANewerVersionComesUpWithLinksThatOpenInTheBrowser) {
  server.serve(kNewer);
  Lines memo, list;
  Qt::CursorShape overRow = Qt::ArrowCursor, belowRows = Qt::PointingHandCursor;
  ModalWatcher watcher(update.get(), [&] {
    memo = update->messageLines();
    list = listItems();
    QWidget* viewport = update->ListBox1->viewport();
    QMouseEvent over(QEvent::MouseMove, rowCenter(1), viewport->mapToGlobal(rowCenter(1)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &over);
    overRow = viewport->cursor().shape();
    const QPoint below(5, viewport->height() - 2);
    QMouseEvent away(QEvent::MouseMove, below, viewport->mapToGlobal(below), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &away);
    belowRows = viewport->cursor().shape();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowCenter(0));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowCenter(1));
  });

  checker().CheckUpdates(false);  // automatic, yet shown
  EXPECT_EQ(watcher.shown, 1);
  EXPECT_EQ(memo, (Lines{"New version of Vestrane released: 1.0.1.0", "Your version is 1.0.0.3", "",
                         "Tables pasted from spreadsheets keep their names."}));
  EXPECT_EQ(list, (Lines{"Project page", ""}));
  EXPECT_EQ(services.opened,
            (Lines{"https://vestrane.example/download", "http://mirror.example/vestrane.zip"}));
  EXPECT_EQ(overRow, Qt::PointingHandCursor);
  EXPECT_EQ(belowRows, Qt::ArrowCursor);
  EXPECT_EQ(settings.lastUpdate, kNow);
}

TEST_F(UpdateWindowTest, ALinkToAnythingButAWebPageIsNotOpened) {
  server.serve("1.0.0.4\r\nURL=Tool;file:///usr/bin/xterm\r\nURL=Run;/bin/sh\r\n");
  ModalWatcher watcher(update.get(), [&] {
    QTest::mouseClick(update->ListBox1->viewport(), Qt::LeftButton, {}, rowCenter(0));
    QTest::mouseClick(update->ListBox1->viewport(), Qt::LeftButton, {}, rowCenter(1));
  });
  checker().CheckUpdates(false);
  EXPECT_EQ(watcher.shown, 1);
  EXPECT_EQ(update->ListBox1->count(), 2);
  EXPECT_TRUE(services.opened.empty());
}

TEST_F(UpdateWindowTest, EveryFailedRequestGivesTheOneMessageAndThenTheWindow) {
  http.setTimeout(300);
  // A version file one byte larger than the limit, padded with notes.
  QByteArray tooLarge = "1.0.0.3\r\n";
  while (tooLarge.size() <= kMaxVersionFileBytes) tooLarge += QByteArray(99, 'x') + "\r\n";
  tooLarge.truncate(kMaxVersionFileBytes + 1);

  struct Case {
    const char* what;
    HttpAnswer answer;
    Lines memo;
  };
  std::vector<Case> cases;
  {
    HttpAnswer a;
    a.status = 404;
    a.reason = "Not Found";
    a.body = "1.0.0.3\r\n";
    cases.push_back({"404", a, {}});
  }
  {
    HttpAnswer a;
    a.status = 302;
    a.reason = "Found";
    a.headers = {{"Location", "/moved/vestrane.vrs"}};
    cases.push_back({"302", a, {}});
    server.answers["/moved/vestrane.vrs"].body = "1.0.0.3\r\n";
  }
  {
    HttpAnswer a;
    a.status = 500;
    a.reason = "Internal Server Error";
    cases.push_back({"500", a, {}});
  }
  {
    HttpAnswer a;
    a.silent = true;
    cases.push_back({"no answer", a, {}});
  }
  {
    HttpAnswer a;
    a.body = tooLarge;
    cases.push_back({"too large", a, {}});
  }
  {
    HttpAnswer a;
    a.body = tooLarge;
    a.contentLength = false;
    cases.push_back({"too large, length not told", a, {}});
  }
  {
    HttpAnswer a;
    a.body = "0.9\r\n1.0.0.4.1\r\n";
    cases.push_back({"five parts",
                     a,
                     {"New version of Vestrane released: 0.9", "Your version is 1.0.0.3", ""}});
  }

  Lines memo;
  ModalWatcher watcher(update.get(), [&] { memo = update->messageLines(); });
  for (const Case& c : cases) {
    server.requests.clear();
    services.messages.clear();
    services.windowVisibleAtMessage.clear();
    server.defaultAnswer = c.answer;
    const int shownBefore = watcher.shown;

    checker().CheckUpdates(false);

    EXPECT_EQ(services.messages, Lines{"Error occured while checking updates for Vestrane!"})
        << c.what;
    // The message comes first, then the window.
    EXPECT_EQ(services.windowVisibleAtMessage, std::vector<bool>{false}) << c.what;
    EXPECT_EQ(watcher.shown, shownBefore + 1) << c.what;
    EXPECT_EQ(memo, c.memo) << c.what;
    EXPECT_EQ(settings.lastUpdate, kLast) << c.what;
    // Only the version file was asked for: redirects are not followed.
    ASSERT_FALSE(server.requests.empty()) << c.what;
    for (const HttpRequestSeen& request : server.requests)
      EXPECT_EQ(request.path, kVersionFilePath) << c.what;
  }

  // A file of exactly the limit is fine.
  server.serve(tooLarge.left(kMaxVersionFileBytes));
  services.messages.clear();
  checker().CheckUpdates(false);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(settings.lastUpdate, kNow);
}

TEST_F(UpdateWindowTest, AWebPageIsNoFailureButNoSuccessEither) {
  server.serve("<!DOCTYPE html>\n<html><body>\n<h1>Welcome</h1>\n</body></html>\n");
  Lines memo;
  ModalWatcher watcher(update.get(), [&] { memo = update->messageLines(); });
  checker().CheckUpdates(false);
  EXPECT_EQ(watcher.shown, 0);
  checker().CheckUpdates(true);
  EXPECT_EQ(watcher.shown, 1);
  EXPECT_EQ(memo.size(), 8u);  // two lines for each line of the page
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(settings.lastUpdate, kLast);
}

TEST_F(UpdateWindowTest, FillingTheControlsStartsNoCheckButTheUserCan) {
  server.serve(kUpToDate);
  settings.checkForUpdates = true;
  settings.updateCheckPeriod = 0;
  settings.lastUpdate = 0;  // never checked: a check is due
  ASSERT_FALSE(update->CheckBox1->isChecked());

  update->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(update.get()));
  EXPECT_TRUE(update->CheckBox1->isChecked());
  EXPECT_EQ(update->windowTitle().toStdString(), "Updates: Vestrane");
  EXPECT_TRUE(server.requests.empty());

  // Unticking switches checks off; ticking again checks at once, since one is due.
  QTest::mouseClick(update->CheckBox1, Qt::LeftButton);
  EXPECT_FALSE(settings.checkForUpdates);
  EXPECT_TRUE(server.requests.empty());
  QTest::mouseClick(update->CheckBox1, Qt::LeftButton);
  EXPECT_TRUE(settings.checkForUpdates);
  EXPECT_EQ(server.requests.size(), 1u);
  EXPECT_EQ(settings.lastUpdate, kNow);
  EXPECT_EQ(update->messageLines().front(), "Your version of Vestrane (1.0.0.3) is actual");

  // "Check now" checks whether due or not.
  QTest::mouseClick(update->Button1, Qt::LeftButton);
  EXPECT_EQ(server.requests.size(), 2u);
}

TEST_F(UpdateWindowTest, ThePeriodListMirrorsCUPeriodAndChecksWhenItCloses) {
  server.serve(kUpToDate);
  settings.updateCheckPeriod = 3;
  settings.lastUpdate = kNow - 10;  // due for a weekly check, not a monthly one
  update->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(update.get()));
  EXPECT_EQ(update->ComboBox1->currentIndex(), -1);

  auto choose = [&](int index) {
    update->ComboBox1->showPopup();
    update->ComboBox1->setCurrentIndex(index);
    update->ComboBox1->hidePopup();
    ASSERT_TRUE(waitForQueuedCalls());  // the list reports its close-up queued
  };
  choose(2);
  EXPECT_EQ(settings.updateCheckPeriod, 2);
  EXPECT_TRUE(server.requests.empty());
  choose(1);
  EXPECT_EQ(settings.updateCheckPeriod, 1);
  EXPECT_EQ(server.requests.size(), 1u);
  update->hide();

  // Shown again, the list follows the setting.
  settings.updateCheckPeriod = 0;
  update->show();
  EXPECT_EQ(update->ComboBox1->currentIndex(), 0);
}

// ------------------------------------------------------------- the program

class StartupCheckTest : public ProgramTest {
 protected:
  std::string settingsWith(const std::string& lines) { return std::string(kAliasLines) + lines; }
  std::string writtenLastUpdate() {
    const std::string text = readBytes(iniPath());
    const std::size_t at = text.find("LastUpdate=");
    return at == std::string::npos ? std::string() : text.substr(at, text.find('\r', at) - at);
  }
  bool closeBox() {
    QCloseEvent event;
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::instance()->notify(form.get(), &event);
    return event.isAccepted();
  }
};

TEST_F(StartupCheckTest, ADueCheckRunsWhenTheWindowIsShownAndItsTimeIsWrittenBack) {
  server.serve(kUpToDate);
  now = [] { return kNow; };
  startProgram(settingsWith("ChkUpdates=Y\r\nCUPeriod=0\r\nLastUpdate=01.02.2020\r\n"));

  ASSERT_EQ(server.requests.size(), 1u);
  EXPECT_EQ(server.requests[0].path, kVersionFilePath);
  EXPECT_EQ(update->checker().ProgName, "Vestrane");
  EXPECT_EQ(VersionToStr(update->checker().ProgVersion), "1.0.0.3");
  EXPECT_FALSE(update->isVisible());
  EXPECT_EQ(form->settings().lastUpdate, kNow);

  ASSERT_TRUE(closeBox());
  EXPECT_EQ(writtenLastUpdate(),
            "LastUpdate=" + dateTimeToText(kNow, DateSettings::fromSystemLocale()));
}

TEST_F(StartupCheckTest, AFailedCheckAtStartShowsItsMessageAndKeepsLastUpdate) {
  server.defaultAnswer.status = 404;
  int shown = 0;
  std::unique_ptr<ModalWatcher> watcher;
  startProgram(settingsWith("ChkUpdates=Y\r\nCUPeriod=1\r\nLastUpdate=01.02.2020\r\n"), [&] {
    watcher = std::make_unique<ModalWatcher>(update.get(), [&] { ++shown; });
  });
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(services.messages, Lines{"Error occured while checking updates for Vestrane!"});
  ASSERT_TRUE(closeBox());
  EXPECT_EQ(writtenLastUpdate(), "LastUpdate=01.02.2020");
}

TEST_F(StartupCheckTest, NoCheckWhenSwitchedOffOrNotDue) {
  server.serve(kUpToDate);
  now = [] { return kNow; };
  startProgram(settingsWith("ChkUpdates=N\r\nCUPeriod=0\r\n"));
  EXPECT_TRUE(server.requests.empty());
  TearDown();

  // One day and a few hours ago, daily: not yet.
  startProgram(settingsWith("ChkUpdates=Y\r\nCUPeriod=0\r\nLastUpdate=" +
                            dateTimeToText(kNow - 1.2, DateSettings::fromSystemLocale()) + "\r\n"));
  EXPECT_TRUE(server.requests.empty());
}

}  // namespace
}  // namespace vestrane::testing
