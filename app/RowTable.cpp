// SPDX-License-Identifier: MIT
#include "app/RowTable.h"

#include <QHeaderView>
#include <QTableView>

namespace vestrane {

void setUpRowTable(QTableView* view) {
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setWordWrap(false);
  view->verticalHeader()->hide();
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
  view->horizontalHeader()->setHighlightSections(false);
}

}  // namespace vestrane
