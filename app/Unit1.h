// SPDX-License-Identifier: MIT
#pragma once
// The main window Form1: the analysis table in ListView1, the mineral list of
// the current point in CheckListBox1, and the command buttons, options and
// counters in Panel1 at the bottom. The window only wires controls to the
// engine (Workbench) and, when the engine's document announces a change,
// redraws from the document; it tells the engine only what the user did.
// Dialogs and messages go through the Services it is given.

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/GenerateProgress.h"
#include "app/core/Workbench.h"
#include "platform/core/Services.h"
#include "settings/Settings.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QTableView;

namespace vestrane {

class TableModel;
class CountLabels;
class PointsWindow;
class TFAbout;
class TUpdate;

class TForm1 : public QWidget, private DocumentListener {
  Q_OBJECT

 public:
  static constexpr int kMinWidth = 470;
  static constexpr int kMinHeight = 145;

  /// Creates the window and runs FormCreate: the settings file of
  /// @p exePath (readSettingsInUse) is read now, so its messages appear
  /// before any window.
  TForm1(Services& services, const std::string& exePath, QWidget* parent = nullptr);
  ~TForm1() override;

  /// Applies the window bounds read from the settings file (left, top,
  /// width, height), raised to the minimum size; part of the start-up.
  void applyBounds();

  Workbench& workbench() { return workbench_; }
  Settings& settings() { return settings_; }
  const std::string& settingsFileName() const { return settingsFile_; }
  TableModel* tableModel() const { return model_; }

  /// The About window, shown by "About"; its title label gets the version
  /// when this window is shown.
  void setAboutWindow(TFAbout* about);
  /// The Updates window: its checker gets the program's name and version
  /// when this window is shown, and may check at once. The About window's
  /// "Updates" runs the same checker.
  void setUpdateWindow(TUpdate* update);
  TFAbout* aboutWindow() const { return about_; }
  TUpdate* updateWindow() const { return update_; }

  /// Loads the tables named on the command line, in this order, as "Load
  /// TAB file" does, once the event loop runs (after start-up): one undo
  /// step "Load TAB file".
  void loadTableFiles(std::vector<std::string> files);

  /// How long a generation runs before its progress dialog appears.
  void setProgressDelay(int milliseconds) { progressDelayMs_ = milliseconds; }

  // Controls, named as users and tests know them.
  QListWidget* CheckListBox1 = nullptr;
  QTableView* ListView1 = nullptr;
  QFrame* Panel1 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* Clear1 = nullptr;
  QAction* Pastethetable1 = nullptr;
  QAction* Copy1 = nullptr;
  QAction* Save1 = nullptr;
  QAction* Uncheckmineral1 = nullptr;
  // Items after the five above.
  QAction* pointsItem = nullptr;
  QAction* uncheckByTotalItem = nullptr;
  QAction* undoItem = nullptr;
  QAction* redoItem = nullptr;
  /// F3 and Shift+F3: the next and previous of the rows "Show" selected.
  QAction* nextShownRowAction = nullptr;
  QAction* previousShownRowAction = nullptr;

  /// The Points window, once "Points" has opened it.
  PointsWindow* pointsWindow() const { return pointsWindow_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void createControls();
  /// Loads @p files once the event loop runs, as one undo step named @p step.
  void loadFilesLater(std::vector<std::string> files, const char* step);
  void FormCreate();
  void FormShow();
  /// Whether the window may close; the close box (@p byUser) writes the
  /// settings file first.
  bool FormCloseQuery(bool byUser);
  /// What closing leaves behind: no table and no alias lists.
  void clearTableAndAliases();
  /// The close box: writes the settings file, and says why when that failed
  /// and @p reportFailure. @return false when it failed.
  bool writeSettingsOnClose(bool reportFailure);

  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Clear1Click();
  void Pastethetable1Click();
  void Copy1Click();
  void Save1Click();
  void Uncheckmineral1Click();
  /// "Points": opens the Points window, or brings it to the front.
  void showPoints();
  /// "Uncheck by total...": the dialog, then the engine's command.
  void uncheckByTotal();
  void undo();
  void redo();
  /// Selects @p rows in the table (the rows behind a count), the first
  /// becoming the selected row; none when @p rows is empty.
  void showRows(const std::vector<int>& rows);
  /// F3 / Shift+F3: the shown row after or before the current one becomes selected.
  void goToShownRow(bool forward);
  /// A point double-clicked in the Points window: its row becomes selected.
  void selectPointRow(int row);
  /// The undo and redo items name the step they would take.
  void updateUndoItems();
  void ListView1SelectionChanged();
  void CheckListBox1ClickCheck(QListWidgetItem* item);

  void documentChanged(const DocumentChange& change) override;
  /// The mineral list and the counters show the current point.
  void showPoint();
  /// The row selected in the list view, or -1.
  int rowSelectedInView() const;
  /// The list view selects the document's selected row, unless it does.
  void showSelection();
  /// Keeps the widths the columns have now, the user's included, to give
  /// them back after the model changed.
  void rememberColumnWidths();
  void applyColumnWidths();
  void layoutControls();
  /// Runs an event handler; an error that escapes it is shown in a message
  /// box and the program goes on.
  template <typename F>
  void guarded(F&& handler);

  Services& services_;
  ProgressServices engineServices_;  ///< the services the engine gets
  std::string exePath_;
  std::string settingsFile_;
  bool settingsWritable_ = false;  ///< the close box writes the settings file
  DateSettings dateFormat_;
  Settings settings_;
  Workbench workbench_;
  TableModel* model_ = nullptr;
  TFAbout* about_ = nullptr;
  TUpdate* update_ = nullptr;
  PointsWindow* pointsWindow_ = nullptr;
  /// The bounds and scope "Uncheck by total" used last in this run.
  TotalRange lastTotalRange_;
  bool lastTotalAtPoint_ = false;

  std::unique_ptr<CountLabels> countLabels_;  ///< places and fits Label1 to Label4
  std::vector<int> columnWidths_;
  int progressDelayMs_ = 1000;
  bool closeRefused_ = false;  ///< a close was refused because the settings could not be written
};

}  // namespace vestrane
