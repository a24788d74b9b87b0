// SPDX-License-Identifier: MIT
#pragma once
// The document the window shows: the analysis table, the selected row, the
// current point and the caption. The commands change it freely; when the
// outermost command ends, the document announces once what changed, and the
// window redraws from the state. A listener never hears of a state half-way
// through a command, so it needs no protection against hearing itself.

#include <string>
#include <vector>

#include "combine/Points.h"
#include "table/AnalysisTable.h"

namespace vestrane {

inline constexpr const char* kCaptionPlain = "Vestrane";
inline constexpr const char* kCaptionNotSaved = "Vestrane - <Not saved>";

/// What one command changed.
struct DocumentChange {
  enum Flag : unsigned {
    Rows = 1u << 0,       ///< rows came or went
    Columns = 1u << 1,    ///< columns came or went, or fixed columns were renamed
    Checks = 1u << 2,     ///< checked flags of rows changed
    Point = 1u << 3,      ///< the mineral list, its check marks or the counts
    Selection = 1u << 4,  ///< the selected row
    Caption = 1u << 5,
  };
  unsigned flags = 0;
  bool has(Flag flag) const { return (flags & flag) != 0; }
};

class DocumentListener {
 public:
  virtual ~DocumentListener() = default;
  virtual void documentChanged(const DocumentChange& change) = 0;
};

class TableDocument {
 public:
  TableDocument() = default;
  TableDocument(const TableDocument&) = delete;
  TableDocument& operator=(const TableDocument&) = delete;

  void setListener(DocumentListener* listener) { listener_ = listener; }

  AnalysisTable& table() { return table_; }
  const AnalysisTable& table() const { return table_; }
  PointState& point() { return point_; }
  const PointState& point() const { return point_; }
  int selectedRow() const { return selectedRow_; }
  const std::string& caption() const { return caption_; }

  /// Selects @p row (-1: none).
  void selectRow(int row);
  void setCaption(const std::string& caption);
  /// The current point's list, check marks or counts changed.
  void pointChanged() { pending_ |= DocumentChange::Point; }
  /// Checked flags changed (the rows whose flag flipped).
  void checksChanged() { pending_ |= DocumentChange::Checks; }
  /// The table was put in place of another one: it may differ in more than
  /// its counts.
  void tableReplaced() { pending_ |= DocumentChange::Rows | DocumentChange::Columns; }

  /// A command begins: its changes, and those of the commands it runs, are
  /// announced as one when the outermost command ends.
  void beginCommand();
  /// The command begun last ends; the outermost one announces what changed.
  /// Rows and columns that came or went are found by comparing the table
  /// with the table at its beginning.
  void endCommand();
  bool inCommand() const { return commandDepth_ > 0; }

 private:
  /// The counts and fixed captions, to tell what a command changed.
  struct Shape {
    int rows = 0;
    int columns = 0;
    std::vector<std::string> fixedCaptions;
  };
  Shape shape() const;
  void announce();

  AnalysisTable table_;
  PointState point_;
  int selectedRow_ = -1;
  std::string caption_ = kCaptionPlain;
  DocumentListener* listener_ = nullptr;
  unsigned pending_ = 0;
  int commandDepth_ = 0;
  Shape before_;
};

}  // namespace vestrane
