// SPDX-License-Identifier: MIT
#pragma once
// The one HTTP GET the program makes (the update check fetches its version
// file through it), with the limits every client keeps. The desktop program
// gives a client over a TCP connection; tests give scripted ones.

#include <string>

namespace vestrane {

/// Longest a version file request may take, connecting and reading.
inline constexpr int kUpdateTimeoutMs = 30000;
/// Largest version file body accepted.
inline constexpr long long kMaxVersionFileBytes = 1024 * 1024;

/// The one HTTP GET of the update check.
class HttpClient {
 public:
  virtual ~HttpClient() = default;
  /// GETs @p url. @return true with the response body in @p body when the
  /// server answered with a status from 200 to 299; false on any failure (no
  /// connection, another status, a redirect, a time-out, a body too large).
  virtual bool get(const std::string& url, std::string& body) = 0;
};

}  // namespace vestrane
