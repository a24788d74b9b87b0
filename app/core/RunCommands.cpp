// SPDX-License-Identifier: MIT
// "Generate Combinations" as a Workbench command: the dialogs and messages
// around a GenerationRun over the table.
#include "app/core/Workbench.h"
#include "combine/PointFileName.h"
#include "combine/RunSpace.h"
#include "platform/core/AtomicFile.h"

namespace vestrane {

void Workbench::generateCombinations(bool allAtOnce, bool separateFiles, Progress* progress) {
  Command command(*this);
  GenerationRun run(table_, point_, document_.selectedRow(), progress);
  if (allAtOnce && separateFiles) {
    const PointsOverview overview = pointsOverview();
    if (overview.allGenerable && !spaceAllows(runBytes(overview, true), settings_.workDirectory)) {
      run.passOver();
      notifyPoint();
      return;
    }
    GenerateResult result = run.separate(settings_.workDirectory);
    // A failed write is shown before the point follows the run.
    showMessages(result.messages);
    if (result.movedPoint) notifyPoint();
    if (!result.ok && !result.cancelled) return;
    // A cancelled run says which files it finished: they stay.
    std::string message = result.cancelled ? kMsgCancelledFilesWritten : kMsgFilesWritten;
    for (const std::string& name : result.filesWritten) message += "\r\n" + name;
    say(message);
    return;
  }
  const std::string refusal = allAtOnce ? run.runRefusal() : run.pointRefusal();
  if (!refusal.empty()) {
    say(refusal);
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
  sayAll(result.messages);
}

}  // namespace vestrane
