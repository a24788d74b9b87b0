// SPDX-License-Identifier: MIT
#include "combine/BigCount.h"

#include <algorithm>

#include "combine/Radix.h"

namespace vestrane {

BigCount::BigCount(std::uint64_t value) {
  while (value != 0) {
    limbs_.push_back(static_cast<std::uint32_t>(value));
    value >>= 32;
  }
}

BigCount& BigCount::operator+=(const BigCount& other) {
  if (limbs_.size() < other.limbs_.size()) limbs_.resize(other.limbs_.size(), 0);
  std::uint64_t carry = 0;
  for (std::size_t i = 0; i < limbs_.size(); ++i) {
    if (i >= other.limbs_.size() && carry == 0) break;
    std::uint64_t sum = carry + limbs_[i] + (i < other.limbs_.size() ? other.limbs_[i] : 0u);
    limbs_[i] = static_cast<std::uint32_t>(sum);
    carry = sum >> 32;
  }
  if (carry) limbs_.push_back(static_cast<std::uint32_t>(carry));
  return *this;
}

void BigCount::multiplyLimbs(std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (std::uint32_t& limb : limbs_) {
    std::uint64_t v = static_cast<std::uint64_t>(limb) * factor + carry;
    limb = static_cast<std::uint32_t>(v);
    carry = v >> 32;
  }
  if (carry) limbs_.push_back(static_cast<std::uint32_t>(carry));
}

BigCount& BigCount::operator*=(std::uint64_t factor) {
  if (factor == 0 || limbs_.empty()) {
    limbs_.clear();
    return *this;
  }
  const auto low = static_cast<std::uint32_t>(factor);
  const auto high = static_cast<std::uint32_t>(factor >> 32);
  if (high == 0) {
    multiplyLimbs(low);
    return *this;
  }
  // value * (high * 2^32 + low): the high part shifted by one limb.
  BigCount upper = *this;
  upper.multiplyLimbs(high);
  upper.limbs_.insert(upper.limbs_.begin(), 0u);
  if (low == 0)
    limbs_.clear();
  else
    multiplyLimbs(low);
  return *this += upper;
}

BigCount& BigCount::decrement() {
  for (std::uint32_t& limb : limbs_)
    if (limb-- != 0) break;  // a zero limb borrows from the next
  while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  return *this;
}

std::uint64_t BigCount::toUInt64() const {
  if (limbs_.size() > 2) return ~std::uint64_t{0};
  std::uint64_t v = 0;
  for (std::size_t i = limbs_.size(); i-- > 0;) v = (v << 32) | limbs_[i];
  return v;
}

bool BigCount::atMost(std::uint64_t limit) const { return limbs_.size() <= 2 && toUInt64() <= limit; }

bool BigCount::operator<(const BigCount& other) const {
  if (limbs_.size() != other.limbs_.size()) return limbs_.size() < other.limbs_.size();
  return std::lexicographical_compare(limbs_.rbegin(), limbs_.rend(), other.limbs_.rbegin(),
                                      other.limbs_.rend());
}

std::uint32_t BigCount::divideLimbs(std::uint32_t divisor) {
  std::uint64_t rem = 0;
  for (std::size_t i = limbs_.size(); i-- > 0;) {
    const std::uint64_t cur = (rem << 32) | limbs_[i];
    limbs_[i] = static_cast<std::uint32_t>(cur / divisor);
    rem = cur % divisor;
  }
  while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  return static_cast<std::uint32_t>(rem);
}

std::string BigCount::toRadix(std::uint32_t radix) const {
  if (radix < 2) radix = 2;
  if (radix > 36) radix = 36;
  if (limbs_.empty()) return "0";
  // Several digits at a time: divide by the largest power of the radix
  // that fits 32 bits until nothing is left, then write each chunk's digits.
  std::uint32_t chunk = radix;
  int chunkDigits = 1;
  while (chunk <= 0xFFFFFFFFu / radix) {
    chunk *= radix;
    ++chunkDigits;
  }
  BigCount n = *this;
  std::string digits;  // least significant first
  while (!n.isZero()) {
    std::uint32_t rem = n.divideLimbs(chunk);
    // A chunk below the top one keeps its leading zeros.
    for (int d = 0; d < chunkDigits && (rem != 0 || !n.isZero()); ++d) {
      digits += radixDigit(rem % radix);
      rem /= radix;
    }
  }
  return std::string(digits.rbegin(), digits.rend());
}

}  // namespace vestrane
