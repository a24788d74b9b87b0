// SPDX-License-Identifier: MIT
#include "platform/core/HttpResponse.h"

#include <algorithm>

#include "platform/core/Text.h"

namespace vestrane {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

/// A whole number of @p base digits and nothing else; false on overflow
/// past @p limit.
bool readNumber(std::string_view text, int base, std::size_t limit, std::size_t& value) {
  if (text.empty()) return false;
  value = 0;
  for (char c : text) {
    const int digit = digitValue(c, base);
    if (digit < 0) return false;
    if (value > (limit - static_cast<std::size_t>(digit)) / static_cast<std::size_t>(base))
      return false;
    value = value * static_cast<std::size_t>(base) + static_cast<std::size_t>(digit);
  }
  return true;
}

/// The end of the blank line that closes a response head in @p head,
/// searched from @p from; npos when it has not come yet.
std::size_t headEnd(const std::string& head, std::size_t from) {
  for (std::size_t i = head.find('\n', from); i != std::string::npos; i = head.find('\n', i + 1)) {
    if (i + 1 < head.size() && head[i + 1] == '\n') return i + 2;
    if (i + 2 < head.size() && head[i + 1] == '\r' && head[i + 2] == '\n') return i + 3;
  }
  return std::string::npos;
}

}  // namespace

HttpResponse::State HttpResponse::fail() { return state_ = State::Failed; }

HttpResponse::State HttpResponse::complete() { return state_ = State::Complete; }

bool HttpResponse::takeBody(std::string_view bytes) {
  if (bytes.size() > maxBody_ - body_.size()) return false;
  body_.append(bytes.data(), bytes.size());
  return true;
}

bool HttpResponse::takeLine(std::string_view& bytes) {
  const std::size_t lf = bytes.find('\n');
  const std::size_t taken = lf == std::string_view::npos ? bytes.size() : lf + 1;
  lineBytes_ += taken;
  if (lineBytes_ > kMaxResponseHeadBytes) {
    fail();
    return false;
  }
  line_.append(bytes.data(), lf == std::string_view::npos ? bytes.size() : lf);
  bytes.remove_prefix(taken);
  if (lf == std::string_view::npos) return false;
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  // Each chunk's size line is bounded by itself, the trailer lines together.
  if (part_ != Part::Trailer) lineBytes_ = 0;
  return true;
}

bool HttpResponse::readHead() {
  std::string_view rest(head_);
  bool first = true;
  bool chunked = false;
  lengthKnown_ = false;
  cookies_.clear();
  while (!rest.empty()) {
    const std::size_t lf = rest.find('\n');
    std::string_view line = rest.substr(0, lf);
    rest.remove_prefix(lf == std::string_view::npos ? rest.size() : lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      // "HTTP/1.1 200 OK"
      first = false;
      if (line.compare(0, 5, "HTTP/") != 0) return false;
      const std::size_t space = line.find(' ');
      std::size_t code = 0;
      if (space == std::string_view::npos ||
          !readNumber(line.substr(space + 1, 3), 10, 999, code) || code < 100)
        return false;
      status_ = static_cast<int>(code);
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) continue;
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = trimControls(line.substr(colon + 1));
    if (equalsNoCase(name, "Content-Length")) {
      std::size_t length = 0;
      if (!readNumber(value, 10, static_cast<std::size_t>(-1), length)) return false;
      if (lengthKnown_ && length != remaining_) return false;
      lengthKnown_ = true;
      remaining_ = length;
    } else if (equalsNoCase(name, "Transfer-Encoding")) {
      const std::size_t comma = value.rfind(',');
      chunked = equalsNoCase(trimControls(value.substr(comma == std::string_view::npos ? 0 : comma + 1)),
                             "chunked");
    } else if (equalsNoCase(name, "Set-Cookie")) {
      cookies_.emplace_back(value);
    }
  }
  if (first) return false;
  if (chunked) {
    lengthKnown_ = false;
    part_ = Part::ChunkSize;
  } else {
    part_ = Part::Body;
  }
  return true;
}

HttpResponse::State HttpResponse::feed(std::string_view bytes) {
  while (state_ == State::Reading && !bytes.empty()) {
    switch (part_) {
      case Part::Head: {
        // Collected up to one byte over the limit, then looked at.
        const std::size_t before = head_.size();
        const std::size_t room = kMaxResponseHeadBytes + 1 - before;
        head_.append(bytes.data(), std::min(room, bytes.size()));
        const std::size_t end = headEnd(head_, before >= 2 ? before - 2 : 0);
        if (end == std::string::npos) {
          if (head_.size() > kMaxResponseHeadBytes) return fail();
          bytes.remove_prefix(head_.size() - before);
          break;
        }
        bytes.remove_prefix(end - before);
        head_.resize(end);
        if (!readHead()) return fail();
        head_.clear();
        if (status_ < 200) {
          // An interim answer (100 Continue): the real one follows.
          part_ = Part::Head;
          break;
        }
        if (status_ == 204 || status_ == 304) return complete();
        if (lengthKnown_) {
          if (remaining_ > maxBody_) return fail();
          if (remaining_ == 0) return complete();
        }
        break;
      }
      case Part::Body: {
        const std::size_t n = lengthKnown_ ? std::min(remaining_, bytes.size()) : bytes.size();
        if (!takeBody(bytes.substr(0, n))) return fail();
        bytes.remove_prefix(n);
        if (lengthKnown_ && (remaining_ -= n) == 0) return complete();
        break;
      }
      case Part::ChunkSize: {
        if (!takeLine(bytes)) break;
        std::string_view size = line_;
        size = trimControls(size.substr(0, size.find(';')));
        if (!readNumber(size, 16, static_cast<std::size_t>(-1), remaining_)) return fail();
        line_.clear();
        if (remaining_ > maxBody_ - body_.size()) return fail();
        part_ = remaining_ == 0 ? Part::Trailer : Part::ChunkData;
        lineBytes_ = 0;
        break;
      }
      case Part::ChunkData: {
        const std::size_t n = std::min(remaining_, bytes.size());
        if (!takeBody(bytes.substr(0, n))) return fail();
        bytes.remove_prefix(n);
        if ((remaining_ -= n) == 0) part_ = Part::ChunkEnd;
        break;
      }
      case Part::ChunkEnd:
        if (!takeLine(bytes)) break;
        if (!line_.empty()) return fail();
        part_ = Part::ChunkSize;
        break;
      case Part::Trailer: {
        if (!takeLine(bytes)) break;
        const bool blank = line_.empty();
        line_.clear();
        if (blank) return complete();
        break;
      }
    }
  }
  return state_;
}

HttpResponse::State HttpResponse::closed() {
  if (state_ != State::Reading) return state_;
  if (part_ == Part::Body && !lengthKnown_) return complete();
  return fail();
}

}  // namespace vestrane
