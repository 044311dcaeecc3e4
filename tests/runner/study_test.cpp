// The study layer against plain runs: the capacity is a true boundary and
// agrees with a bisection of its own on runs of the sweep runner, on screws
// and polymers other than the default; goal seek lands within one step of
// the MELTEND target and on the target of a continuous quantity; the
// sensitivities have the physical sign and the elasticity of its formula;
// a cancelled study stops; the tables, the root finder and the contours.
#include "runner/study.h"

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "io/number_text.h"
#include "model/screw_zones.h"
#include "runner/contour_bands.h"
#include "runner/study_plot.h"
#include "runner/study_report.h"
#include "runner/study_solver.h"
#include "runner/study_table.h"
#include "runner/sweep_table.h"
#include "support/engine_cases.h"

namespace meltsim {
namespace {

// The axis of a --vary text that must parse.
VaryAxis Axis(const std::string& text) {
  const Expected<VaryAxis> axis = ParseVary(text);
  EXPECT_TRUE(axis.has_value()) << axis.error().message;
  return axis ? *axis : VaryAxis{};
}

// Screws and polymers kept aside from the development of the studies.
struct KeptAside {
  const char* name;
  std::vector<std::pair<const char*, const char*>> sets;
  const char* dataFile = nullptr;
  // The sign of d MELTEND / d C0. Where conduction from the barrel melts
  // the polymer, a hotter barrel melts it sooner (-1). Where viscous
  // dissipation in the film dominates (a fast screw, a viscous polymer
  // whose viscosity falls steeply with temperature), a hotter barrel thins
  // the film's viscosity and melts it later (+1): the model says so for the
  // polypropylene-like polymer at 80 rpm and for the default polymer at 55.
  int barrelSign = -1;
};

const std::vector<KeptAside>& KeptAsideCases() {
  static const std::vector<KeptAside> cases = {
      // A polypropylene-like polymer on a 6.5 cm screw (all 31 lines of the file).
      {"pp", {}, "polymer_pp.txt", +1},
      // A small fast screw, a warm feed and a part-plug solid bed.
      {"small",
       {{"D", "4.5"},
        {"NFEED", "6"},
        {"NCOMP", "6"},
        {"NMETER", "8"},
        {"NDELAY", "2"},
        {"H1", "0.7"},
        {"H3", "0.25"},
        {"PITCH", "4.5"},
        {"E", "0.45"},
        {"RPM", "90"},
        {"OUTPUT", "25"},
        {"TS0", "50"},
        {"SBAP", "0.3"}}},
      // The default screw with a barrel that cools along it and a deeper metering channel.
      {"profile",
       {{"C0", "300"}, {"C1", "0.05"}, {"C2", "-0.01"}, {"RPM", "55"}, {"H3", "0.5"}},
       nullptr,
       +1},
      // A 20 cm screw, slow, at 700 kg/hr.
      {"large",
       {{"D", "20"},
        {"PITCH", "20"},
        {"E", "2"},
        {"H1", "2.4"},
        {"H3", "0.8"},
        {"RPM", "25"},
        {"OUTPUT", "700"},
        {"NFEED", "8"},
        {"NCOMP", "8"},
        {"NMETER", "10"},
        {"NDELAY", "4"}}},
  };
  return cases;
}

StudyInputs InputsOf(const KeptAside& c) {
  StudyInputs inputs;
  cases::EngineCase engineCase{c.name, c.sets, c.dataFile};
  inputs.base = cases::CaseTexts(engineCase);
  return inputs;
}

// A plain run of the sweep runner with one input changed.
CaseRow PlainRun(const StudyInputs& inputs, const char* symbol, double value) {
  SweepPlan plan;
  plan.base = PointTexts(inputs.base, {FieldIndex(symbol)}, {value});
  plan.seriesMode = inputs.seriesMode;
  plan.keepSolidProfile = true;
  return RunSweepCase(plan, 0);
}

bool MeltsBy(const CaseRow& row, std::optional<double> flight) {
  return row.results.has_value() && row.results->FLIGHT &&
         (row.results->end == MarchEnd::SolidRatio ||
          row.results->end == MarchEnd::SolidBedWidth) &&
         (!flight || *row.results->FLIGHT <= *flight + 1e-6);
}

class KeptAsideStudies : public ::testing::TestWithParam<KeptAside> {};

TEST_P(KeptAsideStudies, CapacityIsTheLargestOutputThatMelts) {
  const StudyInputs inputs = InputsOf(GetParam());
  StudyControl control;
  const std::vector<CapacityPoint> points = Capacity(inputs, CapacityRequest{}, control);
  ASSERT_EQ(points.size(), 1u);
  const CapacityPoint& p = points[0];
  ASSERT_TRUE(p.OUTPUT.has_value()) << p.message;
  const double capacity = *p.OUTPUT;
  EXPECT_TRUE(MeltsBy(PlainRun(inputs, "OUTPUT", capacity * 0.998), std::nullopt));
  EXPECT_FALSE(MeltsBy(PlainRun(inputs, "OUTPUT", capacity * 1.002), std::nullopt));
  // The final bracket is 0.05 % wide, and it is the largest output that
  // melts: plain runs up to 10 % above do not. (Below it a run may fail to
  // melt here and there: near the end of the screw the last steps decide.)
  ASSERT_TRUE(p.above.has_value());
  EXPECT_LE(*p.above - capacity, 0.0005 * capacity * 1.0000001);
  for (double factor : {1.001, 1.004, 1.01, 1.03, 1.1}) {
    EXPECT_FALSE(MeltsBy(PlainRun(inputs, "OUTPUT", capacity * factor), std::nullopt)) << factor;
  }
  // Where melting completes at the capacity: the run's own last row.
  const CaseRow at = PlainRun(inputs, "OUTPUT", capacity);
  ASSERT_TRUE(at.results && at.results->FLIGHT);
  EXPECT_EQ(p.FLIGHT, at.results->FLIGHT);
  EXPECT_LT(p.runs, kCapacityMaxRuns);
}

TEST_P(KeptAsideStudies, GoalSeekOfTheMeltingEndLandsWithinOneStep) {
  const StudyInputs inputs = InputsOf(GetParam());
  const InputData in = PointInputs(inputs.base);
  const ScrewMarks marks = ScrewMarksOf(in);
  // A target two thirds of the way from melting start to the end of the screw.
  const double target = in.NDELAY + (marks.screwEnd - in.NDELAY) * 2 / 3;
  GoalSeekRequest request;
  request.field = FieldIndex("OUTPUT");
  request.target = target;
  request.within = std::pair{in.OUTPUT / 4, in.OUTPUT * 4};
  StudyControl control;
  const GoalSeekResult r = GoalSeek(inputs, request, control);
  ASSERT_EQ(r.outcome, GoalSeekResult::Outcome::Solved) << r.message;
  ASSERT_TRUE(r.achieved.has_value());
  // The answer melts by the target, no further than one step short of it;
  // the other end of the final bracket does not.
  EXPECT_LE(*r.achieved, target + 1e-9);
  EXPECT_GT(*r.achieved, target - r.stepTurns - 1e-9);
  EXPECT_GE(r.stepTurns, 0.1 - 1e-12);
  const CaseRow other = PlainRun(inputs, "OUTPUT", r.otherValue);
  EXPECT_FALSE(MeltsBy(other, target));
  EXPECT_LE(std::fabs(r.otherValue - r.value), 1e-4 * r.value * 1.0000001);
  // The answer's run, made again, is the run the search reported.
  EXPECT_TRUE(MeltsBy(PlainRun(inputs, "OUTPUT", r.value), target));
  EXPECT_EQ(r.texts[FieldIndex("OUTPUT")], StudyValueText(r.value));
}

TEST_P(KeptAsideStudies, SensitivitiesHaveThePhysicalSign) {
  const StudyInputs inputs = InputsOf(GetParam());
  SensitivityRequest request;  // 5 %
  StudyControl control;
  const SensitivityResult result = Sensitivity(inputs, request, control);
  const auto rowOf = [&](const char* symbol) {
    for (const SensitivityRow& r : result.rows) {
      if (r.field == FieldIndex(symbol)) return r;
    }
    ADD_FAILURE() << symbol;
    return SensitivityRow{};
  };
  const SensitivityRow output = rowOf("OUTPUT");
  const SensitivityRow barrel = rowOf("C0");
  ASSERT_TRUE(output.elasticity[0] && barrel.elasticity[0]) << output.message << barrel.message;
  EXPECT_GT(*output.elasticity[0], 0) << "more output melts further downstream";
  EXPECT_EQ(*barrel.elasticity[0] > 0 ? 1 : -1, GetParam().barrelSign) << *barrel.elasticity[0];
  // The elasticity of OUTPUT from plain runs: (Q+ - Q-) / Q0 / (2 step).
  const double value = PointInputs(inputs.base).OUTPUT;
  const CaseRow minus = PlainRun(inputs, "OUTPUT", value * 0.95);
  const CaseRow plus = PlainRun(inputs, "OUTPUT", value * 1.05);
  ASSERT_TRUE(minus.results && plus.results && result.base[0]);
  const double expected = (*plus.results->FLIGHT - *minus.results->FLIGHT) / *result.base[0] / 0.1;
  EXPECT_DOUBLE_EQ(*output.elasticity[0], expected);
  EXPECT_EQ(output.minus[2], minus.results->summary.PTOTAL);
  // Ranked by the size of the MELTEND elasticity.
  for (std::size_t i = 1; i < result.rows.size(); ++i) {
    if (!result.rows[i].elasticity[0]) continue;
    ASSERT_TRUE(result.rows[i - 1].elasticity[0]);
    EXPECT_GE(std::fabs(*result.rows[i - 1].elasticity[0]),
              std::fabs(*result.rows[i].elasticity[0]));
  }
}

INSTANTIATE_TEST_SUITE_P(Screws, KeptAsideStudies, ::testing::ValuesIn(KeptAsideCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CapacityStudy, ByAPositionIsLessThanOnTheWholeScrewAndABoundaryThere) {
  StudyInputs inputs;
  CapacityRequest request;
  request.by = 15.0;
  VaryAxis rpm = Axis("RPM=30,60");
  request.axes = {rpm};
  StudyControl control;
  const std::vector<CapacityPoint> by15 = Capacity(inputs, request, control);
  request.by.reset();
  const std::vector<CapacityPoint> whole = Capacity(inputs, request, control);
  ASSERT_EQ(by15.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    ASSERT_TRUE(by15[i].OUTPUT && whole[i].OUTPUT);
    EXPECT_EQ(by15[i].values, std::vector<double>{i == 0 ? 30.0 : 60.0});
    EXPECT_LT(*by15[i].OUTPUT, *whole[i].OUTPUT);
    EXPECT_LE(*by15[i].FLIGHT, 15.0 + 1e-9);
    inputs.base[FieldIndex("RPM")] = i == 0 ? "30" : "60";
    EXPECT_FALSE(MeltsBy(PlainRun(inputs, "OUTPUT", *by15[i].OUTPUT * 1.002), 15.0));
    // Below the capacity the run melts, or the point says that it does not.
    const bool below = MeltsBy(PlainRun(inputs, "OUTPUT", *by15[i].OUTPUT * 0.998), 15.0);
    EXPECT_EQ(!below, by15[i].message.starts_with("melting flickers near the capacity"))
        << by15[i].message;
  }
  // A faster screw melts more.
  EXPECT_GT(*whole[1].OUTPUT, *whole[0].OUTPUT);
}

TEST(CapacityStudy, NothingMeltsBeforeMeltingStartsAndTheRowSaysSo) {
  StudyInputs inputs;
  CapacityRequest request;
  request.by = 4.0;  // melting starts at NDELAY = 5
  StudyControl control;
  const std::vector<CapacityPoint> points = Capacity(inputs, request, control);
  ASSERT_EQ(points.size(), 1u);
  EXPECT_FALSE(points[0].OUTPUT.has_value());
  EXPECT_NE(points[0].message.find("nothing melts by FLIGHT 4.00"), std::string::npos)
      << points[0].message;
  EXPECT_LE(points[0].runs, 26);
}

TEST(CapacityStudy, AFailedRunEndsItsPointWithTheRunsStatusAndMessage) {
  StudyInputs inputs;
  inputs.base[FieldIndex("E")] = "20";  // a flight wider than the channel: no run can go
  CapacityRequest request;
  StudyControl control;
  const std::vector<CapacityPoint> points = Capacity(inputs, request, control);
  ASSERT_EQ(points.size(), 1u);
  EXPECT_FALSE(points[0].OUTPUT.has_value());
  EXPECT_EQ(points[0].status, "calculation error");
  EXPECT_NE(points[0].message.find("the run at OUTPUT = 300"), std::string::npos)
      << points[0].message;
  EXPECT_EQ(points[0].runs, 1);
}

TEST(GoalSeekStudy, AContinuousQuantityHitsItsTarget) {
  StudyInputs inputs;
  GoalSeekRequest request;
  request.field = FieldIndex("C0");
  request.quantity = StudyQuantity::TAVM;
  request.target = 280;
  request.within = std::pair{270.0, 320.0};
  StudyControl control;
  const GoalSeekResult r = GoalSeek(inputs, request, control);
  ASSERT_EQ(r.outcome, GoalSeekResult::Outcome::Solved) << r.message;
  // A plain run at the answer gives the target to the slope of TAVM times
  // the input tolerance (1e-6 of the range), far below 0.01 deg C.
  const CaseRow run = PlainRun(inputs, "C0", r.value);
  ASSERT_TRUE(run.results);
  EXPECT_NEAR(run.results->summary.TAVM, 280, 0.01);
  EXPECT_EQ(r.achieved, run.results->summary.TAVM);
  EXPECT_LE(static_cast<int>(r.probes.size()), kGoalSeekMaxRuns);
  EXPECT_EQ(GoalSeekAnswer(r).rfind("C0 = ", 0), 0u) << GoalSeekAnswer(r);
}

TEST(GoalSeekStudy, NoSolutionNamesTheRangeAndTheValuesAtItsEnds) {
  StudyInputs inputs;
  GoalSeekRequest request;
  request.field = FieldIndex("OUTPUT");
  request.target = 30;  // beyond the end of the screw (24.7 turns)
  request.within = std::pair{100.0, 300.0};
  StudyControl control;
  const GoalSeekResult r = GoalSeek(inputs, request, control);
  EXPECT_EQ(r.outcome, GoalSeekResult::Outcome::NoSolution);
  // The melting ends of plain runs at the ends of the range.
  EXPECT_EQ(r.atLow, PlainRun(inputs, "OUTPUT", 100).results->FLIGHT);
  EXPECT_EQ(r.atHigh, PlainRun(inputs, "OUTPUT", 300).results->FLIGHT);
  for (const char* part : {"No OUTPUT from 100", "to 300", "10.45 turns at OUTPUT = 100",
                           "18.10 turns at OUTPUT = 300"}) {
    EXPECT_NE(r.message.find(part), std::string::npos) << part << " in " << r.message;
  }
}

TEST(GoalSeekStudy, AnUnmeltedEndIsSaidInWordsAndAFailedRunIsTheAnswer) {
  StudyInputs inputs;
  GoalSeekRequest request;
  request.field = FieldIndex("OUTPUT");
  request.target = 22;
  request.within = std::pair{550.0, 700.0};  // neither end melts on the screw
  StudyControl control;
  const GoalSeekResult none = GoalSeek(inputs, request, control);
  EXPECT_EQ(none.outcome, GoalSeekResult::Outcome::NoSolution);
  EXPECT_NE(none.message.find("not melted (solid ratio"), std::string::npos) << none.message;
  request.field = FieldIndex("E");
  request.within = std::pair{19.0, 21.0};  // flights wider than the channel
  const GoalSeekResult failed = GoalSeek(inputs, request, control);
  EXPECT_EQ(failed.outcome, GoalSeekResult::Outcome::Failed);
  EXPECT_NE(failed.message.find("The run at E = 19"), std::string::npos) << failed.message;
}

TEST(GoalSeekStudy, AQuantityThatFallsAndRisesAgainIsNotMonotonic) {
  // The final solid ratio of a melted run is that of the step that stopped
  // the march: a saw tooth in OUTPUT, below 3 % and rising until the march
  // records one step more. From 299 to 305 kg/hr it falls and rises again.
  StudyInputs inputs;
  std::vector<double> q;
  for (double x : {299.0, 302.0, 305.0})
    q.push_back(PlainRun(inputs, "OUTPUT", x).results->summary.QSQT);
  ASSERT_LT(q[1], q[0]);
  ASSERT_LT(q[1], q[2]);
  GoalSeekRequest request;
  request.field = FieldIndex("OUTPUT");
  request.quantity = StudyQuantity::QSQT;
  request.within = std::pair{299.0, 305.0};
  request.target = (q[1] + std::min(q[0], q[2])) / 2;  // crossed in both halves
  StudyControl control;
  const GoalSeekResult r = GoalSeek(inputs, request, control);
  EXPECT_EQ(r.outcome, GoalSeekResult::Outcome::NotMonotonic);
  EXPECT_EQ(r.message.rfind("QSQT is not monotonic in OUTPUT over the range: it is ", 0), 0u)
      << r.message;
  EXPECT_EQ(r.probes.size(), 3u);  // the ends and the middle, and no more
}

TEST(StudyControl, ACancelledStudyStopsBeforeItsNextRunAndSaysSo) {
  StudyInputs inputs;
  inputs.jobs = 2;
  VaryAxis rpm = Axis("RPM=20:80:5");
  StudyControl* self = nullptr;
  StudyControl control([&self](double, std::uint64_t runs) {
    if (runs >= 3) self->Cancel();
  });
  self = &control;
  CapacityRequest request;
  request.axes = {rpm};
  EXPECT_THROW(Capacity(inputs, request, control), StudyCancelled);
  // The workers stop at their next run: far fewer than the 13 searches need.
  EXPECT_LT(control.Runs(), 10u);
  StudyControl cancelled;
  cancelled.Cancel();
  EXPECT_THROW(RunGrid(inputs, {rpm}, cancelled), StudyCancelled);
  EXPECT_EQ(cancelled.Runs(), 0u);
}

TEST(StudyControl, ProgressRisesToOneAndCountsEveryRun) {
  StudyInputs inputs;
  VaryAxis rpm = Axis("RPM=30,40,50");
  std::vector<double> fractions;
  StudyControl control([&](double f, std::uint64_t) { fractions.push_back(f); });
  const GridStudy grid = RunGrid(inputs, {rpm}, control);
  ASSERT_EQ(grid.rows.size(), 3u);
  EXPECT_EQ(control.Runs(), 3u);
  ASSERT_FALSE(fractions.empty());
  EXPECT_EQ(fractions.front(), 0.0);
  EXPECT_EQ(fractions.back(), 1.0);
  EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
}

TEST(GridStudy, RowsAreThoseOfTheSweepAndMeltingEndsTheirLastRows) {
  StudyInputs inputs;
  VaryAxis output = Axis("OUTPUT=300,600");
  VaryAxis rpm = Axis("RPM=38");
  StudyControl control;
  const GridStudy grid = RunGrid(inputs, {output, rpm}, control);
  ASSERT_EQ(grid.rows.size(), 2u);
  // The figures of the default screw at 38 rpm: 18.1 turns at 300
  // kg/hr, and not melted at 600.
  EXPECT_NEAR(*GridMeltingEnd(grid, 0), 18.1, 1e-9);
  EXPECT_FALSE(GridMeltingEnd(grid, 1).has_value());
  EXPECT_EQ(ClassOf(grid.rows[1]) == PointClass::NotMelted ||
                ClassOf(grid.rows[1]) == PointClass::NotPhysical,
            true);
  // The grid's table is the sweep's: its CSV is the sweep's line for line.
  SweepPlan plan;
  plan.base = inputs.base;
  plan.grid = SweepGrid({output, rpm});
  std::string sweep = CsvHeader(plan.grid);
  for (std::uint64_t i = 0; i < plan.grid.Size(); ++i) sweep += CsvLine(RunSweepCase(plan, i));
  EXPECT_EQ(StudyCsv(GridTable(grid)), sweep);
}

TEST(StudyTables, CsvAndJsonCarryEveryCellAndNumbersReadBackExactly) {
  VaryAxis rpm = Axis("RPM=38");
  CapacityPoint found;
  found.values = {38};
  found.OUTPUT = 0.1 + 0.2;  // a number with no short decimal form
  found.FLIGHT = 24.299999999999986;
  found.status = "ok";
  CapacityPoint none;
  none.values = {38};
  none.status = "calculation error";
  none.message = "the run at OUTPUT = 300 kg/hr failed: a, \"quoted\" text";
  const StudyTable table = CapacityTable({rpm}, {found, none});
  const std::vector<std::string> heads = {"RPM", "OUTPUT", "FLIGHT", "status", "message"};
  ASSERT_EQ(table.columns.size(), heads.size());
  for (std::size_t c = 0; c < heads.size(); ++c) EXPECT_EQ(table.columns[c].name, heads[c]);
  EXPECT_EQ(ColumnHead(table.columns[1]), "OUTPUT (kg/hr)");
  const std::string csv = StudyCsv(table);
  const std::string second = csv.substr(csv.find('\n') + 1);
  const std::string cell = second.substr(3, second.find(',', 3) - 3);
  EXPECT_EQ(ConvertNumber(cell), 0.1 + 0.2) << cell;
  EXPECT_NE(csv.find("38,,,calculation error,\"the run at OUTPUT = 300 kg/hr failed: a, "
                     "\"\"quoted\"\" text\"\n"),
            std::string::npos)
      << csv;
  const std::string json = StudyJsonLines(table);
  const nlohmann::json last = nlohmann::json::parse(json.substr(json.find('\n') + 1));
  EXPECT_TRUE(last["OUTPUT"].is_null());
  EXPECT_EQ(last["status"], "calculation error");
  EXPECT_EQ(nlohmann::json::parse(json.substr(0, json.find('\n')))["OUTPUT"].get<double>(),
            0.1 + 0.2);
}

TEST(StudyValueText, IsTheShortestTextThatReadsBackAndIgnoresTheLocale) {
  for (double v : {300.0, 0.1, 1.0 / 3, 362.90392597302395, 1e-7, 6.02e23}) {
    const std::string text = StudyValueText(v);
    EXPECT_EQ(ConvertNumber(text), v) << text;
    EXPECT_EQ(text.find(','), std::string::npos);
  }
  EXPECT_EQ(StudyValueText(300), "300");
  EXPECT_EQ(StudyValueText(0.1), "0.1");
}

TEST(MeltingResidual, ItsSignIsWhetherTheRunMeltedByThePosition) {
  StudyInputs inputs;
  const InputData in = PointInputs(inputs.base);
  EXPECT_NEAR(LastStepOnScrew(in), 24.5, 1e-9);  // the metering step of 24.4 to 24.6 turns
  for (double output : {0.5, 100.0, 300.0, 500.0, 501.5, 600.0}) {
    const CaseRow row = PlainRun(inputs, "OUTPUT", output);
    ASSERT_TRUE(row.results);
    for (std::optional<double> by : {std::optional<double>(), std::optional<double>(4.0),
                                     std::optional<double>(18.1), std::optional<double>(20.0)}) {
      const MeltingTarget target = MeltingTargetOf(in, by);
      EXPECT_EQ(MeltingResidual(*row.results, target) < 0, MeltedBy(*row.results, target))
          << output << " by " << by.value_or(-1);
      // Independently: melted (by the recorded FLIGHT, or at NDELAY = 5
      // without rows) by the position.
      const bool melted =
          row.results->end == MarchEnd::SolidRatio || row.results->end == MarchEnd::SolidBedWidth;
      const double end = row.results->FLIGHT.value_or(5.0);
      EXPECT_EQ(MeltedBy(*row.results, target), melted && (!by || end <= *by + 1e-6)) << output;
    }
  }
}

TEST(MeltingResidual, RunsThroughZeroAtTheBoundaryFromBothSides) {
  // Either side of the capacity the residual is the solid ratio of the
  // last step on the screw minus 3 %: small, of opposite signs.
  StudyInputs inputs;
  const MeltingTarget target = MeltingTargetOf(PointInputs(inputs.base), std::nullopt);
  const CaseRow below = PlainRun(inputs, "OUTPUT", 500.0);
  const CaseRow above = PlainRun(inputs, "OUTPUT", 501.5);
  const double rb = MeltingResidual(*below.results, target);
  const double ra = MeltingResidual(*above.results, target);
  EXPECT_LT(rb, 0);
  EXPECT_GT(ra, 0);
  EXPECT_LT(ra - rb, 0.005);
}

TEST(RootFinder, WidensAndNarrowsToTheRootOfASmoothFunction) {
  int calls = 0;
  const ResidualFunction f = [&calls](double x) {
    ++calls;
    return x * x - 2;
  };
  Widening widening;
  widening.least = 1e-3;
  widening.most = 1e3;
  const WideningResult widened = WidenBracket(f, {0.1, f(0.1)}, widening);
  ASSERT_TRUE(widened.bracket.has_value());
  EXPECT_LT(widened.bracket->lower.residual, 0);
  EXPECT_GT(widened.bracket->upper.residual, 0);
  const NarrowingResult narrowed = NarrowBracket(
      f, *widened.bracket, [](double a, double b) { return b - a <= 1e-12; }, 40);
  EXPECT_TRUE(narrowed.converged);
  EXPECT_NEAR(narrowed.bracket.lower.x, std::sqrt(2.0), 1e-11);
  EXPECT_LT(calls, 20);
}

TEST(RootFinder, FindsTheJumpOfAStepFunctionWithinItsBoundAndStopsAtALimit) {
  const ResidualFunction step = [](double x) { return x < 3.3 ? -1.0 : 1.0; };
  const NarrowingResult narrowed = NarrowBracket(
      step, {{1, -1}, {10, 1}}, [](double a, double b) { return b - a <= 1e-6; }, 60);
  EXPECT_TRUE(narrowed.converged);
  EXPECT_LT(narrowed.bracket.lower.x, 3.3);
  EXPECT_GE(narrowed.bracket.upper.x, 3.3);
  EXPECT_LE(narrowed.evaluations, 60);
  Widening widening;
  widening.least = 1e-3;
  widening.most = 2;  // the root lies beyond
  const WideningResult widened = WidenBracket(step, {1, -1}, widening);
  EXPECT_FALSE(widened.bracket.has_value());
  EXPECT_EQ(widened.last.x, 2);
}

TEST(FilledContours, BandsOfALinearFieldHaveTheirExactAreas) {
  // v = x + y on the unit square sampled 3 x 4: with linear pieces the
  // contours are exact, and the band between levels a and b covers the
  // area of a <= x + y <= b inside the square.
  const std::vector<double> xs = {0, 0.4, 1}, ys = {0, 0.25, 0.7, 1};
  std::vector<std::optional<double>> values;
  for (double x : xs) {
    for (double y : ys) values.push_back(x + y);
  }
  const std::vector<double> levels = {0, 0.5, 1, 1.5, 2};
  const auto areaOf = [](const std::vector<ContourPiece>& pieces, int band) {
    double area = 0;
    for (const ContourPiece& piece : pieces) {
      if (band >= 0 && piece.band != band) continue;
      double twice = 0;
      const auto& p = piece.polygon;
      for (std::size_t i = 0; i < p.size(); ++i) {
        const auto& [x0, y0] = p[i];
        const auto& [x1, y1] = p[(i + 1) % p.size()];
        twice += x0 * y1 - x1 * y0;
      }
      area += std::fabs(twice) / 2;
    }
    return area;
  };
  const std::vector<ContourPiece> pieces = FilledContours(xs, ys, values, levels);
  // Below x + y = s in the unit square: s^2/2 for s <= 1, 1 - (2-s)^2/2 above.
  const auto below = [](double s) { return s <= 1 ? s * s / 2 : 1 - (2 - s) * (2 - s) / 2; };
  for (std::size_t b = 0; b + 1 < levels.size(); ++b) {
    EXPECT_NEAR(areaOf(pieces, static_cast<int>(b)), below(levels[b + 1]) - below(levels[b]), 1e-12)
        << b;
  }
  // A corner without a value leaves its cell (0.4 by 0.25) out, and only it.
  values[0].reset();
  EXPECT_NEAR(areaOf(FilledContours(xs, ys, values, levels), -1), 1 - 0.4 * 0.25, 1e-12);
}

TEST(FilledContours, RoundLevelsCoverTheRangeInRoundSteps) {
  const std::vector<double> levels = RoundLevels(10.45, 24.3, 9);
  ASSERT_GE(levels.size(), 3u);
  EXPECT_LE(levels.front(), 10.45);
  EXPECT_GE(levels.back(), 24.3);
  EXPECT_DOUBLE_EQ(levels[1] - levels[0], 2.0);
}

TEST(StudyPlots, TheMapMarksEachClassApartAndDrawsTheCapacityLine) {
  GridStudy grid;
  VaryAxis rpm = Axis("RPM=30,50");
  VaryAxis output = Axis("OUTPUT=300,600");
  StudyControl control;
  grid = RunGrid(StudyInputs{}, {rpm, output}, control);
  CapacityPoint a, b;
  a.values = {30};
  a.OUTPUT = 420;
  b.values = {50};
  b.OUTPUT = 630;
  const std::vector<CapacityPoint> capacity = {a, b};
  const StudyPlot map = DescribeGridPlot(grid, &capacity);
  EXPECT_EQ(map.kind, StudyPlot::Kind::Map);
  ASSERT_FALSE(map.lines.empty());
  EXPECT_EQ(map.lines[0].name, "melting capacity");
  EXPECT_EQ(map.lines[0].points, (std::vector<std::pair<double, double>>{{30, 420}, {50, 630}}));
  std::size_t marked = 0;
  for (const StudyMarkers& m : map.markers) marked += m.points.size();
  EXPECT_EQ(marked, 4u);  // every point in exactly one class
  ASSERT_TRUE(map.colourKey.has_value());
  EXPECT_EQ(map.colourKey->colours.size() + 1, map.colourKey->levels.size());
}

namespace plots {

CapacityPoint Point(std::vector<double> values, std::optional<double> output, const char* status) {
  CapacityPoint p;
  p.values = std::move(values);
  p.OUTPUT = output;
  p.FLIGHT = output ? std::optional<double>(24.3) : std::nullopt;
  p.status = status;
  return p;
}

const StudyMarkers* MarkersNamed(const StudyPlot& plot, const std::string& name) {
  for (const StudyMarkers& m : plot.markers) {
    if (m.name == name) return &m;
  }
  return nullptr;
}

using Points = std::vector<std::pair<double, double>>;

TEST(StudyPlots, TheCapacityPlotDrawsEachPointByItsStatus) {
  VaryAxis rpm = Axis("RPM=20,30,40,50");
  const std::vector<CapacityPoint> points = {Point({20}, 400, "ok"), Point({30}, 500, "warning"),
                                             Point({40}, std::nullopt, "ok"),
                                             Point({50}, std::nullopt, "calculation error")};
  const StudyPlot plot = DescribeCapacityPlot({rpm}, points, std::nullopt);
  ASSERT_EQ(plot.lines.size(), 1u);
  EXPECT_EQ(plot.lines[0].points, (Points{{20, 400}, {30, 500}}));
  ASSERT_NE(MarkersNamed(plot, "not physical (result with a warning)"), nullptr);
  EXPECT_EQ(MarkersNamed(plot, "not physical (result with a warning)")->points,
            (Points{{30, 500}}));
  // Without a capacity a point stands on the axis: nothing melts, or failed.
  ASSERT_NE(MarkersNamed(plot, "nothing melts in time"), nullptr);
  EXPECT_EQ(MarkersNamed(plot, "nothing melts in time")->points, (Points{{40, plot.yMin}}));
  ASSERT_NE(MarkersNamed(plot, "failed"), nullptr);
  EXPECT_EQ(MarkersNamed(plot, "failed")->points, (Points{{50, plot.yMin}}));
  EXPECT_LE(plot.yMin, 400);
  EXPECT_GE(plot.yMax, 500);
  EXPECT_LE(plot.xMin, 20);
  EXPECT_GE(plot.xMax, 50);
}

TEST(StudyPlots, TheCapacityOfTwoInputsHasALinePerValueOfTheSecond) {
  VaryAxis rpm = Axis("RPM=20,40");
  VaryAxis sbap = Axis("SBAP=0.5,1");
  const StudyPlot plot =
      DescribeCapacityPlot({rpm, sbap},
                           {Point({20, 0.5}, 240, "ok"), Point({20, 1}, 320, "ok"),
                            Point({40, 0.5}, 390, "ok"), Point({40, 1}, 520, "ok")},
                           15.0);
  ASSERT_EQ(plot.lines.size(), 2u);
  EXPECT_EQ(plot.lines[0].name, "SBAP = 0.5");
  EXPECT_EQ(plot.lines[0].points, (Points{{20, 240}, {40, 390}}));
  EXPECT_EQ(plot.lines[1].name, "SBAP = 1");
  EXPECT_EQ(plot.lines[1].points, (Points{{20, 320}, {40, 520}}));
  EXPECT_EQ(plot.title, "Melting capacity: the output melted by FLIGHT 15");
}

SensitivityRow Row(const char* symbol, std::optional<double> minus, std::optional<double> plus) {
  SensitivityRow r;
  r.field = FieldIndex(symbol);
  r.minus[0] = minus;
  r.plus[0] = plus;
  if (minus && plus) r.elasticity[0] = (*plus - *minus) / 18 / 0.1;
  return r;
}

TEST(StudyPlots, TheTornadoShowsTheChangeFromTheBaseRunLargestFirst) {
  SensitivityResult result;
  result.base[0] = 18;
  result.rows = {Row("OUTPUT", 17, 19), Row("C0", 18.5, 17.5), Row("SBAP", 18.3, std::nullopt)};
  const StudyPlot plot = DescribeSensitivityPlot(result);
  EXPECT_EQ(plot.kind, StudyPlot::Kind::Tornado);
  ASSERT_EQ(plot.bars.size(), 2u);
  EXPECT_EQ(plot.bars[0].label, "OUTPUT");
  EXPECT_EQ(plot.bars[0].minus, -1.0);
  EXPECT_EQ(plot.bars[0].plus, 1.0);
  EXPECT_EQ(plot.bars[1].label, "C0");
  EXPECT_EQ(plot.bars[1].minus, 0.5);
  EXPECT_EQ(plot.bars[1].plus, -0.5);
  EXPECT_DOUBLE_EQ(plot.xMax, 1.15);  // the largest change and 15 %
  EXPECT_DOUBLE_EQ(plot.xMin, -plot.xMax);
  EXPECT_NE(plot.note.find("No value for: SBAP"), std::string::npos) << plot.note;
  EXPECT_EQ(plot.xTitle, "change of MELTEND from 18.00 turns (turns)");
}

TEST(StudyPlots, TheGoalSeekPlotHasTheTargetTheAnswerAndTheRunsThatDidNotMelt) {
  GoalSeekResult r;
  r.outcome = GoalSeekResult::Outcome::Solved;
  r.field = FieldIndex("OUTPUT");
  r.target = 20;
  r.value = 362.9;
  r.achieved = 19.9;
  r.probes = {{150, 12.85, "ok", true},
              {600, std::nullopt, "warning", false},
              {362.9, 19.9, "ok", true},
              {363, 20.1, "ok", false}};
  const StudyPlot plot = DescribeGoalSeekPlot(r);
  ASSERT_EQ(plot.lines.size(), 2u);
  EXPECT_EQ(plot.lines[0].points, (Points{{150, 12.85}, {362.9, 19.9}, {363, 20.1}}));
  EXPECT_EQ(plot.lines[1].name, "target");
  EXPECT_EQ(plot.lines[1].points, (Points{{plot.xMin, 20}, {plot.xMax, 20}}));
  ASSERT_NE(MarkersNamed(plot, "answer"), nullptr);
  EXPECT_EQ(MarkersNamed(plot, "answer")->points, (Points{{362.9, 19.9}}));
  ASSERT_NE(MarkersNamed(plot, "not melted on the screw"), nullptr);
  EXPECT_EQ(MarkersNamed(plot, "not melted on the screw")->points, (Points{{600, plot.yMax}}));
}

TEST(StudyReports, SayWhatTheStudyFoundInWholeSentences) {
  VaryAxis rpm = Axis("RPM=20,80");
  const StudyReport one = ReportOfCapacity({}, {Point({}, 500.16, "ok")}, std::nullopt, 7);
  ASSERT_FALSE(one.lines.empty());
  EXPECT_EQ(one.lines[0],
            "The largest output that melts on the screw: OUTPUT = 500.2 kg/hr; melting "
            "completes at FLIGHT 24.30 there.");
  EXPECT_EQ(one.title, "Melting capacity on the screw");
  const StudyReport curve = ReportOfCapacity(
      {rpm}, {Point({20}, 321.0, "warning"), Point({80}, 942.4, "warning")}, 20.0, 20);
  EXPECT_EQ(curve.title, "Melting capacity by FLIGHT 20.00 over RPM (2 values)");
  EXPECT_EQ(curve.lines[0], "From 321.0 kg/hr at RPM = 20 to 942.4 kg/hr at RPM = 80.");
  EXPECT_EQ(curve.lines[1], "2 points' runs at the capacity carry a warning: not physical there.");
  EXPECT_EQ(curve.table.rows.size(), 2u);
  EXPECT_EQ(curve.runs, 20u);

  SensitivityResult result;
  result.base = {18.1, 285.06, 41.75, 0.0232};
  result.rows = {Row("OUTPUT", 17, 19), Row("C0", 18.5, 17.5)};
  const StudyReport sensitivity = ReportOfSensitivity(result, 5);
  EXPECT_EQ(sensitivity.lines[0],
            "Base run (ok): MELTEND = 18.10, TAVM = 285.06, PTOTAL = 41.75, QSQT = 0.0232.");
  EXPECT_EQ(sensitivity.lines[1], "Largest elasticities of MELTEND: OUTPUT (1.11), C0 (-0.56).");
}

}  // namespace plots

}  // namespace
}  // namespace meltsim
