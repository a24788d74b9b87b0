// SPDX-License-Identifier: MIT
#pragma once
// An unsigned whole number of any size. The lines and bytes a run would
// write are sums of products of group sizes and line lengths, which outgrow
// 64 bits long before the groups do; they are worked out exactly here.

#include <cstdint>
#include <string>
#include <vector>

namespace vestrane {

class BigCount {
 public:
  BigCount() = default;
  explicit BigCount(std::uint64_t value);

  BigCount& operator+=(const BigCount& other);
  BigCount& operator*=(std::uint64_t factor);
  /// Divides by @p divisor (not zero), dropping the remainder.
  BigCount& operator/=(std::uint32_t divisor) {
    divideLimbs(divisor);
    return *this;
  }

  /// Subtracts one; the value must not be zero.
  BigCount& decrement();

  bool isZero() const { return limbs_.empty(); }
  /// Whether the value is at most @p limit.
  bool atMost(std::uint64_t limit) const;
  /// The value, or the largest 64-bit value when it is larger.
  std::uint64_t toUInt64() const;
  /// The value in decimal, without separators.
  std::string toDecimal() const { return toRadix(10); }
  /// The value in radix 2 to 36 (digits 0-9, then A-Z).
  std::string toRadix(std::uint32_t radix) const;

  bool operator==(const BigCount& other) const { return limbs_ == other.limbs_; }
  bool operator!=(const BigCount& other) const { return limbs_ != other.limbs_; }
  bool operator<(const BigCount& other) const;

 private:
  void multiplyLimbs(std::uint32_t factor);
  /// Divides by @p divisor (not zero). @return the remainder.
  std::uint32_t divideLimbs(std::uint32_t divisor);
  std::vector<std::uint32_t> limbs_;  // little-endian base 2^32, no leading zero limb
};

}  // namespace vestrane
