// SPDX-License-Identifier: MIT
#pragma once
// Who stands behind this build of Vestrane, as the About window shows it.
//
// FOR PACKAGERS: the three texts below are placeholders of the project. Put
// your own author line, affiliation and contact address here; the About
// window and its mail link take them from this file and nowhere else, and so
// do the Debian package (its maintainer) and the AppStream metadata
// (packaging/CMakeLists.txt reads the author line and the address).

#include <string>

#include "platform/core/Paths.h"

namespace vestrane::about {

/// The author line, centred under the description.
inline constexpr const char* kAuthorLine = "The Vestrane developers";
/// The affiliation line under it.
inline constexpr const char* kAffiliationLine = "Open-source petrology tools";
/// The contact address shown beside "E-mail:" and used in the mail link.
inline constexpr const char* kContactAddress = "info@example.org";

/// Name of the help file, looked for in the executable's folder.
inline constexpr const char* kHelpFileName = "Vestrane.chm";

/// The help file of the program at @p exePath: its folder followed by "Vestrane.chm".
inline std::string HelpFilePath(const std::string& exePath) {
  return joinPath(folderOf(exePath), kHelpFileName);
}

/// The link that starts a mail to @p address about the program; the
/// subject is always "Vestrane", whatever the executable is called.
inline std::string MailLink(const std::string& address = kContactAddress) {
  return "mailto:" + address + "?subject=Vestrane";
}

}  // namespace vestrane::about
