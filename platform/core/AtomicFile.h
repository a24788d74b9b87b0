// SPDX-License-Identifier: MIT
#pragma once
// Writing files whole. Writes go to a temporary file beside the target that
// replaces the target only once everything was written, so a crash, a signal
// or a full disk never leaves a truncated file in place of a good one.

#include <cstdio>
#include <string>
#include <string_view>

namespace vestrane {

/// A file written whole and then put in place of the target in one step.
/// The bytes go to a temporary file beside the target, of a short name of
/// fixed length (so that any target name the system allows can have one),
/// which a signal that ends the process removes (see TemporaryFiles.h).
/// A target that is replaced keeps its mode, and its owner and group where
/// the system lets this process give them; a target this process may not
/// write is not replaced.
class AtomicFile {
 public:
  /// Where the target's name comes from.
  enum class Target {
    /// Named by the user (an output option, a save dialog, the settings
    /// file): a symbolic link is followed and the file it leads to is
    /// replaced; a device or a pipe (a FIFO, /dev/null) is written as it
    /// is, since it cannot be replaced, only fed. A name of one of this
    /// process's open descriptors (/dev/stdout, /dev/stderr, /dev/fd/N,
    /// /proc/self/fd/N) is written as a stream into what is open there,
    /// whatever that is: a file that standard output appends to is
    /// appended to, never replaced.
    Named,
    /// Made up by the program (a point's file): only a regular file of
    /// that name is replaced; a link, a pipe, a device or a folder in its
    /// place is never written through, and the file counts as one that
    /// could not be created.
    Generated,
  };

  explicit AtomicFile(std::string path, Target target = Target::Named);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  /// Creates the temporary file. @return false when the target cannot be
  /// created (missing folder, a folder of that name, no permission).
  bool open();
  bool write(std::string_view bytes);
  /// Flushes, closes and renames over the target. @return false on any error;
  /// the target then still holds its previous content.
  bool commit();
  /// Drops what was written; the target is untouched.
  void cancel();

  /// The folder whose file system open() would write the file into: that
  /// of the file replaced or created (where links lead). Empty when the
  /// target is written as a stream (an open descriptor, a device, a pipe)
  /// or cannot be written at all.
  std::string folderWritten();

  /// The target as named.
  const std::string& path() const { return path_; }
  /// The system's reason for the last failure, or empty.
  const std::string& error() const { return error_; }

 private:
  /// Finds the file to replace (finalPath_) or finds that the target is
  /// written directly (direct_). @return false with error_ set.
  bool planTarget();
  void fail(int error);

  std::string path_;
  Target target_;
  std::string finalPath_;  ///< the file replaced: the target, or where its links lead
  std::string tempPath_;
  std::FILE* out_ = nullptr;
  int remembered_ = -1;    ///< the temporary file's handle in TemporaryFiles
  std::string error_;
  bool committed_ = false;
  bool direct_ = false;    ///< the target is a device or pipe: written as it is
  int descriptor_ = -1;    ///< the open descriptor the target names, or -1
};

/// Writes @p bytes to @p path atomically. @return false with @p reason set on failure;
/// @p created tells whether the file could be created at all.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* reason,
                         bool* created = nullptr);

}  // namespace vestrane
