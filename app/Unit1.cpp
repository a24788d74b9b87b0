// SPDX-License-Identifier: MIT
#include "app/Unit1.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <exception>

#include "about/FAbout.h"
#include "app/AnalysisView.h"
#include "app/CountLabels.h"
#include "app/DroppedFiles.h"
#include "app/GenerateProgress.h"
#include "app/MainPanel.h"
#include "app/PointsWindow.h"
#include "app/RowTable.h"
#include "app/TableModel.h"
#include "app/TotalDialog.h"
#include "platform/core/Files.h"
#include "platform/qt/FixedHeightDelegate.h"
#include "platform/qt/ProgramIcon.h"
#include "platform/qt/QtServices.h"
#include "platform/qt/WindowFont.h"
#include "settings/SettingsLocation.h"
#include "update/core/uVersions.h"
#include "update/uUpdate.h"

namespace vestrane {

namespace {

constexpr int kPanelHeight = 39;
constexpr int kMineralListWidth = 75;
constexpr int kMineralItemHeight = 13;
constexpr int kFixedColumnWidths[kFixedColumns] = {60, 100, 50, 50, 60};
constexpr int kExtraColumnWidth = 50;

}  // namespace

// -------------------------------------------------------------- the window

template <typename F>
void TForm1::guarded(F&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    services_.showMessage(e.what());
  } catch (...) {
    services_.showMessage("Error: unexpected failure.");
  }
}

TForm1::TForm1(Services& services, const std::string& exePath, QWidget* parent)
    : QWidget(parent),
      services_(services),
      engineServices_(services),
      exePath_(exePath),
      dateFormat_(DateSettings::fromSystemLocale()),
      workbench_(settings_, engineServices_) {
  setObjectName(QStringLiteral("Form1"));
  createControls();
  workbench_.setListener(this);
  FormCreate();
}

TForm1::~TForm1() {
  workbench_.setListener(nullptr);
  // The view and its model read the engine's table, which goes before the
  // QWidget part of the window (and its children) does.
  delete ListView1;
  ListView1 = nullptr;
  delete model_;
  model_ = nullptr;
}

void TForm1::createControls() {
  setWindowTitle(QString::fromUtf8(kCaptionPlain));
  setWindowIcon(programIcon());
  setFont(mainWindowFont(style()));
  setMinimumSize(kMinWidth, kMinHeight);
  resize(kMinWidth, kMinHeight);
  setAcceptDrops(true);

  CheckListBox1 = new QListWidget(this);
  CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
  CheckListBox1->setItemDelegate(new FixedHeightDelegate(kMineralItemHeight, CheckListBox1));
  // The style is the window's child made after the list, so it goes after
  // the list does.
  auto* rowStyle = new RowCheckBoxStyle(kMineralItemHeight);
  rowStyle->setParent(this);
  CheckListBox1->setStyle(rowStyle);
  CheckListBox1->setUniformItemSizes(true);
  connect(CheckListBox1, &QListWidget::itemChanged, this, &TForm1::CheckListBox1ClickCheck);

  model_ = new TableModel(workbench_.table(), this);
  model_->onCheckToggled = [this](int row, bool checked) {
    guarded([&] { workbench_.setRowChecked(row, checked); });
  };
  ListView1 = makeAnalysisView(model_, this);
  connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TForm1::ListView1SelectionChanged);
  applyColumnWidths();

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  auto addItem = [this](const char* name, const char* text, QKeySequence shortcut,
                        void (TForm1::*handler)()) {
    QAction* action = PopupMenu1->addAction(QString::fromUtf8(text));
    action->setObjectName(QString::fromUtf8(name));
    if (!shortcut.isEmpty()) {
      action->setShortcut(shortcut);
      action->setShortcutContext(Qt::WindowShortcut);
      addAction(action);  // the shortcut works whenever the window is active
    }
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  Clear1 = addItem("Clear1", "Clear", QKeySequence(), &TForm1::Clear1Click);
  Pastethetable1 = addItem("Pastethetable1", "Paste", QKeySequence::Paste, &TForm1::Pastethetable1Click);
  Copy1 = addItem("Copy1", "Copy", QKeySequence::Copy, &TForm1::Copy1Click);
  Save1 = addItem("Save1", "Save", QKeySequence::Save, &TForm1::Save1Click);
  Uncheckmineral1 = addItem("Uncheckmineral1", "(Un)check mineral", QKeySequence(),
                            &TForm1::Uncheckmineral1Click);
  pointsItem = addItem("pointsItem", "Points", QKeySequence(Qt::CTRL | Qt::Key_P), &TForm1::showPoints);
  uncheckByTotalItem =
      addItem("uncheckByTotalItem", "Uncheck by total...", QKeySequence(), &TForm1::uncheckByTotal);
  undoItem = addItem("undoItem", "Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), &TForm1::undo);
  redoItem = addItem("redoItem", "Redo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &TForm1::redo);
  redoItem->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  updateUndoItems();
  auto shownRowAction = [this](const char* name, QKeySequence key, bool forward) {
    auto* action = new QAction(this);
    action->setObjectName(QString::fromUtf8(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    connect(action, &QAction::triggered, this, [this, forward] { goToShownRow(forward); });
    return action;
  };
  nextShownRowAction = shownRowAction("nextShownRowAction", QKeySequence(Qt::Key_F3), true);
  previousShownRowAction =
      shownRowAction("previousShownRowAction", QKeySequence(Qt::SHIFT | Qt::Key_F3), false);
  ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos));
  });

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setLineWidth(1);

  auto button = [this](const PanelControl& control, void (TForm1::*handler)()) {
    auto* b = new QPushButton(QString::fromUtf8(control.text), Panel1);
    b->setObjectName(QString::fromUtf8(control.name));
    b->setGeometry(control.bounds);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, handler);
    return b;
  };
  Button1 = button(kLoadButton, &TForm1::Button1Click);
  Button2 = button(kGenerateButton, &TForm1::Button2Click);
  Button3 = button(kAboutButton, &TForm1::Button3Click);

  auto checkBox = [this](const PanelControl& control) {
    auto* c = new QCheckBox(QString::fromUtf8(control.text), Panel1);
    c->setObjectName(QString::fromUtf8(control.name));
    c->setGeometry(control.bounds);
    return c;
  };
  CheckBox1 = checkBox(kAllAtOnce);
  CheckBox2 = checkBox(kSeparateFiles);

  // Label1 and Label4 end at x 428; Label2 and Label3 start at x 430 (see
  // CountLabels for longer values).
  auto label = [this](const char* name, const char* text, bool rightAligned) {
    auto* l = new QLabel(QString::fromUtf8(text), Panel1);
    l->setObjectName(QString::fromUtf8(name));
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    l->setAlignment((rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
    return l;
  };
  Label1 = label("Label1", "Combinations:", true);
  Label2 = label("Label2", "0", false);
  Label4 = label("Label4", "Max. index:", true);
  Label3 = label("Label3", "--", false);
  countLabels_ = std::make_unique<CountLabels>(Label1, Label2, Label4, Label3);

  layoutControls();
}

void TForm1::layoutControls() {
  const int w = width();
  const int top = std::max(0, height() - kPanelHeight);
  CheckListBox1->setGeometry(0, 0, kMineralListWidth, top);
  ListView1->setGeometry(kMineralListWidth, 0, std::max(0, w - kMineralListWidth), top);
  Panel1->setGeometry(0, top, w, kPanelHeight);
  // The counters may take the panel from a little after "About" to its frame.
  if (countLabels_) countLabels_->setRoom(kAboutButton.bounds.right() + 1 + 4, Panel1->contentsRect().right());
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutControls();
}

// ------------------------------------------------------------- life cycle

void TForm1::FormCreate() {
  // The alias lists start empty, the work directory is the executable's
  // folder and automatic update checks are on until the settings file says
  // otherwise.
  setStartUpSettings(settings_, exePath_);
  guarded([&] {
    const SettingsInUse inUse =
        readSettingsInUse(settingsFileBesideProgram(exePath_), settings_, dateFormat_);
    for (const std::string& message : inUse.messages) services_.showMessage(message);
    settingsFile_ = inUse.file;
    // A file that could not be read is never written over: what it holds
    // is not known.
    settingsWritable_ = inUse.writable;
  });
  // The current point is none and the count 0: the engine starts that way.
  showPoint();
}

void TForm1::applyBounds() {
  const auto& bounds = settings_.mainWindowBounds;
  move(bounds[0], bounds[1]);
  resize(std::max(bounds[2], kMinWidth), std::max(bounds[3], kMinHeight));
}

void TForm1::setAboutWindow(TFAbout* about) {
  about_ = about;
  if (about_ && update_) about_->setUpdateChecker(&update_->checker());
}

void TForm1::setUpdateWindow(TUpdate* update) {
  update_ = update;
  if (update_) update_->setMainWindow(this);
  if (about_) about_->setUpdateChecker(update_ ? &update_->checker() : nullptr);
}

void TForm1::FormShow() {
  GetOwnVersion();
  if (about_) about_->appendVersion(VersionToStr(OwnVersion));
  CheckBox1->setChecked(settings_.allAtOnce);
  CheckBox2->setChecked(settings_.separateFiles);
  workbench_.setDialogFoldersFromSettings();
  // Last: the update checker learns who it checks for, and an automatic
  // check that is due runs now, before the user can act.
  if (update_) {
    UpdateChecker& checker = update_->checker();
    checker.ProgName = fileNameOf(exePath_);
    checker.ProgVersion = OwnVersion;
    checker.AutoCheckUpdates();
  }
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // A window coming back from being minimised is not being shown anew.
  if (!event->spontaneous()) guarded([&] { FormShow(); });
}

bool TForm1::writeSettingsOnClose(bool reportFailure) {
  settings_.mainWindowBounds = {x(), y(), width(), height()};
  settings_.allAtOnce = CheckBox1->isChecked();
  settings_.separateFiles = CheckBox2->isChecked();
  std::string error;
  bool written = false;
  guarded([&] {
    try {
      written = WriteSettings(settingsFile_, settings_, dateFormat_, error);
    } catch (...) {
      if (reportFailure) throw;
    }
  });
  if (!written && reportFailure && !error.empty()) services_.showMessage(error);
  return written;
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery(event->spontaneous())) {
    event->ignore();
    return;
  }
  clearTableAndAliases();
  event->accept();
}

bool TForm1::FormCloseQuery(bool byUser) {
  // A generation in progress ends first (with its Cancel button).
  if (engineServices_.progress()) return false;
  // Only the user's close command (the close box, the window menu, the
  // keyboard shortcut) comes from the window system and writes the settings;
  // a close the program starts itself does not. When the settings file
  // cannot be written the window stays open, once: the user has read why
  // and may mend the file. The next close tries again without a word and
  // ends the program whether or not the file could be written. A settings
  // file that could not be read at start is not written at all.
  if (byUser && settingsWritable_) {
    const bool written = writeSettingsOnClose(!closeRefused_);
    if (!written && !closeRefused_) {
      closeRefused_ = true;
      return false;
    }
  }
  return true;
}

void TForm1::clearTableAndAliases() {
  guarded([&] { workbench_.ClearTable(); });
  settings_.aliases = AliasLists{};
}

// ------------------------------------------------------------------ commands

void TForm1::Button1Click() {
  guarded([&] { workbench_.loadTableWithDialog(); });
}

void TForm1::Button2Click() {
  if (engineServices_.progress()) return;
  GenerateProgress progress(this, progressDelayMs_);
  engineServices_.setProgress(&progress);
  guarded([&] {
    workbench_.generateCombinations(CheckBox1->isChecked(), CheckBox2->isChecked(), &progress);
  });
  engineServices_.setProgress(nullptr);
}

void TForm1::Button3Click() {
  if (about_) about_->exec();
}

void TForm1::Clear1Click() {
  guarded([&] { workbench_.ClearTable(); });
}

void TForm1::Pastethetable1Click() {
  guarded([&] { workbench_.PasteTable(); });
}

void TForm1::Copy1Click() {
  guarded([&] { workbench_.CopyTable(); });
}

void TForm1::Save1Click() {
  guarded([&] { workbench_.SaveTableFile(); });
}

void TForm1::Uncheckmineral1Click() {
  guarded([&] { workbench_.toggleSelectedMineralEverywhere(); });
}

void TForm1::showPoints() {
  if (!pointsWindow_) {
    pointsWindow_ = new PointsWindow(workbench_.table(), this);
    connect(pointsWindow_, &PointsWindow::pointActivated, this, &TForm1::selectPointRow);
    connect(pointsWindow_, &PointsWindow::uncheckPointsRequested, this,
            [this](const std::vector<int>& points) { guarded([&] { workbench_.uncheckPoints(points); }); });
  }
  guarded([&] { pointsWindow_->showOverview(workbench_.pointsOverview()); });
  pointsWindow_->show();
  pointsWindow_->raise();
  pointsWindow_->activateWindow();
}

void TForm1::uncheckByTotal() {
  const PointState& point = workbench_.point();
  const bool hasPoint = !point.sample.empty() || !point.area.empty();
  TotalDialog dialog(workbench_.table(), lastTotalRange_, lastTotalAtPoint_, hasPoint, this);
  if (dialog.exec() != QDialog::Accepted) return;
  lastTotalRange_ = dialog.rememberedRange();
  lastTotalAtPoint_ = dialog.currentPointOnly();
  guarded([&] {
    workbench_.uncheckByTotal(dialog.range(), lastTotalAtPoint_);
    showRows(workbench_.shownRows());
  });
}

void TForm1::undo() {
  guarded([&] { workbench_.undo(); });
}

void TForm1::redo() {
  guarded([&] { workbench_.redo(); });
}

void TForm1::showRows(const std::vector<int>& rows) {
  const int count = model_->rowCount();
  std::vector<int> inTable;
  for (int row : rows)
    if (row >= 0 && row < count) inTable.push_back(row);
  if (inTable.empty()) return;
  // The first row is selected as a click selects it (its point becomes
  // current); the others join the selection without moving the point.
  // The view follows the document's selected row; the others are added to
  // the view's selection, which keeps the first as its selected row.
  guarded([&] { workbench_.setRowSelected(inTable.front(), true); });
  // Rows next to each other make one range of the selection: fewer ranges
  // for the view to look through as it draws.
  QItemSelection selection;
  const int lastColumn = model_->columnCount() - 1;
  for (std::size_t i = 0; i < inTable.size();) {
    std::size_t end = i + 1;
    while (end < inTable.size() && inTable[end] == inTable[end - 1] + 1) ++end;
    selection.append(QItemSelectionRange(model_->index(inTable[i], 0), model_->index(inTable[end - 1], lastColumn)));
    i = end;
  }
  ListView1->selectionModel()->select(selection, QItemSelectionModel::Select);
  ListView1->scrollTo(model_->index(inTable.front(), ColSelect));
}

void TForm1::goToShownRow(bool forward) {
  const int row = workbench_.nextShownRow(ListView1->currentIndex().row(), forward);
  if (row < 0) return;
  guarded([&] { workbench_.setRowSelected(row, true); });
  ListView1->scrollTo(model_->index(row, ColSelect));
}

void TForm1::selectPointRow(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  guarded([&] { workbench_.setRowSelected(row, true); });
  ListView1->scrollTo(model_->index(row, ColSelect));
  raise();
  activateWindow();
}

void TForm1::updateUndoItems() {
  const UndoHistory& history = workbench_.undoHistory();
  auto name = [](const char* command, const std::string& step) {
    return step.empty() ? QString::fromLatin1(command)
                        : QString::fromLatin1(command) + QLatin1Char(' ') + bytesToText(step);
  };
  undoItem->setText(name("Undo", history.undoName()));
  undoItem->setEnabled(history.canUndo());
  redoItem->setText(name("Redo", history.redoName()));
  redoItem->setEnabled(history.canRedo());
}

void TForm1::ListView1SelectionChanged() {
  // One row at a time: the row the user selected, or none. A selection the
  // window made from the document is the document's already.
  const int row = rowSelectedInView();
  const int selected = workbench_.selectedRow();
  if (row == selected) return;
  guarded([&] { workbench_.setRowSelected(row < 0 ? selected : row, row >= 0); });
}

void TForm1::CheckListBox1ClickCheck(QListWidgetItem* item) {
  if (!item) return;
  const int entry = CheckListBox1->row(item);
  const bool checked = item->checkState() == Qt::Checked;
  guarded([&] { workbench_.setMineralChecked(entry, checked); });
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppedTableFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  std::vector<std::string> files = droppedTableFiles(event->mimeData());
  if (files.empty()) return;
  event->acceptProposedAction();
  // The files are loaded once the drop has ended, so that the messages of a
  // load do not hold up the program the files were dragged from.
  loadFilesLater(std::move(files), kStepDrop);
}

void TForm1::loadTableFiles(std::vector<std::string> files) {
  loadFilesLater(std::move(files), kStepLoad);
}

void TForm1::loadFilesLater(std::vector<std::string> files, const char* step) {
  if (files.empty()) return;
  QTimer::singleShot(0, this, [this, step, files = std::move(files)] {
    guarded([&] { workbench_.loadTableFiles(files, step); });
  });
}

// ------------------------------------------------- what the engine reports

void TForm1::documentChanged(const DocumentChange& change) {
  const bool table = change.has(DocumentChange::Rows) || change.has(DocumentChange::Columns);
  if (table) {
    rememberColumnWidths();
    model_->tableChanged();
    applyColumnWidths();
  }
  if (change.has(DocumentChange::Checks)) model_->checksChanged();
  if (table || change.has(DocumentChange::Selection)) showSelection();
  if (change.has(DocumentChange::Point)) showPoint();
  if (change.has(DocumentChange::Caption)) setWindowTitle(bytesToText(workbench_.caption()));
  updateUndoItems();
  // An open Points window follows every change of the table or its checks.
  if ((table || change.has(DocumentChange::Checks)) && pointsWindow_ && pointsWindow_->isVisible())
    pointsWindow_->showOverview(workbench_.pointsOverview());
}

void TForm1::showPoint() {
  const PointState& point = workbench_.point();
  // Filling the list is no click on it.
  const QSignalBlocker filling(CheckListBox1);
  bool sameEntries = CheckListBox1->count() == static_cast<int>(point.minerals.size());
  for (int i = 0; sameEntries && i < CheckListBox1->count(); ++i)
    sameEntries = CheckListBox1->item(i)->text() ==
                  bytesToText(point.minerals[static_cast<std::size_t>(i)].mineral);
  if (!sameEntries) {
    CheckListBox1->clear();
    for (const MineralEntry& entry : point.minerals) {
      auto* item = new QListWidgetItem(bytesToText(entry.mineral), CheckListBox1);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    }
  }
  for (int i = 0; i < CheckListBox1->count(); ++i)
    CheckListBox1->item(i)->setCheckState(
        point.minerals[static_cast<std::size_t>(i)].checked ? Qt::Checked : Qt::Unchecked);
  countLabels_->setValues(QString::fromStdString(point.countText),
                          QString::fromStdString(point.maxIndexText));
}

int TForm1::rowSelectedInView() const {
  // The view selects one row at a time, its current one; only Show selects
  // more, with the first of them current. Asked this way, the answer takes
  // no sweep over a selection of thousands of rows, which the view's list
  // of selected rows would take for each of its rows.
  const QItemSelectionModel* selection = ListView1->selectionModel();
  const QModelIndex current = selection->currentIndex();
  if (current.isValid() && selection->isRowSelected(current.row(), QModelIndex())) return current.row();
  if (!selection->hasSelection()) return -1;
  return selection->selection().first().top();
}

void TForm1::showSelection() {
  const int row = workbench_.selectedRow();
  if (row == rowSelectedInView()) return;
  QItemSelectionModel* selection = ListView1->selectionModel();
  if (row < 0 || row >= model_->rowCount()) {
    selection->clear();
    return;
  }
  selection->setCurrentIndex(model_->index(row, ColSelect),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TForm1::rememberColumnWidths() {
  const auto columns = static_cast<std::size_t>(model_->columnCount());
  if (columnWidths_.size() > columns) columnWidths_.resize(columns);
  for (std::size_t column = 0; column < columnWidths_.size(); ++column)
    columnWidths_[column] = ListView1->columnWidth(static_cast<int>(column));
}

void TForm1::applyColumnWidths() {
  const auto columns = static_cast<std::size_t>(model_->columnCount());
  if (columnWidths_.size() > columns) columnWidths_.resize(columns);
  while (columnWidths_.size() < columns) {
    const std::size_t column = columnWidths_.size();
    columnWidths_.push_back(column < static_cast<std::size_t>(kFixedColumns)
                                ? kFixedColumnWidths[column]
                                : kExtraColumnWidth);
  }
  for (std::size_t column = 0; column < columns; ++column)
    ListView1->setColumnWidth(static_cast<int>(column), columnWidths_[column]);
}

}  // namespace vestrane
