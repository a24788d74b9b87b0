// SPDX-License-Identifier: MIT
#include "cli/RunOutput.h"

#include <cerrno>
#include <cstdio>
#include <string_view>

#include "platform/core/ByteSink.h"
#include "platform/core/Messages.h"
#include "platform/core/Paths.h"
#include "table/TableWriter.h"

namespace vestrane::cli {

namespace {

/// Generated text for standard output.
class StandardOutputSink : public ByteSink {
 public:
  bool write(std::string_view bytes) override {
    errno = 0;
    if (writeAll(stdout, bytes)) return true;
    error_ = systemReason(errno);
    return false;
  }
  std::string error() const override { return error_; }

 private:
  std::string error_;
};

}  // namespace

bool writeCombined(GenerationRun& run, const std::string& target, Console& console) {
  if (target == kStandardStream) {
    StandardOutputSink sink;
    GenerateResult result = run.combined(sink);
    console.clearProgress();
    for (const std::string& message : result.messages) console.message(message);
    errno = 0;
    if (result.writeFailed || (result.ok && std::fflush(stdout) != 0)) {
      const std::string reason = result.writeFailed ? sink.error() : systemReason(errno);
      console.message(cannotWriteMessage("standard output", reason));
      return false;
    }
    return result.ok;
  }
  GenerateResult result = run.combinedFile(target);
  console.clearProgress();
  for (const std::string& message : result.messages) console.message(message);
  return result.ok;
}

bool writeSeparate(GenerationRun& run, const std::string& folder, Console& console) {
  if (!directoryExists(folder)) {
    console.message(cannotWriteMessage(folder, "folder not found"));
    return false;
  }
  GenerateResult result = run.separate(folder);
  console.clearProgress();
  for (const std::string& message : result.messages) console.message(message);

  std::string listing;
  for (const std::string& name : result.filesWritten) listing += name + "\n";
  errno = 0;
  bool listed = writeAll(stdout, listing) && std::fflush(stdout) == 0;
  if (!listed) console.message(cannotWriteMessage("standard output", systemReason(errno)));
  if (!result.ok) return false;

  // The window skips a point file that cannot be created without a word;
  // here that is a failure of the run, and named.
  for (const SkippedFile& skipped : result.filesSkipped)
    console.message(cannotWriteMessage(joinPath(folder, skipped.name), skipped.reason));
  return result.filesSkipped.empty() && listed;
}

bool writeTable(Workbench& bench, const std::string& target, Console& console) {
  // As "Save": a table without rows is not written; here that is a
  // failure, and said.
  if (bench.table().rowCount() == 0) {
    const std::string what = target == kStandardStream ? "standard output" : target;
    console.message(cannotWriteMessage(what, "the table has no rows"));
    return false;
  }
  if (target != kStandardStream) return bench.saveTableTo(target);
  StandardOutputSink sink;
  errno = 0;
  bool ok = SerializeTable(bench.table(), sink) && std::fflush(stdout) == 0;
  if (!ok) {
    console.message(cannotWriteMessage("standard output", systemReason(errno)));
    return false;
  }
  return true;
}

}  // namespace vestrane::cli
