// SPDX-License-Identifier: MIT
#pragma once
// Whether the desktop has a program for a local file. On freedesktop.org
// desktops (Linux, the BSDs) Qt hands a document to xdg-open, which starts
// whether or not a program is registered for the file's type, so opening
// reports success either way; xdg-mime tells beforehand. Elsewhere the
// system's own answer to opening stands.

#include <QString>

namespace vestrane {

/// False only when the desktop says it has no program for @p localFile's
/// type; true when it has one or cannot be asked.
bool desktopHasProgramFor(const QString& localFile);

}  // namespace vestrane
