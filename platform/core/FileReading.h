// SPDX-License-Identifier: MIT
#pragma once
// Reading whole files and streams for the engine. Reads are bounded, so that
// a device that never ends cannot fill the memory.

#include <cstddef>
#include <string>
#include <string_view>

namespace vestrane {

enum class ReadResult { Ok, CannotOpen, ReadError };

/// Looks at the first kStreamStartBytes bytes of a stream (a pipe, a device,
/// anything without a size) once they have come in, so that a stream that
/// is plainly not what the caller reads is refused at once instead of being
/// read to the bound. @return the reason for refusing it, or an empty text
/// to read on.
using StreamStartCheck = std::string (*)(std::string_view start);
inline constexpr std::size_t kStreamStartBytes = std::size_t(16) << 20;

/// Reads a whole file into @p out, at most @p limit bytes of it: a file or
/// stream with more (a device such as /dev/zero that never ends) is a read
/// error with the reason tooLargeReason(limit), as is memory running out.
/// A stream is refused as @p check says, when it says so.
ReadResult readWholeFile(const std::string& path, std::string& out, std::size_t limit,
                         std::string* reason = nullptr, StreamStartCheck check = nullptr);

/// Reads standard input to its end into @p out, at most @p limit bytes,
/// with the results and reasons of readWholeFile.
ReadResult readStandardInput(std::string& out, std::size_t limit, std::string* reason = nullptr,
                             StreamStartCheck check = nullptr);

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
                  std::string* reason = nullptr, StreamStartCheck check = nullptr);
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

}  // namespace vestrane
