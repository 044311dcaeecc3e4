#include "cli/run_subcommand.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <vector>

#include "cli/plot_option.h"
#include "io/result_file.h"
#include "io/run_export.h"
#include "model/messages.h"
#include "runner/run_command.h"

namespace meltsim::cli {

namespace {

constexpr const char* kRunExamples = R"(Examples:
  meltsim-cli run                                   the default inputs, result.txt
  meltsim-cli run mydata.txt -o run1.txt            inputs from a data file
  meltsim-cli run --set RPM=60 --set OUTPUT=350     the defaults with two changes
  meltsim-cli run pp.txt --all-fields -o pp-result.txt
                                                    another polymer: lines 15 to 27 too
  meltsim-cli run --json run.json --csv run.csv     machine-readable copies as well
  meltsim-cli run --set OUTPUT=900 --plot high.png  the melting profile as a picture

Exit codes: 0 done; 1 an input, the save file name or the data file was
refused (the message on stderr, nothing written); 2 wrong command line, or
--plot in a build without plotting; 3 the calculation failed (the result file
keeps its input section); 4 a file (result, JSON, CSV, plot) could not be
written.)";

// Each message of the run is a line on stderr.
class StderrMessageSink : public MessageSink {
 public:
  explicit StderrMessageSink(std::ostream& err) : err_(err) {}

 protected:
  void Display(const std::string& text, MessageKind) override {
    err_ << text << '\n' << std::flush;
  }

 private:
  std::ostream& err_;
};

int ExitCodeOf(RunStatus status) {
  switch (status) {
    case RunStatus::Done:
      return kExitDone;
    case RunStatus::InputRejected:
      return kExitInputRejected;
    case RunStatus::CalculationFailed:
      return kExitCalculationFailed;
    case RunStatus::FileError:
      break;
  }
  return kExitFileError;
}

}  // namespace

bool WriteCopy(const std::string& path, const std::string& bytes, const char* what,
               std::ostream& err) {
  const Expected<void> written = WriteFileBytes(path, bytes, false);
  if (written) return true;
  if (written.error().kind == FailureKind::CannotOpen) {
    err << "Can not write the " << what << " file \"" << path << "\"\n";
  } else {
    err << written.error().message << '\n';
  }
  return false;
}


CLI::App* AddRunSubcommand(CLI::App& app, RunOptions& options) {
  CLI::App* run = app.add_subcommand(
      "run",
      "Run one calculation and write the result file (inputs, the table of steps, the "
      "summary), like GO in the window");
  AddFieldOptions(*run, options.fields);
  run->add_option("-o,--output", options.output,
                  "Result file to create (default result.txt); checked like the window's "
                  "Save File Name, so an empty name is refused. E.g. -o run1.txt")
      ->type_name("FILE");
  run->add_option("--json", options.json,
                  "Also write the run as JSON: every step at full precision, the summary, "
                  "NSTEP, how the march ended, the notices and the inputs. E.g. --json run.json")
      ->type_name("FILE");
  run->add_option("--csv", options.csv,
                  "Also write the step table as CSV (header row, numbers as the shortest text that "
                  "reads back exactly). "
                  "E.g. --csv run.csv")
      ->type_name("FILE");
  run->add_option("--plot", options.plot,
                  "Also draw the melting profile (X/W and QS/QT against FLIGHT, the zone ends, "
                  "where melting or the screw ended) into FILE, .png or .svg; needs no display. "
                  "E.g. --plot profile.svg")
      ->type_name("FILE");
  run->footer(kRunExamples);
  return run;
}

int RunSubcommand(const RunOptions& options, std::ostream& err) {
  if (!options.plot.empty()) {
    if (const Expected<void> plot = CheckPlotOption(options.plot); !plot) {
      err << plot.error().message << '\n';
      return kExitUsage;
    }
  }
  const FieldTextsResult fields = BuildFieldTexts(options.fields);
  for (const std::string& warning : fields.warnings) err << warning << '\n';
  if (fields.exitCode != kExitDone) {
    err << fields.error << '\n';
    return fields.exitCode;
  }
  StderrMessageSink messages(err);
  const RunOutcome outcome =
      RunCommand(fields.texts, options.output, messages, options.fields.series);
  if (outcome.inputProblem) err << RefusedFieldLine(*outcome.inputProblem);
  if (outcome.status != RunStatus::Done) return ExitCodeOf(outcome.status);

  bool written = true;
  if (!options.json.empty()) {
    const std::string json = RunJson(outcome.inputs, outcome.state);
    written = WriteCopy(options.json, json, "JSON", err) && written;
  }
  if (!options.csv.empty()) {
    written = WriteCopy(options.csv, StepTableCsv(outcome.state), "CSV", err) && written;
  }
  if (!options.plot.empty()) {
    if (const Expected<void> plotted = WriteRunPlot(outcome, options.plot); !plotted) {
      err << plotted.error().message << '\n';
      written = false;
    }
  }
  return written ? kExitDone : kExitFileError;
}

}  // namespace meltsim::cli
