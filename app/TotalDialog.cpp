// SPDX-License-Identifier: MIT
#include "app/TotalDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/qt/QtServices.h"

namespace vestrane {

namespace {
QString boundText(double value) { return QString::number(value, 'g', 15); }
}  // namespace

TotalDialog::TotalDialog(const AnalysisTable& table, const TotalRange& last, bool currentPointOnly,
                         bool hasPoint, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("TotalDialog"));
  setWindowTitle(QStringLiteral("Uncheck by total"));

  columnBox = new QComboBox(this);
  columnBox->setObjectName(QStringLiteral("columnBox"));
  for (int column = 1; column < table.columnCount(); ++column)
    columnBox->addItem(bytesToText(table.caption(column)), column);
  columnBox->addItem(QStringLiteral("Sum of the columns after ") + bytesToText(table.caption(ColAnalysis)),
                     kSumOfExtraColumns);
  columnBox->setCurrentIndex(columnBox->findData(defaultTotalColumn(table)));

  lowestEdit = new QLineEdit(boundText(last.lowest), this);
  lowestEdit->setObjectName(QStringLiteral("lowestEdit"));
  highestEdit = new QLineEdit(boundText(last.highest), this);
  highestEdit->setObjectName(QStringLiteral("highestEdit"));
  connect(lowestEdit, &QLineEdit::textChanged, this, &TotalDialog::boundsEdited);
  connect(highestEdit, &QLineEdit::textChanged, this, &TotalDialog::boundsEdited);

  wholeTableButton = new QRadioButton(QStringLiteral("Whole table"), this);
  wholeTableButton->setObjectName(QStringLiteral("wholeTableButton"));
  currentPointButton = new QRadioButton(QStringLiteral("Current point"), this);
  currentPointButton->setObjectName(QStringLiteral("currentPointButton"));
  currentPointButton->setEnabled(hasPoint);
  (currentPointOnly && hasPoint ? currentPointButton : wholeTableButton)->setChecked(true);
  auto* scope = new QHBoxLayout;
  scope->addWidget(wholeTableButton);
  scope->addWidget(currentPointButton);
  scope->addStretch(1);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Total:"), columnBox);
  form->addRow(QStringLiteral("Lowest kept:"), lowestEdit);
  form->addRow(QStringLiteral("Highest kept:"), highestEdit);
  form->addRow(QStringLiteral("Uncheck in:"), scope);

  buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("buttons"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  boundsEdited();
}

bool TotalDialog::readBounds(double& lowest, double& highest) const {
  // The same rule as the batch tool's "MIN:MAX".
  const std::string range = textToBytes(lowestEdit->text()) + ":" + textToBytes(highestEdit->text());
  return parseTotalRange(range, lowest, highest);
}

void TotalDialog::boundsEdited() {
  double lowest = 0.0;
  double highest = 0.0;
  buttons->button(QDialogButtonBox::Ok)->setEnabled(readBounds(lowest, highest));
}

TotalRange TotalDialog::range() const {
  TotalRange range;
  range.column = columnBox->currentData().toInt();
  readBounds(range.lowest, range.highest);
  return range;
}

bool TotalDialog::currentPointOnly() const { return currentPointButton->isChecked(); }

}  // namespace vestrane
