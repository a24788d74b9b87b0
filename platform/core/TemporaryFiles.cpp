// SPDX-License-Identifier: MIT
// Platform file: the signal handlers that remove temporary files (POSIX,
// marked below). The list of temporary files is a fixed array of C strings
// built before they are entered, so that a signal handler can walk it and
// unlink every file with async-signal-safe calls only. On Windows the list
// is kept all the same and nothing else is done.

#include "platform/core/TemporaryFiles.h"

#include <atomic>
#include <cstring>
#include <vector>

#ifndef _WIN32
// POSIX: signal handling and unlink.
#include <signal.h>
#include <unistd.h>
#endif

namespace vestrane {

namespace {

constexpr int kSlots = 64;
std::atomic<char*> slots[kSlots];
// Set by a signal handler before it reads the slots; from then on no
// remembered name may be freed, since the handler may be reading it.
std::atomic<bool> removing{false};

static_assert(ATOMIC_POINTER_LOCK_FREE == 2, "a signal handler reads the list without locks");

#ifndef _WIN32
// POSIX: removes the remembered files, then ends the process by the same
// signal with its default action, which is delivered when the handler
// returns.
extern "C" void onTerminatingSignal(int signal) {
  removing.store(true);
  for (std::atomic<char*>& slot : slots)
    if (const char* path = slot.load()) ::unlink(path);
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  sigaction(signal, &byDefault, nullptr);
  raise(signal);
}
#endif

}  // namespace

int rememberTemporaryFile(const std::string& path) {
  char* copy = new char[path.size() + 1];
  std::memcpy(copy, path.c_str(), path.size() + 1);
  for (int i = 0; i < kSlots; ++i) {
    char* empty = nullptr;
    if (slots[i].compare_exchange_strong(empty, copy)) return i;
  }
  delete[] copy;
  return -1;
}

void forgetTemporaryFile(int handle) {
  if (handle < 0 || handle >= kSlots) return;
  char* path = slots[handle].exchange(nullptr);
  // A handler that has begun may still read the name; it ends the process
  // shortly, so the name is simply kept.
  if (removing.load()) return;
  delete[] path;
}

void removeTemporaryFilesOnSignals() {
#ifndef _WIN32
  // POSIX: every signal whose default action ends the process, those of
  // this system that others lack included; SIGKILL cannot be caught.
  std::vector<int> ending = {SIGHUP,  SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                             SIGFPE,  SIGUSR1, SIGSEGV,   SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,
                             SIGXCPU, SIGPROF, SIGVTALRM, SIGSYS};
#ifdef SIGPOLL
  ending.push_back(SIGPOLL);
#endif
#ifdef SIGSTKFLT
  ending.push_back(SIGSTKFLT);
#endif
#ifdef SIGPWR
  ending.push_back(SIGPWR);
#endif
#ifdef SIGEMT
  ending.push_back(SIGEMT);
#endif
#ifdef SIGLOST
  ending.push_back(SIGLOST);
#endif
#ifdef SIGRTMIN
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) ending.push_back(signal);
#endif
  for (int signal : ending) {
    // Only a signal left at its default: one that is ignored (as nohup or a
    // background job leave SIGHUP and SIGINT) stays ignored, and one that
    // has a handler already (a sanitizer's) keeps it.
    struct sigaction previous {};
    if (sigaction(signal, nullptr, &previous) != 0 || (previous.sa_flags & SA_SIGINFO) ||
        previous.sa_handler != SIG_DFL)
      continue;
    struct sigaction action {};
    action.sa_handler = onTerminatingSignal;
    sigfillset(&action.sa_mask);  // nothing else comes between the removals
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
  }
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, nullptr);
#endif
}

}  // namespace vestrane
