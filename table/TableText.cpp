// SPDX-License-Identifier: MIT
#include "table/TableText.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "table/BitScan.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
// SSE2 (every x86-64 processor has it) scans the whole text sixteen bytes at
// a time; elsewhere the portable eight-byte code does.
#include <emmintrin.h>
#define VESTRANE_SSE2 1
#endif

namespace vestrane {

namespace {

constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
constexpr std::uint64_t kOnes = 0x0101010101010101ull;

std::uint64_t load8(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

// The bytes of @p word equal to @p c: the top bit of each such byte set and
// no other bit (exact, with no carry from one byte into the next).
std::uint64_t bytesEqual(std::uint64_t word, char c) {
  std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(c));
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

/// The first CR, LF or Ctrl-Z in [@p p, @p stop), or @p stop: the end of
/// a run of bytes that move to the table text as they are. Sixteen (or
/// eight) bytes are looked at a time; most lines have none of the three
/// before their end.
const char* nextLineControl(const char* p, const char* stop) {
#ifdef VESTRANE_SSE2
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i sub = _mm_set1_epi8('\x1a');
  for (; stop - p >= 16; p += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
    const __m128i hits = _mm_or_si128(ends, _mm_cmpeq_epi8(v, sub));
    if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits)))
      return p + lowestBit(mask);
  }
#endif
  for (; stop - p >= 8; p += 8) {
    const std::uint64_t word = load8(p);
    const std::uint64_t mask =
        bytesEqual(word, '\r') | bytesEqual(word, '\n') | bytesEqual(word, '\x1a');
    if (mask) return p + lowestBit(mask) / 8;
  }
  while (p < stop && *p != '\r' && *p != '\n' && *p != '\x1a') ++p;
  return p;
}

}  // namespace

// ------------------------------------------------------------ file reading

char* TableTextBuilder::run(const char* in, std::size_t size, char* out) {
  const char* const stop = in + size;
  while (in < stop && !ended_) {
    char c = *in;
    if (pendingCR_) {
      pendingCR_ = false;
      if (c == '\n') {
        out = endLine(out);
        ++in;
        continue;
      }
      // A CR not followed by LF is dropped and the line goes on.
    }
    lineStarted_ = true;
    if (c == '\r') {
      pendingCR_ = true;
      ++in;
    } else if (c == '\n') {
      out = endLine(out);
      ++in;
    } else if (c == '\x1a') {
      if (atLineStart_) {
        ended_ = true;
        lineStarted_ = false;
      } else {
        skipping_ = true;
      }
      ++in;
    } else {
      // A run of ordinary bytes moves in one go (the output may overlap
      // the input when a buffer is converted in place).
      const char* e = nextLineControl(in, stop);
      if (!skipping_) {
        std::memmove(out, in, static_cast<std::size_t>(e - in));
        out += e - in;
        atLineStart_ = false;
      }
      in = e;
    }
  }
  return out;
}

char* TableTextBuilder::endLine(char* out) {
  *out++ = '\r';
  *out++ = '\n';
  lineStarted_ = false;
  atLineStart_ = true;
  skipping_ = false;
  return out;
}

void TableTextBuilder::feed(const char* data, std::size_t size) {
  // Every input byte gives at most two output bytes (an LF becomes CR LF).
  std::size_t used = text_.size();
  text_.resize(used + 2 * size + 2);
  char* end = run(data, size, text_.data() + used);
  text_.resize(static_cast<std::size_t>(end - text_.data()));
}

std::string TableTextBuilder::finish() {
  if (lineStarted_) {
    std::size_t used = text_.size();
    text_.resize(used + 2);
    endLine(text_.data() + used);
  }
  std::string out;
  out.swap(text_);
  *this = TableTextBuilder();
  return out;
}

// ------------------------------------------------------------ line scan

std::string_view LineScanner::cut(std::string_view text, std::size_t& pos, bool& ascii) {
  // One sweep, sixteen (or eight) bytes at a time, finds the line's end (the
  // next CR), the positions of its TABs and whether it has a byte above 127:
  // fields are short, and a search per field or per question would go over
  // the line again and again. ends_ only grows; it is made large enough for
  // a block's TABs before the block.
  std::uint32_t* out = ends_.data();
  std::uint32_t* limit = out + ends_.size();
  auto ensure = [&](std::size_t need) {
    if (static_cast<std::size_t>(limit - out) >= need) return;
    const auto used = static_cast<std::size_t>(out - ends_.data());
    ends_.resize(2 * ends_.size() + need + 64);
    out = ends_.data() + used;
    limit = ends_.data() + ends_.size();
  };
  const char* const base = text.data() + pos;
  const std::size_t n = text.size() - pos;
  std::size_t i = 0;
  std::size_t length = n;
  bool high = false;
#ifdef VESTRANE_SSE2
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i));
    auto tabs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, tab)));
    auto tops = static_cast<unsigned>(_mm_movemask_epi8(v));
    const auto crs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
    if (crs) {
      const unsigned before = (1u << lowestBit(crs)) - 1;
      tabs &= before;
      tops &= before;
      length = i + lowestBit(crs);
    }
    high |= tops != 0;
    ensure(16);
    for (; tabs; tabs &= tabs - 1) *out++ = static_cast<std::uint32_t>(i + lowestBit(tabs));
    if (crs) break;
  }
  if (length == n)
#endif
  {
    for (; i + 8 <= n; i += 8) {
      const std::uint64_t word = load8(base + i);
      std::uint64_t tabs = bytesEqual(word, '\t');
      std::uint64_t tops = word & 0x8080808080808080ull;
      const std::uint64_t crs = bytesEqual(word, '\r');
      if (crs) {
        const std::uint64_t before = (std::uint64_t{1} << lowestBit(crs)) - 1;
        tabs &= before;
        tops &= before;
        length = i + lowestBit(crs) / 8;
      }
      high |= tops != 0;
      ensure(8);
      for (; tabs; tabs &= tabs - 1) *out++ = static_cast<std::uint32_t>(i + lowestBit(tabs) / 8);
      if (crs) break;
    }
    if (length == n) {
      ensure(8);
      for (; i < n && base[i] != '\r'; ++i) {
        if (base[i] == '\t') *out++ = static_cast<std::uint32_t>(i);
        high |= static_cast<unsigned char>(base[i]) >= 0x80;
      }
      length = i;
    }
  }
  ensure(1);
  *out++ = static_cast<std::uint32_t>(length);  // the end closes the last field
  fieldCount_ = static_cast<std::size_t>(out - ends_.data());
  ascii = !high;
  // Past the CR and the byte after it (the LF of table text).
  pos = length == n ? text.size() : std::min(text.size(), pos + length + 2);
  return std::string_view(base, length);
}

// ------------------------------------------------------------ table text check

namespace {

bool isTableTextPart(std::string_view bytes, RowCapacity* capacity) {
  // Table text as it stands: a byte is a CR exactly when the next one is an
  // LF, the first byte is no LF, and there is no Ctrl-Z. Sixteen (or eight)
  // bytes and the ones after each of them are compared at a time; where the
  // capacity is wanted, each CR closes a line whose length is counted.
  const char* p = bytes.data();
  const std::size_t n = bytes.size();
  RowCapacity counted;
  std::size_t lineStart = 0;
  auto lineEnd = [&](std::size_t cr) {
    counted.countLine(cr - lineStart);
    lineStart = cr + 2;
  };
  if (n > 0 && p[0] == '\n') return false;
  std::size_t i = 0;
#ifdef VESTRANE_SSE2
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i sub = _mm_set1_epi8('\x1a');
  for (; i + 16 + 1 <= n; i += 16) {  // sixteen bytes and the one after them
    __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
    __m128i crs = _mm_cmpeq_epi8(here, cr);
    __m128i bad = _mm_or_si128(_mm_xor_si128(crs, _mm_cmpeq_epi8(next, lf)), _mm_cmpeq_epi8(here, sub));
    if (_mm_movemask_epi8(bad)) return false;
    if (capacity)
      for (auto m = static_cast<unsigned>(_mm_movemask_epi8(crs)); m; m &= m - 1) lineEnd(i + lowestBit(m));
  }
#endif
  for (; i + 8 + 1 <= n; i += 8) {
    std::uint64_t here = load8(p + i);
    std::uint64_t crs = bytesEqual(here, '\r');
    if ((crs ^ bytesEqual(load8(p + i + 1), '\n')) | bytesEqual(here, '\x1a')) return false;
    if (capacity)
      for (; crs; crs &= crs - 1) lineEnd(i + lowestBit(crs) / 8);
  }
  for (; i < n; ++i) {
    if (p[i] == '\x1a') return false;
    if ((p[i] == '\r') != (i + 1 < n && p[i + 1] == '\n')) return false;
    if (p[i] == '\r') lineEnd(i);
  }
  if (capacity) {
    if (lineStart < n) lineEnd(n);  // a last line without its CR LF
    *capacity = counted;
  }
  return true;
}

}  // namespace

bool isTableText(std::string_view bytes, RowCapacity* capacity) {
  // A large text is checked in two parts at once, the second in a thread of
  // its own: reading the bytes from memory is what takes the time. The
  // first part ends with the LF of a line end, so the text is table text
  // exactly when both parts are (the second must not begin with an LF, as
  // a text must not), and the capacity of the text is that of both.
  constexpr std::size_t kSplitFrom = std::size_t{4} << 20;
  if (bytes.size() >= kSplitFrom) {
    const std::size_t lf = bytes.find('\n', bytes.size() / 2);
    if (lf != std::string_view::npos && lf + 1 < bytes.size()) {
      const std::string_view first = bytes.substr(0, lf + 1);
      const std::string_view second = bytes.substr(lf + 1);
      RowCapacity firstPart, secondPart;
      bool secondOk = false;
      std::thread other([&] { secondOk = isTableTextPart(second, capacity ? &secondPart : nullptr); });
      const bool firstOk = isTableTextPart(first, capacity ? &firstPart : nullptr);
      other.join();
      if (!firstOk || !secondOk) return false;
      if (capacity) {
        capacity->rows = firstPart.rows + secondPart.rows;
        capacity->bytes = firstPart.bytes + secondPart.bytes;
        capacity->secondFrom = lf + 1;
        capacity->secondRows = secondPart.rows;
        capacity->secondBytes = secondPart.bytes;
      }
      return true;
    }
  }
  return isTableTextPart(bytes, capacity);
}

void tableTextInPlace(std::string& bytes) {
  if (isTableText(bytes)) {
    const std::size_t size = bytes.size();
    if (size > 0 && bytes[size - 1] != '\n') bytes += "\r\n";
    return;
  }
  // The text grows by one byte per LF without a CR before it and by the
  // last line's CR LF; the bytes move up by that much and are converted
  // down into place, the output never overtaking the input.
  const std::size_t size = bytes.size();
  std::size_t extra = 2;
  for (const char* p = bytes.data(); (p = static_cast<const char*>(std::memchr(
                                          p, '\n', size - static_cast<std::size_t>(p - bytes.data()))));
       ++p)
    if (p == bytes.data() || p[-1] != '\r') ++extra;
  bytes.resize(size + extra);
  std::memmove(bytes.data() + extra, bytes.data(), size);
  TableTextBuilder builder;
  char* end = builder.run(bytes.data() + extra, size, bytes.data());
  if (builder.lineStarted_) end = builder.endLine(end);
  bytes.resize(static_cast<std::size_t>(end - bytes.data()));
}

std::string tableTextFromBytes(std::string_view bytes) {
  TableTextBuilder b;
  b.reserve(bytes.size() + bytes.size() / 16 + 2);
  b.feed(bytes.data(), bytes.size());
  return b.finish();
}

RowCapacity countRowCapacity(std::string_view text) {
  RowCapacity capacity;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t cr = text.find('\r', pos);
    const std::size_t end = cr == std::string_view::npos ? text.size() : cr;
    capacity.countLine(end - pos);
    if (cr == std::string_view::npos) break;
    pos = cr + 2;
  }
  return capacity;
}

}  // namespace vestrane
