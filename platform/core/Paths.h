// SPDX-License-Identifier: MIT
#pragma once
// Paths and what stands at them: the folder, name and extension of a path,
// joining and making paths absolute, and whether a file or folder exists.
// Paths are UTF-8 byte strings on every platform.

#include <cstddef>
#include <string>

namespace vestrane {

bool directoryExists(const std::string& path);
/// Size of a regular file in bytes; 0 when it has none or cannot be asked.
std::size_t fileSize(const std::string& path);
bool fileExists(const std::string& path);
/// Whether anything of that name exists (a file, a folder, a device; a
/// link counts when what it leads to exists).
bool pathExists(const std::string& path);

/// The folder of @p path: everything before its last path separator, without
/// that separator unless the folder is a root ("/" or "C:\").
std::string folderOf(const std::string& path);

/// The file name of @p path without its folder.
std::string fileNameOf(const std::string& path);

/// @p path with its extension (from the last dot of the file name on) replaced
/// by @p ext, which includes the dot.
std::string replaceExtension(const std::string& path, const std::string& ext);

/// @p path made absolute against the current folder. Only "." components
/// and doubled separators are dropped: a ".." is left for the system to
/// resolve, since "link/.." is the folder above the link's target, which
/// cutting "link/.." from the text would not give. Unchanged when empty or
/// when the current folder cannot be read.
std::string absolutePath(const std::string& path);

/// The platform's path separator character.
char pathSeparator();

/// Joins a folder and a file name with the platform's separator.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace vestrane
