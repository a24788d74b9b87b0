// SPDX-License-Identifier: MIT
#pragma once
// Everything the main window does, without the window: the document (the
// analysis table, the selected row, the current point, the caption), the
// settings values and the dialogs' state, and the commands that work on
// them. The desktop window, the batch tool and the
// tests all drive this class; dialogs and messages go through Services.
// Each command is one change of the document, which announces it once when
// the command ends (TableDocument); what the command has to say about it is
// shown afterwards, over the window that already shows the change.
//
// The commands live by job: the table commands, loading and undo in
// Workbench.cpp, selecting rows and changing checked flags in
// CheckCommands.cpp, and the generation in RunCommands.cpp.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/TableDocument.h"
#include "app/core/UndoHistory.h"
#include "combine/GenerationRun.h"
#include "combine/Points.h"
#include "combine/PointsOverview.h"
#include "combine/TotalFilter.h"
#include "platform/core/ByteSink.h"
#include "platform/core/DiskSpace.h"
#include "platform/core/Services.h"
#include "settings/Settings.h"
#include "table/AnalysisTable.h"
#include "table/TableFile.h"
#include "table/TableReader.h"

namespace vestrane {

inline constexpr const char* kCombinedFileName = "AllComb.tab";
inline constexpr const char* kMsgFilesWritten = "Files written:";
inline constexpr const char* kMsgCancelledFilesWritten = "Cancelled. Files written:";

class Workbench {
 public:
  Workbench(Settings& settings, Services& services);

  /// Who hears of each change of the document (the window).
  void setListener(DocumentListener* listener) { document_.setListener(listener); }
  /// Lets LoadTableFile map large files into memory instead of reading them
  /// (see FileBytes::open for the one risk that comes with it).
  void setMapTableFiles(bool map) { fileOptions_.mayMap = map; }
  /// Lets LoadTableFile read FIFOs and devices as tables (the batch tool's
  /// process substitutions and named pipes). Without it only regular files
  /// are read: opening a FIFO would wait for a writer, and the window must
  /// not freeze; anything else "can not open" (not a regular file).
  void setLoadsStreams(bool streams) { fileOptions_.streams = streams; }
  /// How text files and workbooks are read: a forced delimiter and the
  /// sheets to read (the batch tool's --delimiter and --sheet).
  void setCsvDelimiter(char delimiter) { fileOptions_.delimiter = delimiter; }
  void setSheets(std::vector<std::string> sheets) { fileOptions_.sheets = std::move(sheets); }

  const TableDocument& document() const { return document_; }
  AnalysisTable& table() { return document_.table(); }
  const AnalysisTable& table() const { return document_.table(); }
  const PointState& point() const { return document_.point(); }
  Settings& settings() { return settings_; }
  const std::string& caption() const { return document_.caption(); }
  int selectedRow() const { return document_.selectedRow(); }

  // Dialog state: the open dialog's last chosen file and both initial folders.
  std::string openDialogFileName;
  /// The name the save dialog proposes: the file loaded last, or, for a CSV
  /// file or a workbook, its name with ".tab", so as never to overwrite it.
  std::string saveDialogFileName;
  std::string openDialogInitialDir;
  std::string saveDialogInitialDir;

  /// Both dialogs start in the work directory (when the window is shown).
  void setDialogFoldersFromSettings();

  // ---- loading and the table commands
  // Loading, pasting and clearing are undo steps when they change the table,
  // and so is every change of checked flags below, each of which returns the
  // rows it flipped; uncheckMineralsEverywhere (the batch tool's) is none.
  /// "Load TAB file": the open dialog, then LoadTableFile.
  void loadTableWithDialog();
  /// Reads a table file and appends it. @return true when it was read.
  bool LoadTableFile(const std::string& path);
  /// Reads table text (consumed) and selects the first row, as after any
  /// parse. No undo step of its own: the commands that read text make it.
  /// Should memory run out, the table stays as it was and the message
  /// names @p source as what could not be read.
  bool ParseTableText(std::string& text, const std::string& source = "table text");
  /// Reads the bytes of a table that came from no file (consumed), of any
  /// kind readTableBytes reads, named @p what in the messages.
  bool loadTableBytes(std::string& bytes, const std::string& what);
  /// A table file read without rows leaves no extra columns: with no row in
  /// the table, its extra columns go.
  void dropExtraColumnsWithoutRows();
  void SaveTableFile();
  /// Writes the table to @p path without a dialog. @return true on success.
  bool saveTableTo(const std::string& path);
  void CopyTable();
  void PasteTable();
  void ClearTable();

  // ---- the point
  /// A row became selected (or lost the selection when @p selected is false);
  /// a newly selected row's point becomes the current point.
  void setRowSelected(int row, bool selected);
  /// The user set a row's check box to @p checked (mouse or keyboard).
  std::vector<int> setRowChecked(int row, bool checked);
  /// The user gave the mineral list entry @p entry the check mark @p checked:
  /// every row of that mineral at the current point follows it.
  std::vector<int> setMineralChecked(int entry, bool checked);
  /// "(Un)check mineral": every row of the selected row's mineral, in the
  /// whole table, takes the opposite of the selected row's checked flag.
  std::vector<int> toggleSelectedMineralEverywhere();
  /// Unchecks every row whose Mineral cell equals one of @p minerals exactly,
  /// in one pass over the table.
  std::vector<int> uncheckMineralsEverywhere(const std::vector<std::string>& minerals);

  // ---- deciding before writing
  /// Every point "All at once" would write, with its counts and file sizes.
  PointsOverview pointsOverview() const { return overviewOfRun(document_.table()); }
  /// "Uncheck by total" over the whole table or the current point only;
  /// says afterwards how many analyses were unchecked and how many had no
  /// number, in all and mineral by mineral, and offers to show those rows.
  /// @return the same counts.
  TotalFilterResult uncheckByTotal(const TotalRange& range, bool currentPointOnly);
  /// The rows the user asked to be shown after the last "Uncheck by total"
  /// (unchecked or without a number, in increasing order); empty when the
  /// offer was declined.
  const std::vector<int>& shownRows() const { return shownRows_; }
  /// The shown row after @p row (before it when @p forward is false),
  /// going round at the ends; rows no longer in the table are passed over.
  /// @return -1 when no shown row is in the table.
  int nextShownRow(int row, bool forward) const;
  /// Unchecks every checked analysis of the points @p points (indexes of
  /// the table's points), as one undo step. @return the rows unchecked.
  std::vector<int> uncheckPoints(const std::vector<int>& points);

  // ---- undo and redo of the user's changes to the table
  /// Whether changes are kept for undo (the window's; the batch tool keeps none).
  void setKeepUndoSteps(bool keep);
  const UndoHistory& undoHistory() const { return history_; }
  /// Takes back the last change: the table, its checked flags, the caption,
  /// the current point and the selected row become as they were before it.
  void undo();
  /// Makes the change undone last again.
  void redo();
  /// Table files read one after the other as one change named @p step:
  /// those named on the command line (kStepLoad) or dropped together
  /// (kStepDrop).
  void loadTableFiles(const std::vector<std::string>& paths, const char* step);

  // ---- generating
  /// Where the free space of a run's disk is learned (the system's by
  /// default); a run that does not fit asks before it writes.
  void setDiskSpace(DiskSpace& disk) { disk_ = &disk; }
  /// "Generate Combinations" with the states of "All at once" and "Separate
  /// files": the dialogs and messages of a GenerationRun over the table.
  void generateCombinations(bool allAtOnce, bool separateFiles, Progress* progress = nullptr);

 private:
  /// One user command: the document announces what it changed when the
  /// outermost command ends, and what the command said (say) is shown
  /// after that, in order.
  class Command {
   public:
    explicit Command(Workbench& bench);
    ~Command() noexcept(false);
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

   private:
    Workbench& bench_;
    bool outermost_;
    int exceptions_;
  };

  /// Shows @p message once the command's change has been announced.
  void say(const std::string& message);
  /// Says what a reader found, in order.
  void sayAll(const std::vector<std::string>& messages);
  /// Shows what a run found, in order, at once.
  void showMessages(const std::vector<std::string>& messages);
  void selectFirstRow();
  void setCaption(const std::string& caption) { document_.setCaption(caption); }
  void setWorkDirectory(const std::string& folder);
  /// ParseTableText without the guard against memory running out.
  bool parseText(std::string& text);
  /// Runs @p read, which appends to the table and selects its first row.
  /// Should memory run out on the way, the table, the selected row and the
  /// current point go back to what they were, and "can not read" @p what
  /// is said with the reason. @return what @p read returned, or false.
  bool readKeepingTable(const std::string& what, const std::function<bool()>& read);
  void notifyPoint() { document_.pointChanged(); }
  /// Whether a run of @p needed bytes into @p folder may go on: it fits,
  /// its free space is not known, or the user wants it written anyway.
  bool spaceAllows(const BigCount& needed, const std::string& folder);

  /// LoadTableFile without making it a step of its own.
  bool appendTableFile(const std::string& path);
  /// Runs @p change, which may add rows and columns or rename columns, as the
  /// undo step @p name when it changed any of them.
  bool changeTable(const char* name, const std::function<bool()>& change);
  /// The checked flags of @p rows flipped: the document says so, and the
  /// flips become the undo step @p name (none when empty) when changes
  /// are kept. @return @p rows.
  std::vector<int> flipped(const std::string& name, std::vector<int> rows, UndoView view);
  UndoView currentView() const;
  void takeStep(bool back);
  /// A new reader for a table that undo or redo put in place: the reader
  /// remembers the extra columns of the table it read into last.
  void renewReader();

  Settings& settings_;
  Services& services_;
  TableDocument document_;
  AnalysisTable& table_ = document_.table();
  PointState& point_ = document_.point();
  std::unique_ptr<TableReader> reader_;
  UndoHistory history_;
  bool keepUndoSteps_ = true;
  std::vector<std::string> said_;  ///< what the running command says after its change
  TableFileOptions fileOptions_;  ///< how LoadTableFile reads a file
  std::vector<int> shownRows_;
  SystemDiskSpace systemDisk_;
  DiskSpace* disk_ = &systemDisk_;
};

}  // namespace vestrane
