// SPDX-License-Identifier: MIT
#pragma once
// The batch tool's standard streams: bytes written whole, and standard error
// as the place where the window's message boxes and a progress line appear.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace vestrane::cli {

/// Writes all of @p bytes to @p stream. @return false when a write failed.
bool writeAll(std::FILE* stream, std::string_view bytes);

/// Standard error: messages, and a progress line that the next message or
/// the end of the run clears again.
class Console {
 public:
  explicit Console(bool terminal) : terminal_(terminal) {}

  bool isTerminal() const { return terminal_; }

  /// One message box's text: CR LF and lone CR become LF, then one LF.
  void message(std::string_view text);

  /// Shows @p line in place of the progress line shown before.
  void showProgress(const std::string& line);

  /// Blanks the progress line, when one is shown.
  void clearProgress();

 private:
  bool terminal_;
  std::size_t shown_ = 0;  ///< the length of the progress line shown
};

}  // namespace vestrane::cli
