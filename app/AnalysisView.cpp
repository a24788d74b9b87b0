// SPDX-License-Identifier: MIT
#include "app/AnalysisView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>

#include "app/RowTable.h"
#include "table/AnalysisTable.h"

namespace vestrane {

namespace {

class CheckTableView : public QTableView {
 public:
  using QTableView::QTableView;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && model()) {
      const QModelIndex current = currentIndex();
      if (current.isValid()) {
        const QModelIndex box = model()->index(current.row(), ColSelect);
        const bool checked = box.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        model()->setData(box, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
      }
      event->accept();
      return;
    }
    QTableView::keyPressEvent(event);
  }
};

}  // namespace

QTableView* makeAnalysisView(QAbstractItemModel* model, QWidget* parent) {
  QTableView* view = new CheckTableView(parent);
  view->setObjectName(QStringLiteral("ListView1"));
  view->setModel(model);
  setUpRowTable(view);
  view->setShowGrid(true);
  view->setTabKeyNavigation(false);
  view->setCornerButtonEnabled(false);
  view->horizontalHeader()->setStretchLastSection(false);
  view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QPalette palette = view->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  view->setPalette(palette);
  return view;
}

}  // namespace vestrane
