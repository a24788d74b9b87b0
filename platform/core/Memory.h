// SPDX-License-Identifier: MIT
#pragma once
// Hints to the operating system about large blocks of memory, and how much
// memory this process may fill with data.

#include <cstddef>

namespace vestrane {

/// Asks the system to back the pages of [@p data, @p data + @p size) with
/// large pages where it can. A large table's storage is filled once from
/// start to end; with large pages that takes one page fault per two
/// megabytes instead of one per four kilobytes. Only a hint: where the
/// system has no such pages, or the block is small, nothing happens.
void adviseLargePages(void* data, std::size_t size);

/// The memory this process may fill: the computer's physical memory, or
/// less where a limit on the process's address space or data is set (as
/// `ulimit -v` sets one). 0 when the system does not tell.
std::size_t memoryForData();

}  // namespace vestrane
