// Platform file: memory hints. Linux has transparent huge pages, asked for
// per region with madvise (marked below); elsewhere the hint does nothing.

#include "platform/core/Memory.h"

#include <cstdint>

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

}  // namespace vestrane
