// SPDX-License-Identifier: MIT
#include "app/PointsModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QStringList>
#include <algorithm>
#include <numeric>

#include "combine/RequiredMinerals.h"
#include "combine/SizeText.h"
#include "platform/qt/QtServices.h"

namespace vestrane {

namespace {

const char* const kHeadings[PointsModel::ColumnCount] = {"Sample", "Area",  "Minerals", "Combinations",
                                                         "Lines",  "Bytes", "Missing"};

/// The background of a point that lacks a required mineral.
const QColor kLackingBackground(255, 236, 179);

const BigCount& numberIn(const PointOverview& point, int column) {
  switch (column) {
    case PointsModel::Combinations: return point.combinations;
    case PointsModel::Lines: return point.lines;
    default: return point.bytes;
  }
}

}  // namespace

PointsModel::PointsModel(QObject* parent) : QAbstractTableModel(parent) {}

void PointsModel::setOverview(PointsOverview overview) {
  beginResetModel();
  overview_ = std::move(overview);
  const std::size_t n = overview_.points.size();
  sampleTexts_.clear();
  areaTexts_.clear();
  mineralTexts_.clear();
  sampleTexts_.reserve(n);
  areaTexts_.reserve(n);
  mineralTexts_.reserve(n);
  for (const PointOverview& p : overview_.points) {
    sampleTexts_.push_back(bytesToText(p.sample));
    areaTexts_.push_back(bytesToText(p.area));
    mineralTexts_.push_back(bytesToText(mineralsText(p)));
  }
  fillMissing();
  applyOrder();
  endResetModel();
}

void PointsModel::setRequired(std::vector<std::string> required) {
  beginResetModel();
  required_ = std::move(required);
  fillMissing();
  applyOrder();
  endResetModel();
}

void PointsModel::fillMissing() {
  missingTexts_.clear();
  missingTexts_.reserve(overview_.points.size());
  for (const PointOverview& p : overview_.points) {
    const std::vector<std::string> missing = missingMinerals(p, required_);
    missingTexts_.push_back(missing.empty() ? QString() : bytesToText(missingMineralsText(missing)));
  }
}

std::vector<int> PointsModel::pointsLacking() const { return vestrane::pointsLacking(overview_, required_); }

const PointOverview& PointsModel::pointAt(int row) const {
  return overview_.points[static_cast<std::size_t>(order_[static_cast<std::size_t>(row)])];
}

int PointsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int PointsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant PointsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const auto i = static_cast<std::size_t>(order_[static_cast<std::size_t>(index.row())]);
  const PointOverview& point = overview_.points[i];
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      switch (column) {
        case Sample: return sampleTexts_[i];
        case Area: return areaTexts_[i];
        case Minerals: return mineralTexts_[i];
        case Missing: return missingTexts_[i].isEmpty() && !required_.empty() ? QStringLiteral("-")
                                                                              : missingTexts_[i];
        case Bytes: return QString::fromStdString(byteSizeText(point.bytes));
        default: return QString::fromStdString(countText(numberIn(point, column)));
      }
    case Qt::BackgroundRole:
      if (!missingTexts_[i].isEmpty()) return QBrush(kLackingBackground);
      return {};
    case Qt::TextAlignmentRole:
      return column >= Combinations && column <= Bytes ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                    : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ForegroundRole:
      if (!point.generable) return QBrush(QColor(192, 0, 0));
      return {};
    case Qt::FontRole:
      if (!point.generable) {
        QFont bold;
        bold.setBold(true);
        return bold;
      }
      return {};
    case Qt::ToolTipRole: {
      QStringList lines;
      if (column == Bytes) lines << QString::fromStdString(countText(point.bytes)) + QStringLiteral(" bytes");
      if (!point.generable) lines << QStringLiteral("This point has ") + QString::fromLatin1(kNotGenerable);
      if (!missingTexts_[i].isEmpty()) lines << QStringLiteral("This point lacks ") + missingTexts_[i];
      if (lines.isEmpty()) return {};
      return lines.join(QLatin1Char('\n'));
    }
    default: return {};
  }
}

QVariant PointsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
    return {};
  return QString::fromLatin1(kHeadings[section]);
}

void PointsModel::sort(int column, Qt::SortOrder order) {
  beginResetModel();
  sortColumn_ = column;
  sortOrder_ = order;
  applyOrder();
  endResetModel();
}

void PointsModel::applyOrder() {
  order_.resize(overview_.points.size());
  std::iota(order_.begin(), order_.end(), 0);
  if (sortColumn_ < 0 || sortColumn_ >= ColumnCount) return;
  auto less = [this](int a, int b) {
    const auto ia = static_cast<std::size_t>(a);
    const auto ib = static_cast<std::size_t>(b);
    switch (sortColumn_) {
      case Sample: return sampleTexts_[ia].compare(sampleTexts_[ib], Qt::CaseInsensitive) < 0;
      case Area: return areaTexts_[ia].compare(areaTexts_[ib], Qt::CaseInsensitive) < 0;
      case Minerals: return mineralTexts_[ia].compare(mineralTexts_[ib], Qt::CaseInsensitive) < 0;
      case Missing: return missingTexts_[ia].compare(missingTexts_[ib], Qt::CaseInsensitive) < 0;
      default: return numberIn(overview_.points[ia], sortColumn_) < numberIn(overview_.points[ib], sortColumn_);
    }
  };
  // Points equal in the column keep the order of the run either way.
  if (sortOrder_ == Qt::AscendingOrder)
    std::stable_sort(order_.begin(), order_.end(), less);
  else
    std::stable_sort(order_.begin(), order_.end(), [&less](int a, int b) { return less(b, a); });
}

}  // namespace vestrane
