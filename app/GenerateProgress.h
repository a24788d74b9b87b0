// SPDX-License-Identifier: MIT
#pragma once
// The progress of "Generate Combinations" in the main window, and the
// services that make it step aside for the engine's messages and dialogs.

#include <QElapsedTimer>
#include <QPointer>
#include <string>

#include "platform/core/Services.h"

class QProgressDialog;
class QWidget;

namespace vestrane {

/// Progress of "Generate Combinations": after the delay a modal dialog with a
/// Cancel button appears, centred over the main window; until then, and
/// while it is open, the window keeps repainting between the engine's
/// reports. The bar follows the lines written against the lines the run
/// writes in all, which the engine counts before it starts.
class GenerateProgress : public Progress {
 public:
  GenerateProgress(QWidget* window, int delayMs);
  ~GenerateProgress() override;

  void begin(long long linesTotal) override { linesTotal_ = linesTotal; }
  bool report(long long pointsDone, long long pointsTotal, long long linesWritten) override;

  /// A message or a file dialog of the engine is about to appear.
  void stepAside();

 private:
  static constexpr int kSteps = 1000;

  void open();
  /// Puts the dialog's frame in the middle of the main window's, inside the
  /// screen's work area, so that its title bar can always be reached.
  void centre();

  QWidget* window_;
  int delayMs_;
  long long linesTotal_ = 0;
  QElapsedTimer timer_;
  QPointer<QProgressDialog> dialog_;
};

/// Services for the engine: the window's own services, but an open
/// progress dialog steps aside before any message or file dialog.
class ProgressServices : public Services {
 public:
  explicit ProgressServices(Services& services) : services_(services) {}

  /// The running generation's progress (nullptr: none runs).
  void setProgress(GenerateProgress* progress) { progress_ = progress; }
  GenerateProgress* progress() const { return progress_; }

  void showMessage(const std::string& text) override;
  bool askYesNo(const std::string& text) override;
  bool showMessageOffering(const std::string& text, const std::string& action) override;
  bool askOpenFile(const FileDialogRequest& request, std::string& path) override;
  bool askSaveFile(const FileDialogRequest& request, std::string& path) override;
  bool clipboardText(std::string& text) override { return services_.clipboardText(text); }
  bool setClipboardText(const std::string& text) override { return services_.setClipboardText(text); }
  bool openDocument(const std::string& target) override { return services_.openDocument(target); }
  bool openWebAddress(const std::string& url) override { return services_.openWebAddress(url); }

 private:
  void stepAside() {
    if (progress_) progress_->stepAside();
  }
  Services& services_;
  GenerateProgress* progress_ = nullptr;
};

}  // namespace vestrane
