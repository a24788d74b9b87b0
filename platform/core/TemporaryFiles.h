// SPDX-License-Identifier: MIT
#pragma once
// The temporary files this process is writing, and their removal when the
// process is ended by a signal. A file being written goes to a temporary
// file beside its target first (see AtomicFile); should the user or the
// system end the program in the middle, that file must not stay behind.

#include <string>

namespace vestrane {

/// Remembers @p path as a temporary file of this process. @return the
/// handle for forgetTemporaryFile, or -1 when too many are remembered at
/// once (the file is then not removed by a signal).
int rememberTemporaryFile(const std::string& path);

/// Forgets the file remembered under @p handle (-1: nothing); call it after
/// the file was renamed or removed.
void forgetTemporaryFile(int handle);

/// From now on every signal whose default action ends the process (SIGINT,
/// SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU,
/// SIGVTALRM, SIGPROF, SIGPOLL, the real-time signals, and the faults such
/// as SIGSEGV and SIGABRT), each while it still has that default action,
/// removes the remembered temporary files and then ends the process as the
/// signal would have. A signal that is ignored (as nohup or a background
/// job leave SIGHUP and SIGINT) stays ignored. SIGXFSZ is ignored, so that
/// a write past the file-size limit fails with its reason ("File too
/// large") instead of ending the process. On Windows nothing changes.
void removeTemporaryFilesOnSignals();

}  // namespace vestrane
