// The polymer of a run: the 13 fixed inputs A0 ... TM (the viscosity
// equation and the thermal properties) with a name, and the polymer file
// that keeps them. A polymer file has a first line "Polymer = NAME" and the
// 13 value lines of the input section; a data file serves as well (its lines
// 15 to 27).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/input_data.h"

namespace meltsim {

constexpr int kPolymerFirstField = 14;  // index into kFields of A0 (data file line 15)
constexpr int kPolymerFieldCount = 13;  // A0 ... TM (lines 15 to 27)
constexpr const char* kDefaultPolymerName = "default polymer";

struct Polymer {
  std::string name;
  std::array<std::string, kPolymerFieldCount> texts;  // A0 ... TM, as the fields hold them
};

// The default texts, named kDefaultPolymerName.
Polymer DefaultPolymer();

// True when the texts are the default texts (the name does not count).
bool HasDefaultValues(const Polymer& polymer);

// The polymer texts of field texts, and field texts with a polymer's texts.
Polymer PolymerOfFields(const FieldTexts& texts, const std::string& name);
void PutPolymer(const Polymer& polymer, FieldTexts& texts);

// Converts the 13 texts and checks them as a run would (with the other
// inputs at their defaults). Fails with BadValue and the field of the first
// value that does not convert ("A0 (line 15): ... is not a number"), or with
// the input check's failure; done when a run can use them.
Expected<void> CheckPolymer(const Polymer& polymer);

// The bytes of a polymer file, CR LF line ends. A name with a line break is
// kept up to it.
std::string PolymerFileText(const Polymer& polymer);

struct PolymerFile {
  Polymer polymer;
  bool fromDataFile = false;  // taken from lines 15 to 27 of a data file
};

// The polymer of a file, or why not: "\"<name>\" is not a polymer file:
// <reason>", of kind WrongFormat, or CannotOpen / CannotRead for a file that
// can not be opened / read to its end.
using PolymerFileRead = Expected<PolymerFile>;

// Parses a polymer file, or a data file (whose name, without its folder and
// suffix, names the polymer). `fileName` is used in messages and for the name.
PolymerFileRead ParsePolymerFile(std::string_view bytes, const std::string& fileName);
PolymerFileRead ReadPolymerFile(const std::string& path);

// Writes PolymerFileText to `path`; fails with the message to show.
Expected<void> WritePolymerFile(const std::string& path, const Polymer& polymer);

// The data file lines (1-based, 15 to 27) whose values differ from the
// polymer texts of `fields`: the lines that Read Data File leaves alone.
std::vector<int> PolymerLinesDiffering(const FieldTexts& dataFile, const FieldTexts& fields);

}  // namespace meltsim
