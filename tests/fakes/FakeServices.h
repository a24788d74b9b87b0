// SPDX-License-Identifier: MIT
#pragma once
// Scripted stand-in for the desktop: records every message and dialog in
// order and answers dialogs and the clipboard from queues the test fills.

#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/core/Services.h"

namespace vestrane::testing {

class FakeServices : public Services {
 public:
  std::vector<std::string> messages;          ///< every message shown, in order
  std::vector<FileDialogRequest> openRequests;
  std::vector<FileDialogRequest> saveRequests;
  std::deque<std::optional<std::string>> openAnswers;  ///< nullopt = cancel
  std::deque<std::optional<std::string>> saveAnswers;
  std::optional<std::string> clipboard;      ///< nullopt = no text
  bool clipboardWritable = true;
  std::vector<std::string> opened;             ///< every document or link asked for, in order
  std::vector<std::string> webAddresses;       ///< of those, the ones asked for as web addresses
  std::set<std::string> cannotOpen;            ///< targets the desktop has no program for
  std::vector<std::string> questions;          ///< every Yes/No question asked, in order
  std::deque<bool> yesNoAnswers;               ///< an unscripted question is answered No
  std::vector<std::string> offered;            ///< the action of every message offering one
  std::deque<bool> offerAnswers;               ///< an unscripted offer is declined (OK)

  void showMessage(const std::string& text) override { messages.push_back(text); }

  bool askYesNo(const std::string& text) override {
    questions.push_back(text);
    return take(yesNoAnswers);
  }
  /// Counted among the messages too, so that a message reads the same
  /// whether or not it offers an action.
  bool showMessageOffering(const std::string& text, const std::string& action) override {
    showMessage(text);
    offered.push_back(action);
    return take(offerAnswers);
  }

  bool askOpenFile(const FileDialogRequest& r, std::string& path) override {
    openRequests.push_back(r);
    return answer(openAnswers, path);
  }
  bool askSaveFile(const FileDialogRequest& r, std::string& path) override {
    saveRequests.push_back(r);
    return answer(saveAnswers, path);
  }
  bool clipboardText(std::string& text) override {
    if (!clipboard) return false;
    text = *clipboard;
    return true;
  }
  bool setClipboardText(const std::string& text) override {
    if (!clipboardWritable) return false;
    clipboard = text;
    return true;
  }
  bool openDocument(const std::string& target) override {
    opened.push_back(target);
    return cannotOpen.count(target) == 0;
  }
  bool openWebAddress(const std::string& url) override {
    webAddresses.push_back(url);
    return openDocument(url);
  }

 private:
  static bool take(std::deque<bool>& q) {
    if (q.empty()) return false;
    const bool a = q.front();
    q.pop_front();
    return a;
  }
  static bool answer(std::deque<std::optional<std::string>>& q, std::string& path) {
    if (q.empty()) return false;  // an unscripted dialog counts as cancelled
    auto a = q.front();
    q.pop_front();
    if (!a) return false;
    path = *a;
    return true;
  }
};

}  // namespace vestrane::testing
