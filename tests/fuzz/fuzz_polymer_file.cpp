// The polymer file reader on any bytes. A file it takes (a polymer file, or
// a data file's lines 15 to 27) must write back as a polymer file that
// reads to the same name and texts; one taken as a data file must give the
// data file reader's values; the polymer check must take any texts, and a
// refusal names the refused field.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "io/data_file.h"
#include "io/polymer_file.h"

namespace meltsim::fuzz {

void FuzzOne(std::string_view bytes) {
  const PolymerFileRead read = ParsePolymerFile(bytes, "folder/fuzz.polymer.txt");
  if (!read.has_value()) {
    const Failure& refused = read.error();
    FUZZ_CHECK(refused.kind == FailureKind::WrongFormat, refused.message);
    FUZZ_CHECK(refused.message.starts_with("\"folder/fuzz.polymer.txt\" is not a polymer file: "),
               refused.message);
    return;
  }
  const Polymer& polymer = read->polymer;
  if (read->fromDataFile) {
    const DataFileResult file = ParseDataFile(bytes, "fuzz");
    FUZZ_CHECK(file.has_value(), "a polymer from a file that is no data file");
    FUZZ_CHECK(polymer.name == "fuzz.polymer", Shown(polymer.name));
    for (int k = 0; k < kPolymerFieldCount; ++k) {
      FUZZ_CHECK(polymer.texts[k] == file.value()[kPolymerFirstField + k],
                 "polymer value " + std::to_string(k));
    }
  }

  const std::string text = PolymerFileText(polymer);
  const PolymerFileRead again = ParsePolymerFile(text, "again.txt");
  FUZZ_CHECK(again.has_value(), again.error().message);
  FUZZ_CHECK(!again->fromDataFile, "a polymer file written back read as a data file");
  FUZZ_CHECK(again->polymer.name == polymer.name,
             Shown(again->polymer.name) + " against " + Shown(polymer.name));
  FUZZ_CHECK(again->polymer.texts == polymer.texts, "texts written back read otherwise");

  const Expected<void> checked = CheckPolymer(polymer);
  FUZZ_CHECK(checked || !checked.error().message.empty(), "a refusal without a message");
  FUZZ_CHECK(checked || checked.error().kind == FailureKind::BadValue,
             "a polymer refused as other than a value");
  FUZZ_CHECK(checked || checked.error().field >= 0,
             "a polymer refused without its field: " + checked.error().message);
}

}  // namespace meltsim::fuzz
