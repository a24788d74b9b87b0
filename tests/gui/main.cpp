// SPDX-License-Identifier: MIT
// The GUI test program: one QApplication for all tests, on Qt's offscreen
// platform unless another one is asked for.

#include <gtest/gtest.h>

#include <QApplication>

#include "platform/core/Services.h"

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QString::fromUtf8(vestrane::kAppTitle));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
