// SPDX-License-Identifier: MIT
#pragma once
// "Help" in the About window. The compiled help Vestrane.chm stands beside
// the executable, or, for an installed program without one there, in the
// documentation folder. The HTML pages it is compiled from stand in the
// documentation folder of an installed program and of the build tree alike,
// so that a desktop without a program for CHM files (most Linux desktops)
// still shows the help, in the browser.

#include <string>

namespace vestrane {

class Services;

struct HelpFiles {
  std::string compiled;   ///< Vestrane.chm, named in the message when it is missing
  std::string firstPage;  ///< index.html of the HTML help
};

/// The help files of a program whose compiled help, beside its executable,
/// would be @p besideFile.
HelpFiles helpFilesFor(const std::string& besideFile);

/// Opens the compiled help with the desktop's program for it; where that
/// fails, the first HTML page with the desktop's browser. A missing compiled
/// help file is reported: "Error: can not find help-file ", its path and "!".
/// When neither opens, a message says that no program could open them and
/// where the pages are.
void openHelp(const HelpFiles& files, Services& services);

}  // namespace vestrane
