// SPDX-License-Identifier: MIT
// Platform file: AtomicFile creates its temporary file exclusively with open
// (POSIX: with the target's mode, owner and group) or _wopen (Windows), and
// writes it through C streams on both; a target naming one of the process's
// descriptors (POSIX only) is written through a copy of that descriptor.

#include "platform/core/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "platform/core/Messages.h"
#include "platform/core/NativePath.h"
#include "platform/core/Paths.h"
#include "platform/core/TemporaryFiles.h"

#ifndef _WIN32
// POSIX: creating files with a mode, copying descriptors, access tests.
#include <fcntl.h>
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
