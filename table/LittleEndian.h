// SPDX-License-Identifier: MIT
#pragma once
// Little-endian integers in the bytes of binary files (compound files and
// the records of .xls workbooks). The caller checks that the bytes are there.

#include <cstdint>
#include <string_view>

namespace vestrane {

inline std::uint16_t read16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}

inline std::uint32_t read32(std::string_view b, std::size_t at) {
  return read16(b, at) | static_cast<std::uint32_t>(read16(b, at + 2)) << 16;
}

}  // namespace vestrane
