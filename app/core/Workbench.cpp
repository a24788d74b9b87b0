#include "app/core/Workbench.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "combine/BackgroundSink.h"
#include "combine/CombinationWriter.h"
#include "combine/PointFileName.h"
#include "platform/core/Files.h"
#include "platform/core/Memory.h"
#include "platform/core/Messages.h"
#include "table/TableWriter.h"

namespace vestrane {

std::size_t tableSizeLimit() {
  constexpr std::size_t kLeast = std::size_t(64) << 20;
  return std::max(memoryForData() / 4, kLeast);
}

Workbench::Workbench(Settings& settings, Services& services)
    : settings_(settings), services_(services), reader_(table_, settings.aliases, services) {
  reader_.onBeginUpdate = [this] {
    if (observer_) observer_->beginTableUpdate();
  };
  reader_.onEndUpdate = [this] {
    if (observer_) observer_->endTableUpdate();
  };
}

void Workbench::setDialogFoldersFromSettings() {
  saveDialogInitialDir = settings_.path;
  openDialogInitialDir = settings_.path;
}

void Workbench::setCaption(const std::string& caption) {
  caption_ = caption;
  if (observer_) observer_->captionChanged(caption_);
}

void Workbench::setWorkDirectory(const std::string& folder) { settings_.path = folder; }

void Workbench::notifyPoint() {
  if (observer_) observer_->pointChanged();
}

void Workbench::reportWriteError(const std::string& path, const std::string& reason) {
  services_.showMessage(cannotWriteMessage(path, reason));
}

// ------------------------------------------------------------------ loading

void Workbench::loadTableWithDialog() {
  FileDialogRequest request;
  request.initialDir = openDialogInitialDir;
  request.proposedName = openDialogFileName;
  std::string path;
  if (!services_.askOpenFile(request, path)) return;
  openDialogFileName = path;
  LoadTableFile(path);
}

bool Workbench::LoadTableFile(const std::string& path) {
  FileBytes file;
  std::string reason;
  ReadResult read = file.open(path, mapTableFiles_, tableSizeLimit(), &reason);
  if (read == ReadResult::CannotOpen) {
    services_.showMessage(kMsgCannotOpen + path);
    return false;
  }
  if (read == ReadResult::ReadError) {
    services_.showMessage(cannotReadFileMessage(path, reason));
    return false;
  }
  const bool parsed = readKeepingTable("file " + path, [&] {
    // A file whose lines all end with CR LF, the last one included, is its
    // own table text and is parsed where it lies; any other is converted in
    // a buffer of its own first.
    std::string_view bytes = file.bytes();
    RowCapacity capacity;
    bool ok;
    if (bytes.size() >= 2 && bytes.back() == '\n' && IsTableText(bytes, &capacity)) {
      ok = reader_.ParseTableView(bytes, &capacity);
      file.close();
    } else {
      std::string text = file.takeString();
      TableTextInPlace(text);
      ok = reader_.ParseTableText(text);
    }
    selectFirstRow();
    return ok;
  });
  if (!parsed) return false;

  setWorkDirectory(folderOf(path));
  saveDialogInitialDir = settings_.path;
  if (table_.rowCount() == 0) {
    if (table_.columnCount() > kFixedColumns) {
      if (observer_) observer_->beginTableUpdate();
      table_.removeExtraColumns();
      if (observer_) observer_->endTableUpdate();
    }
  } else {
    setCaption(std::string("Vestrane - ") + fileNameOf(path));
  }
  return true;
}

bool Workbench::ParseTableText(std::string& text, const std::string& source) {
  return readKeepingTable(source, [&] {
    const bool ok = reader_.ParseTableText(text);
    selectFirstRow();
    return ok;
  });
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
  request.proposedName = openDialogFileName;
  request.overwritePrompt = true;
  std::string path;
  if (!services_.askSaveFile(request, path)) return;
  SaveTableTo(path);
}

bool Workbench::SaveTableTo(const std::string& path) {
  AtomicFile file(path);
  if (!file.open()) {
    reportWriteError(path, file.error());
    return false;
  }
  FileSink sink(file);
  bool ok = SerializeTable(table_, sink);
  if (!ok || !file.commit()) {
    reportWriteError(path, file.error());
    file.cancel();
    return false;
  }
  setWorkDirectory(folderOf(path));
  openDialogInitialDir = settings_.path;
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
  if (ParseTableText(text, "the clipboard")) setCaption(kCaptionNotSaved);
}

void Workbench::ClearTable() {
  if (observer_) observer_->beginTableUpdate();
  table_.clearRows();
  table_.removeExtraColumns();
  if (observer_) observer_->endTableUpdate();
  selectedRow_ = -1;
  if (observer_) observer_->rowSelected(-1);
  ClearPoint(point_);
  notifyPoint();
  setCaption(kCaptionPlain);
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
  if (SetRowChecked(table_, point_, row, checked)) notifyPoint();
}

void Workbench::setMineralChecked(int entry, bool checked) {
  CheckMineralAtPoint(table_, point_, entry, checked);
  if (observer_) observer_->checksChanged();
  notifyPoint();
}

void Workbench::toggleSelectedMineralEverywhere() {
  if (selectedRow_ < 0 || selectedRow_ >= table_.rowCount()) return;
  ToggleMineralEverywhere(table_, point_, selectedRow_);
  if (observer_) observer_->checksChanged();
  notifyPoint();
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

// -------------------------------------------------------------- generating

void Workbench::generateCombinations(bool allAtOnce, bool separateFiles, Progress* progress) {
  if (allAtOnce) {
    if (separateFiles) {
      GenerateResult result = generateSeparate(settings_.path, progress);
      if (!result.ok) return;
      std::string message = kMsgFilesWritten;
      for (const std::string& name : result.filesWritten) message += "\r\n" + name;
      services_.showMessage(message);
      return;
    }
    std::vector<RunPoint> points = pointsOfRun();
    if (!checkRunCounts(points)) return;
    FileDialogRequest request;
    request.initialDir = saveDialogInitialDir;
    request.proposedName = kCombinedFileName;
    request.overwritePrompt = true;
    std::string path;
    if (!services_.askSaveFile(request, path)) {
      // Nothing is written; the point shown afterwards is the one a
      // completed run would have left.
      if (selectedRow_ < 0 && !points.empty()) enterPoint(points.back());
      finishRun();
      return;
    }
    AtomicFile file(path);
    if (!file.open()) {
      reportWriteError(path, file.error());
      return;
    }
    FileSink sink(file);
    GenerateResult result = generateCombined(sink, progress);
    if (!result.ok) {
      // A cancelled run or a failed write drops the file with `file`.
      if (result.writeFailed) reportWriteError(path, file.error());
      return;
    }
    if (!file.commit()) reportWriteError(path, file.error());
    return;
  }

  if (point_.count.isZero() || (point_.count.fitsInt32() && point_.count.toInt32() < 2)) {
    services_.showMessage(kMsgLessThan2);
    return;
  }
  if (!point_.count.fitsInt32()) {
    services_.showMessage("Error: too many combinations (" + point_.countText + ")!");
    return;
  }
  FileDialogRequest request;
  request.initialDir = saveDialogInitialDir;
  request.proposedName = PointFileName(point_.sample, point_.area);
  request.overwritePrompt = true;
  std::string path;
  if (!services_.askSaveFile(request, path)) return;
  generateSinglePoint(path, progress);
}

GenerateResult Workbench::generateSinglePoint(const std::string& path, Progress* progress) {
  GenerateResult result;
  AtomicFile file(path);
  if (!file.open()) {
    services_.showMessage(cannotWriteFileMessage(path, file.error()));
    result.ok = false;
    result.writeFailed = true;
    return result;
  }
  FileSink sink(file);
  BackgroundSink background(sink);
  CombinationWriter writer(table_, background, progress);
  bool ok = writer.GeneratePoint(point_, true) && writer.flush() && background.finish();
  result.lines = writer.linesWritten();
  result.points = 1;
  if (writer.cancelled()) {
    result.ok = false;
    result.cancelled = true;
    return result;
  }
  if (!ok || !file.commit()) {
    reportWriteError(path, file.error());
    result.ok = false;
    result.writeFailed = true;
  }
  return result;
}

std::vector<Workbench::RunPoint> Workbench::pointsOfRun() const {
  // Samples in the order they first occur among the checked rows, and within
  // each sample its areas in the same order; values are told apart exactly.
  std::vector<std::vector<int>> pointsBySample;
  std::unordered_map<std::string_view, std::size_t> sampleIndex;
  std::vector<char> seen(static_cast<std::size_t>(table_.pointCount()), 0);
  for (int row = 0, n = table_.rowCount(); row < n; ++row) {
    if (!table_.isChecked(row)) continue;
    int p = table_.pointOf(row);
    if (seen[static_cast<std::size_t>(p)]) continue;
    seen[static_cast<std::size_t>(p)] = 1;
    auto [it, inserted] = sampleIndex.try_emplace(table_.cell(row, ColSample), pointsBySample.size());
    if (inserted) pointsBySample.emplace_back();
    pointsBySample[it->second].push_back(row);
  }
  std::vector<RunPoint> points;
  for (const auto& rows : pointsBySample)
    for (int row : rows)
      points.push_back({table_.cell(row, ColSample), table_.cell(row, ColArea), table_.pointOf(row)});
  return points;
}

bool Workbench::checkRunCounts(const std::vector<RunPoint>& points) {
  for (const RunPoint& p : points) {
    ComboCount count = PointComboCount(table_, p.point);
    if (!count.fitsInt32()) {
      services_.showMessage("Error: too many combinations (" + count.toDecimal() + ") at sample " +
                            std::string(p.sample) + ", area " + std::string(p.area) + "!");
      return false;
    }
  }
  return true;
}

void Workbench::enterPoint(const RunPoint& p) { MakePointCurrent(table_, point_, p.point); }

void Workbench::finishRun() {
  if (selectedRow_ >= 0 && selectedRow_ < table_.rowCount() && !point_.belongs(table_, selectedRow_))
    MakePointCurrent(table_, point_, table_.cell(selectedRow_, ColSample),
                     table_.cell(selectedRow_, ColArea));
  notifyPoint();
}

GenerateResult Workbench::generateCombined(ByteSink& sink, Progress* progress) {
  GenerateResult result;
  std::vector<RunPoint> points = pointsOfRun();
  if (!checkRunCounts(points)) {
    result.ok = false;
    return result;
  }
  // The file is written in the background while the points are generated.
  BackgroundSink background(sink);
  CombinationWriter writer(table_, background, progress);
  const auto total = static_cast<long long>(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    enterPoint(points[i]);
    writer.setPointProgress(static_cast<long long>(i), total);
    if (!writer.GeneratePoint(point_, i == 0)) break;
    ++result.points;
  }
  bool flushed = !writer.cancelled() && writer.flush() && background.finish();
  result.lines = writer.linesWritten();
  result.cancelled = writer.cancelled();
  result.writeFailed = writer.failed() || (!result.cancelled && !flushed);
  result.ok = !result.cancelled && !result.writeFailed;
  if (result.ok || result.cancelled)
    finishRun();
  else
    notifyPoint();
  return result;
}

GenerateResult Workbench::generateSeparate(const std::string& folder, Progress* progress) {
  GenerateResult result;
  std::vector<RunPoint> points = pointsOfRun();
  if (!checkRunCounts(points)) {
    result.ok = false;
    return result;
  }
  const auto total = static_cast<long long>(points.size());
  RunFileNames names;
  for (std::size_t i = 0; i < points.size(); ++i) {
    enterPoint(points[i]);
    std::string name = names.take(PointFileName(points[i].sample, points[i].area));
    std::string path = joinPath(folder, name);
    AtomicFile file(path, AtomicFile::Target::Generated);
    if (!file.open()) {
      // A file that cannot be created is skipped; the window says nothing.
      result.filesSkipped.push_back({name, file.error()});
      continue;
    }
    FileSink sink(file);
    CombinationWriter writer(table_, sink, progress);
    writer.setPointProgress(static_cast<long long>(i), total);
    bool ok = writer.GeneratePoint(point_, true) && writer.flush();
    result.lines += writer.linesWritten();
    if (writer.cancelled()) {
      result.ok = false;
      result.cancelled = true;
      break;
    }
    if (!ok || !file.commit()) {
      reportWriteError(path, file.error());
      result.ok = false;
      result.writeFailed = true;
      notifyPoint();
      return result;
    }
    ++result.points;
    result.filesWritten.push_back(name);
  }
  finishRun();
  return result;
}

}  // namespace vestrane
