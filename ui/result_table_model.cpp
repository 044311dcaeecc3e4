#include "ui/result_table_model.h"

namespace meltsim {

ResultTableModel::ResultTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultTableModel::SetRows(const std::vector<ResultRow>& rows) {
  beginResetModel();
  rows_ = rows;
  endResetModel();
}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kResultColumnCount;
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= kResultColumnCount)
    return {};
  const ResultRow& row = rows_[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(row.cells[index.column()]);
    case kNumberRole:
      return row.values.*kResultColumns[index.column()].value;
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    default:
      return {};
  }
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;  // the step number
  if (section < 0 || section >= kResultColumnCount) return {};
  return QString::fromLatin1(kResultColumns[section].head);
}

}  // namespace meltsim
