#include "runner/study_table.h"

#include <nlohmann/json.hpp>
#include <variant>

#include "io/run_export.h"
#include "model/field_help.h"
#include "runner/sweep_table.h"

namespace meltsim {

namespace {

StudyCell Number(std::optional<double> value) { return {value, std::nullopt}; }
StudyCell Text(std::string text) { return {std::nullopt, std::move(text)}; }

std::string UnitOfField(int field) {
  const std::string unit = kFieldHelp[static_cast<std::size_t>(field)].unit;
  return unit == "-" ? "" : unit;
}

std::string UnitOfQuantity(StudyQuantity quantity) {
  const std::string unit = InfoOf(quantity).unit;
  return unit == "-" ? "" : unit;
}

void AddAxisColumns(StudyTable& table, const std::vector<VaryAxis>& axes) {
  for (const VaryAxis& axis : axes) table.columns.push_back({axis.symbol, UnitOfField(axis.field)});
}

std::string CsvQuoted(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) joined += (joined.empty() ? "" : "; ") + text;
  return joined;
}

}  // namespace

int StudyTable::ColumnIndex(const std::string& name) const {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

StudyTable CapacityTable(const std::vector<VaryAxis>& axes,
                         const std::vector<CapacityPoint>& points) {
  StudyTable table;
  table.study = "capacity";
  AddAxisColumns(table, axes);
  table.columns.push_back({"OUTPUT", "kg/hr"});
  table.columns.push_back({"FLIGHT", "turns"});
  table.columns.push_back({"status", "", false});
  table.columns.push_back({"message", "", false});
  for (const CapacityPoint& point : points) {
    std::vector<StudyCell> row;
    for (double value : point.values) row.push_back(Number(value));
    row.push_back(Number(point.OUTPUT));
    row.push_back(Number(point.FLIGHT));
    row.push_back(Text(point.status));
    row.push_back(Text(point.message));
    table.rows.push_back(std::move(row));
  }
  return table;
}

StudyTable SensitivityTable(const SensitivityResult& result) {
  StudyTable table;
  table.study = "sensitivity";
  table.columns.push_back({"symbol", "", false});
  table.columns.push_back({"value", ""});
  table.columns.push_back({"step", "%"});
  for (StudyQuantity quantity : kSensitivityQuantities) {
    const std::string symbol = InfoOf(quantity).symbol;
    table.columns.push_back({symbol + "_minus", UnitOfQuantity(quantity)});
    table.columns.push_back({symbol + "_plus", UnitOfQuantity(quantity)});
    table.columns.push_back({symbol + "_elasticity", ""});
  }
  table.columns.push_back({"status", "", false});
  table.columns.push_back({"message", "", false});
  for (const SensitivityRow& r : result.rows) {
    std::vector<StudyCell> row = {Text(kFields[static_cast<std::size_t>(r.field)].symbol),
                                  Number(r.value), Number(r.stepPercent)};
    for (std::size_t q = 0; q < kSensitivityQuantities.size(); ++q) {
      row.push_back(Number(r.minus[q]));
      row.push_back(Number(r.plus[q]));
      row.push_back(Number(r.elasticity[q]));
    }
    row.push_back(Text(r.status));
    row.push_back(Text(r.message));
    table.rows.push_back(std::move(row));
  }
  return table;
}

StudyTable GoalSeekTable(const GoalSeekResult& result) {
  StudyTable table;
  table.study = "goal seek";
  table.columns.push_back({"run", ""});
  if (result.field >= 0) {
    table.columns.push_back(
        {kFields[static_cast<std::size_t>(result.field)].symbol, UnitOfField(result.field)});
  }
  table.columns.push_back({InfoOf(result.quantity).symbol, UnitOfQuantity(result.quantity)});
  table.columns.push_back({"status", "", false});
  double run = 0;
  for (const GoalSeekProbe& probe : result.probes) {
    std::vector<StudyCell> row = {Number(++run)};
    if (result.field >= 0) row.push_back(Number(probe.x));
    row.push_back(Number(probe.quantity));
    row.push_back(Text(probe.status));
    table.rows.push_back(std::move(row));
  }
  return table;
}

// A cell of the sweep's table as a cell of a study's table.
struct FromSweepCell {
  StudyCell operator()(std::monostate) const { return {}; }
  StudyCell operator()(std::int64_t count) const { return Number(static_cast<double>(count)); }
  StudyCell operator()(double number) const { return Number(number); }
  StudyCell operator()(const std::string& text) const { return Text(text); }
  StudyCell operator()(const std::vector<std::string>& texts) const { return Text(Joined(texts)); }
};

StudyTable GridTable(const GridStudy& grid) {
  StudyTable table;
  table.study = "grid";
  table.columns.push_back({"case", ""});
  AddAxisColumns(table, grid.axes);
  for (const SweepColumn& column : kSweepRowColumns) {
    const bool number = column.type == SweepCellType::Count || column.type == SweepCellType::Number;
    table.columns.push_back({column.head, "", number});
  }
  for (const CaseRow& r : grid.rows) {
    std::vector<StudyCell> row = {Number(static_cast<double>(r.caseNumber))};
    for (double value : r.values) row.push_back(Number(value));
    for (const SweepColumn& column : kSweepRowColumns)
      row.push_back(std::visit(FromSweepCell{}, column.cell(r)));
    table.rows.push_back(std::move(row));
  }
  return table;
}

std::string CellText(const StudyCell& cell) {
  if (cell.number) return StudyValueText(*cell.number);
  return cell.text.value_or("");
}

std::string StudyCsv(const StudyTable& table) {
  std::string csv;
  for (std::size_t c = 0; c < table.columns.size(); ++c)
    csv += (c == 0 ? "" : ",") + CsvQuoted(table.columns[c].name);
  csv += '\n';
  for (const std::vector<StudyCell>& row : table.rows) {
    for (std::size_t c = 0; c < row.size(); ++c)
      csv += (c == 0 ? "" : ",") + CsvQuoted(CellText(row[c]));
    csv += '\n';
  }
  return csv;
}

std::string StudyJsonLines(const StudyTable& table) {
  std::string lines;
  for (const std::vector<StudyCell>& row : table.rows) {
    nlohmann::ordered_json object;
    for (std::size_t c = 0; c < table.columns.size() && c < row.size(); ++c) {
      const StudyCell& cell = row[c];
      const std::string& key = table.columns[c].name;
      if (cell.number) {
        object[key] = *cell.number;
      } else if (cell.text) {
        object[key] = *cell.text;
      } else {
        object[key] = nullptr;
      }
    }
    lines += object.dump() + "\n";
  }
  return lines;
}

std::string ColumnHead(const StudyColumn& column) {
  return column.unit.empty() ? column.name : column.name + " (" + column.unit + ")";
}

}  // namespace meltsim
