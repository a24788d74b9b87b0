// SPDX-License-Identifier: MIT
#pragma once
// The dialog of "Required minerals...": the table's minerals to tick, the
// ones every point must have. Minerals required before that the table no
// longer holds stay listed, ticked, so that they can be let go.

#include <QDialog>
#include <string>
#include <vector>

class QDialogButtonBox;
class QListWidget;

namespace vestrane {

class RequiredDialog : public QDialog {
  Q_OBJECT

 public:
  RequiredDialog(const std::vector<std::string>& tableMinerals, const std::vector<std::string>& required,
                 QWidget* parent = nullptr);

  /// The minerals ticked, in the order listed.
  std::vector<std::string> required() const;

  QListWidget* mineralList = nullptr;
  QDialogButtonBox* buttons = nullptr;

 private:
  std::vector<std::string> listed_;  ///< the minerals of the list's entries, as spelt
};

}  // namespace vestrane
