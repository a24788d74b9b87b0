// SPDX-License-Identifier: MIT
#pragma once
// The engine's window on the user's desktop. The engine never shows a dialog
// itself: it asks through this interface, which the main window implements
// with Qt's message boxes, file dialogs and clipboard, the batch tool with
// standard error and fixed file names, and the tests with scripted answers.

#include <string>

// The texts of the read and write failures that callers of showMessage report.

namespace vestrane {

/// Caption of every message box the program shows.
inline constexpr const char* kAppTitle = "Gorlanth Combinations";

/// Filter of the open and save dialogs, in the "caption|patterns|..." form.
inline constexpr const char* kTableFilter =
    "TAB-delimited tables (*.tab)|*.tab|All files (*.*)|*.*";

/// Filter of the open dialog of "Load TAB file": every kind of table file
/// the program reads first, then each kind on its own.
inline constexpr const char* kOpenTableFilter =
    "Tables (*.tab *.txt *.tsv *.csv *.xlsx *.xlsm *.ods *.xls)"
    "|*.tab;*.txt;*.tsv;*.csv;*.xlsx;*.xlsm;*.ods;*.xls"
    "|TAB-delimited tables (*.tab)|*.tab|CSV files (*.csv)|*.csv"
    "|Spreadsheets (*.xlsx *.xlsm *.ods *.xls)|*.xlsx;*.xlsm;*.ods;*.xls|All files (*)|*";

/// What a file dialog is asked to show. Paths are UTF-8 on every platform.
struct FileDialogRequest {
  std::string filter = kTableFilter;
  std::string defaultExt = "tab";
  std::string initialDir;    ///< folder shown first
  std::string proposedName;  ///< file name (or full path) put into the name field
  bool overwritePrompt = false;  ///< ask before an existing file is replaced
};

class Services {
 public:
  virtual ~Services() = default;

  /// A modal message box with one OK button; returns when the user closed it.
  /// Lines in @p text are separated by CR LF (or a lone CR).
  virtual void showMessage(const std::string& text) = 0;

  /// A modal question with the buttons Yes and No, No the default.
  /// @return true for Yes. By default nobody is asked and the answer is No.
  virtual bool askYesNo(const std::string& /*text*/) { return false; }

  /// A modal message box with OK and beside it a button captioned
  /// @p action, OK the default. @return true when @p action was pressed.
  /// By default the message is shown with OK only.
  virtual bool showMessageOffering(const std::string& text, const std::string& /*action*/) {
    showMessage(text);
    return false;
  }

  /// The open dialog. @return false when the user cancelled.
  virtual bool askOpenFile(const FileDialogRequest& request, std::string& path) = 0;

  /// The save dialog. @return false when the user cancelled.
  virtual bool askSaveFile(const FileDialogRequest& request, std::string& path) = 0;

  /// Plain text on the clipboard, as bytes. @return false when the clipboard
  /// holds no text or cannot be read.
  virtual bool clipboardText(std::string& text) = 0;

  /// Replaces the clipboard's content by @p text. @return false on failure.
  virtual bool setClipboardText(const std::string& text) = 0;

  /// Opens a document or a link with the user's default handler.
  /// @return false when nothing could be opened.
  virtual bool openDocument(const std::string& target) = 0;

  /// Opens @p url, an http or https address that came from the network, in
  /// the user's browser; it is never taken for a local file, whatever files
  /// exist. @return false when it could not be opened (by default nothing
  /// opens web addresses).
  virtual bool openWebAddress(const std::string& /*url*/) { return false; }
};

/// Long runs report here; returning false asks the run to stop.
class Progress {
 public:
  virtual ~Progress() = default;
  /// A run starts that writes @p linesTotal combination lines in all,
  /// counted before anything is written.
  virtual void begin(long long /*linesTotal*/) {}
  /// @p pointsDone of @p pointsTotal points finished, @p linesWritten lines
  /// of the whole run so far.
  virtual bool report(long long pointsDone, long long pointsTotal, long long linesWritten) = 0;
};

}  // namespace vestrane
