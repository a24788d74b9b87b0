// SPDX-License-Identifier: MIT
#pragma once
// ListView1, the list view of the analysis table in the main window.

class QAbstractItemModel;
class QTableView;
class QWidget;

namespace vestrane {

/// The list view of @p model, a child of @p parent: a table of rows with a
/// grid and left-aligned headings, whose selected row stays marked while
/// the focus is elsewhere. Space toggles the check box of the current row
/// whichever of its cells has the focus, through the model like a mouse
/// click, so the engine hears of every change.
QTableView* makeAnalysisView(QAbstractItemModel* model, QWidget* parent);

}  // namespace vestrane
