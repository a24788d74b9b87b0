// SPDX-License-Identifier: MIT
#pragma once
// The desktop's side of Services: Qt message boxes, file dialogs, the
// clipboard and the user's default handlers for documents and links.
//
// The engine's text is bytes. What reaches the screen or the clipboard is
// read as UTF-8 when the bytes are valid UTF-8 and as Windows-1252 when they
// are not, so tables saved by older Windows tools still show their accented
// names; what comes back from the user (pasted text, file names) is UTF-8.

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

#include "platform/core/Services.h"

class QWidget;

namespace vestrane {

/// @p bytes as text: UTF-8 when they are valid UTF-8, else Windows-1252.
QString bytesToText(std::string_view bytes);

/// @p text as UTF-8 bytes.
std::string textToBytes(const QString& text);

/// A "caption|patterns|caption|patterns" filter as Qt name filters
/// ("caption (patterns)"). Outside Windows the pattern "*.*" becomes "*", so
/// "All files" also lists files without an extension.
QStringList toQtNameFilters(const std::string& filter);

class QtServices : public Services {
 public:
  /// Message boxes and dialogs are modal over @p window once it is visible;
  /// before that (settings messages at start-up) they stand on their own.
  void setWindow(QWidget* window) { window_ = window; }

  void showMessage(const std::string& text) override;
  bool askYesNo(const std::string& text) override;
  bool showMessageOffering(const std::string& text, const std::string& action) override;
  bool askOpenFile(const FileDialogRequest& request, std::string& path) override;
  bool askSaveFile(const FileDialogRequest& request, std::string& path) override;
  bool clipboardText(std::string& text) override;
  bool setClipboardText(const std::string& text) override;
  bool openDocument(const std::string& target) override;
  bool openWebAddress(const std::string& url) override;

 private:
  QWidget* dialogParent() const;
  bool runFileDialog(const FileDialogRequest& request, bool save, std::string& path);

  QWidget* window_ = nullptr;
};

}  // namespace vestrane
