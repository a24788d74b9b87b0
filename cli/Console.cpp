// SPDX-License-Identifier: MIT
#include "cli/Console.h"

namespace vestrane::cli {

bool writeAll(std::FILE* stream, std::string_view bytes) {
  return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}

void Console::message(std::string_view text) {
  clearProgress();
  std::string out;
  out.reserve(text.size() + 1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  out += '\n';
  writeAll(stderr, out);
}

void Console::showProgress(const std::string& line) {
  std::string out = "\r" + line;
  if (line.size() < shown_) out.append(shown_ - line.size(), ' ');
  shown_ = line.size();
  writeAll(stderr, out);
  std::fflush(stderr);
}

void Console::clearProgress() {
  if (shown_ == 0) return;
  writeAll(stderr, "\r" + std::string(shown_, ' ') + "\r");
  std::fflush(stderr);
  shown_ = 0;
}

}  // namespace vestrane::cli
