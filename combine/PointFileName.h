// SPDX-License-Identifier: MIT
#pragma once
// The name of the file a point's combinations go to.

#include <string>
#include <string_view>
#include <unordered_set>

namespace vestrane {

/// The file name of a point: Sample and Area joined by "_" ("-" values left
/// out), with space, double quote, * , / : ; < > ? backslash | and control
/// characters replaced by "-", and ".tab" appended.
std::string pointFileName(std::string_view sample, std::string_view area);

/// The file names of one run that writes every point into a file of its
/// own. Two points may have one name (A/B and A-B give A-B); a point never
/// takes a name that an earlier point of the run took, compared ignoring
/// the case of the letters A to Z, so that a table gives the same files on
/// every system, those whose file names ignore case included. The later
/// point gets "<name> (2).tab", then "(3)", and so on: the space cannot
/// come out of pointFileName, so no point has such a name of its own.
class RunFileNames {
 public:
  /// The name for a point whose own name is @p name (a pointFileName).
  std::string take(const std::string& name);

 private:
  std::unordered_set<std::string> taken_;  ///< upper-cased (A-Z only)
};

}  // namespace vestrane
