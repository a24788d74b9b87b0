// SPDX-License-Identifier: MIT
#pragma once
// Reading the answer to the update check's GET as it arrives, piece by
// piece: the status line, the header lines and the body, framed by
// Content-Length, by chunks or by the end of the connection. Every part is
// bounded: header lines beyond a fixed size and a body beyond the version
// file's limit end the reading at the first byte over, so what a server
// sends never costs more memory than those two limits.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vestrane {

/// Largest response head (status line and header lines) accepted.
inline constexpr std::size_t kMaxResponseHeadBytes = 64 * 1024;

class HttpResponse {
 public:
  enum class State { Reading, Complete, Failed };

  /// A body larger than @p maxBodyBytes fails the response.
  explicit HttpResponse(std::size_t maxBodyBytes) : maxBody_(maxBodyBytes) {}

  /// Takes the next bytes from the connection. @return the state after them;
  /// once Complete or Failed, further bytes are ignored.
  State feed(std::string_view bytes);
  /// The server closed the connection: a body that runs to the end of the
  /// connection is complete now, anything else unfinished fails.
  State closed();

  State state() const { return state_; }
  /// The status code of the final response (0 before its status line).
  int status() const { return status_; }
  /// The values of the Set-Cookie header lines, in order.
  const std::vector<std::string>& cookies() const { return cookies_; }
  /// The body read so far; the whole body once Complete.
  const std::string& body() const { return body_; }

 private:
  enum class Part { Head, Body, ChunkSize, ChunkData, ChunkEnd, Trailer };

  State fail();
  State complete();
  /// Reads the head collected in head_; false when it is malformed.
  bool readHead();
  /// Appends body bytes; false when they pass the limit.
  bool takeBody(std::string_view bytes);
  /// Cuts one line off @p bytes into line_ (ending at LF, CR removed).
  /// @return true when the line is complete.
  bool takeLine(std::string_view& bytes);

  std::size_t maxBody_;
  State state_ = State::Reading;
  Part part_ = Part::Head;
  std::string head_;
  std::string line_;
  std::size_t lineBytes_ = 0;  ///< bytes of the chunk line, or of the trailer lines, so far
  int status_ = 0;
  std::vector<std::string> cookies_;
  std::string body_;
  bool lengthKnown_ = false;
  std::size_t remaining_ = 0;  ///< of the body (Content-Length) or of the chunk
};

}  // namespace vestrane
