// SPDX-License-Identifier: MIT
// Reading a large table text in two parts at once: the second part by a
// reader of its own, in a thread of its own, into a table of its own, whose
// rows are then taken over as if the text had been read line by line.

#include <exception>
#include <thread>
#include <utility>

#include "table/TableReader.h"

namespace vestrane {

TableReader::TableReader(AnalysisTable& side, const TableReader& first)
    : table_(side),
      aliases_(first.aliases_),
      ownIndex_(first.aliases_),
      index_(first.index_),
      map_(first.map_),
      mapOrdered_(first.mapOrdered_),
      second_(true) {}

std::size_t TableReader::splitPoint(std::string_view text, std::size_t pos) const {
  if (text.size() - pos < splitFrom) return std::string_view::npos;
  // A line ends at every CR but one that is the byte passed over after a
  // line end, which has a CR before it; a CR without one ends a line for
  // sure, and the next line begins two bytes on.
  for (std::size_t cr = text.find('\r', pos + (text.size() - pos) / 2); cr != std::string_view::npos;
       cr = text.find('\r', cr + 1)) {
    if (cr > pos && text[cr - 1] == '\r') continue;
    return cr + 2 < text.size() ? cr + 2 : std::string_view::npos;
  }
  return std::string_view::npos;
}

void TableReader::readInTwo(std::string_view text, std::size_t& pos, std::size_t split,
                            long long& lineNumber, const RowCapacity* secondCapacity) {
  // The second reader reads with the column map as it stands now, into a
  // table of its own, and stops at a further header (which would change the
  // map). It tests lines with this reader's alias index, which does not
  // change during the parse.
  const std::string_view second = text.substr(split);
  AnalysisTable side;
  TableReader secondReader(side, *this);
  // The map may change here (a further header) while the second reader reads.
  const std::size_t secondCellsPerRow = cellsPerRow();
  std::size_t secondPos = 0;
  long long secondLines = 0;
  std::exception_ptr secondError;
  std::thread thread([&] {
    try {
      reserveRows(side, secondCapacity ? *secondCapacity : countRowCapacity(second), secondCellsPerRow);
      secondReader.readLines(second, secondPos, secondLines);
      // Stopped at a header: the capacity reserved for the rest goes back.
      if (secondReader.stopped_) side.shrinkToFit();
    } catch (...) {
      secondError = std::current_exception();
    }
  });
  // Whatever ends this function, the second reader has ended first.
  struct Join {
    std::thread& thread;
    ~Join() {
      if (thread.joinable()) thread.join();
    }
  } join{thread};

  const int headersBefore = headersRead_;
  readLines(text.substr(0, split), pos, lineNumber);
  thread.join();
  // A further header in the first part: the second is read again after it,
  // with the capacity for it reserved here.
  if (headersRead_ != headersBefore) {
    reserveRows(table_, secondCapacity ? *secondCapacity : countRowCapacity(second), cellsPerRow());
    return;
  }
  // The second reader's rows and dropped lines follow this part's, as they
  // would have line by line; a failure of the second reader ends the parse
  // where it would have ended it.
  table_.appendRowsOf(std::move(side));
  for (const Ignored& i : secondReader.ignored_) ignored_.push_back({i.line + lineNumber, i.noMineral});
  rowsAdded_ += secondReader.rowsAdded_;
  pos = split + secondPos;
  lineNumber += secondLines;
  if (secondError) std::rethrow_exception(secondError);
  // What the second reader left (from a header on) is read here, with the
  // capacity for it reserved.
  if (secondReader.stopped_) reserveRows(table_, countRowCapacity(text.substr(pos)), cellsPerRow());
}

}  // namespace vestrane
