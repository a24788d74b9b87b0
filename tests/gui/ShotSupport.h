// SPDX-License-Identifier: MIT
#pragma once
// Shared by the tools that render windows to pictures: services that answer
// no dialog and print messages to standard error, and a pause that lets the
// windows lay themselves out and paint.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <string>

#include "platform/core/Services.h"

namespace vestrane::testing {

class ConsoleServices : public Services {
 public:
  void showMessage(const std::string& text) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
  bool askOpenFile(const FileDialogRequest&, std::string&) override { return false; }
  bool askSaveFile(const FileDialogRequest&, std::string&) override { return false; }
  bool clipboardText(std::string&) override { return false; }
  bool setClipboardText(const std::string&) override { return false; }
  bool openDocument(const std::string&) override { return false; }
};

/// Handles events for @p milliseconds.
inline void settle(int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace vestrane::testing
