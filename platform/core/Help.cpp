// SPDX-License-Identifier: MIT
#include "platform/core/Help.h"

#include "platform/core/Files.h"
#include "platform/core/ProgramFolders.h"
#include "platform/core/Services.h"

namespace vestrane {

namespace {

/// When no program could open the help file nor its first page: where the
/// pages are and the page to start from, or that they are missing there.
std::string helpNotOpenedMessage(const HelpFiles& files) {
  const std::string pages = folderOf(files.firstPage);
  std::string text = "Error: no program could open the help file " + files.compiled;
  if (!fileExists(files.firstPage))
    return text + ", and its HTML pages are not in " + pages + ".";
  return text + " or its HTML pages.\rThe pages are in " + pages + ": open " +
         fileNameOf(files.firstPage) + " there with a web browser.";
}

}  // namespace

HelpFiles helpFilesFor(const std::string& besideFile) {
  const std::string exeFolder = folderOf(besideFile);
  const std::string docFolder = installedDocFolder(exeFolder);
  HelpFiles files;
  files.compiled = fileExists(besideFile) || !isInstalledLayout(exeFolder)
                       ? besideFile
                       : joinPath(docFolder, fileNameOf(besideFile));
  files.firstPage = joinPath(docFolder, "index.html");
  return files;
}

void openHelp(const HelpFiles& files, Services& services) {
  if (!fileExists(files.compiled)) {
    services.showMessage("Error: can not find help-file " + files.compiled + "!");
    return;
  }
  if (services.openDocument(files.compiled)) return;
  if (fileExists(files.firstPage) && services.openDocument(files.firstPage)) return;
  services.showMessage(helpNotOpenedMessage(files));
}

}  // namespace vestrane
