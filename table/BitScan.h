// SPDX-License-Identifier: MIT
#pragma once
// The bit scan of the fast text loops (TAB text and CSV), which find the
// bytes with a rule of their own many at a time.

#include <cstdint>

namespace vestrane {

/// The index of the lowest set bit of a non-zero @p mask.
inline unsigned lowestBit(std::uint64_t mask) {
#if defined(__GNUC__) || defined(__clang__)
  return static_cast<unsigned>(__builtin_ctzll(mask));
#else
  unsigned n = 0;
  while (!(mask & 1)) {
    mask >>= 1;
    ++n;
  }
  return n;
#endif
}

}  // namespace vestrane
