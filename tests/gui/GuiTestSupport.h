// SPDX-License-Identifier: MIT
#pragma once
// Helpers for the GUI tests: a main window started as the program starts it,
// in a temporary folder that plays the executable's folder, with scripted
// dialogs and recorded messages; and the mouse and keyboard moves on its
// controls.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
// POSIX: FIFOs.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "app/TableModel.h"
#include "app/Unit1.h"
#include "core/TestSupport.h"
#include "fakes/FakeServices.h"
#include "platform/core/Files.h"

namespace vestrane::testing {

/// FakeServices that also notes whether a window of the program was visible
/// when each message appeared.
class RecordingServices : public FakeServices {
 public:
  std::vector<bool> windowVisibleAtMessage;
  void showMessage(const std::string& text) override {
    bool visible = false;
    for (QWidget* w : QApplication::topLevelWidgets()) visible = visible || w->isVisible();
    windowVisibleAtMessage.push_back(visible);
    FakeServices::showMessage(text);
  }
};

/// Runs @p inspect on the first modal window of type Dialog that opens (a
/// message box, a file dialog, a dialog of the program), which must close it.
template <typename Dialog, typename F>
void whenModalOpens(F inspect) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, inspect] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    timer->stop();
    timer->deleteLater();
    inspect(dialog);
  });
  timer->start(10);
}

/// Waits until the calls queued before it have run: queued calls run in the
/// order they were queued. @return false when that did not happen.
inline bool waitForQueuedCalls() {
  bool ran = false;
  QObject context;
  QTimer::singleShot(0, &context, [&] { ran = true; });
  return QTest::qWaitFor([&] { return ran; });
}
#ifndef _WIN32
/// A FIFO that nobody writes, for one test. Should the program open it and
/// wait there for a writer, the watchdog becomes that writer after 10
/// seconds, and again for every later wait, and closes at once, so that the
/// test fails instead of hanging.
class UnwrittenFifo {
 public:
  explicit UnwrittenFifo(std::string path) : path_(std::move(path)) {
    created_ = ::mkfifo(path_.c_str(), 0644) == 0;
    watchdog_ = std::thread([this] {
      std::unique_lock<std::mutex> lock(mutex_);
      auto wait = std::chrono::milliseconds(10000);
      while (!ended_.wait_for(lock, wait, [this] { return done_; })) {
        const int writer = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) {
          wokeAReader_ = true;  // someone had it open for reading, or waited to
          ::close(writer);
        }
        wait = std::chrono::milliseconds(20);
      }
    });
  }
  ~UnwrittenFifo() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    ended_.notify_all();
    watchdog_.join();
  }
  const std::string& path() const { return path_; }
  bool created() const { return created_; }
  /// Whether the watchdog found someone waiting to read and let them go.
  bool wokeAReader() const { return wokeAReader_; }

 private:
  std::string path_;
  bool created_ = false;
  std::atomic<bool> wokeAReader_{false};
  std::mutex mutex_;
  std::condition_variable ended_;
  bool done_ = false;
  std::thread watchdog_;
};
#endif

/// Alias lists that recognise the test tables' headers.
inline const char* const kAliasLines =
    "Sample=SAMPLE\r\nArea=AREA\r\nMineral=MINERAL\r\nAnalysis=ANALYSIS\r\nSelect=SELECT\r\n";

/// Two points: S1/r1 with two garnets, one biotite and an unchecked
/// plagioclase (2 combinations); S2/r2 with two garnets and three
/// orthopyroxenes (6 combinations).
inline const char* const kTable =
    "Select\tSample\tArea\tMineral\tAnalysis\tSiO2\tFeO\r\n"
    "1\tS1\tr1\tGrt\tg1\t37.5\t30.1\r\n"
    "1\tS1\tr1\tBt\tb1\t35.0\t20.2\r\n"
    "1\tS1\tr1\tGrt\tg2\t37.8\t29.9\r\n"
    "0\tS1\tr1\tPl\tp1\t60.1\t0.1\r\n"
    "1\tS2\tr2\tGrt\tg3\t37.1\t31.0\r\n"
    "1\tS2\tr2\tGrt\tg4\t37.2\t30.8\r\n"
    "1\tS2\tr2\tOpx\to1\t50.3\t25.1\r\n"
    "1\tS2\tr2\tOpx\to2\t50.6\t24.7\r\n"
    "1\tS2\tr2\tOpx\to3\t50.1\t25.5\r\n";

/// The close box: the window system asks the window to close.
inline bool closeBox(QWidget* window) {
  QCloseEvent event;
  QSpontaneKeyEvent::setSpontaneous(&event);
  QApplication::instance()->notify(window, &event);
  return event.isAccepted();
}

class MainWindowTest : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingServices services;
  std::unique_ptr<TForm1> form;

  std::string exePath() const { return dir.file("Vestrane"); }
  std::string iniPath() const { return dir.file("Vestrane.ini"); }

  /// Starts the window as the program does: create (reading the settings
  /// file), apply the bounds, show.
  void start(const std::string& settingsText = kAliasLines) {
    writeBytes(iniPath(), settingsText);
    startWithoutSettings();
  }
  void startWithoutSettings() {
    form = std::make_unique<TForm1>(services, exePath());
    form->applyBounds();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }

  /// Writes kTable (or @p text) to a file and loads it with "Load TAB file".
  std::string loadTable(const std::string& name = "table.tab", const std::string& text = kTable) {
    const std::string path = dir.file(name);
    writeBytes(path, text);
    services.openAnswers.push_back(path);
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    return path;
  }

  QTableView* view() const { return form->ListView1; }
  QWidget* viewport() const { return form->ListView1->viewport(); }
  QModelIndex index(int row, int column) const { return view()->model()->index(row, column); }

  /// The centre of a cell, scrolled into view.
  QPoint cellCenter(int row, int column) const {
    view()->scrollTo(index(row, column));
    return view()->visualRect(index(row, column)).center();
  }
  void clickCell(int row, int column) { QTest::mouseClick(viewport(), Qt::LeftButton, {}, cellCenter(row, column)); }

  /// The check box of a row, as the view draws it, scrolled into view.
  QRect rowCheckRect(int row) const {
    view()->scrollTo(index(row, ColSelect));
    QStyleOptionViewItem option;
    option.initFrom(view());
    option.rect = view()->visualRect(index(row, ColSelect));
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = index(row, ColSelect).data().toString();
    return view()->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view());
  }
  void clickRowCheckBox(int row) {
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, rowCheckRect(row).center());
  }
  bool rowChecked(int row) const {
    return index(row, ColSelect).data(Qt::CheckStateRole).toInt() == Qt::Checked;
  }
  int selectedViewRow() const {
    const QModelIndexList rows = view()->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
  }

  /// The mineral list as "Name+" (checked) and "Name-" (unchecked) entries.
  std::vector<std::string> mineralList() const {
    std::vector<std::string> entries;
    for (int i = 0; i < form->CheckListBox1->count(); ++i) {
      const QListWidgetItem* item = form->CheckListBox1->item(i);
      entries.push_back(item->text().toStdString() + (item->checkState() == Qt::Checked ? "+" : "-"));
    }
    return entries;
  }
  /// The check box of mineral list entry @p entry, as the list draws it,
  /// and the rectangle of the entry's row.
  QRect mineralCheckRect(int entry, QRect* row = nullptr) const {
    QListWidget* list = form->CheckListBox1;
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = list->visualItemRect(list->item(entry));
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = list->item(entry)->text();
    if (row) *row = option.rect;
    return list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
  }
  /// Clicks the check mark of mineral list entry @p entry.
  void clickMineralCheck(int entry) {
    QTest::mouseClick(form->CheckListBox1->viewport(), Qt::LeftButton, {}, mineralCheckRect(entry).center());
  }

  std::string count() const { return form->Label2->text().toStdString(); }
  std::string maxIndex() const { return form->Label3->text().toStdString(); }
  std::string caption() const { return form->windowTitle().toStdString(); }
};

}  // namespace vestrane::testing
