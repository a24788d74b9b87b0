// SPDX-License-Identifier: MIT
#include "app/PointsWindow.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "app/PointsModel.h"
#include "app/RequiredDialog.h"
#include "app/RowTable.h"
#include "combine/SizeText.h"
#include "combine/TableMinerals.h"

namespace vestrane {

namespace {
constexpr int kColumnWidths[PointsModel::ColumnCount] = {80, 50, 150, 90, 70, 80, 80};

std::string pointsCounted(std::size_t n) { return std::to_string(n) + (n == 1 ? " point" : " points"); }
}  // namespace

std::string pointsFooter(const PointsOverview& overview, std::size_t lacking) {
  const PointsOverview written = generablePart(overview);
  std::string footer = pointsCounted(written.points.size()) + ", " + countText(written.combinations) +
                       " combinations, " + countText(written.lines) + " lines, " +
                       byteSizeText(written.combinedBytes) + " in one combined file";
  const std::size_t beyond = overview.points.size() - written.points.size();
  if (beyond > 0)
    footer += "\n" + pointsCounted(beyond) + " in red, not counted above: " + kNotGenerable;
  if (lacking > 0)
    footer += "\n" + pointsCounted(lacking) + (lacking == 1 ? " lacks" : " lack") + " a required mineral (marked)";
  return footer;
}

PointsWindow::PointsWindow(const AnalysisTable& table, QWidget* parent)
    : QWidget(parent, Qt::Window), table_(table) {
  // The main window's font, set before the controls exist so that all of
  // them, the headings too, take it.
  if (parent) setFont(parent->font());
  setObjectName(QStringLiteral("PointsWindow"));
  setWindowTitle(QStringLiteral("Points"));

  model_ = new PointsModel(this);
  pointsView = new QTableView(this);
  pointsView->setObjectName(QStringLiteral("pointsView"));
  pointsView->setModel(model_);
  setUpRowTable(pointsView);
  pointsView->horizontalHeader()->setStretchLastSection(true);
  for (int column = 0; column < PointsModel::ColumnCount; ++column)
    pointsView->setColumnWidth(column, kColumnWidths[column]);
  pointsView->setColumnHidden(PointsModel::Missing, true);  // until minerals are required
  // The run's order first; a click on a heading sorts by that column.
  pointsView->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  pointsView->setSortingEnabled(true);
  connect(pointsView, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) emit pointActivated(model_->pointAt(index.row()).firstRow);
  });

  popupMenu = new QMenu(this);
  popupMenu->setObjectName(QStringLiteral("popupMenu"));
  requiredItem = popupMenu->addAction(QStringLiteral("Required minerals..."));
  requiredItem->setObjectName(QStringLiteral("requiredItem"));
  connect(requiredItem, &QAction::triggered, this, &PointsWindow::chooseRequired);
  uncheckLackingItem = popupMenu->addAction(QStringLiteral("Uncheck points lacking required minerals"));
  uncheckLackingItem->setObjectName(QStringLiteral("uncheckLackingItem"));
  connect(uncheckLackingItem, &QAction::triggered, this, [this] {
    const std::vector<int> lacking = model_->pointsLacking();
    if (!lacking.empty()) emit uncheckPointsRequested(lacking);
  });
  pointsView->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(pointsView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    popupMenu->popup(pointsView->viewport()->mapToGlobal(pos));
  });

  totalsLabel = new QLabel(this);
  totalsLabel->setObjectName(QStringLiteral("totalsLabel"));
  totalsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  requiredButton = new QPushButton(QStringLiteral("Required minerals..."), this);
  requiredButton->setObjectName(QStringLiteral("requiredButton"));
  requiredButton->setAutoDefault(false);
  connect(requiredButton, &QPushButton::clicked, this, &PointsWindow::chooseRequired);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(totalsLabel, 1);
  bottom->addWidget(requiredButton, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(pointsView, 1);
  layout->addLayout(bottom);
  resize(720, 320);
  updateFooter();
}

void PointsWindow::showOverview(PointsOverview overview) {
  model_->setOverview(std::move(overview));
  updateFooter();
}

void PointsWindow::setRequired(std::vector<std::string> required) {
  pointsView->setColumnHidden(PointsModel::Missing, required.empty());
  model_->setRequired(std::move(required));
  updateFooter();
}

const std::vector<std::string>& PointsWindow::required() const { return model_->required(); }

void PointsWindow::chooseRequired() {
  RequiredDialog dialog(tableMinerals(table_), model_->required(), this);
  if (dialog.exec() == QDialog::Accepted) setRequired(dialog.required());
}

void PointsWindow::updateFooter() {
  const PointsOverview& overview = model_->overview();
  const std::size_t lacking = model_->pointsLacking().size();
  totalsLabel->setText(QString::fromStdString(pointsFooter(overview, lacking)));
  totalsLabel->setToolTip(QString::fromStdString(countText(generablePart(overview).combinedBytes)) +
                          QStringLiteral(" bytes in one combined file"));
  uncheckLackingItem->setEnabled(lacking > 0);
}

}  // namespace vestrane
