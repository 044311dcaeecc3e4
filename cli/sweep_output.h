// The rows of a parameter study as CSV or as JSON Lines, written as they
// come so that nothing is held back.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "runner/sweep_runner.h"

namespace meltsim::cli {

// A write to an output stream failed (full disk, closed pipe).
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The column heads: case, the varied symbols, status, message, NSTEP, end,
// QSQT, FLIGHT, PTOTAL, PTOT, PVIS, PPRE, PSCREW, TAVM, VSZ, notices.
std::vector<std::string> SweepColumns(const SweepGrid& grid);

// One field quoted as RFC 4180 asks: in double quotes, with inner quotes
// doubled, when it holds a comma, a quote, CR or LF.
std::string CsvField(const std::string& text);

// The CSV line of a row (numbers with 17 significant digits, LF end).
std::string CsvLine(const CaseRow& row);

// The JSON Lines line of a row: one object with the CSV's columns as keys,
// null where the CSV cell is empty, the notices as an array.
std::string JsonLine(const SweepGrid& grid, const CaseRow& row);

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

}  // namespace meltsim::cli
