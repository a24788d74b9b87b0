// SPDX-License-Identifier: MIT
#pragma once
// The About window FAbout: the program's picture, name and version, what it
// does, who made it and how to reach them, with "Help" (the help file) and
// "Updates" (a manual update check). Shown modally from the main window's
// "About" button.

#include <QDialog>
#include <string>

#include "platform/core/Help.h"

class QLabel;
class QPushButton;

namespace vestrane {

class Services;
class UpdateChecker;

class TFAbout : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kWidth = 332;
  static constexpr int kHeight = 125;

  /// Creates the window, hidden. "Help" opens @p helpFilePath; messages and
  /// links go through @p services. @p parent is the main window, over which
  /// the window is centred.
  TFAbout(Services& services, std::string helpFilePath, QWidget* parent = nullptr);

  /// The first page of the HTML help, shown in the browser where the help
  /// file cannot be opened.
  void setHelpPages(std::string firstPage) { help_.firstPage = std::move(firstPage); }

  /// The checker that "Updates" runs; until it is given, "Updates" only closes the window.
  void setUpdateChecker(UpdateChecker* checker) { checker_ = checker; }

  /// Completes the title label with the program's version: "Vestrane v." + @p version.
  void appendVersion(const std::string& version);

  const std::string& helpFilePath() const { return help_.compiled; }

  // Controls, named as users and tests know them.
  QLabel* Image1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createControls();
  void placeTitle();

  void Label6Click();
  void Label6MouseEnter();
  void Label6MouseLeave();
  void Button1Click();
  void Button2Click();

  Services& services_;
  HelpFiles help_;
  UpdateChecker* checker_ = nullptr;
};

}  // namespace vestrane
