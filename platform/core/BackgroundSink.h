// SPDX-License-Identifier: MIT
#pragma once
// Writing a large output beside generating it: the system's work of taking
// the bytes into a file (copying them, allocating the file's pages) goes on
// in a thread of its own while the next megabyte of combinations is built.

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "platform/core/ByteSink.h"

namespace vestrane {

/// Passes everything to @p target in the order given. Small pieces are
/// written at once; from the first large one on, buffers are handed to a
/// writing thread (swapped, not copied), at most one waiting while one is
/// written. A failure of the target shows at the next take() or at
/// finish(), and nothing is written after it.
class BackgroundSink : public ByteSink {
 public:
  explicit BackgroundSink(ByteSink& target) : target_(target) {}
  /// Stops the thread; a buffer still waiting is dropped (the run was
  /// cancelled or failed; a finished one called finish()).
  ~BackgroundSink() override;
  BackgroundSink(const BackgroundSink&) = delete;
  BackgroundSink& operator=(const BackgroundSink&) = delete;

  bool write(std::string_view bytes) override;
  bool take(std::string& buffer) override;
  /// Waits until everything handed over is written. @return false when a
  /// write failed.
  bool finish();
  std::string error() const override;

  /// Pieces of this size and more go to the thread.
  static constexpr std::size_t kLargePiece = std::size_t{1} << 18;

 private:
  void run();

  ByteSink& target_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string waiting_;  ///< the buffer handed over, not yet taken by the thread
  bool hasWaiting_ = false;
  bool writing_ = false;  ///< the thread is writing a buffer
  bool stop_ = false;
  bool failed_ = false;
  std::string error_;
};

}  // namespace vestrane
