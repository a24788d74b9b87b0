// SPDX-License-Identifier: MIT
#include "app/core/Workbench.h"

#include <new>
#include <stdexcept>
#include <unordered_set>

#include "combine/PointFileName.h"
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

void Workbench::renewReader() {
  reader_ = std::make_unique<TableReader>(table_, settings_.aliases);
  reader_->onBeginUpdate = [this] {
    if (observer_) observer_->beginTableUpdate();
  };
  reader_->onEndUpdate = [this] {
    if (observer_) observer_->endTableUpdate();
  };
}

void Workbench::setDialogFoldersFromSettings() {
  saveDialogInitialDir = settings_.workDirectory;
  openDialogInitialDir = settings_.workDirectory;
}

void Workbench::setCaption(const std::string& caption) {
  caption_ = caption;
  if (observer_) observer_->captionChanged(caption_);
}

void Workbench::setWorkDirectory(const std::string& folder) { settings_.workDirectory = folder; }

void Workbench::notifyPoint() {
  if (observer_) observer_->pointChanged();
}

void Workbench::showMessages(const std::vector<std::string>& messages) {
  for (const std::string& message : messages) services_.showMessage(message);
}

bool Workbench::spaceAllows(const BigCount& needed, const std::string& folder) {
  const RunSpace space = runSpace(needed, folder, *disk_);
  return space.fits || services_.askYesNo(runSpaceQuestion(space));
}

// ------------------------------------------------------------------ loading

void Workbench::loadTableWithDialog() {
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
  return readKeepingTable("file " + path,
                          [&] { return changeTable(kStepLoad, [&] { return appendTableFile(path); }); });
}

void Workbench::loadTableFiles(const std::vector<std::string>& paths, const char* step) {
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
  showMessages(result.messages);
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
  if (observer_) observer_->beginTableUpdate();
  table_.removeExtraColumns();
  if (observer_) observer_->endTableUpdate();
}

bool Workbench::ParseTableText(std::string& text, const std::string& source) {
  return readKeepingTable(source, [&] { return parseText(text); });
}

bool Workbench::loadTableBytes(std::string& bytes, const std::string& what) {
  return readKeepingTable(what, [&] {
    const TableReadResult result = readTableBytes(*reader_, what, bytes, fileOptions_);
    showMessages(result.messages);
    if (result.status == TableReadStatus::NotRead) return false;
    selectFirstRow();
    if (!result.read()) return false;
    dropExtraColumnsWithoutRows();
    return true;
  });
}

bool Workbench::parseText(std::string& text) {
  const TableReadResult result = reader_->ParseTableText(text);
  showMessages(result.messages);
  selectFirstRow();
  return result.read();
}

bool Workbench::readKeepingTable(const std::string& what, const std::function<bool()>& read) {
  AnalysisTable::Mark mark = table_.mark();
  const PointState pointBefore = point_;
  const int rowBefore = selectedRow_;
  std::string reason;
  try {
    return read();
  } catch (const std::bad_alloc&) {
    reason = outOfMemoryReason();
  } catch (const std::length_error& e) {
    reason = e.what();
  }
  if (observer_) observer_->beginTableUpdate();
  table_.rollBack(mark);
  point_ = pointBefore;
  selectedRow_ = rowBefore;
  if (observer_) {
    observer_->endTableUpdate();
    observer_->rowSelected(selectedRow_);
  }
  notifyPoint();
  services_.showMessage(cannotReadMessage(what, reason));
  return false;
}

void Workbench::selectFirstRow() {
  if (table_.rowCount() == 0 || selectedRow_ == 0) return;
  selectedRow_ = 0;
  if (observer_) observer_->rowSelected(0);
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
  readKeepingTable("the clipboard", [&] {
    return changeTable(kStepPaste, [&] {
      if (!parseText(text)) return false;
      setCaption(kCaptionNotSaved);
      return true;
    });
  });
}

void Workbench::ClearTable() {
  if (observer_) observer_->beginTableUpdate();
  const bool changes = table_.rowCount() > 0 || table_.columnCount() > kFixedColumns;
  // The rows go into the history as they are, without a copy; the fixed
  // columns keep their captions.
  AnalysisTable cleared;
  for (int column = 0; column < kFixedColumns; ++column) cleared.setCaption(column, table_.caption(column));
  std::swap(table_, cleared);
  shownRows_.clear();  // the rows they named are gone
  if (keepUndoSteps_ && changes) history_.recordTableChange(kStepClear, std::move(cleared), currentView());
  if (observer_) observer_->endTableUpdate();
  selectedRow_ = -1;
  if (observer_) observer_->rowSelected(-1);
  ClearPoint(point_);
  notifyPoint();
  setCaption(kCaptionPlain);
  if (changes && observer_) observer_->tableEdited();
}

// ------------------------------------------------------------------- point

void Workbench::setRowSelected(int row, bool selected) {
  if (!selected) {
    if (row == selectedRow_) selectedRow_ = -1;
    return;
  }
  if (row < 0 || row >= table_.rowCount()) return;
  selectedRow_ = row;
  if (point_.belongs(table_, row)) return;
  SelectPoint(table_, point_, row);
  notifyPoint();
}

void Workbench::setRowChecked(int row, bool checked) {
  if (row < 0 || row >= table_.rowCount()) return;
  const bool flips = table_.isChecked(row) != checked;
  UndoView view = currentView();
  if (setRowCheckFlag(table_, point_, row, checked)) notifyPoint();
  // One row: the step keeps just that row, without a look at the others.
  if (flips) recordFlips(checked ? kStepCheckAnalysis : kStepUncheckAnalysis, {row}, std::move(view));
}

void Workbench::setMineralChecked(int entry, bool checked) {
  if (entry < 0 || entry >= static_cast<int>(point_.minerals.size())) return;
  UndoView view = currentView();
  const std::string name =
      (checked ? "Check " : "Uncheck ") + point_.minerals[static_cast<std::size_t>(entry)].mineral;
  // Only the point's rows can change: the step keeps those that did.
  std::vector<int> flipped = checkMineralAtPoint(table_, point_, entry, checked);
  if (observer_) observer_->checksChanged();
  notifyPoint();
  recordFlips(name, std::move(flipped), std::move(view));
}

void Workbench::toggleSelectedMineralEverywhere() {
  if (selectedRow_ < 0 || selectedRow_ >= table_.rowCount()) return;
  UndoView view = currentView();
  std::vector<int> flipped = toggleMineralEverywhere(table_, point_, selectedRow_);
  if (observer_) observer_->checksChanged();
  notifyPoint();
  recordFlips(kStepUncheckMineral, std::move(flipped), std::move(view));
}

void Workbench::uncheckMineralsEverywhere(const std::vector<std::string>& minerals) {
  if (minerals.empty()) return;
  const std::unordered_set<std::string_view> excluded(minerals.begin(), minerals.end());
  for (int row = 0, n = table_.rowCount(); row < n; ++row)
    if (excluded.count(table_.cell(row, ColMineral))) table_.setChecked(row, false);
  RebuildGroups(table_, point_);
  if (observer_) observer_->checksChanged();
  notifyPoint();
}

TotalFilterResult Workbench::uncheckByTotal(const TotalRange& range, bool currentPointOnly) {
  UndoView view = currentView();
  const TotalFilterResult result =
      currentPointOnly
          ? uncheckByTotalAtPoint(table_, range, table_.findPoint(point_.sample, point_.area))
          : vestrane::uncheckByTotal(table_, range);
  if (result.unchecked > 0) {
    RebuildGroups(table_, point_);
    if (observer_) observer_->checksChanged();
    notifyPoint();
    recordFlips(kStepUncheckByTotal, result.changedRows, std::move(view));
  }
  std::string message;
  for (const std::string& line : totalFilterLines(result)) message += (message.empty() ? "" : "\r\n") + line;
  shownRows_.clear();
  std::vector<int> counted = rowsCounted(result);
  if (counted.empty())
    services_.showMessage(message);
  else if (services_.showMessageOffering(message, "Show"))
    shownRows_ = std::move(counted);
  return result;
}

int Workbench::nextShownRow(int row, bool forward) const {
  const int rows = table_.rowCount();
  const int n = static_cast<int>(shownRows_.size());
  // The first shown row past @p row in that direction, else round from the other end.
  int found = -1;
  for (int i = 0; i < n; ++i) {
    const int r = shownRows_[static_cast<std::size_t>(forward ? i : n - 1 - i)];
    if (r >= rows) continue;
    if (found < 0) found = r;
    if (forward ? r > row : r < row) return r;
  }
  return found;
}

std::vector<int> Workbench::uncheckPoints(const std::vector<int>& points) {
  UndoView view = currentView();
  std::vector<int> flipped;
  for (int point : points)
    for (int row : table_.pointRows(point))
      if (table_.isChecked(row)) {
        table_.setChecked(row, false);
        flipped.push_back(row);
      }
  if (flipped.empty()) return flipped;
  // The groups are rebuilt once, not once for every row.
  RebuildGroups(table_, point_);
  if (observer_) observer_->checksChanged();
  notifyPoint();
  recordFlips(kStepUncheckLacking, flipped, std::move(view));
  return flipped;
}

// --------------------------------------------------------------------- undo

void Workbench::setKeepUndoSteps(bool keep) {
  keepUndoSteps_ = keep;
  if (!keep) history_.clear();
}

UndoView Workbench::currentView() const {
  UndoView view;
  view.caption = caption_;
  view.sample = point_.sample;
  view.area = point_.area;
  view.selectedRow = selectedRow_;
  return view;
}

void Workbench::recordFlips(const std::string& name, std::vector<int> rows, UndoView view) {
  if (keepUndoSteps_ && history_.recordFlips(name, std::move(rows), std::move(view)) && observer_)
    observer_->tableEdited();
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
    if (observer_) observer_->tableEdited();
  }
  return result;
}

void Workbench::undo() { takeStep(true); }

void Workbench::redo() { takeStep(false); }

void Workbench::takeStep(bool back) {
  if (back ? !history_.canUndo() : !history_.canRedo()) return;
  if (observer_) observer_->beginTableUpdate();
  UndoView view = currentView();
  if (back)
    history_.undo(table_, view);
  else
    history_.redo(table_, view);
  renewReader();
  const int row = view.selectedRow >= 0 && view.selectedRow < table_.rowCount() ? view.selectedRow : -1;
  selectedRow_ = row;
  if (observer_) {
    observer_->endTableUpdate();
    observer_->checksChanged();
  }
  // The view may have reported its selection gone while it reloaded.
  selectedRow_ = row;
  if (observer_) observer_->rowSelected(row);
  // The point is built afresh, so its mineral list is what it was, without
  // minerals of rows that are gone again.
  if (view.sample.empty() && view.area.empty())
    ClearPoint(point_);
  else
    makePointCurrent(table_, point_, view.sample, view.area);
  notifyPoint();
  setCaption(view.caption);
  if (observer_) observer_->tableEdited();
}

// -------------------------------------------------------------- generating

void Workbench::generateCombinations(bool allAtOnce, bool separateFiles, Progress* progress) {
  GenerationRun run(table_, point_, selectedRow_, progress);
  if (allAtOnce && separateFiles) {
    const PointsOverview overview = pointsOverview();
    if (overview.allGenerable && !spaceAllows(runBytes(overview, true), settings_.workDirectory)) {
      run.passOver();
      notifyPoint();
      return;
    }
    GenerateResult result = run.separate(settings_.workDirectory);
    // A failed write is said before the point follows the run.
    showMessages(result.messages);
    if (result.movedPoint) notifyPoint();
    if (!result.ok && !result.cancelled) return;
    // A cancelled run says which files it finished: they stay.
    std::string message = result.cancelled ? kMsgCancelledFilesWritten : kMsgFilesWritten;
    for (const std::string& name : result.filesWritten) message += "\r\n" + name;
    services_.showMessage(message);
    return;
  }
  const std::string refusal = allAtOnce ? run.runRefusal() : run.pointRefusal();
  if (!refusal.empty()) {
    services_.showMessage(refusal);
    return;
  }
  FileDialogRequest request;
  request.initialDir = saveDialogInitialDir;
  request.proposedName = allAtOnce ? kCombinedFileName : pointFileName(point_.sample, point_.area);
  request.overwritePrompt = true;
  std::string path;
  if (!services_.askSaveFile(request, path)) {
    if (!allAtOnce) return;
    // Nothing is written; the point shown afterwards is the one a
    // completed run would have left.
    run.passOver();
    notifyPoint();
    return;
  }
  const BigCount needed = allAtOnce ? pointsOverview().combinedBytes : overviewOfPoint(table_, point_).bytes;
  if (!spaceAllows(needed, AtomicFile(path).folderWritten())) {
    if (!allAtOnce) return;
    run.passOver();
    notifyPoint();
    return;
  }
  GenerateResult result = allAtOnce ? run.combinedFile(path) : run.currentPoint(path);
  if (result.movedPoint) notifyPoint();
  showMessages(result.messages);
}

}  // namespace vestrane
