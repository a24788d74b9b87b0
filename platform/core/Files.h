#pragma once
// File access for the engine. Paths are UTF-8 byte strings on every platform;
// the conversion to the operating system's path type happens in Files.cpp and
// nowhere else. Writes go to a temporary file beside the target that replaces
// the target only once everything was written, so a crash or a full disk
// never leaves a truncated file in place of a good one.

#include <cstddef>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

namespace vestrane {

enum class ReadResult { Ok, CannotOpen, ReadError };

/// Reads a whole file into @p out.
ReadResult readWholeFile(const std::string& path, std::string& out, std::string* reason = nullptr);

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

  /// Opens @p path. With @p mayMap the file may be mapped: faster on large
  /// files, but a file cut short by another program while it is being read
  /// then ends the process with a bus error instead of a read error, so
  /// only a caller that can take that (the batch tool, which handles the
  /// signal) asks for it.
  ReadResult open(const std::string& path, bool mayMap, std::string* reason = nullptr);
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

/// The folder of @p path: everything before its last path separator, without
/// that separator unless the folder is a root ("/" or "C:\").
std::string folderOf(const std::string& path);

/// The file name of @p path without its folder.
std::string fileNameOf(const std::string& path);

/// @p path with its extension (from the last dot of the file name on) replaced
/// by @p ext, which includes the dot.
std::string replaceExtension(const std::string& path, const std::string& ext);

/// The platform's path separator character.
char pathSeparator();

/// Joins a folder and a file name with the platform's separator.
std::string joinPath(const std::string& folder, const std::string& name);

/// A file written whole and then put in place of the target in one step.
/// A target that exists but is no regular file (a device such as /dev/null,
/// a pipe) is written directly instead: it cannot be replaced, only fed.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);
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

  const std::string& path() const { return path_; }
  /// The system's reason for the last failure, or empty.
  const std::string& error() const { return error_; }

 private:
  std::string path_;
  std::string tempPath_;
  std::unique_ptr<std::ofstream> out_;
  std::string error_;
  bool committed_ = false;
  bool direct_ = false;  // the target is a device or pipe: written as it is
};

/// Writes @p bytes to @p path atomically. @return false with @p reason set on failure;
/// @p created tells whether the file could be created at all.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* reason,
                         bool* created = nullptr);

}  // namespace vestrane
