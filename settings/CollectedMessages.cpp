// SPDX-License-Identifier: MIT
#include "settings/CollectedMessages.h"

namespace vestrane {

void CollectedMessages::add(std::string_view piece) {
  if (pieces_++ >= kShownPieces) return;
  if (piece.size() <= kPieceBytes) {
    shown_.append(piece.data(), piece.size());
    return;
  }
  // Cut where no UTF-8 sequence is split, so what is left reads as it was.
  std::size_t end = kPieceBytes;
  while (end > 1 && (static_cast<unsigned char>(piece[end]) & 0xC0) == 0x80) --end;
  shown_.append(piece.data(), end);
  shown_ += "...";
}

std::string CollectedMessages::text() const {
  if (pieces_ <= kShownPieces) return shown_;
  return shown_ + "\r... and " + std::to_string(pieces_ - kShownPieces) + " more";
}

}  // namespace vestrane
