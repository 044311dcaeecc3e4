// The input set of one run: 31 numbers and the name of the result file,
// their labels, default texts and checks. Turning field texts into numbers
// is the input reader's work (io/input_reading.h).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "model/expected.h"

namespace meltsim {

// Everything one run is given. Units are those of the window labels
// (cm, turns, rpm, kg/hr, deg C, g, cal, s).
struct InputData {
  double D = 0, NFEED = 0, NCOMP = 0, NMETER = 0, NDELAY = 0;
  double H1 = 0, H3 = 0, PITCH = 0, E = 0, RPM = 0, OUTPUT = 0;
  double C0 = 0, C1 = 0, C2 = 0;
  double A0 = 0, A1 = 0, A11 = 0, A2 = 0, A22 = 0, A12 = 0;
  double RHOS = 0, RHOM = 0, CPS = 0, HFUS = 0, CPM = 0, KM = 0, TM = 0;
  double TS0 = 0, SBAP = 0, TSCREW = 0, KS = 0;
  std::string SaveFileName;
};

constexpr int kFieldCount = 31;

// One numeric input: everything every reader and writer needs to know of it.
struct InputField {
  const char* symbol;         // "D", "NFEED", ...
  double InputData::*member;  // where the converted value goes
  const char* editName;       // the window's control name, "Edit1" ...
  const char* windowLabel;    // window caption, UTF-8 (the degree sign as U+2103)
  const char* defaultText;    // the field's text at program start
  bool editable;              // fixed fields are shown disabled and keep their default
  const char* sectionLabel;   // 43-byte label of the result file, degree sign as 0x81 0x8E
  int P;                      // FixedText precision in the result file
  int Dec;                    // FixedText decimals in the result file
};

// The 31 numeric fields in the order the run command reads them, which is
// also the order of the value lines of a data file and of the input section.
extern const std::array<InputField, kFieldCount> kFields;

constexpr const char* kDefaultSaveFileName = "result.txt";
constexpr const char* kConversionFailedMessage = "Input value is not correct!";
constexpr const char* kSaveFileNameMessage = "Save File Name is not correct";

// Index into kFields of a symbol, or -1.
int FieldIndex(std::string_view symbol);

using FieldTexts = std::array<std::string, kFieldCount>;

// The default texts of the 31 fields.
FieldTexts DefaultFieldTexts();

// The field of the save file name in a refusal (Failure::field): the one
// after the 31 numbers.
constexpr int kSaveFileNameField = kFieldCount;

// Runs the checks of a converted input set in their order, the save file
// name last. A refusal is the first that fails: a BadValue failure with the
// exact message and its field (kSaveFileNameField for the name).
Expected<void> CheckInputs(const InputData& in);

}  // namespace meltsim
