#include "web/core/describe.h"

#include "io/data_file.h"
#include "io/data_file_writer.h"
#include "io/polymer_file.h"
#include "model/field_help.h"
#include "model/input_data.h"
#include "model/result_columns.h"
#include "model/run_options.h"
#include "model/version.h"

namespace meltsim::web {

using emscripten::val;

namespace {

val FieldView(int k) {
  const InputField& field = kFields[static_cast<std::size_t>(k)];
  const FieldHelp& help = kFieldHelp[static_cast<std::size_t>(k)];
  val v = val::object();
  v.set("symbol", std::string(field.symbol));
  v.set("editName", std::string(field.editName));
  v.set("label", std::string(field.windowLabel));
  v.set("name", FieldName(field));
  v.set("unit", std::string(help.unit));
  v.set("tooltip", FieldTooltip(k));
  v.set("defaultText", std::string(field.defaultText));
  v.set("editable", field.editable);
  return v;
}

val ColumnView(int c) {
  const ColumnHelp& help = kColumnHelp[static_cast<std::size_t>(c)];
  val v = val::object();
  v.set("head", std::string(kResultColumns[static_cast<std::size_t>(c)].head));
  v.set("unit", std::string(help.unit));
  v.set("headWithUnit", ColumnHeadWithUnit(c, "\u2103"));
  v.set("meaning", std::string(help.meaning));
  return v;
}

}  // namespace

val Describe() {
  val fields = val::array();
  for (int k = 0; k < kFieldCount; ++k) fields.call<void>("push", FieldView(k));
  val columns = val::array();
  for (int c = 0; c < kResultColumnCount; ++c) columns.call<void>("push", ColumnView(c));
  val series = val::array();
  for (SeriesMode mode : {SeriesMode::Written, SeriesMode::Rescue, SeriesMode::Stable})
    series.call<void>("push", std::string(SeriesModeName(mode)));

  val v = val::object();
  v.set("version", std::string(kVersion));
  v.set("fields", fields);
  v.set("columns", columns);
  v.set("seriesModes", series);
  v.set("defaultSeries", std::string(SeriesModeName(kDefaultSeriesMode)));
  v.set("defaultSaveFileName", std::string(kDefaultSaveFileName));
  v.set("polymerFirstField", kPolymerFirstField);
  v.set("polymerFieldCount", kPolymerFieldCount);
  v.set("defaultPolymerName", std::string(kDefaultPolymerName));
  v.set("selectOneDataFileMessage", std::string(kSelectOneDataFileMessage));
  v.set("dataFileCannotOpenMessage", std::string(kDataFileCannotOpenMessage));
  return v;
}

}  // namespace meltsim::web
