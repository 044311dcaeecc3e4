// What every input field and every result column means, for tooltips, the
// table heads, the CSV export and the report: plain text, no toolkit.
#pragma once

#include <array>
#include <string>

#include "model/input_data.h"
#include "model/result_columns.h"

namespace meltsim {

// One input field explained: what it is, its unit, what the checks before a
// run allow, and where the values of real extruders usually lie.
struct FieldHelp {
  const char* symbol;   // as in kFields
  const char* meaning;  // one or two sentences
  const char* unit;     // "cm", "-" for a pure number
  const char* allowed;  // the range the checks allow
  const char* typical;  // the usual engineering range
};

// In the order of kFields.
extern const std::array<FieldHelp, kFieldCount> kFieldHelp;

// The tooltip of field `field` (index into kFields): meaning, unit, allowed
// and typical range on their own lines.
std::string FieldTooltip(int field);

// One result column explained.
struct ColumnHelp {
  const char* head;     // as in kResultColumns
  const char* unit;     // "turns", "deg C", "-"
  const char* meaning;  // one sentence
};

// In the order of kResultColumns.
extern const std::array<ColumnHelp, kResultColumnCount> kColumnHelp;

// The column's head with its unit, "FLIGHT (turns)", "X/W (-)"; `degree` is
// the text of the degree Celsius unit ("\u2103" in a window, "C" in ASCII).
std::string ColumnHeadWithUnit(int column, const char* degree);

}  // namespace meltsim
