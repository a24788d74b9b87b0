// SPDX-License-Identifier: MIT
#include "app/TotalDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "combine/TableMinerals.h"
#include "platform/core/Text.h"
#include "platform/qt/QtServices.h"

namespace vestrane {

namespace {

QString boundText(double value) { return QString::number(value, 'g', 15); }

/// The range @p ranges give @p mineral (in any letter case), or nullptr.
const MineralTotalRange* rangeOf(const std::vector<MineralTotalRange>& ranges, const std::string& mineral) {
  const std::string folded = upperText(mineral);
  for (const MineralTotalRange& r : ranges)
    if (upperText(r.mineral) == folded) return &r;
  return nullptr;
}

/// Shown beside the minerals: typical totals, a hint for choosing ranges
/// and never applied by itself.
constexpr const char* kTypicalTotals =
    "Typical totals (wt%): anhydrous silicates near 100, micas near 95-96,\n"
    "amphiboles and epidote near 97-98, chlorite near 86-88.";

}  // namespace

TotalDialog::TotalDialog(const AnalysisTable& table, const TotalRange& last, bool currentPointOnly,
                         bool hasPoint, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("TotalDialog"));
  setWindowTitle(QStringLiteral("Uncheck by total"));

  // Only columns a total can come from: text columns (Sample, Analysis) hold no number.
  columnBox = new QComboBox(this);
  columnBox->setObjectName(QStringLiteral("columnBox"));
  for (int column : numericColumns(table)) columnBox->addItem(bytesToText(table.caption(column)), column);
  columnBox->addItem(QStringLiteral("Sum of the columns after ") + bytesToText(table.caption(ColAnalysis)),
                     kSumOfExtraColumns);
  const int offered = columnBox->findData(defaultTotalColumn(table));
  columnBox->setCurrentIndex(offered >= 0 ? offered : columnBox->count() - 1);

  allMineralsBox = new QGroupBox(QStringLiteral("All minerals"), this);
  allMineralsBox->setObjectName(QStringLiteral("allMineralsBox"));
  allMineralsBox->setCheckable(true);
  allMineralsBox->setChecked(last.allMinerals);
  lowestEdit = new QLineEdit(boundText(last.lowest), allMineralsBox);
  lowestEdit->setObjectName(QStringLiteral("lowestEdit"));
  highestEdit = new QLineEdit(boundText(last.highest), allMineralsBox);
  highestEdit->setObjectName(QStringLiteral("highestEdit"));
  auto* allForm = new QFormLayout(allMineralsBox);
  allForm->addRow(QStringLiteral("Lowest kept:"), lowestEdit);
  allForm->addRow(QStringLiteral("Highest kept:"), highestEdit);
  connect(allMineralsBox, &QGroupBox::toggled, this, &TotalDialog::rangesEdited);
  connect(lowestEdit, &QLineEdit::textChanged, this, &TotalDialog::rangesEdited);
  connect(highestEdit, &QLineEdit::textChanged, this, &TotalDialog::rangesEdited);

  // A row per mineral of the table: its own bounds, or those for all.
  auto* ownBox = new QGroupBox(QStringLiteral("Ranges of their own"), this);
  ownBox->setObjectName(QStringLiteral("ownRangesBox"));
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Mineral")), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Lowest kept")), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Highest kept")), 0, 2);
  const std::vector<std::string> minerals = tableMinerals(table);
  for (const std::string& mineral : minerals) {
    MineralRow row;
    row.mineral = mineral;
    row.own = new QCheckBox(bytesToText(mineral));
    row.lowest = new QLineEdit;
    row.highest = new QLineEdit;
    const int line = static_cast<int>(mineralRows.size()) + 1;
    grid->addWidget(row.own, line, 0);
    grid->addWidget(row.lowest, line, 1);
    grid->addWidget(row.highest, line, 2);
    if (const MineralTotalRange* own = rangeOf(last.minerals, mineral)) {
      row.own->setChecked(true);
      row.lowest->setText(boundText(own->lowest));
      row.highest->setText(boundText(own->highest));
    }
    mineralRows.push_back(row);
  }
  for (const MineralTotalRange& r : last.minerals) {
    bool inTable = false;
    for (const std::string& mineral : minerals) inTable = inTable || upperText(mineral) == upperText(r.mineral);
    if (!inTable) others_.push_back(r);
  }
  for (const MineralRow& row : mineralRows) {
    connect(row.own, &QCheckBox::toggled, this, [this, row](bool own) { mineralTicked(row, own); });
    connect(row.lowest, &QLineEdit::textChanged, this, &TotalDialog::rangesEdited);
    connect(row.highest, &QLineEdit::textChanged, this, &TotalDialog::rangesEdited);
  }
  auto* gridHolder = new QWidget;
  grid->setContentsMargins(0, 0, 0, 0);
  gridHolder->setLayout(grid);
  auto* scroll = new QScrollArea;
  scroll->setWidget(gridHolder);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setMaximumHeight(gridHolder->sizeHint().height() + 4);
  auto* hint = new QLabel(QString::fromLatin1(kTypicalTotals));
  hint->setObjectName(QStringLiteral("typicalTotals"));
  auto* ownLayout = new QVBoxLayout(ownBox);
  ownLayout->addWidget(scroll);
  ownLayout->addWidget(hint);
  ownBox->setVisible(!mineralRows.empty());

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
  auto* scopeForm = new QFormLayout;
  scopeForm->addRow(QStringLiteral("Uncheck in:"), scope);

  buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("buttons"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(allMineralsBox);
  layout->addWidget(ownBox, 1);
  layout->addLayout(scopeForm);
  layout->addWidget(buttons);
  for (const MineralRow& row : mineralRows) mineralTicked(row, row.own->isChecked());
  rangesEdited();
}

bool TotalDialog::readBounds(const QLineEdit* lowestEdit, const QLineEdit* highestEdit, double& lowest,
                             double& highest) {
  // The same rule as the batch tool's "MIN:MAX"; the bounds change only when they read.
  const std::string range = textToBytes(lowestEdit->text()) + ":" + textToBytes(highestEdit->text());
  double low = 0.0;
  double high = 0.0;
  if (!parseTotalRange(range, low, high)) return false;
  lowest = low;
  highest = high;
  return true;
}

void TotalDialog::mineralTicked(const MineralRow& row, bool own) {
  row.lowest->setEnabled(own);
  row.highest->setEnabled(own);
  if (own && row.lowest->text().isEmpty() && row.highest->text().isEmpty()) {
    // A new range of its own starts from the one for all minerals.
    row.lowest->setText(lowestEdit->text());
    row.highest->setText(highestEdit->text());
  } else if (!own) {
    row.lowest->clear();
    row.highest->clear();
  }
  rangesEdited();
}

void TotalDialog::rangesEdited() {
  double lowest = 0.0;
  double highest = 0.0;
  const bool all = allMineralsBox->isChecked();
  bool valid = !all || readBounds(lowestEdit, highestEdit, lowest, highest);
  bool anyOwn = false;
  // What a mineral without a range of its own gets.
  const QString otherwise = all ? QStringLiteral("as for all") : QStringLiteral("left alone");
  for (const MineralRow& row : mineralRows) {
    row.lowest->setPlaceholderText(otherwise);
    row.highest->setPlaceholderText(otherwise);
    if (!row.own->isChecked()) continue;
    anyOwn = true;
    valid = valid && readBounds(row.lowest, row.highest, lowest, highest);
  }
  buttons->button(QDialogButtonBox::Ok)->setEnabled(valid && (all || anyOwn));
}

TotalRange TotalDialog::range() const {
  TotalRange range;
  range.column = columnBox->currentData().toInt();
  range.allMinerals = allMineralsBox->isChecked();
  // Bounds that do not read (only where not in use) keep the defaults.
  readBounds(lowestEdit, highestEdit, range.lowest, range.highest);
  for (const MineralRow& row : mineralRows) {
    if (!row.own->isChecked()) continue;
    MineralTotalRange own;
    own.mineral = row.mineral;
    if (readBounds(row.lowest, row.highest, own.lowest, own.highest)) range.minerals.push_back(own);
  }
  return range;
}

TotalRange TotalDialog::rememberedRange() const {
  TotalRange remembered = range();
  remembered.minerals.insert(remembered.minerals.end(), others_.begin(), others_.end());
  return remembered;
}

bool TotalDialog::currentPointOnly() const { return currentPointButton->isChecked(); }

}  // namespace vestrane
