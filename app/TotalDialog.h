// SPDX-License-Identifier: MIT
#pragma once
// The dialog of "Uncheck by total...": the column holding each analysis's
// total (only columns with a number in them, or the sum of the columns
// after Analysis), the lowest and highest total kept for all minerals, and
// for any of the table's minerals a range of its own in place of that one;
// then whether the whole table or the current point is filtered. OK is
// enabled only while every range in use has two numbers, the lowest not
// above the highest, and some range is in use.

#include <QDialog>
#include <string>
#include <vector>

#include "combine/TotalFilter.h"
#include "table/AnalysisTable.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace vestrane {

class TotalDialog : public QDialog {
  Q_OBJECT

 public:
  /// @p last gives the ranges shown (its column is not used: the column
  /// offered is the table's default total column); @p hasPoint tells
  /// whether there is a current point to filter.
  TotalDialog(const AnalysisTable& table, const TotalRange& last, bool currentPointOnly, bool hasPoint,
              QWidget* parent = nullptr);

  /// The column and the ranges chosen, for the table's minerals; valid
  /// when the dialog was accepted.
  TotalRange range() const;
  /// The same with the ranges of minerals this table lacks that @p last
  /// gave: what the dialog shows the next time.
  TotalRange rememberedRange() const;
  bool currentPointOnly() const;

  /// One of the table's minerals: ticked, it has bounds of its own.
  struct MineralRow {
    std::string mineral;       ///< as the table spells it
    QCheckBox* own = nullptr;  ///< captioned with the mineral
    QLineEdit* lowest = nullptr;
    QLineEdit* highest = nullptr;
  };

  QComboBox* columnBox = nullptr;
  QGroupBox* allMineralsBox = nullptr;  ///< ticked: the range for all minerals applies
  QLineEdit* lowestEdit = nullptr;
  QLineEdit* highestEdit = nullptr;
  std::vector<MineralRow> mineralRows;  ///< in the order of the minerals' first rows
  QRadioButton* wholeTableButton = nullptr;
  QRadioButton* currentPointButton = nullptr;
  QDialogButtonBox* buttons = nullptr;

 private:
  /// Reads two bounds. @return whether they make a range.
  static bool readBounds(const QLineEdit* lowestEdit, const QLineEdit* highestEdit, double& lowest,
                         double& highest);
  void mineralTicked(const MineralRow& row, bool own);
  void rangesEdited();

  std::vector<MineralTotalRange> others_;  ///< remembered ranges of minerals not in the table
};

}  // namespace vestrane
