// SPDX-License-Identifier: MIT
#include "platform/core/BackgroundSink.h"

#include <utility>

namespace vestrane {

BackgroundSink::~BackgroundSink() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool BackgroundSink::write(std::string_view bytes) {
  std::string copy(bytes);
  return take(copy);
}

bool BackgroundSink::take(std::string& buffer) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!thread_.joinable()) {
    if (failed_) {
      buffer.clear();
      return false;
    }
    if (buffer.size() < kLargePiece) {
      // Nothing is waiting, so writing here keeps the order.
      lock.unlock();
      const bool ok = target_.take(buffer);
      lock.lock();
      if (!ok) {
        failed_ = true;
        error_ = target_.error();
      }
      return ok;
    }
    thread_ = std::thread(&BackgroundSink::run, this);
  }
  changed_.wait(lock, [this] { return !hasWaiting_ || failed_; });
  if (failed_) {
    buffer.clear();
    return false;
  }
  // The caller goes on with the buffer the thread last emptied.
  std::swap(waiting_, buffer);
  buffer.clear();
  hasWaiting_ = true;
  lock.unlock();
  changed_.notify_all();
  return true;
}

bool BackgroundSink::finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return (!hasWaiting_ && !writing_) || failed_; });
  return !failed_;
}

std::string BackgroundSink::error() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return error_;
}

void BackgroundSink::run() {
  std::string buffer;
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    changed_.wait(lock, [this] { return hasWaiting_ || stop_; });
    if (stop_) return;
    std::swap(buffer, waiting_);
    hasWaiting_ = false;
    writing_ = true;
    lock.unlock();
    changed_.notify_all();
    const bool ok = target_.take(buffer);
    std::string error = ok ? std::string() : target_.error();
    lock.lock();
    writing_ = false;
    if (!ok) {
      failed_ = true;
      error_ = std::move(error);
    }
    changed_.notify_all();
    if (!ok) return;
  }
}

}  // namespace vestrane
