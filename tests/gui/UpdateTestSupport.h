// SPDX-License-Identifier: MIT
#pragma once
// Helpers for the tests of the Updates and About windows: a watcher that
// closes a window each time it comes up modally (after looking at it), and
// the main window started as the program starts it, with both windows and an
// update checker that asks a local server.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>

#include "GuiTestSupport.h"
#include "LocalHttpServer.h"
#include "about/FAbout.h"
#include "platform/qt/QtHttpClient.h"
#include "update/uUpdate.h"

namespace vestrane::testing {

/// Each time @p window is the modal window on screen, runs the inspection
/// and closes the window, so that the modal loop that showed it returns.
class ModalWatcher {
 public:
  explicit ModalWatcher(QWidget* window, std::function<void()> inspect = {})
      : window_(window), inspect_(std::move(inspect)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (busy_ || !window_->isVisible() || QApplication::activeModalWidget() != window_) return;
      busy_ = true;
      ++shown;
      if (inspect_) inspect_();
      if (window_->isVisible()) window_->close();
      busy_ = false;
    });
    timer_.start(5);
  }

  int shown = 0;

 private:
  QWidget* window_;
  std::function<void()> inspect_;
  QTimer timer_;
  bool busy_ = false;
};

/// Where the update check asks for the version file of "Vestrane".
inline const QByteArray kVersionFilePath = "/sites/default/files/versions/vestrane.vrs";

/// The main window with its About and Updates windows, started as the
/// program starts them; the checker asks @p server and reads the clock @p now.
class ProgramTest : public MainWindowTest {
 protected:
  LocalHttpServer server;
  QtHttpClient http;
  std::unique_ptr<TFAbout> about;
  std::unique_ptr<TUpdate> update;
  std::function<double()> now;

  void TearDown() override {
    // The windows go before the main window that owns their settings.
    update.reset();
    about.reset();
    form.reset();
  }

  /// Creates the windows in the program's order; @p beforeShow runs just
  /// before the main window is shown (to watch for windows it may open).
  void startProgram(const std::string& settingsText,
                    const std::function<void()>& beforeShow = {}) {
    writeBytes(iniPath(), settingsText);
    form = std::make_unique<TForm1>(services, exePath());
    about = std::make_unique<TFAbout>(services, dir.file("Vestrane.chm"), form.get());
    form->setAboutWindow(about.get());
    form->applyBounds();
    update = std::make_unique<TUpdate>(services, form->settings(), http);
    update->checker().host = server.host();
    if (now) update->checker().now = now;
    form->setUpdateWindow(update.get());
    if (beforeShow) beforeShow();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
};

/// "Now" and the last successful check as the update tests see them.
constexpr double kCheckNow = 45000.5;
constexpr double kLastCheck = 44000.25;

/// The Updates window alone, its checker asking the local server, with the
/// clock fixed at kCheckNow and the last check at kLastCheck.
class UpdateWindowFixture : public ::testing::Test {
 protected:
  explicit UpdateWindowFixture(int timeoutMs) : timeoutMs_(timeoutMs) {}

  LocalHttpServer server;
  RecordingServices services;
  Settings settings;
  QtHttpClient http;
  std::unique_ptr<TUpdate> update;

  void SetUp() override {
    ASSERT_TRUE(server.listening());
    http.setTimeout(timeoutMs_);
    settings.lastUpdate = kLastCheck;
    update = std::make_unique<TUpdate>(services, settings, http);
    checker().host = server.host();
    checker().ProgName = "Vestrane";
    checker().ProgVersion = TVersion{1, 0, 0, 3};
    checker().now = [] { return kCheckNow; };
  }

  UpdateChecker& checker() { return update->checker(); }

 private:
  int timeoutMs_;
};

}  // namespace vestrane::testing
