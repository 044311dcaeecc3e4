// The rows of a parameter study as a table: its one list of columns, read
// by every copy of a study (CSV, JSON Lines, the Python module, the window
// and the browser), and the CSV and JSON Lines lines made from it.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "runner/sweep_runner.h"

namespace meltsim {

// One cell: empty (no results), a count, a number, a text, or a list of
// texts (the notices, notes and warnings of a case).
using SweepCell =
    std::variant<std::monostate, std::int64_t, double, std::string, std::vector<std::string>>;

enum class SweepCellType { Count, Number, Text, Texts };

struct SweepColumn {
  const char* head;
  SweepCellType type;
  SweepCell (*cell)(const CaseRow& row);
  const char* meaning;  // for help texts and docstrings
};

constexpr std::size_t kSweepRowColumnCount = 21;

// The columns of a row after `case` and the varied inputs, in their order.
extern const std::array<SweepColumn, kSweepRowColumnCount> kSweepRowColumns;

// The column heads of a study: case, the varied symbols, then kSweepRowColumns.
std::vector<std::string> SweepColumnHeads(const SweepGrid& grid);

// One field quoted as RFC 4180 asks: in double quotes, with inner quotes
// doubled, when it holds a comma, a quote, CR or LF.
std::string CsvField(const std::string& text);

// The CSV header line of a study (LF end).
std::string CsvHeader(const SweepGrid& grid);

// The CSV line of a row: numbers as the shortest text that reads back
// exactly, lists joined by "; ", empty cells empty, LF end.
std::string CsvLine(const CaseRow& row);

// The JSON Lines line of a row: one object with the CSV's columns as keys,
// null where the CSV cell is empty, lists as arrays.
std::string JsonLine(const SweepGrid& grid, const CaseRow& row);

// A write to an output stream failed (full disk, closed pipe).
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes the header line at construction, then one line per row; throws
// OutputError as soon as the stream fails.
class CsvRowWriter : public CaseRowSink {
 public:
  CsvRowWriter(std::ostream& out, const SweepGrid& grid);
  void Write(const CaseRow& row) override;

 private:
  std::ostream& out_;
};

class JsonLinesRowWriter : public CaseRowSink {
 public:
  JsonLinesRowWriter(std::ostream& out, const SweepGrid& grid) : out_(out), grid_(grid) {}
  void Write(const CaseRow& row) override;

 private:
  std::ostream& out_;
  const SweepGrid& grid_;
};

// Passes each row to every sink.
class TeeRowSink : public CaseRowSink {
 public:
  void Add(CaseRowSink& sink) { sinks_.push_back(&sink); }
  void Write(const CaseRow& row) override {
    for (CaseRowSink* sink : sinks_) sink->Write(row);
  }

 private:
  std::vector<CaseRowSink*> sinks_;
};

}  // namespace meltsim
