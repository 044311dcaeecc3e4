// Every number a run leaves, bit for bit. The result files of
// tests/data/golden print at most a few decimals; these files keep each
// recorded row, the summary and the final film and series quantities as
// hexadecimal floating-point text, so a change of the hot path that moves a
// single bit of any of them fails here even when no printed digit moves.
//
// To write the files anew (only after a deliberate change of the arithmetic):
//   MELTSIM_UPDATE_SPEED_GOLDEN=1 build/tests/meltsim_tests --gtest_filter='*BitForBit*'
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/engine.h"
#include "support/engine_cases.h"
#include "support/file_text.h"
#include "support/message_texts.h"

namespace meltsim {
namespace {

using files::ReadFile;

namespace fs = std::filesystem;

std::string Hex(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%a", v);
  return buffer;
}

void Add(std::string& text, const char* name, double v) {
  text += std::string(name) + " " + Hex(v) + "\n";
}

std::string RunDump(const InputData& in) {
  SimState s;
  RunSimulation(in, s);
  std::string t;
  t += "NSTEP " + std::to_string(s.NSTEP) + "\n";
  t += "end " + std::to_string(static_cast<int>(s.marchEnd)) + "\n";
  const MarchCounts& c = s.counts;
  t += "counts " + std::to_string(c.quadraticPasses) + " " + std::to_string(c.linearPasses) + " " +
       std::to_string(c.linearRefits) + " " + std::to_string(c.closedFormEntries) + " " +
       std::to_string(c.relaxations) + " " + std::to_string(c.overflowNotices) + "\n";
  for (int i = 0; i < s.NSTEP; ++i) {
    const StepRow& r = s.StepResults[i];
    t += "row " + std::to_string(i + 1);
    for (double v : {r.RFLIGHT, r.RDEPTH, r.RXW, r.RQSQT, r.RTB, r.RT121, r.RTAV, r.RFILM, r.RPSAI,
                     r.RPTOT, r.RPVIS})
      t += " " + Hex(v);
    t += "\n";
  }
  Add(t, "PTOTAL", s.PTOTAL);
  Add(t, "PTOT", s.PTOT);
  Add(t, "PVIS", s.PVIS);
  Add(t, "PPRE", s.PPRE);
  Add(t, "PSCREW", s.PSCREW);
  Add(t, "VSZ", s.VSZ);
  Add(t, "TAVM", s.TAVM);
  Add(t, "TSAVSTEP", s.TSAVSTEP);
  Add(t, "QSQT", s.QSQT);
  Add(t, "FILM", s.FILM);
  Add(t, "DTS", s.DTS);
  Add(t, "T121", s.T121);
  Add(t, "TAV", s.TAV);
  Add(t, "S1", s.S1);
  Add(t, "S2", s.S2);
  Add(t, "S3", s.S3);
  Add(t, "KSER", s.KSER);
  Add(t, "XW", s.XW);
  for (const std::string& m : testing::Texts(s.diagnostics.notices)) t += "notice " + m + "\n";
  return t;
}

class BitForBit : public ::testing::TestWithParam<cases::EngineCase> {};

TEST_P(BitForBit, EveryNumberOfTheRunIsUnchanged) {
  const cases::EngineCase& c = GetParam();
  const std::string actual = RunDump(cases::CaseInputs(c));
  const fs::path golden =
      fs::path(MELTSIM_TEST_DATA) / "speed_golden" / (std::string(c.name) + ".txt");
  if (std::getenv("MELTSIM_UPDATE_SPEED_GOLDEN") != nullptr) {
    fs::create_directories(golden.parent_path());
    std::ofstream(golden, std::ios::binary) << actual;
    GTEST_SKIP() << "wrote " << golden;
  }
  ASSERT_TRUE(fs::exists(golden)) << golden;
  const std::string expected = ReadFile(golden);
  if (expected == actual) return;
  // Name the first line that differs.
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  const std::size_t start = expected.rfind('\n', at == 0 ? 0 : at - 1);
  const std::size_t from = start == std::string::npos ? 0 : start + 1;
  ADD_FAILURE() << c.name << " differs at\n  expected: "
                << expected.substr(from, expected.find('\n', from) - from)
                << "\n  actual:   " << actual.substr(from, actual.find('\n', from) - from);
}

INSTANTIATE_TEST_SUITE_P(InputSets, BitForBit, ::testing::ValuesIn(cases::FinishingCases()),
                         [](const ::testing::TestParamInfo<cases::EngineCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace meltsim
