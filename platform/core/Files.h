#pragma once
// File access for the engine. Paths are UTF-8 byte strings on every platform;
// the conversion to the operating system's path type happens in Files.cpp and
// nowhere else. Writes go to a temporary file beside the target that replaces
// the target only once everything was written, so a crash, a signal or a full
// disk never leaves a truncated file in place of a good one. Reads are
// bounded, so that a device that never ends cannot fill the memory.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace vestrane {

enum class ReadResult { Ok, CannotOpen, ReadError };

/// Reads a whole file into @p out, at most @p limit bytes of it: a file or
/// stream with more (a device such as /dev/zero that never ends) is a read
/// error with the reason tooLargeReason(limit), as is memory running out.
ReadResult readWholeFile(const std::string& path, std::string& out, std::size_t limit,
                         std::string* reason = nullptr);

/// Reads standard input to its end into @p out, at most @p limit bytes,
/// with the results and reasons of readWholeFile.
ReadResult readStandardInput(std::string& out, std::size_t limit, std::string* reason = nullptr);

/// A whole file's bytes, read-only, for one pass over a large file. Where
/// the system allows, a regular file is mapped into memory instead of being
/// copied into a buffer: no page of it is zero-filled or copied, and the
/// pages come from the system's file cache. Anything else (a pipe, a device,
/// a failed mapping) is read into a buffer as readWholeFile does, with the
/// same results and reasons on failure.
class FileBytes {
 public:
  FileBytes() = default;
  ~FileBytes();
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  /// Opens @p path, of at most @p limit bytes (as readWholeFile). With
  /// @p mayMap the file may be mapped: faster on large files, but a file
  /// cut short by another program while it is being read then ends the
  /// process with a bus error instead of a read error, so only a caller
  /// that can take that (the batch tool, which handles the signal) asks
  /// for it.
  ReadResult open(const std::string& path, bool mayMap, std::size_t limit,
                  std::string* reason = nullptr);
  std::string_view bytes() const { return view_; }
  /// Whether the bytes are a mapping of the file rather than a buffer.
  bool mapped() const { return map_ != nullptr; }
  /// The bytes as a string of their own, taken over from the buffer when
  /// there is one; the file's bytes are released either way.
  std::string takeString();
  /// Releases the bytes.
  void close();

 private:
  void* map_ = nullptr;
  std::size_t mapSize_ = 0;
  std::string buffer_;
  std::string_view view_;
};

bool directoryExists(const std::string& path);
/// Size of a regular file in bytes; 0 when it has none or cannot be asked.
std::size_t fileSize(const std::string& path);
bool fileExists(const std::string& path);
/// Whether anything of that name exists (a file, a folder, a device; a
/// link counts when what it leads to exists).
bool pathExists(const std::string& path);

/// The folder of @p path: everything before its last path separator, without
/// that separator unless the folder is a root ("/" or "C:\").
std::string folderOf(const std::string& path);

/// The file name of @p path without its folder.
std::string fileNameOf(const std::string& path);

/// @p path with its extension (from the last dot of the file name on) replaced
/// by @p ext, which includes the dot.
std::string replaceExtension(const std::string& path, const std::string& ext);

/// @p path made absolute against the current folder. Only "." components
/// and doubled separators are dropped: a ".." is left for the system to
/// resolve, since "link/.." is the folder above the link's target, which
/// cutting "link/.." from the text would not give. Unchanged when empty or
/// when the current folder cannot be read.
std::string absolutePath(const std::string& path);

/// The platform's path separator character.
char pathSeparator();

/// Joins a folder and a file name with the platform's separator.
std::string joinPath(const std::string& folder, const std::string& name);

/// The bytes this process may still write on the file system that holds
/// @p folder. @return false when the system does not tell.
bool freeSpaceOf(const std::string& folder, std::uint64_t& bytes);

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
