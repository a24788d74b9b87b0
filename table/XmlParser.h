// SPDX-License-Identifier: MIT
#pragma once
// A streaming XML parser for the parts of a workbook: the bytes come in
// chunks (from a zip entry, as it is unpacked) and go through expat, which
// calls the handlers of a derived class. Names are given without their
// namespace prefix ("x:c" and "c" are both "c"), as workbook writers
// choose prefixes freely. A document type declaration stops the parse:
// its entities are never expanded and nothing outside the part is loaded.

#include <cstddef>
#include <string>
#include <string_view>

struct XML_ParserStruct;

namespace vestrane {

/// The name without its namespace prefix: "table:table-cell" -> "table-cell".
std::string_view localName(const char* name);

/// The value of the attribute whose local name is @p name, or nullptr.
/// @p attributes: expat's list, name and value in turn, ending in nullptr.
const char* attributeValue(const char** attributes, std::string_view name);

class XmlParser {
 public:
  /// @p part: the part's name, for the reasons.
  explicit XmlParser(std::string part);
  virtual ~XmlParser();
  XmlParser(const XmlParser&) = delete;
  XmlParser& operator=(const XmlParser&) = delete;

  /// A buffer of @p size bytes to fill with the next chunk, then given to
  /// parseBuffer (saves copying the chunk); nullptr when out of memory.
  char* buffer(std::size_t size);
  /// Parses the @p size bytes put into buffer(); @p last: the part ends.
  /// @return false on damaged XML, a declaration that is refused, or when
  /// a handler stopped; reason() tells why.
  bool parseBuffer(std::size_t size, bool last);
  /// The same for bytes from elsewhere.
  bool parse(std::string_view bytes, bool last);

  const std::string& reason() const { return reason_; }
  const std::string& part() const { return part_; }

 protected:
  virtual void startElement(std::string_view name, const char** attributes) = 0;
  virtual void endElement(std::string_view name) = 0;
  /// Character data, in pieces of any size.
  virtual void characters(std::string_view) {}
  /// Stops the parse with @p reason (from a handler).
  void stop(std::string reason);

 private:
  static void onStart(void* self, const char* name, const char** attributes);
  static void onEnd(void* self, const char* name);
  static void onCharacters(void* self, const char* text, int length);
  static void onDoctype(void* self, const char*, const char*, const char*, int);
  static void onEntity(void* self, const char*, int, const char*, int, const char*, const char*,
                       const char*, const char*);
  bool finishCall(int status);

  XML_ParserStruct* parser_;
  std::string part_;
  std::string reason_;
  bool stopped_ = false;
};

}  // namespace vestrane
