#include "cli/study_commands.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <iostream>
#include <optional>
#include <ostream>

#include "cli/plot_option.h"
#include "cli/run_subcommand.h"
#include "io/input_reading.h"
#include "io/number_text.h"
#include "io/result_file.h"
#include "io/run_export.h"
#include "model/messages.h"
#include "runner/plot_module.h"
#include "runner/run_command.h"
#include "runner/study.h"
#include "runner/study_plot.h"
#include "runner/study_table.h"

namespace meltsim::cli {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kSolveExamples = R"(Examples:
  meltsim-cli solve --find OUTPUT --target MELTEND=20
                            the output that melts the default inputs by turn 20
  meltsim-cli solve --find RPM --target MELTEND=16 --within 20:80 -o at16.txt
                            the screw speed, searched from 20 to 80 rpm
  meltsim-cli solve mydata.txt --find C0 --target TAVM=280 --runs search.csv
                            the barrel temperature for a melt temperature of 280

QUANTITY: MELTEND (the FLIGHT where melting completes, turns), TAVM, PTOTAL,
PTOT, PVIS, QSQT, TSAVSTEP. The answer goes to standard output, e.g.
"OUTPUT = 372.43 kg/hr gives MELTEND = 19.90 turns", and the result file of
the run at the answer to -o (default result.txt).

Exit codes: 0 solved; 1 an input or the data file was refused; 2 wrong
command line; 3 a run of the search failed; 4 a file could not be written;
5 no answer in the range, or the quantity is not monotonic over it.)";

constexpr const char* kCapacityExamples = R"(Examples:
  meltsim-cli capacity
                            the largest output the default screw melts at 38 rpm
  meltsim-cli capacity --vary RPM=20:80:5 -o capacity.csv --plot capacity.png
                            the capacity curve over 13 screw speeds
  meltsim-cli capacity --by 20 --vary C0=260:320:10
                            the output melted by turn 20, against the barrel temperature

Columns: the varied inputs, OUTPUT (the capacity, kg/hr; empty where nothing
melts in time), FLIGHT (where melting completes at it), status (ok, warning,
input error, calculation error), message.

Exit codes: 0 every point written (whatever its status); 1 an input or the
data file was refused; 2 wrong command line; 4 an output could not be written.)";

constexpr const char* kSensitivityExamples = R"(Examples:
  meltsim-cli sensitivity
                            each editable input of the defaults at -5 % and +5 %
  meltsim-cli sensitivity mydata.txt --all-fields --step 2 -o sens.csv --plot tornado.png
                            the polymer values too, steps of 2 %

Columns: symbol, value, step, then for MELTEND, TAVM, PTOTAL and QSQT the
values at -step and +step and the elasticity (Q+ - Q-)/Q0/(2 step), then
status and message; ranked by the size of the MELTEND elasticity.

Exit codes: 0 every row written; 1 an input or the data file was refused;
2 wrong command line; 4 an output could not be written.)";

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

int Usage(std::ostream& err, const std::string& message) {
  err << message << '\n';
  return kExitUsage;
}

// A line on the terminal, redrawn at most ten times a second.
class ProgressLine {
 public:
  explicit ProgressLine(std::ostream& err) : err_(err) {}
  void Show(double fraction, std::uint64_t runs) {
    const Clock::time_point now = Clock::now();
    if (fraction < 1 && now - lastDrawn_ < std::chrono::milliseconds(100)) return;
    lastDrawn_ = now;
    constexpr int kWidth = 30;
    const int filled = std::clamp(static_cast<int>(fraction * kWidth), 0, kWidth);
    err_ << '\r' << '[' << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] "
         << static_cast<int>(fraction * 100) << " %  " << runs << " runs "
         << (fraction >= 1 ? "\n" : "") << std::flush;
  }

 private:
  std::ostream& err_;
  Clock::time_point lastDrawn_{};
};

StudyControl MakeControl(std::ostream& err, bool terminal, std::unique_ptr<ProgressLine>& line) {
  if (!terminal) return StudyControl();
  line = std::make_unique<ProgressLine>(err);
  ProgressLine* shown = line.get();
  return StudyControl(
      [shown](double fraction, std::uint64_t runs) { shown->Show(fraction, runs); });
}

// The texts of the study's inputs; kExitDone when they may be used.
int MakeInputs(const FieldOptions& fields, unsigned jobs, std::ostream& err, StudyInputs& inputs) {
  const FieldTextsResult texts = BuildFieldTexts(fields);
  for (const std::string& warning : texts.warnings) err << warning << '\n';
  if (texts.exitCode != kExitDone) {
    err << texts.error << '\n';
    return texts.exitCode;
  }
  InputData checked;
  if (const Expected<void> accepted = ReadAndCheck(texts.texts, kDefaultSaveFileName, checked);
      !accepted) {
    err << accepted.error().message << '\n';
    return kExitInputRejected;
  }
  inputs.base = texts.texts;
  inputs.seriesMode = fields.series;
  inputs.jobs = jobs;
  return kExitDone;
}

// Writes `text` to `path` ("-": `out`); false after telling why not.
bool WriteOutput(const std::string& path, const std::string& text, std::ostream& out,
                 std::ostream& err, const char* what) {
  if (path == "-") {
    out << text << std::flush;
    return static_cast<bool>(out);
  }
  return WriteCopy(path, text, what, err);
}

// The table as CSV and JSON Lines where the options say; CSV on `out` when
// neither is named.
int WriteTable(const StudyTable& table, const std::string& csvPath, const std::string& jsonPath,
               std::ostream& out, std::ostream& err) {
  const std::string csv = csvPath.empty() && jsonPath.empty() ? "-" : csvPath;
  bool ok = true;
  if (!csv.empty()) ok = WriteOutput(csv, StudyCsv(table), out, err, "CSV") && ok;
  if (!jsonPath.empty()) ok = WriteOutput(jsonPath, StudyJsonLines(table), out, err, "JSON") && ok;
  return ok ? kExitDone : kExitFileError;
}

int CheckOutputs(const std::string& csv, const std::string& json, const std::string& plot,
                 std::ostream& err) {
  if (csv == "-" && json == "-")
    return Usage(err, "-o - and --json - cannot both go to standard output");
  if (!plot.empty()) {
    if (const Expected<void> checked = CheckPlotOption(plot); !checked)
      return Usage(err, checked.error().message);
  }
  return kExitDone;
}

int WritePlot(const StudyPlot& plot, const std::string& path, std::ostream& err) {
  if (path.empty()) return kExitDone;
  if (const Expected<void> written = WriteStudyPlotWithModule(plot, path); !written) {
    err << written.error().message << '\n';
    return kExitFileError;
  }
  return kExitDone;
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void AddJobsOption(CLI::App& command, unsigned& jobs) {
  command.add_option("--jobs", jobs, "Runs at once (default: every core). E.g. --jobs 2")
      ->check(CLI::Range(1u, 1024u))
      ->type_name("N");
}

void AddTableOptions(CLI::App& command, std::string& output, std::string& json, std::string& plot,
                     const char* plotWhat) {
  command
      .add_option("-o,--output", output,
                  "CSV file of the table ('-': standard output, the default when no --json is "
                  "given)")
      ->type_name("FILE");
  command
      .add_option("--json", json,
                  "JSON Lines file of the table, one object per row ('-': standard output)")
      ->type_name("FILE");
  command
      .add_option("--plot", plot, std::string("Also draw ") + plotWhat + " into FILE, .png or .svg")
      ->type_name("FILE");
}

// ---- solve ----

int ParseSolve(const SolveOptions& options, std::ostream& err, GoalSeekRequest& request) {
  request.field = FieldIndex(Upper(options.find));
  if (request.field < 0) return Usage(err, "--find: unknown input symbol \"" + options.find + "\"");
  const std::size_t equals = options.target.find('=');
  if (equals == std::string::npos)
    return Usage(err, "--target expects QUANTITY=VALUE, got \"" + options.target + "\"");
  const std::optional<StudyQuantity> quantity =
      ParseStudyQuantity(options.target.substr(0, equals));
  if (!quantity) {
    return Usage(err, "--target: unknown quantity \"" + options.target.substr(0, equals) +
                          "\"; the quantities are " + StudyQuantityList());
  }
  const std::optional<double> target = ConvertNumber(options.target.substr(equals + 1));
  if (!target)
    return Usage(err, "--target: \"" + options.target.substr(equals + 1) + "\" is not a number");
  request.quantity = *quantity;
  request.target = *target;
  if (options.within.empty()) return kExitDone;
  const std::size_t colon = options.within.find(':');
  const std::optional<double> low =
      colon == std::string::npos ? std::nullopt : ConvertNumber(options.within.substr(0, colon));
  const std::optional<double> high =
      colon == std::string::npos ? std::nullopt : ConvertNumber(options.within.substr(colon + 1));
  if (!low || !high || !(*low < *high))
    return Usage(err, "--within expects LO:HI with LO < HI, got \"" + options.within + "\"");
  request.within = std::pair{*low, *high};
  return kExitDone;
}

class StderrSink : public MessageSink {
 public:
  explicit StderrSink(std::ostream& err) : err_(err) {}

 protected:
  void Display(const std::string& text, MessageKind) override { err_ << text << '\n'; }

 private:
  std::ostream& err_;
};

// The result file of the answer's run and its copies, as `run` writes them.
int WriteAnswerFiles(const SolveOptions& options, const GoalSeekResult& result, std::ostream& err) {
  StderrSink messages(err);
  const RunOutcome outcome =
      RunCommand(result.texts, options.output, messages, options.fields.series);
  if (outcome.status == RunStatus::InputRejected) return kExitInputRejected;
  if (outcome.status == RunStatus::CalculationFailed) return kExitCalculationFailed;
  if (outcome.status == RunStatus::FileError) return kExitFileError;
  bool ok = true;
  if (!options.json.empty()) {
    ok = WriteOutput(options.json, RunJson(outcome.inputs, outcome.state), err, err, "JSON") && ok;
  }
  if (!options.csv.empty())
    ok = WriteOutput(options.csv, StepTableCsv(outcome.state), err, err, "CSV") && ok;
  return ok ? kExitDone : kExitFileError;
}

// ---- sweep --plot ----

std::vector<CapacityPoint> CapacityLineOf(const SweepPlan& plan, unsigned jobs) {
  const std::vector<VaryAxis>& axes = plan.grid.Axes();
  const auto output = std::find_if(axes.begin(), axes.end(),
                                   [](const VaryAxis& a) { return a.symbol == "OUTPUT"; });
  if (axes.size() != 2 || output == axes.end()) return {};
  const VaryAxis& other = output == axes.begin() ? axes[1] : axes[0];
  VaryAxis values = other;
  values.list.clear();
  for (std::uint64_t i = 0; i < other.Count(); ++i) values.list.push_back(other.ValueAt(i));
  StudyInputs inputs;
  inputs.base = plan.base;
  inputs.seriesMode = plan.seriesMode;
  inputs.jobs = jobs;
  CapacityRequest request;
  request.axes = {values};
  StudyControl control;
  return Capacity(inputs, request, control);
}

}  // namespace

CLI::App* AddSolveSubcommand(CLI::App& app, SolveOptions& options) {
  CLI::App* solve = app.add_subcommand(
      "solve",
      "Goal seek: the value of one input that gives a quantity its target (e.g. the output "
      "that melts by turn 20), and the result file of the run at that value");
  AddFieldOptions(*solve, options.fields);
  solve->add_option("--find", options.find, "The input to find, e.g. --find OUTPUT")
      ->required()
      ->type_name("SYMBOL");
  solve
      ->add_option("--target", options.target,
                   "The quantity and its target: MELTEND (turns), TAVM, PTOTAL, PTOT, PVIS, QSQT "
                   "or TSAVSTEP, e.g. --target MELTEND=20")
      ->required()
      ->type_name("QUANTITY=VALUE");
  solve
      ->add_option("--within", options.within,
                   "The range to search (default: half to twice the input's value), e.g. "
                   "--within 100:600")
      ->type_name("LO:HI");
  solve
      ->add_option("-o,--output", options.output,
                   "Result file of the run at the answer (default result.txt)")
      ->type_name("FILE");
  solve->add_option("--json", options.json, "Also the answer's run as JSON, as `run --json`")
      ->type_name("FILE");
  solve->add_option("--csv", options.csv, "Also the answer's step table as CSV, as `run --csv`")
      ->type_name("FILE");
  solve
      ->add_option("--runs", options.runs,
                   "The runs of the search as CSV: run, input, quantity, status")
      ->type_name("FILE");
  solve
      ->add_option("--plot", options.plot,
                   "Also draw the quantity of each run against the input, with the target, into "
                   "FILE, .png or .svg")
      ->type_name("FILE");
  AddJobsOption(*solve, options.jobs);
  solve->footer(kSolveExamples);
  return solve;
}

CLI::App* AddCapacitySubcommand(CLI::App& app, CapacityOptions& options) {
  CLI::App* capacity = app.add_subcommand(
      "capacity",
      "Melting capacity: the largest OUTPUT (kg/hr) that melts completely by a position "
      "(default: on the screw), to 0.05 %, at every point of a grid of other inputs");
  AddFieldOptions(*capacity, options.fields);
  capacity
      ->add_option("--by", options.by,
                   "The FLIGHT (turns) by which the polymer must have melted (default: the end of "
                   "the screw), e.g. --by 20")
      ->type_name("FLIGHT");
  capacity
      ->add_option("--vary", options.varies,
                   "Vary another input as for sweep (repeatable): SYMBOL=START:STOP:STEP or "
                   "SYMBOL=v1,v2,..., e.g. --vary RPM=20:80:5")
      ->allow_extra_args(false)
      ->type_name("SYMBOL=RANGE|LIST");
  AddTableOptions(*capacity, options.output, options.json, options.plot,
                  "the capacity against the first varied input");
  AddJobsOption(*capacity, options.jobs);
  capacity->footer(kCapacityExamples);
  return capacity;
}

CLI::App* AddSensitivitySubcommand(CLI::App& app, SensitivityOptions& options) {
  CLI::App* sensitivity = app.add_subcommand(
      "sensitivity",
      "Sensitivity: MELTEND, TAVM, PTOTAL and QSQT with each editable input (and with "
      "--all-fields the polymer values) a step below and above its value, and the "
      "elasticities, ranked by their effect on MELTEND");
  AddFieldOptions(*sensitivity, options.fields);
  sensitivity->add_option("--step", options.step, "The step in percent of each value (default 5)")
      ->check(CLI::Range(0.001, 99.0))
      ->type_name("PERCENT");
  AddTableOptions(*sensitivity, options.output, options.json, options.plot,
                  "the tornado chart of MELTEND");
  AddJobsOption(*sensitivity, options.jobs);
  sensitivity->footer(kSensitivityExamples);
  return sensitivity;
}

int SolveSubcommand(const SolveOptions& options, std::ostream& out, std::ostream& err,
                    bool terminal) {
  GoalSeekRequest request;
  if (const int code = ParseSolve(options, err, request); code != kExitDone) return code;
  if (const int code = CheckOutputs("", "", options.plot, err); code != kExitDone) return code;
  StudyInputs inputs;
  if (const int code = MakeInputs(options.fields, options.jobs, err, inputs); code != kExitDone)
    return code;
  std::unique_ptr<ProgressLine> line;
  StudyControl control = MakeControl(err, terminal, line);
  const GoalSeekResult result = GoalSeek(inputs, request, control);
  int code = kExitDone;
  if (!options.runs.empty() &&
      !WriteOutput(options.runs, StudyCsv(GoalSeekTable(result)), out, err, "CSV"))
    code = kExitFileError;
  if (const int plotted = WritePlot(DescribeGoalSeekPlot(result), options.plot, err);
      plotted != kExitDone)
    code = plotted;
  switch (result.outcome) {
    case GoalSeekResult::Outcome::Solved:
      break;
    case GoalSeekResult::Outcome::NoSolution:
    case GoalSeekResult::Outcome::NotMonotonic:
      err << result.message << '\n';
      return kExitNoSolution;
    case GoalSeekResult::Outcome::Failed:
      err << result.message << '\n';
      return result.row.status == CaseStatus::InputError ? kExitInputRejected
                                                         : kExitCalculationFailed;
  }
  out << GoalSeekAnswer(result) << '\n' << std::flush;
  err << GoalSeekDetails(result) << '\n';
  const int written = WriteAnswerFiles(options, result, err);
  return written != kExitDone ? written : code;
}

int CapacitySubcommand(const CapacityOptions& options, std::ostream& out, std::ostream& err,
                       bool terminal) {
  CapacityRequest request;
  const Expected<SweepGrid> grid = BuildSweepGrid(options.varies);
  if (!grid) return Usage(err, grid.error().message);
  for (const VaryAxis& axis : grid->Axes()) {
    if (axis.symbol == "OUTPUT")
      return Usage(err, "--vary OUTPUT: the capacity study finds OUTPUT");
  }
  request.axes = grid->Axes();
  if (!options.by.empty()) {
    request.by = ConvertNumber(options.by);
    if (!request.by)
      return Usage(err, "--by expects a FLIGHT in turns, got \"" + options.by + "\"");
  }
  if (!options.plot.empty() && request.axes.empty())
    return Usage(err, "--plot draws the capacity against a varied input: give a --vary");
  if (const int code = CheckOutputs(options.output, options.json, options.plot, err);
      code != kExitDone)
    return code;
  StudyInputs inputs;
  if (const int code = MakeInputs(options.fields, options.jobs, err, inputs); code != kExitDone)
    return code;
  std::unique_ptr<ProgressLine> line;
  StudyControl control = MakeControl(err, terminal, line);
  const Clock::time_point start = Clock::now();
  const std::vector<CapacityPoint> points = Capacity(inputs, request, control);
  const double seconds = Seconds(start);
  int code =
      WriteTable(CapacityTable(request.axes, points), options.output, options.json, out, err);
  if (const int plotted =
          WritePlot(DescribeCapacityPlot(request.axes, points, request.by), options.plot, err);
      plotted != kExitDone)
    code = plotted;
  const auto found = std::count_if(points.begin(), points.end(),
                                   [](const CapacityPoint& p) { return p.OUTPUT.has_value(); });
  err << "capacity: " << points.size() << " point" << (points.size() == 1 ? "" : "s") << ", "
      << found << " found, " << control.Runs() << " runs in " << DecimalsText(seconds, 2) << " s\n";
  return code;
}

int SensitivitySubcommand(const SensitivityOptions& options, std::ostream& out, std::ostream& err,
                          bool terminal) {
  if (const int code = CheckOutputs(options.output, options.json, options.plot, err);
      code != kExitDone)
    return code;
  StudyInputs inputs;
  if (const int code = MakeInputs(options.fields, options.jobs, err, inputs); code != kExitDone)
    return code;
  SensitivityRequest request;
  request.stepPercent = options.step;
  request.allFields = options.fields.allFields;
  std::unique_ptr<ProgressLine> line;
  StudyControl control = MakeControl(err, terminal, line);
  const Clock::time_point start = Clock::now();
  const SensitivityResult result = Sensitivity(inputs, request, control);
  const double seconds = Seconds(start);
  int code = WriteTable(SensitivityTable(result), options.output, options.json, out, err);
  if (const int plotted = WritePlot(DescribeSensitivityPlot(result), options.plot, err);
      plotted != kExitDone)
    code = plotted;
  std::string base;
  for (std::size_t q = 0; q < kSensitivityQuantities.size(); ++q) {
    const QuantityInfo& info = InfoOf(kSensitivityQuantities[q]);
    base += (q == 0 ? "" : ", ") + std::string(info.symbol) + " = " +
            (result.base[q] ? DecimalsText(*result.base[q], q == 3 ? 4 : 2) : std::string("-"));
  }
  err << "base run (" << StatusText(result.baseRow) << "): " << base << '\n';
  err << "sensitivity: " << result.rows.size() << " inputs, " << control.Runs() << " runs in "
      << DecimalsText(seconds, 2) << " s\n";
  return code;
}

Expected<void> CheckSweepPlot(const std::string& path, std::size_t axes) {
  if (axes < 1 || axes > 2) {
    return Fail(FailureKind::Usage,
                "--plot draws a sweep of one or two --vary inputs (the map of two), not " +
                    IntegerText(axes));
  }
  return CheckPlotOption(path);
}

Expected<void> WriteSweepPlot(const SweepPlan& plan, const std::vector<CaseRow>& rows,
                              unsigned jobs, const std::string& path) {
  GridStudy grid;
  grid.axes = plan.grid.Axes();
  grid.rows = rows;
  std::vector<int> fields;
  for (const VaryAxis& axis : grid.axes) fields.push_back(axis.field);
  for (const CaseRow& row : rows)
    grid.meltingStarts.push_back(PointInputs(PointTexts(plan.base, fields, row.values)).NDELAY);
  const std::vector<CapacityPoint> capacity = CapacityLineOf(plan, jobs);
  return WriteStudyPlotWithModule(DescribeGridPlot(grid, capacity.empty() ? nullptr : &capacity),
                                  path);
}

}  // namespace meltsim::cli
