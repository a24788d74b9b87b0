// SPDX-License-Identifier: MIT
#include "table/CsvText.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "table/BitScan.h"
#include "table/CellText.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
// SSE2 (every x86-64 processor has it) converts sixteen plain bytes at a
// time; elsewhere the byte loop does it all.
#include <emmintrin.h>
#define VESTRANE_SSE2 1
#endif

namespace vestrane {

namespace {

/// Converts delimited text to table text, record by record, into a buffer
/// that grows up to the limit.
class CsvConverter {
 public:
  CsvConverter(char delimiter, std::size_t limit, std::string& text)
      : delimiter_(delimiter), limit_(limit), text_(text) {
    // The bytes that end a run of plain bytes: those with a rule of their
    // own. The delimiter is plain (it only becomes a TAB); a quote ends the
    // run, as it may begin a quoted field, which only the caller can tell.
    for (unsigned char c : {'"', '\r', '\n', '\x1a'}) stop_[c] = true;
    if (delimiter != '\t') stop_[static_cast<unsigned char>('\t')] = true;
  }

  /// Converts @p bytes, at most @p maxRecords records of them, starting
  /// with a buffer of @p initial bytes. @return false past the limit.
  bool run(std::string_view bytes, std::size_t maxRecords, std::size_t initial);
  /// Records the last run ended with a line end.
  std::size_t records() const { return records_; }

 private:
  /// Makes room for @p bytes more output bytes. @return false past the limit.
  bool room(std::size_t bytes) {
    if (static_cast<std::size_t>(end_ - out_) >= bytes) return true;
    return grow(bytes);
  }
  bool grow(std::size_t bytes);
  bool put(char c) {
    if (!room(1)) return false;
    *out_++ = c;
    return true;
  }
  /// Copies plain bytes from @p in on, the delimiter becoming TAB, up to a
  /// byte with a rule of its own (or the end of input or output room).
  const char* copyPlain(const char* in, const char* end);
  /// Reads the quoted field whose opening quote is at @p in into the output.
  /// @return where the input goes on, or nullptr past the limit.
  const char* quoted(const char* in, const char* end);

  const char delimiter_;
  const std::size_t limit_;
  std::string& text_;
  char* out_ = nullptr;
  char* end_ = nullptr;
  bool stop_[256] = {};
  std::size_t records_ = 0;
};

bool CsvConverter::grow(std::size_t bytes) {
  const std::size_t used = static_cast<std::size_t>(out_ - text_.data());
  if (bytes > limit_ || used > limit_ - bytes) return false;
  std::size_t size = std::max(used + bytes + 64, 2 * text_.size());
  if (size > limit_) size = limit_;
  text_.resize(size);
  out_ = text_.data() + used;
  end_ = text_.data() + text_.size();
  return true;
}

const char* CsvConverter::copyPlain(const char* in, const char* end) {
#ifdef VESTRANE_SSE2
  // Sixteen bytes at a time: stored with each delimiter made a TAB, then
  // the output moves on up to the first byte with a rule of its own.
  if (end - in >= 16 && room(16)) {
    const __m128i delimiter = _mm_set1_epi8(delimiter_);
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i sub = _mm_set1_epi8('\x1a');
    // A TAB has a rule of its own unless it is the delimiter (the probe then
    // looks for a quote once more, which finds nothing new).
    const __m128i tabRule = _mm_set1_epi8(delimiter_ == '\t' ? '"' : '\t');
    while (end - in >= 16 && room(16)) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
      const __m128i isDelimiter = _mm_cmpeq_epi8(v, delimiter);
      const __m128i converted =
          _mm_or_si128(_mm_andnot_si128(isDelimiter, v), _mm_and_si128(isDelimiter, tab));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out_), converted);
      const __m128i special =
          _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, cr)),
                       _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, sub)),
                                    _mm_cmpeq_epi8(v, tabRule)));
      const auto mask = static_cast<unsigned>(_mm_movemask_epi8(special));
      if (mask) {
        const unsigned plain = lowestBit(mask);
        out_ += plain;
        return in + plain;
      }
      in += 16;
      out_ += 16;
    }
  }
#endif
  const std::size_t n =
      std::min(static_cast<std::size_t>(end - in), static_cast<std::size_t>(end_ - out_));
  std::size_t i = 0;
  for (; i < n; ++i) {
    const char c = in[i];
    if (stop_[static_cast<unsigned char>(c)]) break;
    out_[i] = c == delimiter_ ? '\t' : c;
  }
  out_ += i;
  return in + i;
}

const char* CsvConverter::quoted(const char* in, const char* end) {
  const char* p = in + 1;
  for (;;) {
    // Up to the closing quote; a doubled quote stands for one; a quote
    // never closed takes the rest of the input.
    const std::size_t left = static_cast<std::size_t>(end - p);
    const auto* q = static_cast<const char*>(std::memchr(p, '"', left));
    const bool doubled = q && q + 1 < end && q[1] == '"';
    const char* stop = !q ? end : doubled ? q + 1 : q;
    const auto size = static_cast<std::size_t>(stop - p);
    if (!room(size)) return nullptr;
    out_ = copyFieldText(out_, std::string_view(p, size));
    if (!doubled) return q ? q + 1 : end;
    p = q + 2;
  }
}

bool CsvConverter::run(std::string_view bytes, std::size_t maxRecords, std::size_t initial) {
  const char* in = bytes.data();
  const char* const end = in + bytes.size();
  if (bytes.size() >= 3 && std::memcmp(in, "\xEF\xBB\xBF", 3) == 0) in += 3;
  text_.clear();
  text_.resize(std::min(initial, limit_));
  out_ = text_.data();
  end_ = out_ + text_.size();

  std::size_t records = 0;
  const char* record = in;       // where the record begins
  const char* recordBody = in;   // the record past the CRs dropped at its start
  bool fieldStart = true;
  while (in < end && records < maxRecords) {
    if (fieldStart && *in == '"') {
      in = quoted(in, end);
      if (!in) return false;
      fieldStart = false;
      continue;
    }
    const char* from = in;
    in = copyPlain(in, end);
    if (in != from) fieldStart = in[-1] == delimiter_;
    if (in == end) break;
    const char c = *in;
    if (c == '"' && fieldStart) continue;
    if (c == '\n' || (c == '\r' && in + 1 < end && in[1] == '\n')) {
      if (!room(2)) return false;
      *out_++ = '\r';
      *out_++ = '\n';
      in += c == '\n' ? 1 : 2;
      record = recordBody = in;
      fieldStart = true;
      ++records;
    } else if (c == '\r') {
      // A CR alone is dropped, as if it were not there.
      if (in == recordBody) ++recordBody;
      ++in;
    } else if (c == '\x1a' && in == recordBody) {
      break;  // the end-of-file mark of old editors
    } else {
      // A TAB that is no delimiter and a Ctrl-Z inside a record are spaces;
      // anything else here (a quote inside a field, or a plain byte the
      // output had no room for) is as in a run of plain bytes.
      const char kept = c == delimiter_ ? '\t' : c == '\t' || c == '\x1a' ? ' ' : c;
      if (!put(kept)) return false;
      fieldStart = c == delimiter_;
      ++in;
    }
  }
  // A last record without a line end gets one (even one of dropped CRs
  // alone, as a TAB file's last line does).
  if (in == end && in != record && records < maxRecords) {
    if (!room(2)) return false;
    *out_++ = '\r';
    *out_++ = '\n';
  }
  text_.resize(static_cast<std::size_t>(out_ - text_.data()));
  records_ = records;
  return true;
}

}  // namespace

bool csvTableText(std::string_view bytes, char delimiter, std::size_t limit, std::string& text) {
  CsvConverter converter(delimiter, limit, text);
  // Most records end with CR LF or are longer than sixteen bytes, so the
  // table text seldom needs more than this.
  const std::size_t initial = bytes.size() + bytes.size() / 16 + 2;
  if (converter.run(bytes, std::numeric_limits<std::size_t>::max(), initial)) return true;
  text.clear();
  text.shrink_to_fit();
  return false;
}

char guessCsvDelimiter(std::string_view bytes) {
  // Each candidate converts the first records as the whole text would be
  // converted; a line of the table text then has a field per TAB and one.
  // Only the first MiB is looked at, so that a quote left open at the start
  // of a large file does not copy all of it for every candidate; records it
  // cuts short are not counted.
  constexpr std::size_t kLookedAt = std::size_t{1} << 20;
  const std::string_view start = bytes.substr(0, kLookedAt);
  char best = ',';
  int bestRecords = 0;
  std::string text;
  for (char candidate : {'\t', ';', ',', '|'}) {
    CsvConverter converter(candidate, std::numeric_limits<std::size_t>::max(), text);
    converter.run(start, kCsvGuessRecords, 4096);
    const std::size_t lines =
        start.size() < bytes.size() ? converter.records() : std::numeric_limits<std::size_t>::max();
    std::vector<int> fieldCounts;
    std::size_t pos = 0;
    while (pos < text.size() && fieldCounts.size() < lines) {
      const std::size_t cr = text.find('\r', pos);
      const auto tabs = std::count(text.data() + pos, text.data() + cr, '\t');
      fieldCounts.push_back(1 + static_cast<int>(tabs));
      pos = cr + 2;
    }
    std::sort(fieldCounts.begin(), fieldCounts.end());
    // The most records that share one number of fields above one.
    int most = 0;
    for (std::size_t i = 0; i < fieldCounts.size();) {
      std::size_t j = i;
      while (j < fieldCounts.size() && fieldCounts[j] == fieldCounts[i]) ++j;
      if (fieldCounts[i] > 1) most = std::max(most, static_cast<int>(j - i));
      i = j;
    }
    if (most > bestRecords) {
      bestRecords = most;
      best = candidate;
    }
  }
  return best;
}

bool parseCsvDelimiter(std::string_view name, char& delimiter) {
  if (name.size() == 1) {
    const char c = name[0];
    const bool letterOrDigit =
        (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (c == '\t' || (c >= ' ' && c <= '~' && c != '"' && !letterOrDigit)) {
      delimiter = c;
      return true;
    }
    return false;
  }
  std::string lower(name);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  static const struct {
    const char* name;
    char delimiter;
  } kNames[] = {{"\\t", '\t'}, {"tab", '\t'},      {"space", ' '},
                {"comma", ','}, {"semicolon", ';'}, {"pipe", '|'}};
  for (const auto& known : kNames) {
    if (lower == known.name) {
      delimiter = known.delimiter;
      return true;
    }
  }
  return false;
}

}  // namespace vestrane
