// Platform file: the only place where UTF-8 path strings become the operating
// system's paths. On Windows std::filesystem needs the UTF-8 marked as such;
// elsewhere the bytes are the native path already. FileBytes maps files with
// the POSIX calls open/fstat/mmap (marked below); on Windows it reads them.

#include "platform/core/Files.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/core/Messages.h"

#ifndef _WIN32
// POSIX: mapping files into memory.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
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

ReadResult readWholeFile(const std::string& path, std::string& out, std::string* reason) {
  out.clear();
  std::error_code ec;
  if (fs::is_directory(nativePath(path), ec)) {
    if (reason) *reason = "is a folder";
    return ReadResult::CannotOpen;
  }
  errno = 0;
  std::ifstream in(nativePath(path), std::ios::binary);
  if (!in.is_open()) {
    if (reason) *reason = lastSystemReason();
    return ReadResult::CannotOpen;
  }
  // Straight into the string: the expected size first, then whatever more
  // there is (a file may grow, or report no size at all).
  std::size_t expected = fileSize(path);
  std::size_t chunk = expected > 0 ? expected + 1 : std::size_t(1) << 16;  // +1 meets the end at once
  while (in) {
    std::size_t used = out.size();
    out.resize(used + chunk);
    in.read(out.data() + used, static_cast<std::streamsize>(chunk));
    out.resize(used + static_cast<std::size_t>(in.gcount()));
    chunk = std::size_t(1) << 20;
  }
  if (in.bad() || !in.eof()) {
    if (reason) *reason = lastSystemReason();
    return ReadResult::ReadError;
  }
  return ReadResult::Ok;
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

ReadResult FileBytes::open(const std::string& path, bool mayMap, std::string* reason) {
  close();
#ifndef _WIN32
  // POSIX: a non-empty regular file is mapped whole, its pages entered at
  // once (MAP_POPULATE where there is one) rather than one fault at a time.
  // Whatever cannot be mapped goes the common way below, which also gives
  // the failures their reasons.
  std::error_code ec;
  if (mayMap && !fs::is_directory(nativePath(path), ec)) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
      struct stat st;
      if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
          static_cast<unsigned long long>(st.st_size) <= static_cast<std::size_t>(-1) / 2) {
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
  ReadResult result = readWholeFile(path, buffer_, reason);
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

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (isSeparator(folder.back())) return folder + name;
  return folder + pathSeparator() + name;
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {}

AtomicFile::~AtomicFile() {
  if (!committed_) cancel();
}

bool AtomicFile::open() {
  std::error_code ec;
  fs::path target = nativePath(path_);
  if (fs::is_directory(target, ec)) {
    error_ = "is a folder";
    return false;
  }
  std::string folder = folderOf(path_);
  if (!folder.empty() && !fs::is_directory(nativePath(folder), ec)) {
    error_ = "folder not found";
    return false;
  }
  if (fs::exists(target, ec) && !fs::is_regular_file(target, ec)) {
    direct_ = true;
    errno = 0;
    out_ = std::make_unique<std::ofstream>(target, std::ios::binary | std::ios::trunc);
    if (!out_->is_open()) {
      error_ = lastSystemReason();
      out_.reset();
      return false;
    }
    return true;
  }
  // A name of our own beside the target, unique within this process and run.
  static std::atomic<unsigned> counter{0};
  auto stamp = static_cast<unsigned long long>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  tempPath_ = path_ + ".~" + std::to_string(stamp % 1000000007ULL) + "-" +
              std::to_string(counter++) + ".tmp";
  errno = 0;
  out_ = std::make_unique<std::ofstream>(nativePath(tempPath_), std::ios::binary | std::ios::trunc);
  if (!out_->is_open()) {
    error_ = lastSystemReason();
    out_.reset();
    tempPath_.clear();
    return false;
  }
  return true;
}

bool AtomicFile::write(std::string_view bytes) {
  if (!out_) return false;
  errno = 0;
  out_->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!*out_) {
    error_ = lastSystemReason();
    return false;
  }
  return true;
}

bool AtomicFile::commit() {
  if (!out_) return false;
  errno = 0;
  out_->flush();
  bool ok = static_cast<bool>(*out_);
  if (!ok) error_ = lastSystemReason();
  out_->close();
  if (ok && out_->fail()) {
    error_ = lastSystemReason();
    ok = false;
  }
  out_.reset();
  if (!ok) {
    cancel();
    return false;
  }
  if (direct_) {
    committed_ = true;
    return true;
  }
  std::error_code ec;
  fs::rename(nativePath(tempPath_), nativePath(path_), ec);
  if (ec) {
    error_ = ec.message();
    cancel();
    return false;
  }
  committed_ = true;
  tempPath_.clear();
  return true;
}

void AtomicFile::cancel() {
  out_.reset();
  if (!tempPath_.empty()) {
    std::error_code ec;
    fs::remove(nativePath(tempPath_), ec);
    tempPath_.clear();
  }
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
