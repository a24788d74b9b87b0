// SPDX-License-Identifier: MIT
#pragma once
// The Updates window Update: the automatic-check settings, "Check now" and
// the "Download from:" list in Panel1 at the left, the message area Memo1
// filling the rest. It owns the update checker, which fetches the version
// file through the HTTP client it is given and fills and shows this window.

#include <QComboBox>
#include <QDialog>
#include <string>
#include <vector>

#include "update/core/UpdateCheck.h"

class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace vestrane {

class Services;
struct Settings;

/// A drop-down list that reports when its list closes, after the item
/// chosen in it (if any) has become the current one.
class CloseUpComboBox : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  void hidePopup() override;
 signals:
  void closeUp();
};

class TUpdate : public QDialog, private UpdateView {
  Q_OBJECT

 public:
  static constexpr int kWidth = 501;
  static constexpr int kHeight = 360;
  static constexpr int kMinSize = 200;
  static constexpr int kPanelWidth = 95;

  /// Creates the window, hidden. ChkUpdates, CUPeriod and LastUpdate are
  /// those of @p settings; messages and links go through @p services.
  TUpdate(Services& services, Settings& settings, HttpClient& http, QWidget* parent = nullptr);
  ~TUpdate() override;

  UpdateChecker& checker() { return checker_; }

  /// The window brought to the foreground with the program (the main window).
  void setMainWindow(QWidget* window) { mainWindow_ = window; }

  /// The message area's lines.
  std::vector<std::string> messageLines() const;

  // Controls, named as users and tests know them.
  QFrame* Panel1 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  CloseUpComboBox* ComboBox1 = nullptr;
  QPushButton* Button1 = nullptr;
  QLabel* Label1 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createControls();
  void layoutControls();

  void FormShow();
  void CheckBox1Click();
  void ComboBox1CloseUp();
  void Button1Click();
  void ListBox1MouseMove(const QPoint& pos);
  void ListBox1Click();

  // UpdateView
  void clearMessages() override;
  void addMessageLines(const std::vector<std::string>& lines) override;
  void setLinkCaptions(const std::vector<std::string>& captions) override;
  bool isShown() const override;
  void showModal() override;
  void bringToFront() override;

  Services& services_;
  /// The check and its state, LinkList among it: made with the window and
  /// freed with it.
  UpdateChecker checker_;
  QWidget* mainWindow_ = nullptr;
};

}  // namespace vestrane
