// SPDX-License-Identifier: MIT
#include "combine/Radix.h"

#include "combine/BigCount.h"

namespace vestrane {

void PadText(std::string& text, char padChar, std::uint8_t width, std::uint8_t side) {
  if (text.size() >= width) return;
  std::size_t missing = width - text.size();
  if (side == 0)
    text.insert(0, missing, padChar);
  else if (side == 1)
    text.append(missing, padChar);
}

std::string IntToRadix(std::int32_t value, std::uint8_t radix, char padChar, std::uint8_t width,
                       std::uint8_t side) {
  // The digits of the magnitude are those of any whole number; the sign goes in front.
  const std::uint64_t magnitude =
      value < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(value))
                : static_cast<std::uint64_t>(value);
  std::string text = BigCount(magnitude).toRadix(radix);
  if (value < 0) text.insert(0, 1, '-');
  if (padChar != '\0') PadText(text, padChar, width, side);
  return text;
}

}  // namespace vestrane
