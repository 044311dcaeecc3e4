// The lines of a text file's bytes, as the readers of data and result files
// take them.
#pragma once

#include <string_view>
#include <vector>

namespace meltsim {

// The lines of `bytes`, CR LF or LF line ends removed; a last line without
// an end counts, an empty text has no lines.
std::vector<std::string_view> SplitLines(std::string_view bytes);

}  // namespace meltsim
