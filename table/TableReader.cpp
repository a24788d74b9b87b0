#include "table/TableReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <thread>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
// SSE2 (every x86-64 processor has it) scans the whole text sixteen bytes at
// a time; elsewhere the portable eight-byte code does.
#include <emmintrin.h>
#define VESTRANE_SSE2 1
#endif

#include "platform/core/Services.h"
#include "settings/Text.h"

namespace vestrane {

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
      const char* e = in;
      while (e < stop && (static_cast<unsigned char>(*e) > 26 ||
                          (*e != '\r' && *e != '\n' && *e != '\x1a')))
        ++e;
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

// The field byte that reads as alias byte @p a besides @p a itself: its
// small letter for an upper-case ASCII letter (aliases are upper-case).
unsigned caseTwin(unsigned char a) { return a >= 'A' && a <= 'Z' ? a + 32u : a; }

// Index of the lowest set bit of a non-zero mask.
unsigned lowestBit(std::uint64_t mask) {
#if defined(__GNUC__) || defined(__clang__)
  return static_cast<unsigned>(__builtin_ctzll(mask));
#else
  unsigned n = 0;
  while (!(mask & 1)) {
    mask >>= 1;
    ++n;
  }
  return n;
#endif
}

}  // namespace

std::string_view TableReader::cutLine(std::string_view text, std::size_t& pos, bool& ascii) {
  // One sweep, sixteen (or eight) bytes at a time, finds the line's end (the
  // next CR), the positions of its TABs and whether it has a byte above 127:
  // fields are short, and a search per field or per question would go over
  // the line again and again. tabs_ only grows; room for a block's TABs is
  // made before the block.
  std::uint32_t* out = tabs_.data();
  std::uint32_t* limit = out + tabs_.size();
  auto room = [&](std::size_t need) {
    if (static_cast<std::size_t>(limit - out) >= need) return;
    const auto used = static_cast<std::size_t>(out - tabs_.data());
    tabs_.resize(2 * tabs_.size() + need + 64);
    out = tabs_.data() + used;
    limit = tabs_.data() + tabs_.size();
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
    room(16);
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
      room(8);
      for (; tabs; tabs &= tabs - 1) *out++ = static_cast<std::uint32_t>(i + lowestBit(tabs) / 8);
      if (crs) break;
    }
    if (length == n) {
      room(8);
      for (; i < n && base[i] != '\r'; ++i) {
        if (base[i] == '\t') *out++ = static_cast<std::uint32_t>(i);
        high |= static_cast<unsigned char>(base[i]) >= 0x80;
      }
      length = i;
    }
  }
  room(1);
  *out++ = static_cast<std::uint32_t>(length);  // the end closes the last field
  tabCount_ = static_cast<std::size_t>(out - tabs_.data());
  ascii = !high;
  // Past the CR and the byte after it (the LF of table text).
  pos = length == n ? text.size() : std::min(text.size(), pos + length + 2);
  return std::string_view(base, length);
}

namespace {

bool isTableTextPart(std::string_view bytes, RowRoom* room);

}  // namespace

bool IsTableText(std::string_view bytes, RowRoom* room) {
  // A large text is checked in two parts at once, the second in a thread of
  // its own: reading the bytes from memory is what takes the time. The
  // first part ends with the LF of a line end, so the text is table text
  // exactly when both parts are (the second must not begin with an LF, as
  // a text must not), and the room of the text is the room of both.
  constexpr std::size_t kSplitFrom = std::size_t{4} << 20;
  if (bytes.size() >= kSplitFrom) {
    const std::size_t lf = bytes.find('\n', bytes.size() / 2);
    if (lf != std::string_view::npos && lf + 1 < bytes.size()) {
      const std::string_view first = bytes.substr(0, lf + 1);
      const std::string_view second = bytes.substr(lf + 1);
      RowRoom firstRoom, secondRoom;
      bool secondOk = false;
      std::thread other([&] { secondOk = isTableTextPart(second, room ? &secondRoom : nullptr); });
      const bool firstOk = isTableTextPart(first, room ? &firstRoom : nullptr);
      other.join();
      if (!firstOk || !secondOk) return false;
      if (room) {
        room->rows = firstRoom.rows + secondRoom.rows;
        room->bytes = firstRoom.bytes + secondRoom.bytes;
        room->secondFrom = lf + 1;
        room->secondRows = secondRoom.rows;
        room->secondBytes = secondRoom.bytes;
      }
      return true;
    }
  }
  return isTableTextPart(bytes, room);
}

namespace {

bool isTableTextPart(std::string_view bytes, RowRoom* room) {
  // Table text as it stands: a byte is a CR exactly when the next one is an
  // LF, the first byte is no LF, and there is no Ctrl-Z. Sixteen (or eight)
  // bytes and the ones after each of them are compared at a time; where the
  // room is wanted, each CR closes a line whose length is counted.
  const char* p = bytes.data();
  const std::size_t n = bytes.size();
  RowRoom counted;
  std::size_t lineStart = 0;
  auto lineEnd = [&](std::size_t cr) {
    if (cr - lineStart > 17) {
      ++counted.rows;
      counted.bytes += cr - lineStart;
    }
    lineStart = cr + 2;
  };
  if (n > 0 && p[0] == '\n') return false;
  std::size_t i = 0;
#ifdef VESTRANE_SSE2
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i sub = _mm_set1_epi8('\x1a');
  for (; i + 17 <= n; i += 16) {
    __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
    __m128i crs = _mm_cmpeq_epi8(here, cr);
    __m128i bad = _mm_or_si128(_mm_xor_si128(crs, _mm_cmpeq_epi8(next, lf)), _mm_cmpeq_epi8(here, sub));
    if (_mm_movemask_epi8(bad)) return false;
    if (room)
      for (auto m = static_cast<unsigned>(_mm_movemask_epi8(crs)); m; m &= m - 1) lineEnd(i + lowestBit(m));
  }
#endif
  for (; i + 9 <= n; i += 8) {
    std::uint64_t here = load8(p + i);
    std::uint64_t crs = bytesEqual(here, '\r');
    if ((crs ^ bytesEqual(load8(p + i + 1), '\n')) | bytesEqual(here, '\x1a')) return false;
    if (room)
      for (; crs; crs &= crs - 1) lineEnd(i + lowestBit(crs) / 8);
  }
  for (; i < n; ++i) {
    if (p[i] == '\x1a') return false;
    if ((p[i] == '\r') != (i + 1 < n && p[i + 1] == '\n')) return false;
    if (p[i] == '\r') lineEnd(i);
  }
  if (room) {
    if (lineStart < n) lineEnd(n);  // a last line without its CR LF
    *room = counted;
  }
  return true;
}

}  // namespace

void TableTextInPlace(std::string& bytes) {
  if (IsTableText(bytes)) {
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

std::string TableTextFromBytes(std::string_view bytes) {
  TableTextBuilder b;
  b.reserve(bytes.size() + bytes.size() / 16 + 2);
  b.feed(bytes.data(), bytes.size());
  return b.finish();
}

// ------------------------------------------------------------ alias tests

bool LineHasAlias(const AliasList& list, std::string_view upperLine) {
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (it->empty()) continue;
    std::size_t p = upperLine.find(*it);
    if (p == std::string_view::npos) continue;
    if (p == 0 || upperLine[p - 1] == '\t') return true;
  }
  return false;
}

bool FieldMatchesAlias(const AliasList& list, std::string_view upperField) {
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (!it->empty() && upperField.compare(0, it->size(), *it) == 0) return true;
  }
  return false;
}

bool IsHeaderLine(const AliasLists& aliases, std::string_view line) {
  if (aliases.mineral.empty() && aliases.sample.empty()) return false;
  std::string upper = upperText(line);
  return LineHasAlias(aliases.mineral, upper) || LineHasAlias(aliases.sample, upper);
}

// ------------------------------------------------------------ long alias lists

void TableReader::AliasSet::assign(std::initializer_list<const AliasList*> lists) {
  aliases.clear();
  lengths.clear();
  for (const AliasList* list : lists)
    for (const std::string& alias : *list)
      if (!alias.empty() && aliases.insert(alias).second) lengths.push_back(alias.size());
  std::sort(lengths.begin(), lengths.end());
  lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
}

bool TableReader::AliasSet::beginsWithAlias(std::string_view upper) const {
  for (std::size_t length : lengths) {
    if (length > upper.size()) break;
    if (aliases.count(upper.substr(0, length))) return true;
  }
  return false;
}

bool TableReader::AliasSet::lineHasAlias(std::string_view upperLine) const {
  // Only an alias found at the start of some field can have its first
  // occurrence there, so those are the only ones searched for.
  for (std::size_t start = 0; start <= upperLine.size();) {
    const std::string_view rest = upperLine.substr(start);
    for (std::size_t length : lengths) {
      if (length > rest.size()) break;
      const std::string_view alias = rest.substr(0, length);
      if (!aliases.count(alias)) continue;
      const std::size_t first = upperLine.find(alias);
      if (first == 0 || upperLine[first - 1] == '\t') return true;
    }
    const std::size_t tab = upperLine.find('\t', start);
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return false;
}

bool TableReader::headerTest(std::string_view line) const {
  if (!indexed_) return IsHeaderLine(aliases_, line);
  return headerSet_.lineHasAlias(upperText(line));
}

bool TableReader::startsWithHeaderAlias(std::string_view field) const {
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  if (field.empty() || !headerAliasStart_[static_cast<unsigned char>(field[0])]) return false;
  if (indexed_) {
    if (headerSet_.lengths.empty()) return false;
    const std::size_t n = std::min(field.size(), headerSet_.lengths.back());
    fieldScratch_.resize(n);
    for (std::size_t i = 0; i < n; ++i) fieldScratch_[i] = upper(field[i]);
    return headerSet_.beginsWithAlias(fieldScratch_);
  }
  for (std::string_view alias : headerAliases_) {
    if (alias.size() > field.size()) continue;
    std::size_t i = 0;
    while (i < alias.size() && upper(field[i]) == alias[i]) ++i;
    if (i == alias.size()) return true;
  }
  return false;
}

bool TableReader::isHeader(std::string_view line) const {
  // In an ASCII line a header needs a field that begins with a Sample or
  // Mineral alias, letter case aside; only lines that have one are
  // upper-cased for the full test.
  if (!isAscii(line)) return headerTest(line);
  for (std::size_t start = 0; start < line.size();) {
    if (startsWithHeaderAlias(line.substr(start))) return headerTest(line);
    std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return false;
}

// ------------------------------------------------------------ column map

void TableReader::BuildColumnMap(std::string_view header) {
  map_.clear();
  // Extra columns are appended by this reader or removed all together, and
  // their captions never change, so the index of their upper-cased captions
  // is brought up to date rather than built anew for every header: a table
  // whose lines are headers again and again over thousands of columns would
  // otherwise cost lines times columns.
  const int columns = table_.columnCount();
  if (indexedColumns_ > columns ||
      (indexedColumns_ > kFixedColumns && table_.caption(indexedColumns_ - 1) != lastIndexedCaption_)) {
    extraByCaption_.clear();
    indexedColumns_ = kFixedColumns;
  }
  for (int c = indexedColumns_; c < columns; ++c)
    extraByCaption_[upperText(table_.caption(c))] = c;  // the last equal caption wins
  indexedColumns_ = columns;
  if (columns > kFixedColumns) lastIndexedCaption_ = table_.caption(columns - 1);

  const AliasList* fixedLists[kFixedColumns] = {&aliases_.select, &aliases_.sample, &aliases_.area,
                                                &aliases_.mineral, &aliases_.analysis};
  std::string_view rest = header;
  while (!rest.empty()) {
    std::string_view field = SplitToken(rest, '\t');
    if (field.empty()) {
      map_.push_back(-1);
      continue;
    }
    std::string upper = upperText(field);
    int column = -1;
    for (int c = 0; c < kFixedColumns && column < 0; ++c)
      if (indexed_ ? fixedSets_[c].beginsWithAlias(upper) : FieldMatchesAlias(*fixedLists[c], upper))
        column = c;
    if (column >= 0) {
      table_.setCaption(column, std::string(field));
    } else {
      auto it = extraByCaption_.find(upper);
      if (it != extraByCaption_.end()) {
        column = it->second;
      } else {
        column = table_.appendColumn(std::string(field));
        extraByCaption_.emplace(std::move(upper), column);
        indexedColumns_ = column + 1;
        lastIndexedCaption_ = table_.caption(column);
      }
    }
    map_.push_back(column);
  }
  mapOrdered_ = true;
  int last = 0;
  for (int column : map_) {
    if (column <= 0) continue;
    if (column <= last) mapOrdered_ = false;
    last = column;
  }
}

// ------------------------------------------------------------ parse

namespace {

// Takes the text before the next CR from @p pos on, and moves @p pos past the
// CR and the one character after it. Without a CR, takes the rest.
std::string_view takeLine(std::string_view text, std::size_t& pos) {
  std::size_t cr = text.find('\r', pos);
  std::string_view line;
  if (cr == std::string_view::npos) {
    line = text.substr(pos);
    pos = text.size();
  } else {
    line = text.substr(pos, cr - pos);
    pos = cr + 2 <= text.size() ? cr + 2 : text.size();
  }
  return line;
}

// Room for the rows that table text can give, its lines cut as takeLine
// cuts them.
RowRoom roomForRows(std::string_view text) {
  RowRoom room;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t cr = text.find('\r', pos);
    const std::size_t end = cr == std::string_view::npos ? text.size() : cr;
    if (end - pos > 17) {
      ++room.rows;
      room.bytes += end - pos;
    }
    if (cr == std::string_view::npos) break;
    pos = cr + 2;
  }
  return room;
}

}  // namespace

bool TableReader::ParseTableText(std::string& text) {
  std::size_t consumed = 0;
  bool ok = parse(text, consumed, nullptr);
  if (ok)
    text.clear();
  else
    text.erase(0, consumed);
  return ok;
}

bool TableReader::ParseTableView(std::string_view text, const RowRoom* room) {
  std::size_t consumed = 0;
  return parse(text, consumed, room);
}

bool TableReader::parse(std::string_view text, std::size_t& consumed, const RowRoom* given) {
  report_.clear();
  ignored_.clear();
  rowsAdded_ = 0;
  headersRead_ = 0;
  long long lineNumber = 0;

  if (text.find('\r') == std::string_view::npos) {
    services_.showMessage(kMsgLessThanTwoRows);
    return false;
  }

  // Long alias lists (a settings file can give thousands of aliases) are
  // looked up by hashing for this parse, so that testing a line costs the
  // same however many aliases there are.
  struct EndOfParse {
    bool& indexed;
    ~EndOfParse() { indexed = false; }
  } endOfParse{indexed_};
  const std::size_t aliasCount = aliases_.select.size() + aliases_.sample.size() +
                                 aliases_.area.size() + aliases_.mineral.size() +
                                 aliases_.analysis.size();
  indexed_ = aliasCount > kLinearAliases;
  if (indexed_) {
    headerSet_.assign({&aliases_.sample, &aliases_.mineral});
    const AliasList* fixedLists[kFixedColumns] = {&aliases_.select, &aliases_.sample, &aliases_.area,
                                                  &aliases_.mineral, &aliases_.analysis};
    for (int c = 0; c < kFixedColumns; ++c) fixedSets_[c].assign({fixedLists[c]});
  }

  headerAliases_.clear();
  std::fill(std::begin(headerAliasStart_), std::end(headerAliasStart_), false);
  headerAliasPair_.reset();
  for (const AliasList* list : {&aliases_.sample, &aliases_.mineral})
    for (const std::string& alias : *list)
      if (!alias.empty()) {
        headerAliases_.push_back(alias);
        // Both letter cases, so a field's first bytes can be looked up as
        // they are; an alias of one byte lets any second byte follow.
        auto first = static_cast<unsigned char>(alias[0]);
        headerAliasStart_[first] = true;
        if (first >= 'A' && first <= 'Z') headerAliasStart_[first + 32] = true;
        const auto second = static_cast<unsigned char>(alias.size() > 1 ? alias[1] : 0);
        for (unsigned f : {static_cast<unsigned>(first), caseTwin(first)})
          for (unsigned g = 0; g < 256; ++g)
            if (alias.size() == 1 || g == second || g == caseTwin(second)) headerAliasPair_.set(f << 8 | g);
      }

  std::size_t pos = 0;
  std::string_view header;
  bool found = false;
  while (true) {
    std::string_view line = takeLine(text, pos);
    ++lineNumber;
    if (line.find('\t') != std::string_view::npos && isHeader(line)) {
      header = line;
      found = true;
      break;
    }
    if (text.find('\r', pos) == std::string_view::npos) break;
  }
  if (!found || text.find('\r', pos) == std::string_view::npos) {
    consumed = pos;
    services_.showMessage(kMsgNoHeader);
    return false;
  }

  if (onBeginUpdate) onBeginUpdate();
  BuildColumnMap(header);
  // Room for every remaining line that can be a row, so the table grows in
  // one step instead of doubling (and briefly holding twice) its storage. A
  // room counted over the whole text (while it was checked) also counts the
  // lines up to the header, a little more than is needed. A text read in two
  // parts is cut where it was counted in two, when it was; the rows of the
  // second part go to the worker's table.
  constexpr std::size_t npos = std::string_view::npos;
  std::size_t split = npos;
  RowRoom first, second;
  const bool counted = given && given->secondFrom > pos && given->secondFrom < text.size() &&
                       text.size() - pos >= splitFrom;
  if (counted) {
    split = given->secondFrom;
    first.rows = given->rows - given->secondRows;
    first.bytes = given->bytes - given->secondBytes;
    second.rows = given->secondRows;
    second.bytes = given->secondBytes;
  } else {
    split = splitPoint(text, pos);
    first = given && split == npos ? *given : roomForRows(text.substr(pos, split == npos ? npos : split - pos));
  }
  // The table holds the rows of both parts, the cells of the first only.
  reserveRows(table_, first, cellsPerRow(), second.rows);
  if (split != npos) readInTwo(text, pos, split, lineNumber, counted ? &second : nullptr);
  readLines(text, pos, lineNumber);
  consumed = text.size();
  if (onEndUpdate) onEndUpdate();

  for (const Ignored& i : ignored_)
    report_ += "\r\n" + std::to_string(i.line) +
               (i.noMineral ? ": Mineral is not specified" : ": Sample ID is not specified");
  if (!report_.empty()) services_.showMessage(kMsgIgnoredLines + report_);
  return true;
}

void TableReader::readLines(std::string_view text, std::size_t& pos, long long& lineNumber) {
  while (pos < text.size()) {
    const std::size_t lineStart = pos;
    bool ascii = true;
    std::string_view line = cutLine(text, pos, ascii);
    ++lineNumber;
    // tabs_ holds the line's TABs and its end: one entry means no TAB.
    if (line.size() <= 17 || tabCount_ < 2 || trimControls(line).empty()) continue;
    readDataLine(line, lineNumber, ascii);
    if (stopped_) {
      pos = lineStart;
      --lineNumber;
      return;
    }
  }
}

std::size_t TableReader::splitPoint(std::string_view text, std::size_t pos) const {
  if (text.size() - pos < splitFrom) return std::string_view::npos;
  // A line ends at every CR but one that is the byte passed over after a
  // line end, which has a CR before it; a CR without one ends a line for
  // sure, and the next line begins two bytes on.
  for (std::size_t cr = text.find('\r', pos + (text.size() - pos) / 2); cr != std::string_view::npos;
       cr = text.find('\r', cr + 1)) {
    if (cr > pos && text[cr - 1] == '\r') continue;
    return cr + 2 < text.size() ? cr + 2 : std::string_view::npos;
  }
  return std::string_view::npos;
}

std::size_t TableReader::cellsPerRow() const {
  return std::min<std::size_t>(map_.size(), table_.columnCount() - 1);
}

void TableReader::reserveRows(AnalysisTable& table, const RowRoom& room, std::size_t cellsPerRow,
                              std::size_t moreRows) {
  table.reserve(room.rows + moreRows, std::min(room.rows * cellsPerRow, room.bytes / 2 + room.rows), room.bytes);
}

void TableReader::readInTwo(std::string_view text, std::size_t& pos, std::size_t split,
                            long long& lineNumber, const RowRoom* secondRoom) {
  // The worker reads with the column map as it stands now, into a table of
  // its own, and stops at a further header (which would change the map).
  const std::string_view second = text.substr(split);
  AnalysisTable side;
  TableReader worker(side, aliases_, services_);
  worker.worker_ = true;
  worker.map_ = map_;
  worker.mapOrdered_ = mapOrdered_;
  worker.indexed_ = indexed_;
  worker.headerSet_ = headerSet_;
  worker.headerAliases_ = headerAliases_;
  std::copy(std::begin(headerAliasStart_), std::end(headerAliasStart_), std::begin(worker.headerAliasStart_));
  worker.headerAliasPair_ = headerAliasPair_;
  // The map may change here (a further header) while the worker reads.
  const std::size_t workerCellsPerRow = cellsPerRow();
  std::size_t workerPos = 0;
  long long workerLines = 0;
  std::exception_ptr workerError;
  std::thread thread([&] {
    try {
      reserveRows(side, secondRoom ? *secondRoom : roomForRows(second), workerCellsPerRow);
      worker.readLines(second, workerPos, workerLines);
      // Stopped at a header: the room for the rest goes back.
      if (worker.stopped_) side.shrinkToFit();
    } catch (...) {
      workerError = std::current_exception();
    }
  });
  // Whatever ends this function, the worker has ended first.
  struct Join {
    std::thread& thread;
    ~Join() {
      if (thread.joinable()) thread.join();
    }
  } join{thread};

  const int headersBefore = headersRead_;
  readLines(text.substr(0, split), pos, lineNumber);
  thread.join();
  // A further header in the first part: the second is read again after it,
  // into room made for it here.
  if (headersRead_ != headersBefore) {
    reserveRows(table_, secondRoom ? *secondRoom : roomForRows(second), cellsPerRow());
    return;
  }
  // The worker's rows and dropped lines follow this part's, as they would
  // have line by line; a failure of the worker ends the parse where it
  // would have ended it.
  table_.appendRowsOf(std::move(side));
  for (const Ignored& i : worker.ignored_) ignored_.push_back({i.line + lineNumber, i.noMineral});
  rowsAdded_ += worker.rowsAdded_;
  pos = split + workerPos;
  lineNumber += workerLines;
  if (workerError) std::rethrow_exception(workerError);
  // What the worker left (from a header on) is read here, into room for it.
  if (worker.stopped_) reserveRows(table_, roomForRows(text.substr(pos)), cellsPerRow());
}

namespace {

// A Mineral cell is stored with its first character upper-cased and the
// rest lower-cased; most are written that way already and keep their bytes.
bool isCapitalizedAscii(std::string_view s) {
  if (s.empty() || (s[0] >= 'a' && s[0] <= 'z')) return s.empty();
  for (std::size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80 || (i > 0 && c >= 'A' && c <= 'Z')) return false;
  }
  return true;
}

}  // namespace

void TableReader::readDataLine(std::string_view line, long long lineNumber, bool ascii) {
  // Fields and cells are written member by member into vectors sized once
  // per line: building them as temporaries and copying them in stalls the
  // processor on every field of a large table.
  if (fields_.size() < map_.size()) fields_.resize(map_.size());
  if (cells_.size() < map_.size()) cells_.resize(map_.size());
  std::size_t fieldCount = 0;
  // With an ordered map the cells are written as the fields are cut; else
  // the fields are collected and put in column order afterwards.
  const bool ordered = mapOrdered_;
  std::size_t cellCount = 0;
  std::size_t cellBytes = 0;
  std::string_view sample = kMissing;
  std::string_view mineral = kMissing;
  bool checked = true;
  // A line may be a further header. That takes a field beginning with a
  // Sample or Mineral alias, which is looked for while the fields are cut;
  // a line that is not ASCII always gets the full test.
  bool mayBeHeader = !ascii;

  // Fields are cut at TABs and trimmed of codes 0 to 32; an empty field
  // takes up its position, and a TAB at the very end opens no new field.
  const char* const start = line.data();
  const char* const end = start + line.size();
  const std::size_t mapped = map_.size();
  const char* p = start;
  for (std::size_t index = 0; p < end; ++index) {
    const char* b = p;
    const char* e = start + tabs_[index];
    p = e < end ? e + 1 : end;
    if (!mayBeHeader && b < end && headerAliasStart_[static_cast<unsigned char>(*b)] &&
        (end - b < 2 || headerAliasPair_[static_cast<unsigned char>(b[0]) << 8 | static_cast<unsigned char>(b[1])]) &&
        startsWithHeaderAlias(std::string_view(b, static_cast<std::size_t>(end - b))))
      mayBeHeader = true;
    if (index >= mapped) continue;
    while (b < e && static_cast<unsigned char>(*b) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(e[-1]) <= 32) --e;
    int column = map_[index];
    if (b == e || column < 0) continue;
    std::string_view field(b, static_cast<std::size_t>(e - b));
    if (column == ColSelect) {
      checked = field == "1";
      continue;
    }
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
      field = field.substr(1, field.size() - 2);
    else if (field == "\"")
      field = std::string_view();
    if (column == ColMineral && !isCapitalizedAscii(field)) {
      // Only the last Mineral field of a line counts, so one buffer serves.
      mineral_ = capitalizeFirst(field);
      field = mineral_;
    }
    if (field.size() == 1 && field[0] == '-') field = kMissing;
    if (ordered) {
      // Columns come in increasing order, each once: the field is its cell.
      if (column == ColSample) sample = field;
      if (column == ColMineral) mineral = field;
      if (field.data() == kMissing.data()) continue;
      AnalysisTable::CellValue& c = cells_[cellCount++];
      c.column = column;
      c.text = field;
      cellBytes += field.size();
      continue;
    }
    Field& f = fields_[fieldCount++];
    f.column = column;
    f.position = index;
    f.text = field;
  }

  if (mayBeHeader && headerTest(line)) {
    if (worker_) {
      stopped_ = true;
      return;
    }
    BuildColumnMap(line);
    ++headersRead_;
    return;
  }

  // Cells in column order; of several fields for one column the later wins.
  auto first = fields_.begin();
  auto last = first + static_cast<std::ptrdiff_t>(fieldCount);
  std::stable_sort(first, last, [](const Field& a, const Field& b) { return a.column < b.column; });
  for (std::size_t i = 0; i < fieldCount; ++i) {
    const Field& f = fields_[i];
    if (i + 1 < fieldCount && fields_[i + 1].column == f.column) continue;
    if (f.column == ColSample) sample = f.text;
    if (f.column == ColMineral) mineral = f.text;
    if (f.text.data() == kMissing.data()) continue;
    AnalysisTable::CellValue& c = cells_[cellCount++];
    c.column = f.column;
    c.text = f.text;
    cellBytes += f.text.size();
  }

  // A mineral that is empty (after quote removal) or "-" counts as missing.
  if (mineral.empty() || mineral == kMissing) {
    ignored_.push_back({lineNumber, true});
    return;
  }
  if (sample == kMissing) {
    ignored_.push_back({lineNumber, false});
    return;
  }
  table_.appendRow(checked, cells_.data(), cellCount, cellBytes);
  table_.commitRow();
  ++rowsAdded_;
}

}  // namespace vestrane
