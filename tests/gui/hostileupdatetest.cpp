// SPDX-License-Identifier: MIT
// Version files no publisher would write, served over HTTP by a server on
// 127.0.0.1: ten megabytes, ten thousand download links, tens of thousands
// of version lines. The check ends with its one message or with a filled
// Updates window, and a link is opened only when it is a web address.
// Servers that flood, send without end or drip are cut off at the limits of
// head and body or at the time limit, before they would stop by themselves
// (bench/window_bench measures the time and memory a cut-off takes).

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QListWidget>

#include "HostileHttpServer.h"
#include "platform/qt/QtServices.h"
#include "UpdateTestSupport.h"
#include "settings/Settings.h"
#include "update/core/UpdateCheck.h"

namespace vestrane::testing {
namespace {

constexpr double kNow = kCheckNow;
constexpr double kLast = kLastCheck;

class HostileVersionFileTest : public UpdateWindowFixture {
 protected:
  HostileVersionFileTest() : UpdateWindowFixture(10000) {}
};

}  // namespace

TEST_F(HostileVersionFileTest, TenMegabytesAreRefusedWithTheOneMessage) {
  // A real version line, then notes: ten times what a version file may be.
  QByteArray body = "1.0.1.0\r\n";
  while (body.size() < 10 * 1024 * 1024) body += QByteArray(98, 'n') + "\r\n";
  server.serve(body);
  ModalWatcher watcher(update.get());
  checker().CheckUpdates(false);
  EXPECT_EQ(services.messages, std::vector<std::string>{updateErrorMessage("Vestrane")});
  EXPECT_EQ(watcher.shown, 1);
  EXPECT_EQ(update->ListBox1->count(), 0);
  EXPECT_EQ(settings.lastUpdate, kLast);

  // The program goes on: the next check reads a proper file.
  server.serve("1.0.0.3\r\nURL=Mirror;http://mirror.example/v.zip\r\n");
  services.messages.clear();
  checker().CheckUpdates(true);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(watcher.shown, 2);
  EXPECT_EQ(update->ListBox1->count(), 1);
  EXPECT_EQ(settings.lastUpdate, kNow);
}

TEST_F(HostileVersionFileTest, TenThousandLinksFillTheList) {
  QByteArray body = "1.0.1.0\r\n";
  for (int i = 0; i < 10000; ++i)
    body += "URL=Mirror " + QByteArray::number(i) + ";http://mirror" + QByteArray::number(i) +
            ".example/vestrane.zip\r\n";
  body += "URL=Local;file:///etc/passwd\r\n";
  ASSERT_LT(body.size(), kMaxVersionFileBytes);
  server.serve(body);
  ModalWatcher watcher(update.get(), [&] {
    ASSERT_EQ(update->ListBox1->count(), 10001);
    EXPECT_EQ(update->ListBox1->item(9999)->text(), "Mirror 9999");
  });
  checker().CheckUpdates(false);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(watcher.shown, 1);
  ASSERT_EQ(checker().LinkList.size(), 10001u);
  EXPECT_EQ(checker().LinkList[9999], "http://mirror9999.example/vestrane.zip");
  EXPECT_EQ(settings.lastUpdate, kNow);

  // The last web link opens; the local file never does.
  checker().OpenLink(checker().LinkList[9999]);
  checker().OpenLink(checker().LinkList[10000]);
  EXPECT_EQ(services.opened, std::vector<std::string>{"http://mirror9999.example/vestrane.zip"});
}

TEST_F(HostileVersionFileTest, VersionLinesWithoutAVersionAreNoVersion) {
  // As long as no version has a first part of 1 or more, every line is a
  // version line again. 0 is not newer than the program's own version, so
  // each gives the "is actual" line and an empty one, and the window comes
  // up for a manual check only; no version was found, so LastUpdate stays.
  QByteArray body;
  while (body.size() < 64 * 1024) body += "0\r\n";
  const auto lines = static_cast<std::size_t>(body.size() / 3);
  server.serve(body);
  std::vector<std::string> memo;
  ModalWatcher watcher(update.get(), [&] { memo = update->messageLines(); });
  checker().CheckUpdates(false);
  EXPECT_EQ(watcher.shown, 0);
  checker().CheckUpdates(true);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(watcher.shown, 1);
  ASSERT_EQ(memo.size(), 2 * lines);
  EXPECT_EQ(memo[2 * lines - 2], "Your version of Vestrane (1.0.0.3) is actual");
  EXPECT_EQ(settings.lastUpdate, kLast);
}

class HostileServerTest : public UpdateWindowFixture {
 protected:
  HostileServerTest() : UpdateWindowFixture(20000) {}

  /// One automatic check against @p hostile, which fails it. @return how
  /// long the check took in milliseconds.
  qint64 checkAgainst(HostileHttpServer& hostile) {
    checker().host = hostile.host();
    services.messages.clear();
    ModalWatcher watcher(update.get());
    QElapsedTimer timer;
    timer.start();
    checker().CheckUpdates(false);
    const qint64 elapsed = timer.elapsed();
    hostile.waitUntilStopped();
    EXPECT_EQ(services.messages, std::vector<std::string>{updateErrorMessage("Vestrane")});
    EXPECT_EQ(settings.lastUpdate, kLast);
    return elapsed;
  }
};

TEST_F(HostileServerTest, FloodsOfHeadersOrBodyEndAtTheFirstByteOverTheLimit) {
  // Each server gives up after ten seconds, long before the time limit of
  // twenty: a client that hangs up first was stopped by the limits of head
  // and body alone.
  for (const auto kind : {HostileHttpServer::Kind::HeaderFlood, HostileHttpServer::Kind::EndlessBody}) {
    const char* what = kind == HostileHttpServer::Kind::HeaderFlood ? "headers" : "body";
    HostileHttpServer hostile(kind, 10000);
    checkAgainst(hostile);
    EXPECT_TRUE(hostile.clientClosed()) << what;
    EXPECT_GT(hostile.bytesSent(), kind == HostileHttpServer::Kind::HeaderFlood ? 64 * 1024 : kMaxVersionFileBytes)
        << what;
  }
}

TEST_F(HostileServerTest, ADrippingServerIsCutOffAtTheTimeLimitUnderTheBusyCursor) {
  // The server would drip for thirty seconds; the time limit is one.
  http.setTimeout(1000);
  HostileHttpServer hostile(HostileHttpServer::Kind::Drip, 30000);
  std::vector<Qt::CursorShape> cursors;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    cursors.push_back(cursor ? cursor->shape() : Qt::ArrowCursor);
  });
  probe.start(100);
  const qint64 elapsed = checkAgainst(hostile);
  probe.stop();
  // Not before the time limit (a coarse timer may fire up to 5 % early).
  EXPECT_GE(elapsed, 950);
  EXPECT_TRUE(hostile.clientClosed());
  // How often the probe ran depends on the machine's load; that it saw the
  // busy cursor whenever it ran does not.
  ASSERT_FALSE(cursors.empty());
  EXPECT_EQ(std::count(cursors.begin(), cursors.end(), Qt::WaitCursor), static_cast<long>(cursors.size()));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

/// Notes the addresses the desktop is asked to open.
class OpenedUrls : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls.push_back(url); }
};

TEST(HostileLinkTest, ALinkThatNamesALocalFileStillOpensAsAWebAddress) {
  // In the working folder, "http://reldir/probe.sh" names the file
  // http:/reldir/probe.sh.
  TempDir dir;
  std::filesystem::create_directories(dir.file("http:/reldir"));
  writeBytes(dir.file("http:/reldir/probe.sh"), "#!/bin/sh\n");
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path())));
  EXPECT_TRUE(QFileInfo::exists(QStringLiteral("http://reldir/probe.sh")));

  OpenedUrls web, files;
  QDesktopServices::setUrlHandler(QStringLiteral("http"), &web, "open");
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &files, "open");
  QtServices desktop;
  Settings settings;
  QtHttpClient http;
  TUpdate update(desktop, settings, http);
  update.checker().OpenLink("http://reldir/probe.sh");
  QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  QDir::setCurrent(previous);

  EXPECT_EQ(web.urls, std::vector<QUrl>{QUrl(QStringLiteral("http://reldir/probe.sh"))});
  EXPECT_TRUE(files.urls.empty());
}

}  // namespace vestrane::testing

#include "hostileupdatetest.moc"
