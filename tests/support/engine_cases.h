// Input sets that drive the march through its different paths, shared by
// the march tests and the golden result files. Each is the default set with
// a few fields changed, or a complete data file.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "io/data_file.h"
#include "io/input_reading.h"
#include "model/input_data.h"

namespace meltsim::cases {

struct EngineCase {
  const char* name;  // also the golden file's name
  std::vector<std::pair<const char*, const char*>> sets;
  const char* dataFile = nullptr;  // in the test data folder; all 31 lines are taken
};

// Cases that run to an end of the march.
inline const std::vector<EngineCase>& FinishingCases() {
  static const std::vector<EngineCase> cases = {
      {"default", {}},
      // Barrel just above the melting point, slow screw: every step is
      // entered straight into the closed-form film.
      {"closed_form_entry", {{"C0", "266"}, {"RPM", "5"}}},
      // Cool film found at the pass start: the closed-form film is chosen there.
      {"closed_form_pass_start", {{"C0", "280"}, {"RPM", "10"}}},
      // A closed-form film that comes out too hot goes back to the numeric fit.
      {"closed_form_refit", {{"C0", "272"}, {"RPM", "40"}, {"C1", "0.02"}, {"C2", "0.005"}}},
      {"end_of_screw", {{"OUTPUT", "600"}}},
      // No taper: the solid bed runs thin in the shallow channel.
      {"solid_bed_width", {{"H1", "0.4"}}},
      {"sbap_zero", {{"SBAP", "0"}}},
      {"barrel_profile", {{"C0", "300"}, {"C1", "0.05"}, {"C2", "-0.01"}}},
      {"cold_screw", {{"TSCREW", "200"}}},
      // 5.07 feed turns and 6.03 compression turns: both zones end inside a step.
      {"zone_ends", {{"NDELAY", "4.93"}, {"NCOMP", "6.03"}}},
      {"long_screw", {{"NMETER", "50"}, {"OUTPUT", "1000"}}},
      // Melting starts one turn into the compression zone.
      {"late_melting", {{"NDELAY", "11"}}},
      {"polymer_pp", {}, "polymer_pp.txt"},
      // A poorly conducting solid: the solid bed series hits its exponent cap.
      {"overflow", {{"KS", "0.000015"}}},
      // So little throughput that the solid bed vanishes in the first pass.
      {"nothing_recorded", {{"OUTPUT", "0.5"}}},
  };
  return cases;
}

inline std::string TestDataPath(const std::string& name) {
  return std::string(MELTSIM_TEST_DATA) + "/" + name;
}

inline FieldTexts CaseTexts(const EngineCase& c) {
  FieldTexts texts = DefaultFieldTexts();
  if (c.dataFile != nullptr) {
    const DataFileResult file = ReadDataFile(TestDataPath(c.dataFile));
    EXPECT_TRUE(file.has_value()) << file.error().message;
    if (file.has_value()) texts = file.value();
  }
  for (const auto& [symbol, text] : c.sets) {
    const int index = FieldIndex(symbol);
    EXPECT_GE(index, 0) << symbol;
    if (index >= 0) texts[index] = text;
  }
  return texts;
}

inline InputData CaseInputs(const EngineCase& c) {
  InputData in;
  const Expected<void> checked = ReadAndCheck(CaseTexts(c), "result.txt", in);
  EXPECT_TRUE(checked.has_value()) << c.name << ": " << (checked ? "" : checked.error().message);
  return in;
}

inline const EngineCase& FindCase(const std::string& name) {
  for (const EngineCase& c : FinishingCases()) {
    if (name == c.name) return c;
  }
  ADD_FAILURE() << "no case " << name;
  return FinishingCases().front();
}

}  // namespace meltsim::cases
