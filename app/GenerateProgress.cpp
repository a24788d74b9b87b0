// SPDX-License-Identifier: MIT
#include "app/GenerateProgress.h"

#include <QCoreApplication>
#include <QLocale>
#include <QProgressDialog>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vestrane {

GenerateProgress::GenerateProgress(QWidget* window, int delayMs) : window_(window), delayMs_(delayMs) {
  timer_.start();
}

GenerateProgress::~GenerateProgress() { delete dialog_; }

bool GenerateProgress::report(long long pointsDone, long long pointsTotal, long long linesWritten) {
  if (!dialog_ && timer_.elapsed() >= delayMs_) open();
  const bool shown = dialog_ && dialog_->isVisible();
  if (shown) {
    const QLocale locale;
    if (linesTotal_ > 0) {
      // A bar of a thousand steps: the totals may pass what an int counts.
      const double done = std::min(1.0, static_cast<double>(linesWritten) /
                                            static_cast<double>(linesTotal_));
      dialog_->setRange(0, kSteps);
      dialog_->setValue(static_cast<int>(done * kSteps));
    } else {
      dialog_->setRange(0, 0);
    }
    const QSize before = dialog_->size();
    dialog_->setLabelText(QStringLiteral("Writing combinations: point %1 of %2\n%3 of %4 lines written")
                              .arg(locale.toString(pointsDone + 1), locale.toString(pointsTotal),
                                   locale.toString(linesWritten), locale.toString(linesTotal_)));
    // A longer text widens the dialog from its left edge: centred again.
    if (dialog_->size() != before) centre();
  }
  // Before the dialog is up the window only repaints: a click must not
  // start another command in the middle of this one.
  QCoreApplication::processEvents(shown ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
  return !(dialog_ && dialog_->wasCanceled());
}

void GenerateProgress::stepAside() {
  if (dialog_) dialog_->hide();
}

void GenerateProgress::open() {
  dialog_ = new QProgressDialog(window_);
  dialog_->setObjectName(QStringLiteral("ProgressDialog"));
  dialog_->setWindowTitle(QString::fromUtf8(kAppTitle));
  dialog_->setLabelText(QStringLiteral("Writing combinations..."));
  dialog_->setCancelButtonText(QStringLiteral("Cancel"));
  dialog_->setWindowModality(Qt::ApplicationModal);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setMinimumDuration(0);
  dialog_->adjustSize();
  centre();
  dialog_->show();
}

void GenerateProgress::centre() {
  QRect frame = dialog_->frameGeometry();
  frame.moveCenter(window_->frameGeometry().center());
  if (const QScreen* screen = window_->screen()) {
    const QRect area = screen->availableGeometry();
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
  }
  dialog_->move(frame.topLeft());
}

void ProgressServices::showMessage(const std::string& text) {
  stepAside();
  services_.showMessage(text);
}

bool ProgressServices::askYesNo(const std::string& text) {
  stepAside();
  return services_.askYesNo(text);
}

bool ProgressServices::showMessageOffering(const std::string& text, const std::string& action) {
  stepAside();
  return services_.showMessageOffering(text, action);
}

bool ProgressServices::askOpenFile(const FileDialogRequest& request, std::string& path) {
  stepAside();
  return services_.askOpenFile(request, path);
}

bool ProgressServices::askSaveFile(const FileDialogRequest& request, std::string& path) {
  stepAside();
  return services_.askSaveFile(request, path);
}

}  // namespace vestrane
