#include "ui/result_table_model.h"

#include "model/field_help.h"

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
  if (orientation == Qt::Vertical) {
    if (role == Qt::DisplayRole) return section + 1;  // the step number
    return {};
  }
  if (section < 0 || section >= kResultColumnCount) return {};
  const ColumnHelp& help = kColumnHelp[static_cast<std::size_t>(section)];
  switch (role) {
    case Qt::DisplayRole:  // the head over its unit: "FLIGHT" / "(turns)"
      return QString::fromUtf8(help.head) + QStringLiteral("\n(") + QString::fromUtf8(help.unit) +
             QLatin1Char(')');
    case Qt::ToolTipRole:
      return QString::fromUtf8(help.meaning);
    default:
      return {};
  }
}

}  // namespace meltsim
