// SPDX-License-Identifier: MIT
#pragma once
// File access for the engine in one include: reading whole files and streams
// (FileReading.h), paths and what stands at them (Paths.h) and writing files
// whole (AtomicFile.h). Paths are UTF-8 byte strings on every platform; the
// conversion to the operating system's path type happens in NativePath.h and
// nowhere else.

#include "platform/core/AtomicFile.h"
#include "platform/core/FileReading.h"
#include "platform/core/Paths.h"
