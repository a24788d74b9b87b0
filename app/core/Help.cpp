#include "app/core/Help.h"

#include "platform/core/Files.h"
#include "platform/core/ProgramFolders.h"
#include "platform/core/Services.h"

namespace vestrane {

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
  if (fileExists(files.firstPage)) services.openDocument(files.firstPage);
}

}  // namespace vestrane
