// SPDX-License-Identifier: MIT
#pragma once
// The pieces a reader collects about the problems it met, shown together in
// one message at the end. However many problems there are, the message
// stays small enough for a message box that fits any screen: the first
// pieces are kept as they are (a piece of more than a line's worth of bytes
// is cut, visibly), and the others are only counted, in a last line.

#include <cstddef>
#include <string>
#include <string_view>

namespace vestrane {

class CollectedMessages {
 public:
  /// How many pieces the message shows.
  static constexpr std::size_t kShownPieces = 20;
  /// The most bytes of one piece shown, its line break included.
  static constexpr std::size_t kPieceBytes = 80;

  /// Adds one piece, which begins with its line break (a carriage return).
  void add(std::string_view piece);

  bool empty() const { return pieces_ == 0; }
  std::size_t count() const { return pieces_; }
  /// The pieces shown, one after another, then "\r... and N more" for the
  /// N pieces left out.
  std::string text() const;

 private:
  std::string shown_;
  std::size_t pieces_ = 0;
};

}  // namespace vestrane
