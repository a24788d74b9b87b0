#pragma once
// Writing the combinations of a point: every way to take exactly one checked
// analysis of each mineral that has one, the first mineral varying slowest.
// Each combination is a block of lines, one per mineral, whose Area cell
// carries the combination's index in base 36. Output is streamed to a sink,
// so memory does not grow with the number of combinations.

#include <string>
#include <string_view>
#include <vector>

#include "combine/Points.h"
#include "platform/core/Files.h"
#include "platform/core/Services.h"
#include "table/AnalysisTable.h"

namespace vestrane {

/// Where generated text goes.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool write(std::string_view bytes) = 0;
  /// Writes @p buffer and leaves it empty. A sink may hand back another
  /// buffer in its place instead of copying the bytes.
  virtual bool take(std::string& buffer) {
    const bool ok = write(buffer);
    buffer.clear();
    return ok;
  }
  /// The reason of the last failure.
  virtual std::string error() const { return std::string(); }
};

/// A sink that streams into a file that replaces its target only when it
/// is committed.
class FileSink : public ByteSink {
 public:
  explicit FileSink(AtomicFile& file) : file_(file) {}
  bool write(std::string_view bytes) override { return file_.write(bytes); }
  std::string error() const override { return file_.error(); }

 private:
  AtomicFile& file_;
};

/// A sink that collects everything in memory.
class StringSink : public ByteSink {
 public:
  std::string text;
  bool write(std::string_view bytes) override {
    text.append(bytes.data(), bytes.size());
    return true;
  }
};

/// The file name of a point: Sample and Area joined by "_" ("-" values left
/// out), with space, double quote, * , / : ; < > ? backslash | and control
/// characters replaced by "-", and ".tab" appended.
std::string PointFileName(std::string_view sample, std::string_view area);

/// Writes point texts to a sink through a buffer.
class CombinationWriter {
 public:
  CombinationWriter(const AnalysisTable& table, ByteSink& sink, Progress* progress = nullptr)
      : table_(table), sink_(sink), progress_(progress) {}
  ~CombinationWriter() = default;

  /// For progress reports: which point of how many is being written.
  void setPointProgress(long long done, long long total) {
    pointsDone_ = done;
    pointsTotal_ = total;
  }

  /// Appends the text of the current point of @p state: the header line when
  /// @p withHeader, then the lines of every combination. The count must be
  /// at least 1 and fit 32 bits. @return false when the sink failed or the
  /// run was cancelled.
  bool GeneratePoint(const PointState& state, bool withHeader);

  /// Appends raw text (the header of a run without points).
  bool writeText(std::string_view text);

  /// Writes what is buffered to the sink. @return false when the sink failed.
  bool flush();

  long long linesWritten() const { return lines_; }
  bool cancelled() const { return cancelled_; }
  bool failed() const { return failed_; }

 private:
  bool EmitCombinations(const PointState& state);
  bool append(std::string_view bytes);
  bool tick();

  const AnalysisTable& table_;
  ByteSink& sink_;
  Progress* progress_;
  std::string buffer_;
  // Scratch space of EmitCombinations, reused from point to point: the
  // bytes of every chosen row's line, where each line's head, tail and end
  // lie in them, and where each group's lines begin.
  struct Line {
    std::size_t head;
    std::size_t tail;
    std::size_t end;
  };
  std::string lineStore_;
  std::vector<Line> rowLines_;
  std::vector<std::size_t> groupStart_;
  long long lines_ = 0;
  long long nextReport_ = 0;
  long long pointsDone_ = 0;
  long long pointsTotal_ = 1;
  bool cancelled_ = false;
  bool failed_ = false;
};

}  // namespace vestrane
