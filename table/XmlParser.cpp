// SPDX-License-Identifier: MIT
#include "table/XmlParser.h"

#include <expat.h>

#include <cstring>
#include <limits>
#include <new>

#include "platform/core/Messages.h"

namespace vestrane {

std::string_view localName(const char* name) {
  const char* colon = std::strchr(name, ':');
  return colon ? std::string_view(colon + 1) : std::string_view(name);
}

const char* attributeValue(const char** attributes, std::string_view name) {
  for (; attributes[0]; attributes += 2) {
    if (localName(attributes[0]) == name) return attributes[1];
  }
  return nullptr;
}

XmlParser::XmlParser(std::string part) : parser_(XML_ParserCreate(nullptr)), part_(std::move(part)) {
  if (!parser_) return;
  XML_SetUserData(parser_, this);
  XML_SetElementHandler(parser_, &XmlParser::onStart, &XmlParser::onEnd);
  XML_SetCharacterDataHandler(parser_, &XmlParser::onCharacters);
  XML_SetStartDoctypeDeclHandler(parser_, &XmlParser::onDoctype);
  XML_SetEntityDeclHandler(parser_, &XmlParser::onEntity);
  XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlParser::~XmlParser() {
  if (parser_) XML_ParserFree(parser_);
}

void XmlParser::stop(std::string reason) {
  if (stopped_) return;
  stopped_ = true;
  reason_ = std::move(reason);
  XML_StopParser(parser_, XML_FALSE);
}

// An exception must not pass through expat's C frames: running out of
// memory in a handler stops the parse instead.
void XmlParser::onStart(void* self, const char* name, const char** attributes) {
  auto* p = static_cast<XmlParser*>(self);
  if (p->stopped_) return;
  try {
    p->startElement(localName(name), attributes);
  } catch (const std::bad_alloc&) {
    p->stop(outOfMemoryReason());
  }
}

void XmlParser::onEnd(void* self, const char* name) {
  auto* p = static_cast<XmlParser*>(self);
  if (p->stopped_) return;
  try {
    p->endElement(localName(name));
  } catch (const std::bad_alloc&) {
    p->stop(outOfMemoryReason());
  }
}

void XmlParser::onCharacters(void* self, const char* text, int length) {
  auto* p = static_cast<XmlParser*>(self);
  if (p->stopped_) return;
  try {
    p->characters(std::string_view(text, static_cast<std::size_t>(length)));
  } catch (const std::bad_alloc&) {
    p->stop(outOfMemoryReason());
  }
}

void XmlParser::onDoctype(void* self, const char*, const char*, const char*, int) {
  auto* p = static_cast<XmlParser*>(self);
  p->stop("a document type declaration in " + p->part_ + " (not read)");
}

void XmlParser::onEntity(void* self, const char*, int, const char*, int, const char*, const char*,
                         const char*, const char*) {
  auto* p = static_cast<XmlParser*>(self);
  p->stop("an entity declaration in " + p->part_ + " (not read)");
}

char* XmlParser::buffer(std::size_t size) {
  if (!parser_ || stopped_ || size > static_cast<std::size_t>(std::numeric_limits<int>::max()))
    return nullptr;
  return static_cast<char*>(XML_GetBuffer(parser_, static_cast<int>(size)));
}

bool XmlParser::finishCall(int status) {
  if (stopped_) return false;
  if (status == XML_STATUS_OK) return true;
  stopped_ = true;
  XML_Error error = XML_GetErrorCode(parser_);
  if (error == XML_ERROR_NO_MEMORY) {
    reason_ = outOfMemoryReason();
  } else {
    const XML_LChar* text = XML_ErrorString(error);
    reason_ = "damaged XML in " + part_ + ", line " +
              std::to_string(XML_GetCurrentLineNumber(parser_)) + ": " + (text ? text : "error");
  }
  return false;
}

bool XmlParser::parseBuffer(std::size_t size, bool last) {
  if (!parser_) {
    reason_ = outOfMemoryReason();
    return false;
  }
  if (stopped_) return false;
  return finishCall(XML_ParseBuffer(parser_, static_cast<int>(size), last ? XML_TRUE : XML_FALSE));
}

bool XmlParser::parse(std::string_view bytes, bool last) {
  if (!parser_) {
    reason_ = outOfMemoryReason();
    return false;
  }
  // expat takes an int's worth at a time.
  constexpr std::size_t kStep = std::size_t(1) << 30;
  do {
    if (stopped_) return false;
    std::size_t n = bytes.size() < kStep ? bytes.size() : kStep;
    bool end = last && n == bytes.size();
    if (!finishCall(XML_Parse(parser_, bytes.data(), static_cast<int>(n), end ? XML_TRUE : XML_FALSE)))
      return false;
    bytes.remove_prefix(n);
  } while (!bytes.empty());
  return true;
}

}  // namespace vestrane
