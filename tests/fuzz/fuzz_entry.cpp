// libFuzzer's entry point, the same for every target: the input as text to
// the target's FuzzOne. The seed replayer of builds without libFuzzer calls
// it too.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  meltsim::fuzz::FuzzOne({reinterpret_cast<const char*>(data), size});
  return 0;
}
