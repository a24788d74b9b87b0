// SPDX-License-Identifier: MIT
#pragma once
// Stand-ins for the update check's network and window: a server that always
// answers with one body, and an Updates window that records what it is told.

#include <string>
#include <vector>

#include "update/core/UpdateCheck.h"

namespace vestrane::testing {

/// Every GET succeeds with @c body.
class ServedBody : public HttpClient {
 public:
  std::string body;
  bool get(const std::string&, std::string& out) override {
    out = body;
    return true;
  }
};

/// An Updates window that is never on screen and keeps its message lines,
/// link captions and how often it was shown or brought to the front.
class RecordingUpdateView : public UpdateView {
 public:
  std::vector<std::string> lines, captions;
  int shown = 0, broughtToFront = 0;
  void clearMessages() override { lines.clear(); }
  void addMessageLines(const std::vector<std::string>& l) override {
    lines.insert(lines.end(), l.begin(), l.end());
  }
  void setLinkCaptions(const std::vector<std::string>& c) override { captions = c; }
  bool isShown() const override { return false; }
  void showModal() override { ++shown; }
  void bringToFront() override { ++broughtToFront; }
};

}  // namespace vestrane::testing
