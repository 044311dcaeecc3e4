#include "runner/study.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "io/input_reading.h"
#include "io/number_text.h"
#include "model/field_help.h"
#include "model/screw_zones.h"
#include "runner/study_solver.h"

namespace meltsim {

namespace {

// Runs each study expects, for its progress bar.
constexpr std::uint64_t kGoalSeekExpectedRuns = 12;
constexpr std::uint64_t kCapacityExpectedRuns = 10;
// The progress bar stays short of its end until the study has finished.
constexpr double kUnfinishedFraction = 0.99;

// Goal seek: how narrow the final bracket of the input is.
constexpr double kMeltingEndInputTolerance = 1e-4;  // relative to the input
constexpr double kQuantityInputTolerance = 1e-6;    // relative to the range searched
// Capacity: the probes stay within these factors of the first output.
constexpr double kCapacityLeastFactor = 1e-4;
constexpr double kCapacityMostFactor = 1e4;
constexpr int kCapacityMaxProbes = 24;
// Where a crossing is checked: these factors above and below the output found.
constexpr std::array<double, 2> kCapacityChecksAbove = {1.002, 1.02};
constexpr double kCapacityCheckBelow = 0.998;
// Crossings found, checked and searched on from at most.
constexpr int kCapacityRounds = 3;

// A run of a search that has no result to go on with.
struct SearchFailure {
  double x;
  CaseRow row;
};

unsigned JobsOf(const StudyInputs& inputs) { return inputs.jobs > 0 ? inputs.jobs : DefaultJobs(); }

// A grid of `count` points numbered 0, 1, ...: the runner needs only its size.
SweepGrid CountingGrid(std::size_t count) {
  VaryAxis axis;
  axis.symbol = "point";
  axis.start = 0;
  axis.step = 1;
  axis.rangeCount = count;
  return SweepGrid({axis});
}

class CollectingSink : public CaseRowSink {
 public:
  void Write(const CaseRow& row) override { rows.push_back(row); }
  std::vector<CaseRow> rows;
};

// Runs the points given by their texts on the sweep runner; rows in order.
std::vector<CaseRow> RunPoints(const StudyInputs& inputs, const std::vector<FieldTexts>& points,
                               StudyControl& control) {
  SweepPlan plan;
  plan.grid = CountingGrid(points.size());
  plan.seriesMode = inputs.seriesMode;
  SweepSettings settings;
  settings.jobs = JobsOf(inputs);
  settings.progress = [&control](std::uint64_t, std::uint64_t) { control.Poll(); };
  CollectingSink sink;
  sink.rows.reserve(points.size());
  RunSweep(plan, settings, sink, [&](const SweepPlan&, std::uint64_t index) {
    return RunStudyPoint(inputs, points[index], control);
  });
  return std::move(sink.rows);
}

std::string FieldUnit(int field) { return kFieldHelp[static_cast<std::size_t>(field)].unit; }

// A number for a message, with `decimals` decimals.
std::string Decimals(double value, int decimals) { return DecimalsText(value, decimals); }

// Enough decimals to tell apart two values `spread` apart (at least one
// significant digit of the spread), from 0 to 8.
int DecimalsFor(double spread) {
  if (!(spread > 0) || !std::isfinite(spread)) return 2;
  return std::clamp(static_cast<int>(std::ceil(-std::log10(spread))), 0, 8);
}

// Decimals that show `value` to at most `digits` significant digits.
int SignificantDecimals(double value, int digits) {
  if (value == 0 || !std::isfinite(value)) return 2;
  return std::max(0, digits - 1 - static_cast<int>(std::floor(std::log10(std::fabs(value)))));
}

// The decimals of an answer: enough to tell the ends of its bracket apart,
// but no more than six significant digits.
int AnswerDecimals(double value, double other) {
  return std::min(DecimalsFor(std::fabs(other - value)), SignificantDecimals(value, 6));
}

int QuantityDecimals(StudyQuantity quantity) { return quantity == StudyQuantity::QSQT ? 4 : 2; }

std::string UnitSuffix(const char* unit) {
  const std::string text(unit);
  if (text == "-") return "";
  return text == "turns" ? " turns" : " " + text;
}

std::string InputText(int field, double value, int decimals) {
  return std::string(kFields[static_cast<std::size_t>(field)].symbol) + " = " +
         Decimals(value, decimals) + UnitSuffix(kFieldHelp[static_cast<std::size_t>(field)].unit);
}

std::string QuantityText(StudyQuantity quantity, double value) {
  const QuantityInfo& info = InfoOf(quantity);
  return Decimals(value, QuantityDecimals(quantity)) + UnitSuffix(info.unit);
}

std::string JoinedWarnings(const CaseRow& row) {
  std::string text;
  for (const std::string& w : row.warnings) text += (text.empty() ? "" : "; ") + w;
  return text;
}

// ---- goal seek ----

class GoalSeekSearch {
 public:
  GoalSeekSearch(const StudyInputs& inputs, const GoalSeekRequest& request, StudyControl& control)
      : inputs_(inputs), request_(request), control_(control) {}

  GoalSeekResult Run();

 private:
  bool IsMeltingEnd() const { return request_.quantity == StudyQuantity::MELTEND; }
  FieldTexts TextsAt(double x) const { return PointTexts(inputs_.base, {request_.field}, {x}); }
  double Residual(double x);
  double ResidualOf(double x, const CaseRow& row);
  std::optional<double> ValueOf(double x, const CaseRow& row) const;
  std::string ValueInWords(double x, const CaseRow& row) const;
  bool DefaultRange(std::pair<double, double>& range, std::string& problem) const;
  void Fail(const SearchFailure& failure);
  void NoSolution();
  void Solved(const Bracket& bracket, bool converged);
  const CaseRow& RowAt(double x) const;

  const StudyInputs& inputs_;
  const GoalSeekRequest& request_;
  StudyControl& control_;
  GoalSeekResult result_;
  std::vector<std::pair<double, CaseRow>> rows_;
};

bool GoalSeekSearch::DefaultRange(std::pair<double, double>& range, std::string& problem) const {
  if (request_.within) {
    range = *request_.within;
    if (range.first > range.second) std::swap(range.first, range.second);
    if (!(range.first < range.second)) problem = "The range to search is empty";
    return problem.empty();
  }
  const std::optional<double> value =
      ConvertNumber(inputs_.base[static_cast<std::size_t>(request_.field)]);
  if (!value || *value == 0) {
    problem = std::string("The value of ") +
              kFields[static_cast<std::size_t>(request_.field)].symbol +
              " gives no range to search: name one";
    return false;
  }
  range = *value > 0 ? std::pair{*value / 2, *value * 2} : std::pair{*value * 2, *value / 2};
  return true;
}

std::optional<double> GoalSeekSearch::ValueOf(double x, const CaseRow& row) const {
  if (!row.results) return std::nullopt;
  return QuantityValue(request_.quantity, *row.results, PointInputs(TextsAt(x)).NDELAY);
}

std::string GoalSeekSearch::ValueInWords(double x, const CaseRow& row) const {
  if (!row.results) return std::string(StatusText(row)) + " (" + row.message + ")";
  if (const std::optional<double> value = ValueOf(x, row))
    return QuantityText(request_.quantity, *value);
  return "not melted (solid ratio " + Decimals(row.results->summary.QSQT, 3) +
         " at the end of the screw)";
}

double GoalSeekSearch::ResidualOf(double x, const CaseRow& row) {
  GoalSeekProbe probe;
  probe.x = x;
  probe.quantity = ValueOf(x, row);
  probe.status = StatusText(row);
  rows_.emplace_back(x, row);
  if (!row.results) {
    result_.probes.push_back(probe);
    throw SearchFailure{x, row};
  }
  double residual = 0;
  if (IsMeltingEnd()) {
    residual =
        MeltingResidual(*row.results, MeltingTargetOf(PointInputs(TextsAt(x)), request_.target));
    probe.meltedByTarget = residual < 0;
  } else {
    residual = *probe.quantity - request_.target;
  }
  result_.probes.push_back(probe);
  return residual;
}

double GoalSeekSearch::Residual(double x) {
  return ResidualOf(x, RunStudyPoint(inputs_, TextsAt(x), control_));
}

const CaseRow& GoalSeekSearch::RowAt(double x) const {
  for (const auto& [at, row] : rows_) {
    if (at == x) return row;
  }
  return rows_.back().second;
}

void GoalSeekSearch::Fail(const SearchFailure& failure) {
  result_.outcome = GoalSeekResult::Outcome::Failed;
  result_.row = failure.row;
  result_.value = failure.x;
  result_.texts = TextsAt(failure.x);
  const int decimals = DecimalsFor(std::fabs(result_.high - result_.low) * 1e-4);
  result_.message = "The run at " + InputText(request_.field, failure.x, decimals) + " failed (" +
                    StatusText(failure.row) + "): " + failure.row.message;
}

void GoalSeekSearch::NoSolution() {
  const std::string symbol = kFields[static_cast<std::size_t>(request_.field)].symbol;
  const int decimals = DecimalsFor(std::fabs(result_.high - result_.low) * 1e-3);
  result_.outcome = GoalSeekResult::Outcome::NoSolution;
  result_.message =
      "No " + symbol + " from " + Decimals(result_.low, decimals) + " to " +
      Decimals(result_.high, decimals) + UnitSuffix(FieldUnit(request_.field).c_str()) + " gives " +
      InfoOf(request_.quantity).symbol + " = " + QuantityText(request_.quantity, request_.target) +
      ": it is " + result_.atLowText + " at " + symbol + " = " + Decimals(result_.low, decimals) +
      " and " + result_.atHighText + " at " + symbol + " = " + Decimals(result_.high, decimals);
}

void GoalSeekSearch::Solved(const Bracket& bracket, bool converged) {
  SearchPoint chosen = bracket.lower, other = bracket.upper;
  const bool takeUpper =
      IsMeltingEnd() ? bracket.upper.residual < 0
                     : std::fabs(bracket.upper.residual) < std::fabs(bracket.lower.residual);
  if (takeUpper) std::swap(chosen, other);
  result_.outcome = converged ? GoalSeekResult::Outcome::Solved : GoalSeekResult::Outcome::Failed;
  result_.value = chosen.x;
  result_.otherValue = other.x;
  result_.row = RowAt(chosen.x);
  result_.texts = TextsAt(chosen.x);
  result_.achieved = ValueOf(chosen.x, result_.row);
  result_.otherAchieved = ValueOf(other.x, RowAt(other.x));
  if (result_.row.results && result_.row.results->FLIGHT) {
    const double flight = *result_.row.results->FLIGHT;
    const InputData in = PointInputs(result_.texts);
    const ScrewMarks marks = ScrewMarksOf(in);
    result_.stepTurns = flight < marks.feedEnd          ? StepTurns(Zone::Feed)
                        : flight < marks.compressionEnd ? StepTurns(Zone::Compression)
                                                        : StepTurns(Zone::Metering);
  }
  result_.message = GoalSeekAnswer(result_);
  if (!converged) {
    result_.message = "The search stopped after " + IntegerText(kGoalSeekMaxRuns) +
                      " runs short of its tolerance; the nearest: " + result_.message;
  }
}

GoalSeekResult GoalSeekSearch::Run() {
  result_.field = request_.field;
  result_.quantity = request_.quantity;
  result_.target = request_.target;
  std::pair<double, double> range;
  std::string problem;
  if (!DefaultRange(range, problem)) {
    result_.outcome = GoalSeekResult::Outcome::Failed;
    result_.message = problem;
    return result_;
  }
  result_.low = range.first;
  result_.high = range.second;
  const double middle = (range.first + range.second) / 2;
  const std::vector<double> firsts = {range.first, middle, range.second};
  const std::vector<CaseRow> ends =
      RunPoints(inputs_, {TextsAt(firsts[0]), TextsAt(firsts[1]), TextsAt(firsts[2])}, control_);
  try {
    std::array<SearchPoint, 3> points{};
    for (std::size_t i = 0; i < 3; ++i) points[i] = {firsts[i], ResidualOf(firsts[i], ends[i])};
    result_.atLow = ValueOf(range.first, ends[0]);
    result_.atHigh = ValueOf(range.second, ends[2]);
    result_.atLowText = ValueInWords(range.first, ends[0]);
    result_.atHighText = ValueInWords(range.second, ends[2]);
    const auto sign = [](double r) { return r < 0; };
    const bool lowerHalf = sign(points[0].residual) != sign(points[1].residual);
    const bool upperHalf = sign(points[1].residual) != sign(points[2].residual);
    if (lowerHalf && upperHalf) {
      result_.outcome = GoalSeekResult::Outcome::NotMonotonic;
      result_.message = std::string(InfoOf(request_.quantity).symbol) + " is not monotonic in " +
                        kFields[static_cast<std::size_t>(request_.field)].symbol +
                        " over the range: it is " + result_.atLowText + ", " +
                        ValueInWords(middle, ends[1]) + " and " + result_.atHighText +
                        " at its ends and middle; give a narrower range";
      return result_;
    }
    if (!lowerHalf && !upperHalf) {
      NoSolution();
      return result_;
    }
    const Bracket bracket =
        lowerHalf ? Bracket{points[0], points[1]} : Bracket{points[1], points[2]};
    const double width = range.second - range.first;
    const BracketTolerance tolerance = [this, width](double a, double b) {
      const double allowed = IsMeltingEnd()
                                 ? kMeltingEndInputTolerance * std::max(std::fabs(a), std::fabs(b))
                                 : kQuantityInputTolerance * width;
      return std::fabs(b - a) <= allowed;
    };
    const NarrowingResult narrowed = NarrowBracket([this](double x) { return Residual(x); },
                                                   bracket, tolerance, kGoalSeekMaxRuns - 3);
    Solved(narrowed.bracket, narrowed.converged);
  } catch (const SearchFailure& failure) {
    Fail(failure);
  }
  return result_;
}

// ---- capacity ----

class CapacitySearch {
 public:
  CapacitySearch(const StudyInputs& inputs, FieldTexts texts, const CapacityRequest& request,
                 StudyControl& control)
      : inputs_(inputs), texts_(std::move(texts)), request_(request), control_(control) {}

  CapacityPoint Run();

 private:
  double Residual(double x);
  const CaseRow& RowAt(double x) const;
  std::string Position() const;
  WideningResult Widen(const SearchPoint& from);
  int RunsLeft() const;
  std::optional<SearchPoint> MeltsAbove(double melted);
  void CheckBelow(CapacityPoint& point);
  void NoCapacity(const SearchPoint& last, CapacityPoint& point) const;
  void Found(const NarrowingResult& narrowed, CapacityPoint& point) const;

  const StudyInputs& inputs_;
  FieldTexts texts_;
  const CapacityRequest& request_;
  StudyControl& control_;
  std::vector<std::pair<double, CaseRow>> rows_;
  MeltingTarget target_;
  double start_ = 0;
  const int outputField_ = FieldIndex("OUTPUT");
};

double CapacitySearch::Residual(double x) {
  CaseRow row = RunStudyPoint(inputs_, PointTexts(texts_, {outputField_}, {x}), control_);
  rows_.emplace_back(x, row);
  if (!row.results) throw SearchFailure{x, std::move(row)};
  return MeltingResidual(*row.results, target_);
}

const CaseRow& CapacitySearch::RowAt(double x) const {
  for (const auto& [at, row] : rows_) {
    if (at == x) return row;
  }
  return rows_.back().second;
}

std::string CapacitySearch::Position() const {
  return request_.by ? "by FLIGHT " + Decimals(*request_.by, 2) : "on the screw";
}

WideningResult CapacitySearch::Widen(const SearchPoint& from) {
  Widening widening;
  widening.rising = true;
  widening.least = start_ * kCapacityLeastFactor;
  widening.most = start_ * kCapacityMostFactor;
  widening.maxProbes = std::min(kCapacityMaxProbes, RunsLeft());
  return WidenBracket([this](double x) { return Residual(x); }, from, widening);
}

int CapacitySearch::RunsLeft() const {
  return std::max(0, kCapacityMaxRuns - static_cast<int>(rows_.size()));
}

// A point above the crossing that melts after all, or nothing.
std::optional<SearchPoint> CapacitySearch::MeltsAbove(double melted) {
  for (double factor : kCapacityChecksAbove) {
    if (RunsLeft() == 0) break;
    const double x = melted * factor;
    const double residual = Residual(x);
    if (residual < 0) return SearchPoint{x, residual};
  }
  return std::nullopt;
}

// A melting end that flickers with the output (a result whose last steps
// decide on a hair) can leave a run just below the capacity unmelted: the
// message says so.
void CapacitySearch::CheckBelow(CapacityPoint& point) {
  if (!point.OUTPUT || RunsLeft() == 0) return;
  const double x = *point.OUTPUT * kCapacityCheckBelow;
  if (Residual(x) < 0) return;
  const std::string flickers =
      "melting flickers near the capacity: OUTPUT = " + Decimals(x, DecimalsFor(x * 1e-4)) +
      " kg/hr, 0.2 % less, does not melt " + Position();
  point.message = point.message.empty() ? flickers : flickers + "; " + point.message;
}

void CapacitySearch::NoCapacity(const SearchPoint& last, CapacityPoint& point) const {
  point.row = RowAt(last.x);
  point.status = StatusText(point.row);
  const std::string at = Decimals(last.x, DecimalsFor(last.x * 1e-3));
  point.message = last.residual > 0
                      ? "nothing melts " + Position() + " even at OUTPUT = " + at + " kg/hr"
                      : "melts " + Position() + " even at OUTPUT = " + at + " kg/hr";
}

void CapacitySearch::Found(const NarrowingResult& narrowed, CapacityPoint& point) const {
  const Bracket& b = narrowed.bracket;
  point.OUTPUT = b.lower.x;
  point.above = b.upper.x;
  point.row = RowAt(b.lower.x);
  point.FLIGHT = point.row.results ? point.row.results->FLIGHT : std::nullopt;
  point.status = StatusText(point.row);
  point.message = JoinedWarnings(point.row);
  if (!narrowed.converged) {
    point.message = "the search stopped with OUTPUT between " + Decimals(b.lower.x, 2) + " and " +
                    Decimals(b.upper.x, 2) + " kg/hr" +
                    (point.message.empty() ? "" : "; " + point.message);
  }
}

CapacityPoint CapacitySearch::Run() {
  CapacityPoint point;
  target_ = MeltingTargetOf(PointInputs(texts_), request_.by);
  const std::optional<double> given = ConvertNumber(texts_[static_cast<std::size_t>(outputField_)]);
  start_ = given && *given > 0 ? *given : 100.0;
  try {
    WideningResult widened = Widen({start_, Residual(start_)});
    const double tolerance = request_.tolerance;
    const BracketTolerance narrowEnough = [tolerance](double a, double b) {
      return b - a <= tolerance * a;
    };
    // The capacity is the largest output that melts: a crossing found is
    // checked above, and the search goes on from an output there that
    // melts after all.
    for (int round = 0; widened.bracket && round < kCapacityRounds; ++round) {
      const NarrowingResult narrowed =
          NarrowBracket([this](double x) { return Residual(x); }, *widened.bracket, narrowEnough,
                        std::max(RunsLeft(), 1));
      const std::optional<SearchPoint> again = MeltsAbove(narrowed.bracket.lower.x);
      if (!again || round + 1 == kCapacityRounds) {
        Found(narrowed, point);
        CheckBelow(point);
        break;
      }
      widened = Widen(*again);
    }
    if (!widened.bracket) NoCapacity(widened.last, point);
  } catch (const SearchFailure& failure) {
    point.row = failure.row;
    point.status = StatusText(failure.row);
    point.message = "the run at OUTPUT = " + Decimals(failure.x, DecimalsFor(failure.x * 1e-3)) +
                    " kg/hr failed: " + failure.row.message;
  }
  point.runs = static_cast<int>(rows_.size());
  return point;
}

// ---- sensitivity ----

std::vector<int> SensitivityFields(bool allFields) {
  std::vector<int> fields;
  for (int i = 0; i < kFieldCount; ++i) {
    if (kFields[static_cast<std::size_t>(i)].editable || allFields) fields.push_back(i);
  }
  return fields;
}

std::array<std::optional<double>, 4> QuantitiesOf(const CaseRow& row, const FieldTexts& texts) {
  std::array<std::optional<double>, 4> values{};
  if (!row.results) return values;
  const double start = PointInputs(texts).NDELAY;
  for (std::size_t q = 0; q < kSensitivityQuantities.size(); ++q)
    values[q] = QuantityValue(kSensitivityQuantities[q], *row.results, start);
  return values;
}

// Failed above warning above ok.
int Severity(const CaseRow& row) {
  if (row.status == CaseStatus::Ok && row.results) return 0;
  return HasWarningStatus(row) ? 1 : 2;
}

std::string SideMessage(const char* side, const CaseRow& row, double stepPercent) {
  const std::string text = row.message.empty() ? JoinedWarnings(row) : row.message;
  if (text.empty()) return "";
  return std::string("at ") + side + Decimals(stepPercent, DecimalsFor(stepPercent / 10)) +
         " %: " + text;
}

SensitivityRow MakeSensitivityRow(int field, double value, double stepPercent,
                                  const std::array<std::optional<double>, 4>& base,
                                  const CaseRow& minus, const FieldTexts& minusTexts,
                                  const CaseRow& plus, const FieldTexts& plusTexts) {
  SensitivityRow row;
  row.field = field;
  row.value = value;
  row.stepPercent = stepPercent;
  row.minus = QuantitiesOf(minus, minusTexts);
  row.plus = QuantitiesOf(plus, plusTexts);
  const double relative = 2 * stepPercent / 100;
  for (std::size_t q = 0; q < base.size(); ++q) {
    if (value != 0 && base[q] && *base[q] != 0 && row.minus[q] && row.plus[q])
      row.elasticity[q] = (*row.plus[q] - *row.minus[q]) / *base[q] / relative;
  }
  const CaseRow& worse = Severity(plus) > Severity(minus) ? plus : minus;
  row.status = StatusText(worse);
  std::string message;
  for (const std::string& part :
       {SideMessage("-", minus, stepPercent), SideMessage("+", plus, stepPercent)}) {
    if (!part.empty()) message += (message.empty() ? "" : "; ") + part;
  }
  if (value == 0) message = "the value is 0: a step in percent does not move it";
  row.message = message;
  return row;
}

void RankByMeltingEnd(std::vector<SensitivityRow>& rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const SensitivityRow& a, const SensitivityRow& b) {
    const std::optional<double>& ea = a.elasticity[0];
    const std::optional<double>& eb = b.elasticity[0];
    if (ea.has_value() != eb.has_value()) return ea.has_value();
    return ea && std::fabs(*ea) > std::fabs(*eb);
  });
}

}  // namespace

// ---- control ----

void StudyControl::Begin(std::uint64_t expectedRuns) {
  // A study made of several (a map and its capacity line) counts on.
  const std::uint64_t runs = runs_;
  expected_ = runs + std::max<std::uint64_t>(expectedRuns, 1);
  Report(static_cast<double>(runs) / static_cast<double>(expected_.load()));
}

void StudyControl::ThrowIfCancelled() const {
  if (cancelled_) throw StudyCancelled();
}

void StudyControl::CountRun() {
  const std::uint64_t runs = ++runs_;
  const std::uint64_t expected = std::max<std::uint64_t>(expected_, runs + 1);
  Report(std::min(kUnfinishedFraction, static_cast<double>(runs) / static_cast<double>(expected)));
}

void StudyControl::Poll() {
  const std::uint64_t runs = runs_;
  const std::uint64_t expected = std::max<std::uint64_t>(expected_, runs + 1);
  Report(std::min(kUnfinishedFraction, static_cast<double>(runs) / static_cast<double>(expected)));
}

void StudyControl::Finish() { Report(1); }

void StudyControl::Report(double fraction) {
  if (!progress_) return;
  std::lock_guard lock(reportMutex_);
  progress_(fraction, runs_);
}

// ---- points ----

std::string StudyValueText(double value) { return ShortestText(value); }

FieldTexts PointTexts(const FieldTexts& base, const std::vector<int>& fields,
                      const std::vector<double>& values) {
  FieldTexts texts = base;
  for (std::size_t i = 0; i < fields.size() && i < values.size(); ++i) {
    if (fields[i] >= 0 && fields[i] < kFieldCount)
      texts[static_cast<std::size_t>(fields[i])] = StudyValueText(values[i]);
  }
  return texts;
}

InputData PointInputs(const FieldTexts& texts) {
  InputData in = DefaultInputData();
  for (int i = 0; i < kFieldCount; ++i) {
    if (const std::optional<double> value = ConvertNumber(texts[static_cast<std::size_t>(i)]))
      in.*kFields[static_cast<std::size_t>(i)].member = *value;
  }
  return in;
}

CaseRow RunStudyPoint(const StudyInputs& inputs, const FieldTexts& texts, StudyControl& control) {
  control.ThrowIfCancelled();
  SweepPlan plan;
  plan.base = texts;
  plan.seriesMode = inputs.seriesMode;
  plan.keepSolidProfile = true;
  CaseRow row = RunSweepCase(plan, 0);
  control.CountRun();
  return row;
}

// ---- studies ----

GoalSeekResult GoalSeek(const StudyInputs& inputs, const GoalSeekRequest& request,
                        StudyControl& control) {
  control.Begin(kGoalSeekExpectedRuns);
  GoalSeekResult result = GoalSeekSearch(inputs, request, control).Run();
  control.Finish();
  return result;
}

std::string GoalSeekAnswer(const GoalSeekResult& r) {
  const int decimals = AnswerDecimals(r.value, r.otherValue);
  std::string answer =
      InputText(r.field, r.value, decimals) + " gives " + InfoOf(r.quantity).symbol + " = ";
  answer += r.achieved ? QuantityText(r.quantity, *r.achieved) : std::string("no value");
  return answer;
}

std::string GoalSeekDetails(const GoalSeekResult& r) {
  if (r.outcome != GoalSeekResult::Outcome::Solved) return r.message;
  const std::string symbol = kFields[static_cast<std::size_t>(r.field)].symbol;
  const int decimals = AnswerDecimals(r.value, r.otherValue);
  const double lower = std::min(r.value, r.otherValue), upper = std::max(r.value, r.otherValue);
  const bool valueIsLower = r.value <= r.otherValue;
  const auto at = [&](bool ofValue) {
    const std::optional<double>& q = ofValue ? r.achieved : r.otherAchieved;
    return q ? QuantityText(r.quantity, *q) : std::string("not melted");
  };
  std::string text = std::string(InfoOf(r.quantity).symbol) + " crosses " +
                     QuantityText(r.quantity, r.target) + " between " + symbol + " = " +
                     Decimals(lower, decimals) + " (" + at(valueIsLower) + ") and " +
                     Decimals(upper, decimals) + UnitSuffix(FieldUnit(r.field).c_str()) + " (" +
                     at(!valueIsLower) + ")";
  if (r.quantity == StudyQuantity::MELTEND && r.stepTurns > 0) {
    text += "; MELTEND moves in steps of " + Decimals(r.stepTurns, 2) +
            " turn there, so the answer melts within one step of the target";
  }
  return text + "; " + IntegerText(r.probes.size()) + " runs";
}

std::vector<CapacityPoint> Capacity(const StudyInputs& inputs, const CapacityRequest& request,
                                    StudyControl& control) {
  SweepPlan plan;
  plan.grid = SweepGrid(request.axes);
  plan.seriesMode = inputs.seriesMode;
  const std::uint64_t size = plan.grid.Size();
  control.Begin(size * kCapacityExpectedRuns);
  std::vector<int> fields;
  for (const VaryAxis& axis : request.axes) fields.push_back(axis.field);
  std::vector<CapacityPoint> points(size);
  SweepSettings settings;
  settings.jobs = JobsOf(inputs);
  settings.progress = [&control](std::uint64_t, std::uint64_t) { control.Poll(); };
  CollectingSink ignored;
  RunSweep(plan, settings, ignored, [&](const SweepPlan& p, std::uint64_t index) {
    const std::vector<double> values = p.grid.ValuesAt(index);
    CapacitySearch search(inputs, PointTexts(inputs.base, fields, values), request, control);
    CapacityPoint point = search.Run();
    point.values = values;
    CaseRow row = point.row;
    points[index] = std::move(point);
    row.results.reset();  // the points keep the rows; the runner's copy stays small
    return row;
  });
  control.Finish();
  return points;
}

SensitivityResult Sensitivity(const StudyInputs& inputs, const SensitivityRequest& request,
                              StudyControl& control) {
  SensitivityResult result;
  result.stepPercent = request.stepPercent;
  const std::vector<int> fields = SensitivityFields(request.allFields);
  const double step = request.stepPercent / 100;
  std::vector<FieldTexts> points = {inputs.base};
  std::vector<double> values;
  for (int field : fields) {
    const double value = ConvertNumber(inputs.base[static_cast<std::size_t>(field)]).value_or(0.0);
    values.push_back(value);
    points.push_back(PointTexts(inputs.base, {field}, {value * (1 - step)}));
    points.push_back(PointTexts(inputs.base, {field}, {value * (1 + step)}));
  }
  control.Begin(points.size());
  const std::vector<CaseRow> rows = RunPoints(inputs, points, control);
  result.baseRow = rows[0];
  result.base = QuantitiesOf(rows[0], points[0]);
  for (std::size_t k = 0; k < fields.size(); ++k) {
    result.rows.push_back(MakeSensitivityRow(fields[k], values[k], request.stepPercent, result.base,
                                             rows[2 * k + 1], points[2 * k + 1], rows[2 * k + 2],
                                             points[2 * k + 2]));
  }
  RankByMeltingEnd(result.rows);
  control.Finish();
  return result;
}

GridStudy RunGrid(const StudyInputs& inputs, const std::vector<VaryAxis>& axes,
                  StudyControl& control) {
  GridStudy study;
  study.axes = axes;
  const SweepGrid grid(axes);
  std::vector<int> fields;
  for (const VaryAxis& axis : axes) fields.push_back(axis.field);
  std::vector<FieldTexts> points;
  for (std::uint64_t i = 0; i < grid.Size(); ++i) {
    points.push_back(PointTexts(inputs.base, fields, grid.ValuesAt(i)));
    study.meltingStarts.push_back(PointInputs(points.back()).NDELAY);
  }
  control.Begin(points.size());
  study.rows = RunPoints(inputs, points, control);
  for (std::uint64_t i = 0; i < study.rows.size(); ++i) {
    study.rows[i].caseNumber = i + 1;
    study.rows[i].values = grid.ValuesAt(i);
  }
  control.Finish();
  return study;
}

std::optional<double> GridMeltingEnd(const GridStudy& grid, std::size_t i) {
  if (i >= grid.rows.size() || !grid.rows[i].results) return std::nullopt;
  return MeltingEnd(*grid.rows[i].results, grid.meltingStarts[i]);
}

}  // namespace meltsim
