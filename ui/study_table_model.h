// The table of a study for a view: its columns with their units as heads,
// numbers to seven significant digits, sorted by their numbers.
#pragma once

#include <QAbstractTableModel>

#include "runner/study_table.h"

namespace meltsim {

class StudyTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The role that gives a cell's number (or its text), for sorting.
  static constexpr int kSortRole = Qt::UserRole;

  explicit StudyTableModel(QObject* parent = nullptr);

  void SetTable(const StudyTable& table);
  const StudyTable& Table() const { return table_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  StudyTable table_;
};

}  // namespace meltsim
