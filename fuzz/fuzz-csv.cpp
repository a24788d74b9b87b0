// SPDX-License-Identifier: MIT
// Fuzz target: delimited text converted to table text. The first byte is
// the delimiter when it is TAB, ';', ',' or '|', else it picks one of them;
// the rest is the file's bytes.
//
// Checked besides the sanitizers: the result is table text (every line ends
// with CR LF, no other CR or LF, no Ctrl-Z) with one line per record and a
// TAB only between fields; it is what a plain byte-by-byte reading of the
// rules gives (the converter moves sixteen plain bytes at a time); text
// without quotes and Ctrl-Z gives the lines a TAB file of its bytes gives;
// the limit holds to the byte; the delimiter guess is one of the four and is
// what the kind of a .csv file tells; and the table reader reads the result.

#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "platform/core/Text.h"
#include "settings/Settings.h"
#include "table/CsvText.h"
#include "table/InputKind.h"
#include "table/TableReader.h"
#include "table/TableText.h"

using namespace vestrane;

namespace {

bool cannotStayInAField(char c) { return c == '\t' || c == '\r' || c == '\n' || c == '\x1a'; }

/// The conversion rules read byte by byte, with the records counted.
std::string convertByteByByte(std::string_view b, char delimiter, std::size_t& records) {
  std::string out;
  std::size_t i = b.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  bool fieldStart = true;
  bool nothingKept = true;  // in this record, but for dropped CRs
  bool begun = false;       // a byte of this record was read
  records = 0;
  auto endRecord = [&] {
    out += "\r\n";
    ++records;
    fieldStart = nothingKept = true;
    begun = false;
  };
  while (i < b.size()) {
    const char c = b[i];
    if (fieldStart && c == '"') {
      begun = true;
      nothingKept = fieldStart = false;
      for (++i; i < b.size(); ++i) {
        if (b[i] == '"') {
          if (i + 1 < b.size() && b[i + 1] == '"') {
            out += '"';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        out += cannotStayInAField(b[i]) ? ' ' : b[i];
      }
      continue;
    }
    if (c == '\n') {
      endRecord();
      ++i;
    } else if (c == '\r' && i + 1 < b.size() && b[i + 1] == '\n') {
      endRecord();
      i += 2;
    } else if (c == '\r') {
      begun = true;
      ++i;
    } else if (c == '\x1a' && nothingKept) {
      begun = false;
      break;
    } else {
      begun = true;
      nothingKept = false;
      fieldStart = c == delimiter;
      out += c == delimiter ? '\t' : cannotStayInAField(c) ? ' ' : c;
      ++i;
    }
  }
  if (begun) endRecord();
  return out;
}

std::size_t countOf(std::string_view text, char c) {
  std::size_t n = 0;
  for (char x : text) n += x == c;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const char kDelimiters[] = {'\t', ';', ',', '|'};
  const char first = static_cast<char>(data[0]);
  const bool named = first == '\t' || first == ';' || first == ',' || first == '|';
  const char delimiter = named ? first : kDelimiters[data[0] % 4];
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  constexpr std::size_t kNoLimit = std::size_t{1} << 30;
  std::string text;
  FUZZ_CHECK(csvTableText(bytes, delimiter, kNoLimit, text));

  // Table text, each line a record of the plain reading's.
  FUZZ_CHECK(isTableText(text));
  FUZZ_CHECK(text.empty() || text.back() == '\n');
  std::size_t records = 0;
  FUZZ_CHECK(text == convertByteByByte(bytes, delimiter, records));
  FUZZ_CHECK(countOf(text, '\n') == records);
  // A record has at most as many fields as delimiters and one, and the
  // TABs of the table text are fields' ends.
  FUZZ_CHECK(countOf(text, '\t') <= countOf(bytes, delimiter));
  FUZZ_CHECK(records <= countOf(bytes, '\n') + 1);

  // Without quotes and Ctrl-Z the lines are those of a TAB file.
  if (bytes.find('"') == std::string_view::npos && bytes.find('\x1a') == std::string_view::npos) {
    const bool bom = bytes.substr(0, 3) == "\xEF\xBB\xBF";
    std::string lines = tableTextFromBytes(bytes.substr(bom ? 3 : 0));
    for (char& c : lines) c = c == delimiter ? '\t' : c == '\t' ? ' ' : c;
    FUZZ_CHECK(text == lines);
  }

  // The limit holds to the byte, and a refusal leaves nothing.
  std::string bounded = "x";
  FUZZ_CHECK(csvTableText(bytes, delimiter, text.size(), bounded));
  FUZZ_CHECK(bounded == text);
  if (!text.empty()) {
    FUZZ_CHECK(!csvTableText(bytes, delimiter, text.size() - 1, bounded));
    FUZZ_CHECK(bounded.empty());
  }

  // The guess is one of the four, and the one the kind of a .csv file tells.
  const char guessed = guessCsvDelimiter(bytes);
  FUZZ_CHECK(guessed == '\t' || guessed == ';' || guessed == ',' || guessed == '|');
  const InputFormat format = inputFormatOf(bytes, "fuzz.csv");
  if (format.kind == InputKind::DelimitedText) FUZZ_CHECK(format.delimiter == guessed);
  else FUZZ_CHECK(format.kind == InputKind::Zip || format.kind == InputKind::Ole2);

  // The table reader reads the result; a row comes from a record.
  Settings settings;
  readSettingsText("fuzz.ini", fuzz::kShippedAliases, settings, DateSettings());
  AnalysisTable table;
  TableReader reader(table, settings.aliases);
  reader.ParseTableText(text);
  FUZZ_CHECK(static_cast<std::size_t>(table.rowCount()) < records || table.rowCount() == 0);
  return 0;
}
