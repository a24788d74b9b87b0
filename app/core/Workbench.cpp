// SPDX-License-Identifier: MIT
#include "app/core/Workbench.h"

#include <exception>
#include <new>
#include <stdexcept>

#include "combine/PointsOverview.h"
#include "combine/RunSpace.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/Files.h"
#include "platform/core/Messages.h"
#include "table/TableWriter.h"

namespace vestrane {

namespace {

/// @p path with its extension (after the file name's last dot) made ".tab".
std::string withTabExtension(const std::string& path) {
  const std::string name = fileNameOf(path);
  const std::size_t dot = name.rfind('.');
  const std::size_t cut = dot == std::string::npos || dot == 0 ? path.size()
                                                                : path.size() - name.size() + dot;
  return path.substr(0, cut) + ".tab";
}

}  // namespace

Workbench::Workbench(Settings& settings, Services& services) : settings_(settings), services_(services) {
  renewReader();
}

void Workbench::renewReader() { reader_ = std::make_unique<TableReader>(table_, settings_.aliases); }

Workbench::Command::Command(Workbench& bench)
    : bench_(bench), outermost_(!bench.document_.inCommand()), exceptions_(std::uncaught_exceptions()) {
  bench_.document_.beginCommand();
}

Workbench::Command::~Command() noexcept(false) {
  std::vector<std::string> said;
  if (outermost_) said.swap(bench_.said_);
  // The change is announced first, so each message stands over the window
  // that shows it. While an error is on its way out, a second one from
  // here would end the program: it is dropped.
  try {
    bench_.document_.endCommand();
    for (const std::string& message : said) bench_.services_.showMessage(message);
  } catch (...) {
    if (std::uncaught_exceptions() == exceptions_) throw;
  }
}

void Workbench::say(const std::string& message) {
  if (document_.inCommand())
    said_.push_back(message);
  else
    services_.showMessage(message);
}

void Workbench::sayAll(const std::vector<std::string>& messages) {
  for (const std::string& message : messages) say(message);
}

void Workbench::setDialogFoldersFromSettings() {
  saveDialogInitialDir = settings_.workDirectory;
  openDialogInitialDir = settings_.workDirectory;
}

void Workbench::setWorkDirectory(const std::string& folder) { settings_.workDirectory = folder; }

void Workbench::showMessages(const std::vector<std::string>& messages) {
  for (const std::string& message : messages) services_.showMessage(message);
}

bool Workbench::spaceAllows(const BigCount& needed, const std::string& folder) {
  const RunSpace space = runSpace(needed, folder, *disk_);
  return space.fits || services_.askYesNo(runSpaceQuestion(space));
}

// ------------------------------------------------------------------ loading

void Workbench::loadTableWithDialog() {
  Command command(*this);
  FileDialogRequest request;
  request.filter = kOpenTableFilter;
  request.initialDir = openDialogInitialDir;
  request.proposedName = openDialogFileName;
  std::string path;
  if (!services_.askOpenFile(request, path)) return;
  openDialogFileName = path;
  LoadTableFile(path);
}

bool Workbench::LoadTableFile(const std::string& path) {
  Command command(*this);
  return readKeepingTable("file " + path,
                          [&] { return changeTable(kStepLoad, [&] { return appendTableFile(path); }); });
}

void Workbench::loadTableFiles(const std::vector<std::string>& paths, const char* step) {
  Command command(*this);
  changeTable(step, [&] {
    bool any = false;
    for (const std::string& path : paths) {
      openDialogFileName = path;
      any = readKeepingTable("file " + path, [&] { return appendTableFile(path); }) || any;
    }
    return any;
  });
}

bool Workbench::appendTableFile(const std::string& path) {
  const TableReadResult result = readTableFile(*reader_, path, fileOptions_);
  sayAll(result.messages);
  if (result.status == TableReadStatus::NotRead) return false;
  saveDialogFileName = result.converted ? withTabExtension(path) : path;
  selectFirstRow();
  if (!result.read()) return false;

  setWorkDirectory(folderOf(path));
  saveDialogInitialDir = settings_.workDirectory;
  dropExtraColumnsWithoutRows();
  if (table_.rowCount() != 0) setCaption(std::string("Vestrane - ") + fileNameOf(path));
  return true;
}

void Workbench::dropExtraColumnsWithoutRows() {
  if (table_.rowCount() != 0 || table_.columnCount() <= kFixedColumns) return;
  Command command(*this);
  table_.removeExtraColumns();
}

bool Workbench::ParseTableText(std::string& text, const std::string& source) {
  Command command(*this);
  return readKeepingTable(source, [&] { return parseText(text); });
}

bool Workbench::loadTableBytes(std::string& bytes, const std::string& what) {
  Command command(*this);
  return readKeepingTable(what, [&] {
    const TableReadResult result = readTableBytes(*reader_, what, bytes, fileOptions_);
    sayAll(result.messages);
    if (result.status == TableReadStatus::NotRead) return false;
    selectFirstRow();
    if (!result.read()) return false;
    dropExtraColumnsWithoutRows();
    return true;
  });
}

bool Workbench::parseText(std::string& text) {
  const TableReadResult result = reader_->ParseTableText(text);
  sayAll(result.messages);
  selectFirstRow();
  return result.read();
}

bool Workbench::readKeepingTable(const std::string& what, const std::function<bool()>& read) {
  AnalysisTable::Mark mark = table_.mark();
  const PointState pointBefore = point_;
  const int rowBefore = document_.selectedRow();
  std::string reason;
  try {
    return read();
  } catch (const std::bad_alloc&) {
    reason = outOfMemoryReason();
  } catch (const std::length_error& e) {
    reason = e.what();
  }
  table_.rollBack(mark);
  point_ = pointBefore;
  document_.selectRow(rowBefore);
  notifyPoint();
  say(cannotReadMessage(what, reason));
  return false;
}

void Workbench::selectFirstRow() {
  if (table_.rowCount() == 0 || document_.selectedRow() == 0) return;
  document_.selectRow(0);
  SelectPoint(table_, point_, 0);
  notifyPoint();
}

// ------------------------------------------------------------ table commands

void Workbench::SaveTableFile() {
  if (table_.rowCount() == 0) return;
  FileDialogRequest request;
  request.initialDir = saveDialogInitialDir;
  request.proposedName = saveDialogFileName;
  request.overwritePrompt = true;
  std::string path;
  if (!services_.askSaveFile(request, path)) return;
  saveTableTo(path);
}

bool Workbench::saveTableTo(const std::string& path) {
  const std::string problem = writeTableFile(table_, path);
  if (!problem.empty()) {
    services_.showMessage(problem);
    return false;
  }
  setWorkDirectory(folderOf(path));
  openDialogInitialDir = settings_.workDirectory;
  return true;
}

void Workbench::CopyTable() {
  if (table_.rowCount() == 0) return;
  if (!services_.setClipboardText(SerializeTable(table_)))
    services_.showMessage("Error: can not copy the table to the clipboard!");
}

void Workbench::PasteTable() {
  std::string text;
  if (!services_.clipboardText(text) || text.empty()) return;
  Command command(*this);
  readKeepingTable("the clipboard", [&] {
    return changeTable(kStepPaste, [&] {
      if (!parseText(text)) return false;
      setCaption(kCaptionNotSaved);
      return true;
    });
  });
}

void Workbench::ClearTable() {
  Command command(*this);
  const bool changes = table_.rowCount() > 0 || table_.columnCount() > kFixedColumns;
  // The rows go into the history as they are, without a copy; the fixed
  // columns keep their captions.
  AnalysisTable cleared;
  for (int column = 0; column < kFixedColumns; ++column) cleared.setCaption(column, table_.caption(column));
  std::swap(table_, cleared);
  shownRows_.clear();  // the rows they named are gone
  if (keepUndoSteps_ && changes) history_.recordTableChange(kStepClear, std::move(cleared), currentView());
  if (changes) document_.tableReplaced();
  document_.selectRow(-1);
  ClearPoint(point_);
  notifyPoint();
  setCaption(kCaptionPlain);
}

// --------------------------------------------------------------------- undo

void Workbench::setKeepUndoSteps(bool keep) {
  keepUndoSteps_ = keep;
  if (!keep) history_.clear();
}

UndoView Workbench::currentView() const {
  UndoView view;
  view.caption = document_.caption();
  view.sample = point_.sample;
  view.area = point_.area;
  view.selectedRow = document_.selectedRow();
  return view;
}

bool Workbench::changeTable(const char* name, const std::function<bool()>& change) {
  if (!keepUndoSteps_) return change();
  // Rows and columns are only ever appended here, and only fixed captions
  // change, so a mark of the table tells what came and takes it back: a
  // large table is not copied for every load. A table without rows is
  // copied instead (it holds captions only): a load that leaves it without
  // rows takes its extra columns away, which a mark cannot give back.
  AnalysisTable::Mark mark = table_.mark();
  std::unique_ptr<AnalysisTable> empty;
  if (mark.rows == 0) empty = std::make_unique<AnalysisTable>(table_);
  UndoView view = currentView();
  const bool result = change();
  bool changed = mark.rows != static_cast<std::size_t>(table_.rowCount()) ||
                 mark.columns != static_cast<std::size_t>(table_.columnCount());
  for (int column = 0; !changed && column < kFixedColumns; ++column)
    changed = mark.fixedCaptions[static_cast<std::size_t>(column)] != table_.caption(column);
  if (changed) {
    if (empty)
      history_.recordTableChange(name, std::move(*empty), std::move(view));
    else
      history_.recordTableChange(name, std::move(mark), std::move(view));
  }
  return result;
}

void Workbench::undo() { takeStep(true); }

void Workbench::redo() { takeStep(false); }

void Workbench::takeStep(bool back) {
  if (back ? !history_.canUndo() : !history_.canRedo()) return;
  Command command(*this);
  UndoView view = currentView();
  if (back)
    history_.undo(table_, view);
  else
    history_.redo(table_, view);
  renewReader();
  document_.checksChanged();
  document_.selectRow(view.selectedRow >= 0 && view.selectedRow < table_.rowCount() ? view.selectedRow : -1);
  // The point is built afresh, so its mineral list is what it was, without
  // minerals of rows that are gone again.
  if (view.sample.empty() && view.area.empty())
    ClearPoint(point_);
  else
    makePointCurrent(table_, point_, view.sample, view.area);
  notifyPoint();
  setCaption(view.caption);
}

}  // namespace vestrane
