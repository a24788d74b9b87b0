// SPDX-License-Identifier: MIT
#pragma once
// Text is bytes: cells, aliases and settings values keep exactly the bytes
// they were read with. Letter case follows the text's code page: text that is
// valid UTF-8 is mapped by Unicode's simple (one-to-one) case rules, any other
// text is taken as Windows-1252.

#include <string>
#include <string_view>

namespace vestrane {

bool isValidUtf8(std::string_view text);
bool isAscii(std::string_view text);

/// Upper-cases by the code page's rules (see above).
std::string upperText(std::string_view text);
/// Lower-cases by the code page's rules.
std::string lowerText(std::string_view text);
/// Upper-cases a to z only.
std::string upperAscii(std::string_view text);
/// First character upper-cased, the rest lower-cased (QUARTZ, qUARTZ -> Quartz).
std::string capitalizeFirst(std::string_view text);

/// The value of @p c as a digit of @p base (10, or 16 with a to f in
/// either case), or -1 when it is none.
int digitValue(char c, int base);

/// Removes characters of codes 0 to 32 from both ends.
std::string_view trimControls(std::string_view text);

/// Cuts the text before the first @p separator off @p source and returns it
/// trimmed; the separator is removed too and the rest of @p source stays
/// untrimmed. Without a separator, returns the whole trimmed source and
/// empties it.
std::string SplitToken(std::string& source, char separator);
/// The same on a view, for callers that walk a long line without copying it.
std::string_view SplitToken(std::string_view& source, char separator);

}  // namespace vestrane
