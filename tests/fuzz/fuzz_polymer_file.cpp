// The polymer file reader on any bytes. A file it takes (a polymer file, or
// a data file's lines 15 to 27) must write back as a polymer file that
// reads to the same name and texts; one taken as a data file must give the
// data file reader's values; the polymer check must take any texts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "io/data_file.h"
#include "io/polymer_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace meltsim;
  using namespace meltsim::fuzz;
  const std::string_view bytes = AsText(data, size);
  const PolymerFileRead read = ParsePolymerFile(bytes, "folder/fuzz.polymer.txt");
  if (!read.ok) {
    FUZZ_CHECK(read.message.starts_with("\"folder/fuzz.polymer.txt\" is not a polymer file: "),
               read.message);
    return 0;
  }
  if (read.fromDataFile) {
    const DataFileResult file = ParseDataFile(bytes, "fuzz");
    FUZZ_CHECK(file.has_value(), "a polymer from a file that is no data file");
    FUZZ_CHECK(read.polymer.name == "fuzz.polymer", Shown(read.polymer.name));
    for (int k = 0; k < kPolymerFieldCount; ++k) {
      FUZZ_CHECK(read.polymer.texts[k] == file.value()[kPolymerFirstField + k],
                 "polymer value " + std::to_string(k));
    }
  }

  const std::string text = PolymerFileText(read.polymer);
  const PolymerFileRead again = ParsePolymerFile(text, "again.txt");
  FUZZ_CHECK(again.ok && !again.fromDataFile, again.message);
  FUZZ_CHECK(again.polymer.name == read.polymer.name,
             Shown(again.polymer.name) + " against " + Shown(read.polymer.name));
  FUZZ_CHECK(again.polymer.texts == read.polymer.texts, "texts written back read otherwise");

  const std::optional<std::string> refused = CheckPolymer(read.polymer);
  FUZZ_CHECK(!refused || !refused->empty(), "a refusal without a message");
  return 0;
}
