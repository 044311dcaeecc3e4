#include "cli/field_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "io/data_file.h"
#include "io/number_text.h"

namespace meltsim::cli {

namespace {

std::string SymbolList() {
  std::string list;
  for (const InputField& field : kFields)
    list += (list.empty() ? "" : " ") + std::string(field.symbol);
  return list;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// A fixed polymer line of a data file is ignored without --all-fields; say
// so when its value is not the number that the run uses.
std::optional<std::string> IgnoredLineWarning(const std::string& fileName, int index,
                                              const std::string& value) {
  const InputField& field = kFields[index];
  const std::optional<double> fileValue = ConvertNumber(value);
  const std::optional<double> fixedValue = ConvertNumber(field.defaultText);
  if (fileValue && fixedValue && *fileValue == *fixedValue) return std::nullopt;
  return "warning: line " + IntegerText(index + 1) + " of \"" + fileName + "\" (" +
         field.symbol + " = " + value + ") is ignored; the run uses the fixed value " +
         field.defaultText + " (use --all-fields to take it)";
}

bool ApplyDataFile(const FieldOptions& options, FieldTextsResult& result) {
  const DataFileResult file = ReadDataFile(options.dataFile);
  if (!file.has_value()) {
    result.exitCode = kExitInputRejected;
    result.error = file.error().message;
    return false;
  }
  for (int i = 0; i < kFieldCount; ++i) {
    if (kFields[i].editable || options.allFields) {
      result.texts[i] = file.value()[i];
    } else if (auto warning = IgnoredLineWarning(options.dataFile, i, file.value()[i])) {
      result.warnings.push_back(*warning);
    }
  }
  return true;
}

bool ApplySet(const std::string& assignment, FieldTextsResult& result) {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string::npos) {
    result.exitCode = kExitUsage;
    result.error = "--set expects SYMBOL=TEXT, got \"" + assignment + "\"";
    return false;
  }
  const std::string symbol = assignment.substr(0, equals);
  const int index = FieldIndex(Upper(symbol));
  if (index < 0) {
    result.exitCode = kExitUsage;
    result.error =
        "--set: unknown input symbol \"" + symbol + "\"; the symbols are " + SymbolList();
    return false;
  }
  result.texts[index] = assignment.substr(equals + 1);
  return true;
}

}  // namespace

void AddFieldOptions(CLI::App& command, FieldOptions& options) {
  command
      .add_option("DATAFILE", options.dataFile,
                  "Data file of 31 lines \"label = value\" (as the window's Read Data File "
                  "reads it); lines 15 to 27, the fixed polymer data, are ignored unless "
                  "--all-fields is given. E.g. mydata.txt")
      ->type_name("FILE");
  command.add_flag("--all-fields", options.allFields,
                   "Take lines 15 to 27 (viscosity parameters a0..a12, RHOS, RHOM, CPS, HFUS, "
                   "CPM, KM, TM) of the data file too. E.g. run pp.txt --all-fields");
  command
      .add_option("--set", options.sets,
                  "Set one input, SYMBOL=TEXT (repeatable; applied after the data file; any of "
                  "the 31 symbols: " +
                      SymbolList() +
                      "). TEXT is converted and checked like a typed field, e.g. --set RPM=60")
      ->allow_extra_args(false)
      ->type_name("SYMBOL=TEXT");
  const std::map<std::string, SeriesMode> modes = {{"written", SeriesMode::Written},
                                                   {"rescue", SeriesMode::Rescue},
                                                   {"stable", SeriesMode::Stable}};
  command
      .add_option("--series", options.series,
                  "How the solid bed series is evaluated: written (the term loop as the model "
                  "writes it, every outcome as it gives), rescue (the default: a step that fails "
                  "or whose film iteration gives up is computed again with the converged series "
                  "sums, and so is the rest of the run; a run the written series solves is "
                  "unchanged), stable (the converged sums wherever the term loop does not "
                  "converge, from the first step)")
      // The choices are in the type name; the transformer's own list of its
      // mapping would only repeat them as numbers.
      ->transform(CLI::CheckedTransformer(modes, CLI::ignore_case).description(""))
      ->type_name("written|rescue|stable");
}

FieldTextsResult BuildFieldTexts(const FieldOptions& options) {
  FieldTextsResult result;
  result.texts = DefaultFieldTexts();
  if (!options.dataFile.empty() && !ApplyDataFile(options, result)) return result;
  for (const std::string& assignment : options.sets) {
    if (!ApplySet(assignment, result)) return result;
  }
  return result;
}

std::string RefusedFieldLine(const Failure& problem) {
  if (problem.field < 0 || problem.field >= kFieldCount) return "";
  const InputField& field = kFields[static_cast<std::size_t>(problem.field)];
  std::string_view label = field.windowLabel;
  const auto isTrimmed = [](char c) { return c == ' ' || c == ':'; };
  while (!label.empty() && isTrimmed(label.front())) label.remove_prefix(1);
  while (!label.empty() && isTrimmed(label.back())) label.remove_suffix(1);
  return "Refused input: " + std::string(field.symbol) + ", " + std::string(label) + "\n";
}

}  // namespace meltsim::cli
