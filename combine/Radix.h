// SPDX-License-Identifier: MIT
#pragma once
// Whole numbers as digit text in radix 2 to 36 (digits 0-9, then A-Z), and
// the base 36 in which combination indices are written.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vestrane {

/// The radix of combination indices and of the max index text.
inline constexpr unsigned kIndexRadix = 36;

/// The digit of @p value (0 to 35): 0-9, then A-Z.
constexpr char radixDigit(unsigned value) {
  return static_cast<char>(value < 10 ? '0' + value : 'A' + (value - 10));
}

/// Pads @p text in place to @p width with @p padChar: side 0 in front, side 1
/// behind, any other side not at all. Longer text is never cut.
void PadText(std::string& text, char padChar, std::uint8_t width, std::uint8_t side);

/// Integer to text in radix 2..36 (digits 0-9 then A-Z), optionally padded
/// with @p padChar to @p width on the left (side 0) or the right (side 1).
/// A NUL @p padChar means no padding.
std::string IntToRadix(std::int32_t value, std::uint8_t radix, char padChar, std::uint8_t width,
                       std::uint8_t side);

/// Counts the digit text @p digits (0-9, A-Z) up by one in @p radix, in
/// place and keeping its width: the last digit turns fastest, and a text
/// of nothing but the highest digit turns into zeros.
inline void countUp(std::string& digits, unsigned radix) {
  for (std::size_t k = digits.size(); k-- > 0;) {
    char& d = digits[k];
    const unsigned next =
        (d <= '9' ? static_cast<unsigned>(d - '0') : static_cast<unsigned>(d - 'A') + 10) + 1;
    if (next < radix) {
      d = radixDigit(next);
      return;
    }
    d = '0';
  }
}

}  // namespace vestrane
