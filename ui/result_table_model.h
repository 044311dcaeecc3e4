// The table of recorded steps for a view: the cells as the result file
// prints them, sorted by their numbers.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "io/result_file_reader.h"

namespace meltsim {

class ResultTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The role that gives a cell's number, for sorting.
  static constexpr int kNumberRole = Qt::UserRole;

  explicit ResultTableModel(QObject* parent = nullptr);

  void SetRows(const std::vector<ResultRow>& rows);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  std::vector<ResultRow> rows_;
};

}  // namespace meltsim
