#include "plot/number_qstring.h"
#include "ui/study_table_model.h"

#include <limits>

namespace meltsim {

StudyTableModel::StudyTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void StudyTableModel::SetTable(const StudyTable& table) {
  beginResetModel();
  table_ = table;
  endResetModel();
}

int StudyTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(table_.rows.size());
}

int StudyTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(table_.columns.size());
}

QVariant StudyTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const StudyCell& cell =
      table_.rows[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
  switch (role) {
    case Qt::DisplayRole:
      if (cell.number) return SignificantQString(*cell.number, 7);
      return QString::fromStdString(cell.text.value_or(""));
    case Qt::ToolTipRole:
      // A long message is read in full in its tooltip.
      return cell.text ? QString::fromStdString(*cell.text) : QVariant();
    case Qt::TextAlignmentRole:
      return cell.number ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case kSortRole:
      if (cell.number) return *cell.number;
      // Texts sort as texts; empty number cells after every number.
      if (table_.columns[static_cast<std::size_t>(index.column())].number)
        return std::numeric_limits<double>::max();
      return QString::fromStdString(cell.text.value_or(""));
    default:
      return {};
  }
}

QVariant StudyTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= columnCount()) return {};
  return QString::fromStdString(ColumnHead(table_.columns[static_cast<std::size_t>(section)]));
}

}  // namespace meltsim
