// SPDX-License-Identifier: MIT
// Platform file: files and streams are read through descriptors with read
// (POSIX) or _read (Windows); FileBytes maps files with the POSIX calls
// open/fstat/mmap (marked below); on Windows it reads them.

#include "platform/core/FileReading.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>

#include "platform/core/Memory.h"
#include "platform/core/Messages.h"
#include "platform/core/NativePath.h"

#ifndef _WIN32
// POSIX: reading descriptors, mapping files into memory.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#else
// Windows: reading descriptors.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace vestrane {

namespace {

/// The reason for the failure the system just reported through errno.
std::string lastSystemReason() { return systemReason(errno); }

int openForReading(const std::string& path) {
#ifndef _WIN32
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
#else
  return ::_wopen(nativePath(path).c_str(), _O_RDONLY | _O_BINARY);
#endif
}

void closeDescriptor(int fd) {
#ifndef _WIN32
  ::close(fd);
#else
  ::_close(fd);
#endif
}

/// Reads at most @p size bytes; -1 with errno set on an error.
long long readSome(int fd, char* data, std::size_t size) {
#ifndef _WIN32
  for (;;) {
    const ssize_t got = ::read(fd, data, size);
    if (got >= 0 || errno != EINTR) return got;
  }
#else
  return ::_read(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
#endif
}

/// The bytes a regular file open at @p fd still has from where it stands;
/// 0 for anything else (a pipe, a device), which tells no size.
std::size_t bytesLeft(int fd) {
#ifndef _WIN32
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) return 0;
  const off_t at = ::lseek(fd, 0, SEEK_CUR);
  return at >= 0 && at < st.st_size ? static_cast<std::size_t>(st.st_size - at) : 0;
#else
  struct _stat64 st {};
  if (::_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFREG) == 0 || st.st_size <= 0) return 0;
  const long long at = ::_lseeki64(fd, 0, SEEK_CUR);
  return at >= 0 && at < st.st_size ? static_cast<std::size_t>(st.st_size - at) : 0;
#endif
}

/// Whether @p fd is open on a regular file.
bool isRegularFile(int fd) {
#ifndef _WIN32
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
#else
  struct _stat64 st {};
  return ::_fstat64(fd, &st) == 0 && (st.st_mode & _S_IFREG) != 0;
#endif
}

/// Reads @p fd to its end into @p out, at most @p limit bytes. A file of
/// known size is read straight into a string of that size. Whatever has no
/// size (a pipe, a device) or grows is read into a string that holds room
/// for the limit from the start: only address space, whose pages the
/// system gives as they are filled, so the bytes are never moved to a
/// larger buffer on the way. Pieces that grow to 16 MiB are filled by as
/// few reads as the input allows, and nothing is converted while reading,
/// so a stream comes in as fast as its writer gives it and a device that
/// never ends (/dev/zero) meets the limit at the speed of memory. Where the
/// system will not hold that room, the string grows as it goes.
ReadResult readToEnd(int fd, std::string& out, std::size_t limit, std::string* reason,
                     StreamStartCheck check) {
  out.clear();
  auto refuse = [&](const std::string& why) {
    out.clear();
    out.shrink_to_fit();
    if (reason) *reason = why;
    return ReadResult::ReadError;
  };
  auto failed = [&](int error) {
    out.clear();
    out.shrink_to_fit();
    if (reason) *reason = systemReason(error);
    return ReadResult::ReadError;
  };
  const std::size_t expected = bytesLeft(fd);
#ifdef F_SETPIPE_SZ
  // Linux: a pipe of a megabyte instead of 64 KiB wakes reader and writer
  // far less often; where it cannot be had, the pipe stays as it is.
  if (expected == 0) ::fcntl(fd, F_SETPIPE_SZ, 1 << 20);
#endif
  if (expected > limit) return refuse(tooLargeReason(limit));
  try {
    // The expected size and one byte more, which meets the end at once.
    std::size_t used = 0;
    if (expected > 0) {
      out.reserve(expected + 1);
      adviseLargePages(out.data(), out.capacity());
      out.resize(expected + 1);
      for (long long got = 1; got > 0 && used < out.size(); used += static_cast<std::size_t>(got)) {
        errno = 0;
        got = readSome(fd, out.data() + used, out.size() - used);
        if (got < 0) return failed(errno);
      }
      if (used < out.size()) {
        out.resize(used);
        return ReadResult::Ok;
      }
    }
    // Never more than one byte past the limit, which tells that it was
    // passed. A stream's room is held at once; a regular file that was
    // empty or grew while it was read holds none, so a small file never
    // asks for the limit's gigabytes. Where reserved memory is committed
    // at once (Windows), the room is at most kStreamRoom.
#ifdef _WIN32
    constexpr std::size_t kStreamRoom = std::size_t(256) << 20;
#else
    constexpr std::size_t kStreamRoom = static_cast<std::size_t>(-1);
#endif
    constexpr std::size_t kLargePageRoom = std::size_t(512) << 20;
    if (!isRegularFile(fd)) {
      try {
        out.reserve(std::min(limit, kStreamRoom - 1) + 1);
        // Large pages for the size most tables have: fewer faults as the
        // blocks come in. Not for the whole room, which a stream that
        // never ends fills to the limit.
        adviseLargePages(out.data(), std::min(out.capacity(), kLargePageRoom));
      } catch (const std::bad_alloc&) {
        // No room held: the string grows as it goes.
      }
    }
    std::size_t chunk = std::size_t(1) << 20;
    for (long long got = 1; got > 0;) {
      if (used > limit) return refuse(tooLargeReason(limit));
      chunk = std::min(chunk, limit + 1 - used);
      out.resize(used + chunk);
      std::size_t n = 0;
      while (n < chunk) {
        errno = 0;
        got = readSome(fd, out.data() + used + n, chunk - n);
        if (got < 0) return failed(errno);
        if (got == 0) break;
        n += static_cast<std::size_t>(got);
      }
      used += n;
      out.resize(used);
      if (check && used >= kStreamStartBytes && used - n < kStreamStartBytes) {
        const std::string why = check(std::string_view(out.data(), kStreamStartBytes));
        if (!why.empty()) return refuse(why);
      }
      chunk = std::min(2 * chunk, std::size_t(16) << 20);
    }
    if (used > limit) return refuse(tooLargeReason(limit));
  } catch (const std::bad_alloc&) {
    return refuse(outOfMemoryReason());
  }
  return ReadResult::Ok;
}

}  // namespace

ReadResult readWholeFile(const std::string& path, std::string& out, std::size_t limit,
                         std::string* reason, StreamStartCheck check) {
  out.clear();
  std::error_code ec;
  if (fs::is_directory(nativePath(path), ec)) {
    if (reason) *reason = "is a folder";
    return ReadResult::CannotOpen;
  }
  errno = 0;
  const int fd = openForReading(path);
  if (fd < 0) {
    if (reason) *reason = lastSystemReason();
    return ReadResult::CannotOpen;
  }
  const ReadResult result = readToEnd(fd, out, limit, reason, check);
  closeDescriptor(fd);
  return result;
}

ReadResult readStandardInput(std::string& out, std::size_t limit, std::string* reason,
                             StreamStartCheck check) {
#ifndef _WIN32
  return readToEnd(STDIN_FILENO, out, limit, reason, check);
#else
  return readToEnd(::_fileno(stdin), out, limit, reason, check);
#endif
}

FileBytes::~FileBytes() { close(); }

void FileBytes::close() {
#ifndef _WIN32
  if (map_) ::munmap(map_, mapSize_);
#endif
  map_ = nullptr;
  mapSize_ = 0;
  buffer_.clear();
  buffer_.shrink_to_fit();
  view_ = std::string_view();
}

std::string FileBytes::takeString() {
  std::string out;
  if (map_)
    out.assign(view_.data(), view_.size());
  else
    out.swap(buffer_);
  close();
  return out;
}

ReadResult FileBytes::open(const std::string& path, bool mayMap, std::size_t limit,
                           std::string* reason, StreamStartCheck check) {
  close();
#ifndef _WIN32
  // POSIX: a non-empty regular file is mapped whole, its pages entered at
  // once (MAP_POPULATE where there is one) rather than one fault at a time.
  // Whatever cannot be mapped goes the common way below, which also gives
  // the failures their reasons.
  // Only a regular file is opened here: a FIFO opened and closed again
  // would lose what a writer put in it meanwhile.
  std::error_code ec;
  if (mayMap && fs::is_regular_file(nativePath(path), ec)) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
      struct stat st;
      if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
          static_cast<unsigned long long>(st.st_size) <= limit) {
        auto size = static_cast<std::size_t>(st.st_size);
        int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
        flags |= MAP_POPULATE;
#endif
        void* p = ::mmap(nullptr, size, PROT_READ, flags, fd, 0);
        if (p != MAP_FAILED) {
          map_ = p;
          mapSize_ = size;
          view_ = std::string_view(static_cast<const char*>(p), size);
        }
      }
      ::close(fd);
      if (map_) return ReadResult::Ok;
    }
  }
#else
  (void)mayMap;
#endif
  ReadResult result = readWholeFile(path, buffer_, limit, reason, check);
  view_ = buffer_;
  return result;
}

}  // namespace vestrane
