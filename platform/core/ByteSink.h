// SPDX-License-Identifier: MIT
#pragma once
// Where bytes going out are handed: a file, memory, standard output or a
// writing thread. Whatever writes a table or combinations writes to a
// ByteSink and does not need to know which.

#include <string>
#include <string_view>

#include "platform/core/AtomicFile.h"

namespace vestrane {

/// Takes bytes in the order given.
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

}  // namespace vestrane
