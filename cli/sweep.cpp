#include "cli/sweep.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <system_error>

#include "cli/study_commands.h"
#include "cli/terminal.h"
#include "io/number_text.h"
#include "runner/sweep_runner.h"
#include "runner/sweep_table.h"

namespace meltsim::cli {

namespace {

constexpr const char* kSweepExamples = R"(Examples:
  meltsim-cli sweep --vary RPM=20:60:5 -o rpm.csv
                            9 runs of the default inputs at 20, 25, ... 60 rpm
  meltsim-cli sweep mydata.txt --vary RPM=30:60:10 --vary OUTPUT=200,300,400 -o grid.csv
                            12 runs: RPM outermost, OUTPUT fastest
  meltsim-cli sweep --vary TS0=20:80:1 --json ts0.jsonl --results-dir ts0-results
                            JSON Lines, and every run's result file as well
  meltsim-cli sweep --vary RPM=20:80:0.1 --shard 2/8 -o part2.csv
                            the cases 3, 11, 19, ... of 601 (one of 8 jobs)

A failing case is a row, never the end of the sweep; its status says what the
row is worth: ok (solved and physical), warning (a result with a warning, such
as a solid bed wider than the channel), input error, calculation error, file
error.

Exit codes: 0 every row written; 1 the data file was refused; 2 wrong
command line (also a bad --vary or --shard); 4 an output could not be written.)";

// The examples, then the columns of a row as the column table has them.
std::string SweepFooter() {
  std::string columns = "Columns: case, the varied inputs";
  for (const SweepColumn& column : kSweepRowColumns) {
    columns += std::string(", ") + column.head;
  }
  return std::string(kSweepExamples) + "\n\n" + columns + ".";
}

using Clock = std::chrono::steady_clock;

std::string TwoDigits(long n) { return (n < 10 ? "0" : "") + IntegerText(n); }

std::string Clocktime(double seconds) {
  const long total = static_cast<long>(seconds + 0.5);
  return IntegerText(total / 3600) + ":" + TwoDigits(total / 60 % 60) + ":" +
         TwoDigits(total % 60);
}

std::string RightAligned(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

// One line on the terminal, redrawn at most ten times a second: cases done,
// a bar, the rate and the time left.
class ProgressBar {
 public:
  explicit ProgressBar(std::ostream& err) : err_(err), start_(Clock::now()) {}

  void Show(std::uint64_t done, std::uint64_t total) {
    const Clock::time_point now = Clock::now();
    if (done < total && now - lastDrawn_ < std::chrono::milliseconds(100)) return;
    lastDrawn_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double rate = elapsed > 0 ? static_cast<double>(done) / elapsed : 0;
    const double left = rate > 0 ? static_cast<double>(total - done) / rate : 0;
    constexpr int kWidth = 30;
    const int filled =
        static_cast<int>(kWidth * static_cast<double>(done) / static_cast<double>(total));
    const double percent = 100.0 * static_cast<double>(done) / static_cast<double>(total);
    err_ << "\r" << done << "/" << total << " [" << std::string(filled, '#')
         << std::string(kWidth - filled, '.') << "] " << RightAligned(DecimalsText(percent, 1), 5)
         << "%  " << DecimalsText(rate, 1) << " cases/s  " << Clocktime(left) << " left "
         << (done == total ? "\n" : "") << std::flush;
  }

 private:
  std::ostream& err_;
  Clock::time_point start_;
  Clock::time_point lastDrawn_{};
};

// Counts the rows by outcome for the closing line.
class CountingSink : public CaseRowSink {
 public:
  void Write(const CaseRow& row) override {
    ++rows;
    if (row.status == CaseStatus::Ok) ++ok;
    if (row.status == CaseStatus::Warning) ++warning;
  }
  std::uint64_t rows = 0, ok = 0, warning = 0;
};

// Keeps the rows for the plot.
class CollectingRowSink : public CaseRowSink {
 public:
  void Write(const CaseRow& row) override { rows.push_back(row); }
  std::vector<CaseRow> rows;
};

// An output stream: standard output for "-", else a file created anew.
struct Output {
  std::unique_ptr<std::ofstream> file;
  std::ostream* stream = nullptr;
};

bool OpenOutput(const std::string& path, std::ostream& standardOutput, Output& output) {
  if (path == "-") {
    output.stream = &standardOutput;
    return true;
  }
  output.file = std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc);
  output.stream = output.file.get();
  return output.file->is_open();
}

int Usage(std::ostream& err, const std::string& message) {
  err << message << '\n';
  return kExitUsage;
}

// Builds the plan from the options; returns kExitDone or the exit code after
// telling why not.
int MakePlan(const SweepOptions& options, std::ostream& err, SweepPlan& plan) {
  Expected<SweepGrid> grid = BuildSweepGrid(options.varies);
  if (!grid) return Usage(err, grid.error().message);
  plan.grid = std::move(*grid);
  if (!options.shard.empty() && !ParseShard(options.shard, plan.shardIndex, plan.shardCount)) {
    return Usage(err, "--shard expects K/N with 0 <= K < N, got \"" + options.shard + "\"");
  }
  const FieldTextsResult fields = BuildFieldTexts(options.fields);
  for (const std::string& warning : fields.warnings) err << warning << '\n';
  if (fields.exitCode != kExitDone) {
    err << fields.error << '\n';
    return fields.exitCode;
  }
  plan.base = fields.texts;
  plan.seriesMode = options.fields.series;
  plan.resultsDir = options.resultsDir;
  if (!plan.resultsDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(plan.resultsDir, ec);
    if (ec) {
      err << "Can not create the results folder \"" << plan.resultsDir << "\": " << ec.message()
          << '\n';
      return kExitFileError;
    }
  }
  return kExitDone;
}

}  // namespace

bool ParseShard(const std::string& text, std::uint64_t& index, std::uint64_t& count) {
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  const auto number = [](std::string_view digits, std::uint64_t& value) {
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return !digits.empty() && ec == std::errc() && end == digits.data() + digits.size();
  };
  const std::string_view all(text);
  std::uint64_t k = 0, n = 0;
  if (!number(all.substr(0, slash), k) || !number(all.substr(slash + 1), n) || n == 0 || k >= n) {
    return false;
  }
  index = k;
  count = n;
  return true;
}

CLI::App* AddSweepSubcommand(CLI::App& app, SweepOptions& options) {
  CLI::App* sweep = app.add_subcommand(
      "sweep",
      "Run a parameter study: one calculation per point of the grid of the --vary inputs, on "
      "every core, one CSV (or JSON) line per calculation in grid order");
  AddFieldOptions(*sweep, options.fields);
  sweep
      ->add_option("--vary", options.varies,
                   "Vary one input (repeatable; the first is the outermost loop): "
                   "SYMBOL=START:STOP:STEP (STOP included within rounding) or SYMBOL=v1,v2,... "
                   "E.g. --vary RPM=20:60:5 --vary OUTPUT=200,300")
      ->allow_extra_args(false)
      ->type_name("SYMBOL=RANGE|LIST");
  sweep
      ->add_option("-o,--output", options.output,
                   "CSV file of the rows ('-': standard output, the default when no --json is "
                   "given). E.g. -o study.csv")
      ->type_name("FILE");
  sweep
      ->add_option("--json", options.json,
                   "JSON Lines file of the rows, one object per case ('-': standard output). "
                   "E.g. --json study.jsonl")
      ->type_name("FILE");
  sweep
      ->add_option("--results-dir", options.resultsDir,
                   "Also write each case's result file there, as `run` writes it: "
                   "case_00001.txt, ... (the folder is created). E.g. --results-dir results")
      ->type_name("DIR");
  sweep
      ->add_option("--jobs", options.jobs,
                   "Calculations at once (default: every core). E.g. --jobs 2")
      ->check(CLI::Range(1u, 1024u))
      ->type_name("N");
  sweep
      ->add_option("--shard", options.shard,
                   "Run only the cases K+1, K+1+N, K+1+2N, ... of the grid (0 <= K < N), for N "
                   "jobs sharing one study; the case column joins them. E.g. --shard 0/4")
      ->type_name("K/N");
  sweep
      ->add_option("--plot", options.plot,
                   "Also draw the study into FILE, .png or .svg: with two --vary the operating "
                   "map (MELTEND as filled contours, the points that did not melt, are not "
                   "physical or failed, and the capacity line when OUTPUT is one of them), with "
                   "one MELTEND against it. E.g. --plot map.png")
      ->type_name("FILE");
  sweep->footer(SweepFooter());
  return sweep;
}

int SweepSubcommand(const SweepOptions& options, std::ostream& out, std::ostream& err,
                    bool terminal) {
  SweepPlan plan;
  if (const int code = MakePlan(options, err, plan); code != kExitDone) return code;

  if (!options.plot.empty()) {
    const Expected<void> plot = CheckSweepPlot(options.plot, plan.grid.Axes().size());
    if (!plot) return Usage(err, plot.error().message);
  }
  const std::string csvPath = options.output.empty() && options.json.empty() ? "-" : options.output;
  if (csvPath == "-" && options.json == "-") {
    return Usage(err, "-o - and --json - cannot both go to standard output");
  }
  Output csv, json;
  for (auto [path, output, what] :
       {std::tuple{&csvPath, &csv, "CSV"}, std::tuple{&options.json, &json, "JSON"}}) {
    if (!path->empty() && !OpenOutput(*path, out, *output)) {
      err << "Can not write the " << what << " file \"" << *path << "\"\n";
      return kExitFileError;
    }
  }

  const Clock::time_point start = Clock::now();
  SweepSettings settings;
  settings.jobs = std::min(options.jobs > 0 ? options.jobs : DefaultJobs(), MaxJobs());
  std::unique_ptr<ProgressBar> bar;
  if (terminal) {
    bar = std::make_unique<ProgressBar>(err);
    settings.progress = [&bar](std::uint64_t done, std::uint64_t total) { bar->Show(done, total); };
  }
  CountingSink counts;
  CollectingRowSink plotted;
  TeeRowSink sinks;
  std::unique_ptr<CsvRowWriter> csvWriter;
  std::unique_ptr<JsonLinesRowWriter> jsonWriter;
  try {
    if (csv.stream)
      sinks.Add(*(csvWriter = std::make_unique<CsvRowWriter>(*csv.stream, plan.grid)));
    if (json.stream) {
      sinks.Add(*(jsonWriter = std::make_unique<JsonLinesRowWriter>(*json.stream, plan.grid)));
    }
    sinks.Add(counts);
    if (!options.plot.empty()) sinks.Add(plotted);
    RunSweep(plan, settings, sinks);
    for (Output* o : {&csv, &json}) {
      if (o->stream && !o->stream->flush()) throw OutputError("Can not write the sweep output");
    }
  } catch (const OutputError& e) {
    err << e.what() << '\n';
    return kExitFileError;
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  err << "sweep: " << counts.rows << " of " << plan.grid.Size() << " cases (" << counts.ok
      << " ok, " << counts.warning << " with a warning, "
      << counts.rows - counts.ok - counts.warning << " failed) in " << DecimalsText(seconds, 2)
      << " s with " << settings.jobs << " thread" << (settings.jobs == 1 ? "" : "s") << "\n";
  if (!options.plot.empty()) {
    if (const Expected<void> written =
            WriteSweepPlot(plan, plotted.rows, settings.jobs, options.plot);
        !written) {
      err << written.error().message << '\n';
      return kExitFileError;
    }
  }
  return kExitDone;
}

int SweepSubcommand(const SweepOptions& options) {
  return SweepSubcommand(options, std::cout, std::cerr, StderrIsTerminal());
}

}  // namespace meltsim::cli
