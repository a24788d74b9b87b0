// SPDX-License-Identifier: MIT
#include "app/PointsWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "app/PointsModel.h"
#include "app/RowTable.h"

namespace vestrane {

namespace {
constexpr int kColumnWidths[PointsModel::ColumnCount] = {80, 50, 170, 85, 70, 90};
}

PointsWindow::PointsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
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
  // The run's order first; a click on a heading sorts by that column.
  pointsView->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  pointsView->setSortingEnabled(true);
  connect(pointsView, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) emit pointActivated(model_->pointAt(index.row()).firstRow);
  });

  totalsLabel = new QLabel(this);
  totalsLabel->setObjectName(QStringLiteral("totalsLabel"));
  totalsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(pointsView, 1);
  layout->addWidget(totalsLabel);
  resize(640, 320);
}

void PointsWindow::showOverview(PointsOverview overview) {
  std::string totals = pointsSummary(overview);
  if (!overview.allGenerable) {
    std::size_t beyond = 0;
    for (const PointOverview& p : overview.points) beyond += p.generable ? 0 : 1;
    totals += "\n" + std::to_string(beyond) + (beyond == 1 ? " point" : " points") +
              " in red: " + kNotGenerable;
  }
  totalsLabel->setText(QString::fromStdString(totals));
  model_->setOverview(std::move(overview));
}

}  // namespace vestrane
