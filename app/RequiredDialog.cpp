// SPDX-License-Identifier: MIT
#include "app/RequiredDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "platform/core/Text.h"
#include "platform/qt/QtServices.h"

namespace vestrane {

RequiredDialog::RequiredDialog(const std::vector<std::string>& tableMinerals,
                               const std::vector<std::string>& required, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("RequiredDialog"));
  setWindowTitle(QStringLiteral("Required minerals"));

  auto isRequired = [&required](const std::string& mineral) {
    for (const std::string& r : required)
      if (upperText(r) == upperText(mineral)) return true;
    return false;
  };
  listed_ = tableMinerals;
  for (const std::string& r : required) {
    bool inTable = false;
    for (const std::string& mineral : tableMinerals) inTable = inTable || upperText(mineral) == upperText(r);
    if (!inTable) listed_.push_back(r);
  }

  mineralList = new QListWidget(this);
  mineralList->setObjectName(QStringLiteral("mineralList"));
  for (const std::string& mineral : listed_) {
    auto* item = new QListWidgetItem(bytesToText(mineral), mineralList);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(isRequired(mineral) ? Qt::Checked : Qt::Unchecked);
  }

  buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("buttons"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Every point should have:"), this));
  layout->addWidget(mineralList, 1);
  layout->addWidget(buttons);
}

std::vector<std::string> RequiredDialog::required() const {
  std::vector<std::string> minerals;
  for (int i = 0; i < mineralList->count(); ++i)
    if (mineralList->item(i)->checkState() == Qt::Checked) minerals.push_back(listed_[static_cast<std::size_t>(i)]);
  return minerals;
}

}  // namespace vestrane
