// The accounts of runs that the Results tab and the report show, the report
// content, and what the viscosity fit dialog draws and checks.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "io/input_reading.h"
#include "io/number_text.h"
#include "physics/physics.h"
#include "runner/plot_description.h"
#include "runner/report_content.h"
#include "runner/run_account.h"
#include "runner/viscosity_view.h"

namespace meltsim {
namespace {

RunOutcome Simulate(const FieldTexts& texts, SeriesMode mode) {
  RecordingMessageSink sink;
  InputData in;
  // SimulateInputs runs the march without a file, as RunCommand does after the checks.
  for (int k = 0; k < kFieldCount; ++k) in.*kFields[k].member = *ConvertNumber(texts[k]);
  in.SaveFileName = "r.txt";
  return SimulateInputs(in, sink, mode);
}

// RPM 50 with the written series fails at step 36 after 35 recorded rows
// (tests/engine/series_modes_test.cpp).
TEST(RunAccount, AFailedCalculationKeepsTheRowsItRecorded) {
  FieldTexts texts = DefaultFieldTexts();
  texts[9] = "50.0";
  const RunOutcome outcome = Simulate(texts, SeriesMode::Written);
  ASSERT_EQ(outcome.status, RunStatus::CalculationFailed);
  const RunAccount account = AccountOfRun(outcome);
  EXPECT_TRUE(account.partial);
  ASSERT_EQ(account.results.contents.rows.size(), 35u);
  const StepRow& last = outcome.state.StepResults[34];
  EXPECT_EQ(account.results.contents.rows[34].cells[0], FixedText(last.RFLIGHT, 5, 2));
  EXPECT_EQ(account.results.contents.rows[34].values.RXW, last.RXW);
  EXPECT_EQ(AccountHeadline(account),
            "Calculation failed at step 36 (FLIGHT " + FixedText(outcome.failure->flight, 6, 2) +
                " turns): Calculation did not converge at step 36 (step passes) - the table shows "
                "the 35 steps recorded before.");
  const ReportContent report = ReportOf(account, "default polymer", "today");
  EXPECT_TRUE(report.summary.empty());  // a failed run has no summary
  EXPECT_EQ(report.rows.size(), 35u);
  EXPECT_EQ(report.series, "Series mode: written");
}

TEST(RunAccount, AFinishedRunReadsAsItsEndSentenceWithSummaryAndWarnings) {
  FieldTexts texts = DefaultFieldTexts();
  texts[9] = "50.0";  // the rescue carries this run on, with a note
  const RunAccount account = AccountOfRun(Simulate(texts, SeriesMode::Rescue));
  EXPECT_FALSE(account.partial);
  EXPECT_EQ(AccountHeadline(account), EndSentence(account.results));
  EXPECT_TRUE(account.warnings.empty());
  ASSERT_EQ(account.notes.size(), 1u);
  EXPECT_EQ(account.status, ResultStatus::Ok);
  const ReportContent report = ReportOf(account, "PE", "2024-01-01");
  EXPECT_EQ(report.inputs.size(), 31u);
  EXPECT_EQ(report.inputs[9].symbol, "RPM");
  EXPECT_EQ(report.inputs[9].value, "50.0");
  EXPECT_EQ(report.summary.size(), 8u);
  EXPECT_EQ(report.warnings.back(), account.notes.front());
  EXPECT_EQ(report.status, "Status: ok");
  EXPECT_EQ(report.heads[4], "TB\n(\xE2\x84\x83)");
}

// Keep as Reference: the two melting ends are told apart by colour, and the
// legend has one entry that says what the dashed curves are.
TEST(PlotDescription, TheReferenceEndMarkHasAColourOfItsOwnAndTheLegendNamesTheDashes) {
  FieldTexts faster = DefaultFieldTexts();
  faster[9] = "45.0";
  const RunResults reference = ResultsOfRun(Simulate(DefaultFieldTexts(), SeriesMode::Rescue));
  const RunResults current = ResultsOfRun(Simulate(faster, SeriesMode::Rescue));
  const PlotDescription d = DescribePlot(PlotKind::MeltingProfile, &current, &reference);
  std::vector<const PlotMark*> ends;
  for (const PlotMark& mark : d.marks) {
    if (mark.role == PlotMark::Role::EndMark) ends.push_back(&mark);
  }
  ASSERT_EQ(ends.size(), 2u);
  const auto same = [](PlotColour a, PlotColour b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
  };
  EXPECT_FALSE(same(ends[0]->colour, ends[1]->colour));
  int dashedEntries = 0, referenceInLegend = 0;
  for (const PlotCurve& curve : d.curves) {
    if (curve.points.empty()) {
      ++dashedEntries;
      EXPECT_EQ(curve.name, "dashed: reference");
      EXPECT_EQ(curve.style, LineStyle::Dash);
      EXPECT_TRUE(curve.inLegend);
    } else if (curve.reference && curve.inLegend) {
      ++referenceInLegend;
    }
  }
  EXPECT_EQ(dashedEntries, 1);
  EXPECT_EQ(referenceInLegend, 0);  // the entry speaks for all of them
  // Without a reference there is no such entry.
  for (const PlotCurve& curve : DescribePlot(PlotKind::Temperatures, &current, nullptr).curves)
    EXPECT_FALSE(curve.points.empty());
}

TEST(ViscosityView, TheFittedEquationIsTheModelsViscosity) {
  const InputData in = DefaultInputData();
  const std::array<double, 6> A = {in.A0, in.A1, in.A11, in.A2, in.A22, in.A12};
  for (double T : {230.0, 265.0, 300.0})
    for (double gamma : {0.5, 30.0, 4000.0})
      EXPECT_DOUBLE_EQ(FittedViscosity(A, gamma, T), MeltViscosity(in, gamma, T));
}

TEST(ViscosityView, FlowCurvesGroupTemperaturesAndSpanTheMeasuredShearRates) {
  const std::array<double, 6> A = {7, -0.5, 0, 0, 0, 0};
  const std::vector<ViscosityPoint> points = {
      {270.004, 10, 1, 2}, {250, 5, 1, 3}, {270, 1000, 1, 4}, {250, 50, 1, 5}};
  const std::vector<FlowCurve> curves = FlowCurves(points, A);
  ASSERT_EQ(curves.size(), 2u);  // 270 and 270.004 are one temperature
  EXPECT_EQ(curves[0].T, 250);
  EXPECT_EQ(curves[1].measured.size(), 2u);
  ASSERT_EQ(curves[1].fitted.size(), static_cast<std::size_t>(kFittedPointsPerCurve));
  EXPECT_NEAR(curves[1].fitted.front().first, 10, 1e-9);
  EXPECT_NEAR(curves[1].fitted.back().first, 1000, 1e-9);
  // ln(eta) = 7 - 0.5 ln(gamma): eta = e^7 / sqrt(gamma).
  EXPECT_NEAR(curves[1].fitted.back().second, std::exp(7.0) / std::sqrt(1000.0), 1e-9);
}

TEST(ViscosityView, TheRunUsesTheFilmBetweenMeltingPointAndBarrel) {
  const InputData in = DefaultInputData();
  const ViscosityUse before = ViscosityUseOf(in, nullptr);
  EXPECT_EQ(before.TLo, 265.0);  // TM
  EXPECT_EQ(before.THi, 290.0);  // C0, with C1 = 0 the whole barrel
  EXPECT_FALSE(before.shearKnown);

  const RunAccount run = AccountOfRun(Simulate(DefaultFieldTexts(), SeriesMode::Rescue));
  const ViscosityUse after = ViscosityUseOf(in, &run.results);
  ASSERT_TRUE(after.shearKnown);
  // Shear rate in the film: barrel speed pi*D*RPM/60 over the film thickness.
  double thinnest = 1, thickest = 0;
  for (const ResultRow& row : run.results.contents.rows) {
    thinnest = std::min(thinnest, row.values.RFILM);
    thickest = std::max(thickest, row.values.RFILM);
  }
  const double VB = std::numbers::pi * 15.0 * 38.0 / 60;
  EXPECT_DOUBLE_EQ(after.gammaLo, VB / thickest);
  EXPECT_DOUBLE_EQ(after.gammaHi, VB / thinnest);
}

}  // namespace
}  // namespace meltsim
