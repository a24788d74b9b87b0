// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"

#include <QCoreApplication>
#include <QDir>

#include "platform/core/Files.h"
#include "platform/qt/QtServices.h"

namespace vestrane {

ProgramCommandLine::ProgramCommandLine()
    : help_({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help.")),
      version_({QStringLiteral("v"), QStringLiteral("version")},
               QStringLiteral("Shows the program's version.")) {
  parser_.setApplicationDescription(QStringLiteral(
      "Vestrane: combinations of mineral analyses for the thermobarometry program Gorlanth."));
  parser_.addOption(help_);
  parser_.addOption(version_);
  parser_.addPositionalArgument(
      QStringLiteral("FILE"),
      QStringLiteral("TAB-delimited tables to load, in this order, as \"Load TAB file\" does."),
      QStringLiteral("[FILE...]"));
}

bool ProgramCommandLine::asksForInformation(const QStringList& arguments) {
  parser_.parse(arguments);
  return parser_.isSet(help_) || parser_.isSet(version_);
}

void ProgramCommandLine::answer(const QCoreApplication& app) {
  parser_.parse(app.arguments());
  if (parser_.isSet(version_)) parser_.showVersion();
  parser_.showHelp(0);
}

void ProgramCommandLine::process(const QCoreApplication& app) { parser_.process(app); }

bool ProgramCommandLine::parse(const QStringList& arguments) { return parser_.parse(arguments); }

std::vector<std::string> ProgramCommandLine::tableFiles() const {
  std::vector<std::string> files;
  for (const QString& name : parser_.positionalArguments())
    files.push_back(absolutePath(textToBytes(QDir::toNativeSeparators(name))));
  return files;
}

}  // namespace vestrane
