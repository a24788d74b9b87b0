// SPDX-License-Identifier: MIT
// Platform file: memory hints and sizes. Linux has transparent huge pages,
// asked for per region with madvise (marked below); elsewhere the hint does
// nothing. The physical memory comes from sysconf on POSIX systems and from
// GlobalMemoryStatusEx on Windows; the process's limits from getrlimit
// (POSIX).

#include "platform/core/Memory.h"

#include <algorithm>
#include <cstdint>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vestrane {

void adviseLargePages(void* data, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Linux/POSIX: only whole large pages inside the block can be backed by
  // one, so a block smaller than a few of them is left alone; the advice
  // covers the block's whole 4 KiB pages, which madvise requires.
  constexpr std::uintptr_t kLargePage = std::uintptr_t{1} << 21;
  constexpr std::uintptr_t kPage = 4096;
  if (data == nullptr || size < 2 * kLargePage) return;
  const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kPage - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)size;
#endif
}

std::size_t memoryForData() {
  std::uint64_t bytes = 0;
#if defined(_WIN32)
  // Windows: the physical memory.
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (GlobalMemoryStatusEx(&status)) bytes = status.ullTotalPhys;
#else
  // POSIX: the physical memory, and the limits on address space and data.
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0)
    bytes = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
  for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
    struct rlimit limit {};
    if (::getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        (bytes == 0 || limit.rlim_cur < bytes))
      bytes = static_cast<std::uint64_t>(limit.rlim_cur);
  }
#endif
  return static_cast<std::size_t>(std::min<std::uint64_t>(bytes, SIZE_MAX));
}

}  // namespace vestrane
