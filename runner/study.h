// The engineering studies: goal seek (the value of one input that gives a
// quantity its target), melting capacity (the largest output melted by a
// position along the screw, over a grid of other inputs), sensitivity (how
// each input moves MELTEND, TAVM, PTOTAL and QSQT) and the grid of one or
// two inputs that the operating map draws. Every run goes through the
// sweep runner's RunSweepCase, every study of several points through
// RunSweep on every core; each study owns its inputs, and each search is
// bounded in its number of runs. docs/studies.md tells what each computes.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "model/input_data.h"
#include "model/run_options.h"
#include "runner/study_quantity.h"
#include "runner/sweep_grid.h"
#include "runner/sweep_runner.h"

namespace meltsim {

// What every study starts from.
struct StudyInputs {
  FieldTexts base = DefaultFieldTexts();  // the 31 texts before the study sets any
  SeriesMode seriesMode = kDefaultSeriesMode;
  unsigned jobs = 0;  // threads; 0: every core
};

// Thrown out of a study that was cancelled.
class StudyCancelled : public std::runtime_error {
 public:
  StudyCancelled() : std::runtime_error("The study was cancelled") {}
};

// Cancel and progress of one running study; owned by the caller, shared
// with the study's threads.
class StudyControl {
 public:
  // (fraction done from 0 to 1, runs so far). Called from the study's
  // threads, one call at a time; it may throw to end the study.
  using ProgressFunction = std::function<void(double fraction, std::uint64_t runs)>;

  StudyControl() = default;
  explicit StudyControl(ProgressFunction progress) : progress_(std::move(progress)) {}

  // Any thread may ask; the study stops before its next run.
  void Cancel() { cancelled_ = true; }
  bool Cancelled() const { return cancelled_; }

  // For the studies: the runs they expect (added to those so far, when one
  // control serves several studies), each run done, the end.
  void Begin(std::uint64_t expectedRuns);
  void ThrowIfCancelled() const;
  void CountRun();
  // Reports the progress again; the studies call it on the calling thread
  // whenever a point is done, so that the caller hears from that thread too.
  void Poll();
  void Finish();
  std::uint64_t Runs() const { return runs_; }

 private:
  void Report(double fraction);

  ProgressFunction progress_;
  std::atomic<bool> cancelled_{false};
  std::atomic<std::uint64_t> runs_{0};
  std::atomic<std::uint64_t> expected_{1};
  std::mutex reportMutex_;
};

// The text a study gives a field for a number, and the numbers of its CSV:
// the shortest decimal that reads back to the same double (ShortestText).
std::string StudyValueText(double value);

// The inputs of a study's point: `base` with each field of `fields` set to
// the text of its value.
FieldTexts PointTexts(const FieldTexts& base, const std::vector<int>& fields,
                      const std::vector<double>& values);

// One run of a study: read and check like GO, then the simulation (through
// RunSweepCase). Counts the run; throws StudyCancelled first when cancelled.
CaseRow RunStudyPoint(const StudyInputs& inputs, const FieldTexts& texts, StudyControl& control);

// The converted inputs of a point's texts (defaults where a text does not
// convert: such a point's run is refused anyway).
InputData PointInputs(const FieldTexts& texts);

// ---- goal seek ----

struct GoalSeekRequest {
  int field = -1;  // the input to find (index into kFields)
  StudyQuantity quantity = StudyQuantity::MELTEND;
  double target = 0;
  // The range searched; none: from half to twice the input's value.
  std::optional<std::pair<double, double>> within;
};

// One run of the search, in the order made.
struct GoalSeekProbe {
  double x = 0;
  std::optional<double> quantity;  // none: no value (not melted, failed)
  std::string status;              // as StatusText
  bool meltedByTarget = false;     // MELTEND only
};

struct GoalSeekResult {
  enum class Outcome { Solved, NoSolution, NotMonotonic, Failed } outcome = Outcome::Failed;
  std::string message;  // the answer or why there is none, in one or two sentences
  int field = -1;
  StudyQuantity quantity = StudyQuantity::MELTEND;
  double target = 0;
  double low = 0, high = 0;             // the range searched
  std::optional<double> atLow, atHigh;  // the quantity at its ends
  std::string atLowText, atHighText;    // the same in words ("not melted", ...)
  double value = 0;                     // the input value of the answer
  double otherValue = 0;                // the other end of the final bracket
  std::optional<double> achieved;       // the quantity at `value`
  std::optional<double> otherAchieved;  // and at `otherValue`
  double stepTurns = 0;                 // MELTEND: the step length where melting ends
  CaseRow row;                          // the run at `value`
  FieldTexts texts{};                   // its 31 texts
  std::vector<GoalSeekProbe> probes;    // every run of the search
};

// Evaluates the range's ends, then narrows to the crossing with TOMS 748.
// MELTEND: the answer is the end of the final bracket that melts by the
// target, within 0.01 % of the input; other quantities: the end nearer the
// target, to 10^-6 of the range. At most kGoalSeekMaxRuns runs.
GoalSeekResult GoalSeek(const StudyInputs& inputs, const GoalSeekRequest& request,
                        StudyControl& control);

constexpr int kGoalSeekMaxRuns = 60;

// "OUTPUT = 372.4 kg/hr gives MELTEND = 19.90 turns".
std::string GoalSeekAnswer(const GoalSeekResult& result);

// How close the answer is, in a sentence: where the quantity crosses the
// target, its values at the two ends of the final bracket, the step length
// for MELTEND, and the number of runs.
std::string GoalSeekDetails(const GoalSeekResult& result);

// ---- melting capacity ----

struct CapacityRequest {
  std::vector<VaryAxis> axes;  // a grid of other inputs; none: one point
  std::optional<double> by;    // FLIGHT to be melted by; none: the end of the screw
  double tolerance = 0.0005;   // relative width of the final bracket of OUTPUT
};

struct CapacityPoint {
  std::vector<double> values;    // the varied inputs, in axis order
  std::optional<double> OUTPUT;  // the capacity (kg/hr); none when nothing melts in time
  std::optional<double> FLIGHT;  // where melting completes at that output
  std::optional<double> above;   // the least output found not to melt in time
  std::string status;            // of the run at the capacity (or of the run that failed)
  std::string message;
  int runs = 0;
  CaseRow row;  // the run at the capacity, or the one that failed
};

// The capacity at every grid point, in grid order; the points run on the
// sweep runner's threads, each a search of about ten runs: widen from the
// given OUTPUT until one output melts and one does not, narrow with TOMS 748
// on MeltingResidual, then check 0.2 % and 2 % above the crossing; an
// output there that melts after all starts the search again from it (at
// most three crossings), so that the capacity is the largest output that
// melts, not merely one where melting changes. A run 0.2 % below that does
// not melt is said in the point's message.
std::vector<CapacityPoint> Capacity(const StudyInputs& inputs, const CapacityRequest& request,
                                    StudyControl& control);

constexpr int kCapacityMaxRuns = 60;

// ---- sensitivity ----

inline constexpr std::array<StudyQuantity, 4> kSensitivityQuantities = {
    StudyQuantity::MELTEND, StudyQuantity::TAVM, StudyQuantity::PTOTAL, StudyQuantity::QSQT};

struct SensitivityRow {
  int field = -1;
  double value = 0;        // the input's value
  double stepPercent = 0;  // the step, in percent of the value
  std::array<std::optional<double>, 4> minus{}, plus{}, elasticity{};
  std::string status;  // the worse of the two runs
  std::string message;
};

struct SensitivityResult {
  double stepPercent = 5;
  std::array<std::optional<double>, 4> base{};  // the quantities of the base run
  CaseRow baseRow;
  std::vector<SensitivityRow> rows;  // ranked by |MELTEND elasticity|, largest first
};

struct SensitivityRequest {
  double stepPercent = 5;
  bool allFields = false;  // the polymer values too
};

// The base run and two runs per input (value times 1 - step and 1 + step),
// all on the sweep runner. Elasticity: (Q+ - Q-) / Q0 / (2 step).
SensitivityResult Sensitivity(const StudyInputs& inputs, const SensitivityRequest& request,
                              StudyControl& control);

// ---- the grid of one or two inputs ----

struct GridStudy {
  std::vector<VaryAxis> axes;
  std::vector<CaseRow> rows;          // in grid order, the last axis fastest
  std::vector<double> meltingStarts;  // NDELAY of each point, for MELTEND without rows
};

GridStudy RunGrid(const StudyInputs& inputs, const std::vector<VaryAxis>& axes,
                  StudyControl& control);

// MELTEND of row `i` of a grid study.
std::optional<double> GridMeltingEnd(const GridStudy& grid, std::size_t i);

}  // namespace meltsim
