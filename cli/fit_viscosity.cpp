#include "cli/fit_viscosity.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <optional>
#include <ostream>

#include "cli/field_options.h"
#include "io/data_file.h"
#include "io/data_file_writer.h"
#include "io/number_text.h"
#include "io/viscosity_data.h"
#include "model/input_data.h"
#include "physics/viscosity_fit.h"

namespace meltsim::cli {

namespace {

constexpr const char* kFitExamples =
    R"(The CSV has a header row naming the columns T (C), gamma (1/s) and eta
(gf*s/cm2) or eta_Pas (Pa*s), in any order; other columns are ignored.

Examples:
  meltsim-cli fit-viscosity measurements.csv
                        print the fitted A0 to A12, R2 and the largest error
  meltsim-cli fit-viscosity measurements.csv -o polymer.txt
                        also write a data file: the default texts, the fit on
                        lines 15 to 20; run it with --all-fields
  meltsim-cli fit-viscosity measurements.csv --from mydata.txt -o polymer.txt
                        the lines of mydata.txt with the fit on lines 15 to 20

Exit codes: 0 fitted (and written); 1 the CSV, the fit or the --from data file
was refused (the message on stderr, nothing written); 2 wrong command line;
4 the data file could not be written.)";

// The coefficients in the order of the fit, A0, A1, A11, A2, A22, A12.
constexpr std::array<const char*, 6> kSymbols = {"A0", "A1", "A11", "A2", "A22", "A12"};

std::string Digits17(double v) { return SignificantText(v, 17); }

std::string Short(double v) { return SignificantText(v, 6); }

void PrintFit(const ViscosityFit& fit, const ViscosityData& data, std::ostream& out) {
  for (std::size_t k = 0; k < kSymbols.size(); ++k) {
    out << kSymbols[k] << " = " << Digits17(fit.A[k]) << '\n';
  }
  out << "R2 = " << Digits17(fit.R2) << " (of ln(eta), " << data.points.size() << " points)\n";
  out << "largest relative error = " << Short(100 * fit.maxRelError) << " % (line " << fit.worstLine
      << ")\n";
  out << "measured T = " << Short(fit.Tmin) << " to " << Short(fit.Tmax) << " C\n";
  out << "measured gamma = " << Short(fit.gammaMin) << " to " << Short(fit.gammaMax) << " 1/s\n";
  out << "condition = " << Short(fit.condition) << " (of the scaled design matrix)\n";
  if (data.etaInPascalSeconds) {
    out << "eta_Pas converted to gf*s/cm2: 1 Pa*s = 10/980.665 gf*s/cm2\n";
  }
}

// The film of a run lies between the melting point TM and the barrel
// temperature C0 (the barrel profile starts there when C1 = 0); a fit that
// does not reach them is extrapolated. Shear rates are known only after a run.
std::vector<std::string> RunTemperatureWarnings(const ViscosityFit& fit, const FieldTexts& texts) {
  const std::optional<double> TM = ConvertNumber(texts[FieldIndex("TM")]);
  const std::optional<double> C0 = ConvertNumber(texts[FieldIndex("C0")]);
  if (!TM || !C0) return {};
  std::vector<std::string> warnings;
  for (const MessageText& w : ExtrapolationWarnings(fit, std::min(*TM, *C0), std::max(*TM, *C0),
                                                    fit.gammaMin, fit.gammaMax)) {
    warnings.push_back(MessageString(w) + " (the run's TM = " + Short(*TM) +
                       ", C0 = " + Short(*C0) + ")");
  }
  return warnings;
}

// The texts the fit goes into: the --from data file's lines or the defaults.
std::optional<FieldTexts> BaseTexts(const FitViscosityOptions& o, std::ostream& err) {
  if (o.from.empty()) return DefaultFieldTexts();
  const DataFileResult file = ReadDataFile(o.from);
  if (!file.has_value()) {
    err << file.error().message << '\n';
    return std::nullopt;
  }
  return file.value();
}

int WriteFitDataFile(const std::string& path, FieldTexts texts, const ViscosityFit& fit,
                     std::ostream& out, std::ostream& err) {
  for (std::size_t k = 0; k < kSymbols.size(); ++k) {
    texts[static_cast<std::size_t>(FieldIndex(kSymbols[k]))] = Digits17(fit.A[k]);
  }
  if (const Expected<void> written = WriteDataFile(path, texts); !written) {
    err << written.error().message << '\n';
    return kExitFileError;
  }
  out << "data file written: " << path
      << " (the fit on lines 15 to 20; run it with --all-fields)\n";
  return kExitDone;
}

}  // namespace

CLI::App* AddFitViscositySubcommand(CLI::App& app, FitViscosityOptions& o) {
  CLI::App* fit = app.add_subcommand(
      "fit-viscosity",
      "Fit the six viscosity coefficients A0 to A12 to measured viscosities (least squares on "
      "ln(eta)) and optionally write them into a data file");
  fit->add_option("DATA", o.csv,
                  "CSV of measurements: columns T (C), gamma (1/s), eta (gf*s/cm2) or eta_Pas "
                  "(Pa*s). E.g. measurements.csv")
      ->required()
      ->type_name("DATA.csv");
  fit->add_option(
         "-o,--output", o.output,
         "Write a data file of 31 lines with the fit on lines 15 to 20. E.g. -o polymer.txt")
      ->type_name("FILE");
  fit->add_option("--from", o.from,
                  "Take the other lines of the written data file from this data file instead of "
                  "the default texts. E.g. --from mydata.txt")
      ->type_name("DATAFILE");
  fit->footer(kFitExamples);
  return fit;
}

int FitViscositySubcommand(const FitViscosityOptions& o, std::ostream& out, std::ostream& err) {
  const ViscosityDataRead read = ReadViscosityCsv(o.csv);
  if (!read.has_value()) {
    err << read.error().message << '\n';
    return kExitInputRejected;
  }
  const ViscosityData& data = *read;
  const ViscosityFitResult fitted = FitViscosity(data.points);
  if (!fitted.has_value()) {
    err << o.csv << ": the viscosity can not be fitted: " << MessageString(fitted.error()) << '\n';
    return kExitInputRejected;
  }
  const ViscosityFit& fit = *fitted;
  const std::optional<FieldTexts> texts = BaseTexts(o, err);
  if (!texts) return kExitInputRejected;
  PrintFit(fit, data, out);
  for (const MessageText& w : fit.warnings) err << "warning: " << MessageString(w) << '\n';
  for (const std::string& w : RunTemperatureWarnings(fit, *texts)) err << "warning: " << w << '\n';
  if (o.output.empty()) return kExitDone;
  return WriteFitDataFile(o.output, *texts, fit, out, err);
}

}  // namespace meltsim::cli
