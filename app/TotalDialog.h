// SPDX-License-Identifier: MIT
#pragma once
// The dialog of "Uncheck by total...": the column holding each analysis's
// total (or the sum of the columns after Analysis), the lowest and highest
// total kept, and whether the whole table or the current point is filtered.
// OK is enabled only while both bounds are numbers and the lowest is not
// above the highest.

#include <QDialog>

#include "combine/TotalFilter.h"
#include "table/AnalysisTable.h"

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QRadioButton;

namespace vestrane {

class TotalDialog : public QDialog {
  Q_OBJECT

 public:
  /// @p last gives the bounds shown (its column is not used: the column
  /// offered is the table's default total column); @p hasPoint tells
  /// whether there is a current point to filter.
  TotalDialog(const AnalysisTable& table, const TotalRange& last, bool currentPointOnly, bool hasPoint,
              QWidget* parent = nullptr);

  /// The column and the bounds chosen; valid when the dialog was accepted.
  TotalRange range() const;
  bool currentPointOnly() const;

  QComboBox* columnBox = nullptr;
  QLineEdit* lowestEdit = nullptr;
  QLineEdit* highestEdit = nullptr;
  QRadioButton* wholeTableButton = nullptr;
  QRadioButton* currentPointButton = nullptr;
  QDialogButtonBox* buttons = nullptr;

 private:
  /// Reads both bounds. @return whether they make a range.
  bool readBounds(double& lowest, double& highest) const;
  void boundsEdited();
};

}  // namespace vestrane
