// Platform file: the only place where UTF-8 path strings become the operating
// system's paths. On Windows std::filesystem needs the UTF-8 marked as such;
// elsewhere the bytes are the native path already. Files and streams are
// read through descriptors with read (POSIX) or _read (Windows); FileBytes
// maps files with the POSIX calls open/fstat/mmap (marked below); on Windows
// it reads them. AtomicFile creates its temporary file exclusively with open
// (POSIX: with the target's mode, owner and group) or _wopen (Windows), and
// writes it through C streams on both; a target naming one of the process's
// descriptors (POSIX only) is written through a copy of that descriptor.

#include "platform/core/Files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>
#include <vector>

#include "platform/core/Memory.h"
#include "platform/core/Messages.h"
#include "platform/core/TemporaryFiles.h"

#ifndef _WIN32
// POSIX: mapping files into memory, creating files with a mode, access tests.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#else
// Windows: creating a file exclusively.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace vestrane {

namespace {

fs::path nativePath(const std::string& path) {
#ifdef _WIN32
  return fs::u8path(path);
#else
  return fs::path(path);
#endif
}

/// A path as UTF-8 bytes: the inverse of nativePath.
std::string bytesOf(const fs::path& path) {
#ifdef _WIN32
  const auto u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
#else
  return path.string();
#endif
}

/// The reason for the failure the system just reported through errno.
std::string lastSystemReason() { return systemReason(errno); }

bool isSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

}  // namespace

char pathSeparator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

namespace {

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
ReadResult readToEnd(int fd, std::string& out, std::size_t limit, std::string* reason) {
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
    // Never more than one byte past the limit, which tells that it was passed.
    try {
      out.reserve(limit + 1);
    } catch (const std::bad_alloc&) {
      // No room held: the string grows as it goes.
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
                         std::string* reason) {
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
  const ReadResult result = readToEnd(fd, out, limit, reason);
  closeDescriptor(fd);
  return result;
}

ReadResult readStandardInput(std::string& out, std::size_t limit, std::string* reason) {
#ifndef _WIN32
  return readToEnd(STDIN_FILENO, out, limit, reason);
#else
  return readToEnd(::_fileno(stdin), out, limit, reason);
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
                           std::string* reason) {
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
  ReadResult result = readWholeFile(path, buffer_, limit, reason);
  view_ = buffer_;
  return result;
}

bool directoryExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(nativePath(path), ec);
}

std::size_t fileSize(const std::string& path) {
  std::error_code ec;
  auto size = fs::file_size(nativePath(path), ec);
  return ec ? 0 : static_cast<std::size_t>(size);
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(nativePath(path), ec);
}

bool pathExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::exists(nativePath(path), ec);
}

std::string folderOf(const std::string& path) {
  std::size_t p = path.size();
  while (p > 0 && !isSeparator(path[p - 1])) --p;
  if (p == 0) return std::string();
  std::string folder = path.substr(0, p - 1);
  // A root keeps its separator: "/" and "C:\".
  if (folder.empty() || (folder.size() == 2 && folder[1] == ':')) folder = path.substr(0, p);
  return folder;
}

std::string fileNameOf(const std::string& path) {
  std::size_t p = path.size();
  while (p > 0 && !isSeparator(path[p - 1])) --p;
  return path.substr(p);
}

std::string replaceExtension(const std::string& path, const std::string& ext) {
  std::size_t nameStart = path.size() - fileNameOf(path).size();
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return path + ext;
  return path.substr(0, dot) + ext;
}

std::string absolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  const fs::path absolute = fs::absolute(nativePath(path), ec);
  if (ec) return path;
  fs::path tidy = absolute.root_path();
  for (const fs::path& part : absolute.relative_path())
    if (!part.empty() && part != ".") tidy /= part;
  // "folder/" and "folder/." keep the separator that says "a folder".
  const fs::path last = absolute.filename();
  if ((last.empty() || last == ".") && tidy.has_relative_path()) tidy /= "";
  return bytesOf(tidy);
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (isSeparator(folder.back())) return folder + name;
  return folder + pathSeparator() + name;
}

namespace {

/// The file that a chain of symbolic links starting at @p path ends at,
/// found by the links' texts; a relative text counts from its link's
/// folder. @p path itself when it is no link.
fs::path followLinks(fs::path path, std::error_code& ec) {
  for (int hops = 0; hops < 40; ++hops) {
    const fs::file_status status = fs::symlink_status(path, ec);
    if (status.type() == fs::file_type::not_found) ec.clear();
    if (ec || status.type() != fs::file_type::symlink) return path;
    fs::path text = fs::read_symlink(path, ec);
    if (ec) return path;
    path = text.is_absolute() ? text : path.parent_path() / text;
  }
  ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return path;
}

/// The descriptor of this process that @p path names, directly or through
/// links: /dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N
/// (or this process's number in place of "self"); -1 when it names none.
int descriptorNamed(fs::path path) {
#ifndef _WIN32
  // POSIX: each step of a chain of links is asked whether it stands in one
  // of the folders of this process's descriptors, found by what they are
  // rather than by their names (/dev/fd is itself a link on Linux).
  auto isFolder = [](const fs::path& folder, const char* other) {
    std::error_code ec;
    return fs::equivalent(folder, other, ec) && !ec;
  };
  for (int hops = 0; hops < 40; ++hops) {
    const std::string name = path.filename().string();
    const fs::path folder = path.parent_path();
    const bool number = !name.empty() && name.size() < 10 &&
                        name.find_first_not_of("0123456789") == std::string::npos;
    if (number && (isFolder(folder, "/dev/fd") || isFolder(folder, "/proc/self/fd")))
      return std::stoi(name);
    if ((name == "stdin" || name == "stdout" || name == "stderr") && isFolder(folder, "/dev"))
      return name == "stdin" ? 0 : name == "stdout" ? 1 : 2;
    std::error_code ec;
    if (fs::symlink_status(path, ec).type() != fs::file_type::symlink) return -1;
    fs::path text = fs::read_symlink(path, ec);
    if (ec) return -1;
    path = text.is_absolute() ? text : path.parent_path() / text;
  }
#else
  // Windows has no such names.
  (void)path;
#endif
  return -1;
}

/// A stream of its own onto what descriptor @p descriptor has open, which
/// writes where that descriptor writes (at its offset, appending where it
/// appends) and whose closing leaves the descriptor open. @return nullptr
/// with errno set when the descriptor is not open for writing.
std::FILE* openDescriptorCopy(int descriptor) {
#ifndef _WIN32
  // POSIX.
  const int flags = ::fcntl(descriptor, F_GETFL);
  if (flags < 0) return nullptr;
  if ((flags & O_ACCMODE) == O_RDONLY) {
    errno = EBADF;
    return nullptr;
  }
  const int copy = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return nullptr;
  std::FILE* file = ::fdopen(copy, "wb");
  if (!file) {
    const int error = errno;
    ::close(copy);
    errno = error;
  }
  return file;
#else
  (void)descriptor;
  errno = EBADF;
  return nullptr;
#endif
}

/// A name for a temporary file: "~" and eight letters or digits, different
/// on every call within a process and, with the time and the address of a
/// local mixed in, most likely between processes too.
std::string temporaryName() {
  static std::atomic<std::uint64_t> calls{0};
  int local = 0;
  std::uint64_t x = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                    (calls.fetch_add(1) * 0x9E3779B97F4A7C15ull) ^
                    static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&local));
  // splitmix64's finaliser spreads every input bit over the result.
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  std::string name = "~";
  for (int i = 0; i < 8; ++i, x /= 36) name += "0123456789abcdefghijklmnopqrstuvwxyz"[x % 36];
  return name + ".tmp";
}

/// Whether this process may write the existing file @p path; the system's
/// reason in @p reason when not.
bool mayWrite(const std::string& path, std::string& reason) {
#ifndef _WIN32
  // POSIX: by the effective user and groups, as opening it would be tried.
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0) return true;
  reason = systemReason(errno);
  return false;
#else
  std::error_code ec;
  const fs::perms perms = fs::status(nativePath(path), ec).permissions();
  if (ec || (perms & fs::perms::owner_write) != fs::perms::none) return true;
  reason = systemReason(EACCES);
  return false;
#endif
}

/// Creates @p path anew for writing; it must not exist yet. A file that
/// replaces @p like gets its mode, owner and group (those the system lets
/// this process give). @return nullptr with errno set on failure.
std::FILE* createExclusive(const std::string& path, const std::string& like) {
#ifndef _WIN32
  // POSIX: created with the target's permission bits, so that its bytes are
  // never readable by more users than the target's, then given its owner,
  // group and whole mode (which the process's umask may have cut).
  struct stat target {};
  const bool replacing = !like.empty() && ::stat(like.c_str(), &target) == 0;
  const mode_t mode = replacing ? (target.st_mode & 0777) : 0666;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return nullptr;
  if (replacing) {
    if (::fchown(fd, target.st_uid, target.st_gid) != 0) {
      const int ignored = ::fchown(fd, static_cast<uid_t>(-1), target.st_gid);
      (void)ignored;
    }
    const int ignored = ::fchmod(fd, target.st_mode & 07777);
    (void)ignored;
  }
  std::FILE* file = ::fdopen(fd, "wb");
  if (!file) {
    const int error = errno;
    ::close(fd);
    ::unlink(path.c_str());
    errno = error;
  }
  return file;
#else
  (void)like;
  const int fd = ::_wopen(nativePath(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                          _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* file = ::_fdopen(fd, "wb");
  if (!file) {
    const int error = errno;
    ::_close(fd);
    ::_wunlink(nativePath(path).c_str());
    errno = error;
  }
  return file;
#endif
}

/// Opens the device or pipe @p path for writing.
std::FILE* openDirect(const std::string& path) {
#ifndef _WIN32
  return std::fopen(path.c_str(), "wb");
#else
  return ::_wfopen(nativePath(path).c_str(), L"wb");
#endif
}

}  // namespace

AtomicFile::AtomicFile(std::string path, Target target) : path_(std::move(path)), target_(target) {}

AtomicFile::~AtomicFile() {
  if (!committed_) cancel();
}

bool freeSpaceOf(const std::string& folder, std::uint64_t& bytes) {
  std::error_code ec;
  const fs::space_info space = fs::space(nativePath(folder), ec);
  // The library gives the largest value for a figure the system did not tell.
  if (ec || space.available == static_cast<std::uintmax_t>(-1)) return false;
  bytes = static_cast<std::uint64_t>(space.available);
  return true;
}

void AtomicFile::fail(int error) { error_ = systemReason(error); }

bool AtomicFile::planTarget() {
  const fs::path target = nativePath(path_);
  std::error_code ec;
  finalPath_ = path_;
  if (target_ == Target::Generated) {
    // The name itself, whatever it is, never what it leads to.
    const fs::file_status status = fs::symlink_status(target, ec);
    switch (status.type()) {
      case fs::file_type::not_found:
      case fs::file_type::regular: return true;
      case fs::file_type::directory: error_ = "is a folder"; return false;
      default:
        if (ec) {
          error_ = ec.message();
          return false;
        }
        error_ = "not a regular file";
        return false;
    }
  }
  // The standard output or another open descriptor of this process, named
  // as such: written as a stream into whatever is open there, never
  // replaced, as "-" writes to standard output.
  descriptor_ = descriptorNamed(target);
  if (descriptor_ >= 0) {
    direct_ = true;
    return true;
  }
  const fs::file_status status = fs::status(target, ec);  // through links
  switch (status.type()) {
    case fs::file_type::directory: error_ = "is a folder"; return false;
    case fs::file_type::not_found:
    case fs::file_type::regular: {
      // A link (or a chain of them) is followed to the file it names, which
      // is replaced where it stands. A link whose text is no path to the
      // file it leads to (/proc/self/fd/1 on a file since deleted or
      // renamed) gets the file written as it is.
      std::error_code linkError;
      const fs::path final = followLinks(target, linkError);
      if (linkError) {
        error_ = linkError.message();
        return false;
      }
      if (status.type() == fs::file_type::regular && !fs::equivalent(final, target, linkError)) {
        direct_ = true;
        return true;
      }
      finalPath_ = bytesOf(final);
      return true;
    }
    case fs::file_type::none:
      error_ = ec ? ec.message() : std::string("input/output error");
      return false;
    default:
      // A device, a pipe, a socket: fed, not replaced.
      direct_ = true;
      return true;
  }
}

std::string AtomicFile::folderWritten() {
  error_.clear();
  direct_ = false;
  descriptor_ = -1;
  const bool planned = planTarget();
  const bool stream = direct_;
  error_.clear();
  direct_ = false;
  descriptor_ = -1;
  return planned && !stream ? folderOf(finalPath_) : std::string();
}

bool AtomicFile::open() {
  error_.clear();
  direct_ = false;
  descriptor_ = -1;
  if (!planTarget()) return false;
  if (direct_) {
    errno = 0;
    out_ = descriptor_ >= 0 ? openDescriptorCopy(descriptor_) : openDirect(path_);
    if (!out_) {
      fail(errno);
      return false;
    }
    return true;
  }
  std::error_code ec;
  const std::string folder = folderOf(finalPath_);
  if (!folder.empty() && !fs::is_directory(nativePath(folder), ec)) {
    error_ = "folder not found";
    return false;
  }
  const bool replacing = fs::exists(nativePath(finalPath_), ec);
  if (replacing && !mayWrite(finalPath_, error_)) return false;

  // A short name of fixed length beside the file, free at the moment it is
  // created (exclusively, so no other writer's file is ever taken over).
  // It is remembered before it exists, so that no signal can come between
  // its creation and the remembering.
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath_ = joinPath(folder, temporaryName());
    remembered_ = rememberTemporaryFile(tempPath_);
    errno = 0;
    out_ = createExclusive(tempPath_, replacing ? finalPath_ : std::string());
    if (out_) {
      std::setvbuf(out_, nullptr, _IOFBF, std::size_t(1) << 16);
      return true;
    }
    const int error = errno;
    forgetTemporaryFile(remembered_);
    remembered_ = -1;
    tempPath_.clear();
    if (error != EEXIST) {
      fail(error);
      return false;
    }
  }
  fail(EEXIST);
  return false;
}

bool AtomicFile::write(std::string_view bytes) {
  if (!out_) return false;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size()) {
    fail(errno);
    return false;
  }
  return true;
}

bool AtomicFile::commit() {
  if (!out_) return false;
  errno = 0;
  bool ok = std::fflush(out_) == 0;
  if (!ok) fail(errno);
  errno = 0;
  const bool closed = std::fclose(out_) == 0;
  out_ = nullptr;
  if (ok && !closed) {
    fail(errno);
    ok = false;
  }
  if (!ok) {
    cancel();
    return false;
  }
  if (direct_) {
    committed_ = true;
    return true;
  }
  std::error_code ec;
  fs::rename(nativePath(tempPath_), nativePath(finalPath_), ec);
  if (ec) {
    error_ = ec.message();
    cancel();
    return false;
  }
  forgetTemporaryFile(remembered_);
  remembered_ = -1;
  committed_ = true;
  tempPath_.clear();
  return true;
}

void AtomicFile::cancel() {
  if (out_) {
    std::fclose(out_);
    out_ = nullptr;
  }
  if (!tempPath_.empty()) {
    std::error_code ec;
    fs::remove(nativePath(tempPath_), ec);
    tempPath_.clear();
  }
  forgetTemporaryFile(remembered_);
  remembered_ = -1;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* reason,
                         bool* created) {
  AtomicFile file(path);
  if (created) *created = false;
  if (!file.open()) {
    if (reason) *reason = file.error();
    return false;
  }
  if (created) *created = true;
  if (!file.write(bytes) || !file.commit()) {
    if (reason) *reason = file.error();
    return false;
  }
  return true;
}

}  // namespace vestrane
