// A survey of generated input sets that all pass the input checks: screws
// across the engineering range with a barrel above the melting point, and
// absurd ones (flights wider than the channel, melting that starts past the
// feed zone or past the screw, a metering channel deeper than the feed
// channel, a barrel colder than the melting point, values like 1e300 and
// 1e-300). Each runs in the written series and in the default (rescue)
// series. In the written series every run must end, in bounded time, with a
// result, a "did not converge" error naming the step, a floating-point
// fault, or one of the geometry messages; in the rescue series with a
// result or a message that names where the run stood and what to check.
// None may crash or hang, and no result file may show a NaN or an infinity
// as a number. The rescue must give a result for nearly every plausible set,
// the written file for every set the written series completes (unless that
// result is impossible), and sane rows where it rescued.
//
// Each case runs in a child process, so that a crash or a hang is caught and
// named instead of ending the whole test.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "io/input_reading.h"
#include "io/number_text.h"
#include "io/result_file.h"
#include "model/fp_check.h"
#include "model/input_data.h"
#include "model/result_columns.h"
#include "runner/run_command.h"
#include "support/file_text.h"
#include "support/message_texts.h"

#if defined(__SANITIZE_ADDRESS__)
#define MELTSIM_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MELTSIM_SANITIZED 1
#endif
#endif

namespace meltsim {
namespace {

using files::ReadFile;

namespace fs = std::filesystem;

#ifdef MELTSIM_SANITIZED
constexpr int kCasesOfEachKind = 50;  // the sanitizer build runs several times slower
constexpr int kCaseTimeoutSeconds = 120;
#else
constexpr int kCasesOfEachKind = 250;
constexpr int kCaseTimeoutSeconds = 30;
#endif
constexpr double kSlowCaseSeconds = 2.0;  // a case slower than this is reported

// --- Generated input sets ---------------------------------------------------

struct SurveyCase {
  std::string kind;
  InputData in;
};

class CaseGenerator {
 public:
  explicit CaseGenerator(std::uint64_t seed) : rng_(seed) {}

  // A screw and an operating point such as an engineer might enter.
  SurveyCase Plausible() {
    InputData in = DefaultInputData();
    in.D = LogUniform(2, 30);
    in.PITCH = in.D * Uniform(0.8, 1.2);
    in.E = 0.1 * in.D * Uniform(0.7, 1.3);
    in.H1 = in.D * Uniform(0.08, 0.2);
    in.H3 = in.H1 / Uniform(1.5, 4);
    in.NFEED = Uniform(4, 12);
    in.NCOMP = Uniform(3, 10);
    in.NMETER = Uniform(3, 12);
    in.NDELAY = in.NFEED * Uniform(0.05, 0.9);
    in.RPM = LogUniform(5, 300);
    // A fraction of the drag flow of the metering channel, in kg/hr.
    const double theta = std::atan(in.PITCH / (std::numbers::pi * in.D));
    const double W = in.PITCH * std::cos(theta) - in.E;
    const double VBZ = std::numbers::pi * in.D * in.RPM / 60 * std::cos(theta);
    in.OUTPUT = 0.5 * VBZ * W * in.H3 * in.RHOM * 3.6 * Uniform(0.2, 1.0);
    in.C0 = in.TM + Uniform(5, 135);  // a barrel meant to melt the polymer
    if (Pick(0, 2) == 0) {            // a barrel profile along the screw
      // TB = C0*(1 - C1*exp(C2*x)) over the axial distance x from melting
      // start: hotter than the melting point where melting starts and no
      // hotter than TM + 250 anywhere (it may cool below TM further on).
      const double length = in.PITCH * (in.NFEED + in.NCOMP + in.NMETER - in.NDELAY);
      for (int attempt = 0; attempt < 20; ++attempt) {
        in.C1 = Uniform(-0.2, 0.2);
        in.C2 = Uniform(-0.02, 0.02);
        const double start = in.C0 * (1 - in.C1),
                     end = in.C0 * (1 - in.C1 * std::exp(in.C2 * length));
        if (start > in.TM + 5 && std::max(start, end) < in.TM + 250) break;
        in.C1 = in.C2 = 0;
      }
    }
    in.TS0 = Uniform(10, 80);
    const int sbap = Pick(0, 9);
    in.SBAP = sbap == 0 ? 0.0 : sbap == 1 ? 1.0 : Uniform(0, 1);
    in.TSCREW = Uniform(30, 300);
    in.KS = LogUniform(1e-4, 1e-3);
    return {"plausible", in};
  }

  // Inputs that pass every check but describe no sensible screw.
  SurveyCase Absurd() {
    SurveyCase c = Plausible();
    InputData& in = c.in;
    const double theta = std::atan(in.PITCH / (std::numbers::pi * in.D));
    const double screwTurns = in.NFEED + in.NCOMP + in.NMETER;
    switch (Pick(0, 9)) {
      case 0:
        c.kind = "flight wider than the channel";
        in.E = in.PITCH * std::cos(theta) * Uniform(1.0, 3.0);
        break;
      case 1:
        c.kind = "melting starts past the feed zone";
        in.NDELAY = in.NFEED + (in.NCOMP + in.NMETER) * Uniform(0.01, 0.99);
        break;
      case 2:
        c.kind = "melting starts past the screw";
        in.NDELAY = Pick(0, 3) == 0 ? screwTurns : screwTurns * Uniform(1, 3);
        break;
      case 3:
        c.kind = "metering deeper than feed";
        in.H3 = in.H1 * Uniform(1.2, 5);
        break;
      case 4:
        c.kind = "barrel below the melting point";
        in.C0 = Uniform(50, in.TM - 1);
        break;
      case 5:
        c.kind = "huge value";
        SetRandomField(in, Pick(0, 2) == 0 ? 1e300 : Pick(0, 1) ? 1e308 : 1.7976931348623157e308);
        break;
      case 6:
        c.kind = "tiny value";
        SetRandomField(in, Pick(0, 1) ? 1e-300 : 4.9e-324);
        break;
      case 7:
        c.kind = "solid or screw hotter than the melt";
        in.TS0 = Uniform(in.TM + 1, 500);
        if (Pick(0, 1)) in.TSCREW = Uniform(400, 2000);
        break;
      case 8:
        c.kind = "wild barrel profile";
        in.C1 = Pick(0, 1) ? Signed(1e300) : Signed(Uniform(1, 50));
        in.C2 = Pick(0, 1) ? Signed(1e300) : Signed(Uniform(0.1, 50));
        break;
      default:
        c.kind = "extreme operating point";
        in.RPM = Pick(0, 1) ? Uniform(1e3, 1e5) : Uniform(1e-4, 1e-2);
        in.OUTPUT *= Pick(0, 1) ? Uniform(10, 1e4) : Uniform(1e-6, 1e-3);
        if (Pick(0, 1)) in.KS = Pick(0, 1) ? 1e-9 : 1e3;
        break;
    }
    return c;
  }

 private:
  double Uniform(double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng_);
  }
  double LogUniform(double lo, double hi) { return std::exp(Uniform(std::log(lo), std::log(hi))); }
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  double Signed(double v) { return Pick(0, 1) ? v : -v; }

  // One of the inputs that a user can type, set to `v` (SBAP only takes a
  // tiny value, its check keeps it at most 1).
  void SetRandomField(InputData& in, double v) {
    static const char* const kTyped[] = {"D",  "NFEED", "NCOMP", "NMETER", "NDELAY", "H1",
                                         "H3", "PITCH", "E",     "RPM",    "OUTPUT", "C0",
                                         "C1", "C2",    "TS0",   "TSCREW", "KS",     "SBAP"};
    const char* symbol = kTyped[Pick(0, static_cast<int>(std::size(kTyped)) - 1)];
    if (std::string(symbol) == "SBAP" && v > 1) symbol = "KS";
    in.*kFields[FieldIndex(symbol)].member = v;
  }

  std::mt19937_64 rng_;
};

// The field texts that convert back to exactly these inputs.
FieldTexts TextsOf(const InputData& in) {
  FieldTexts texts;
  for (int i = 0; i < kFieldCount; ++i) texts[i] = ShortestText(in.*kFields[i].member);
  return texts;
}

// --- How a run ended --------------------------------------------------------

enum class Ending {
  Result,
  NotConverged,
  FloatingPointFault,
  Geometry,
  NotFinite,
  StepLimit,
  InputRejected,  // the generator made inputs that do not pass the checks
  FileError,
  Explained,  // outside the written series: a failure that says where and what to check
  OtherMessage,
  Crashed,
  TimedOut,
};

const char* EndingName(Ending e) {
  switch (e) {
    case Ending::Result:
      return "result";
    case Ending::NotConverged:
      return "did not converge";
    case Ending::FloatingPointFault:
      return "floating-point fault";
    case Ending::Geometry:
      return "geometry message";
    case Ending::NotFinite:
      return "result not finite";
    case Ending::StepLimit:
      return "step limit";
    case Ending::InputRejected:
      return "input rejected";
    case Ending::FileError:
      return "file error";
    case Ending::Explained:
      return "explained failure";
    case Ending::OtherMessage:
      return "other message";
    case Ending::Crashed:
      return "crashed";
    case Ending::TimedOut:
      return "timed out";
  }
  return "?";
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// A failed calculation by the kind of its failure. Outside the written
// series every failure is explained: it names the FLIGHT and what to check,
// or says that no film forms or that no screw gives such results.
Ending CalculationEnding(CalculationErrorKind kind, SeriesMode mode) {
  switch (kind) {
    case CalculationErrorKind::NoChannel:
    case CalculationErrorKind::MeltingBeyondScrew:
      return Ending::Geometry;
    default:
      break;
  }
  if (mode != SeriesMode::Written) return Ending::Explained;
  switch (kind) {
    case CalculationErrorKind::NotConverged:
    case CalculationErrorKind::FilmSolutionsAlternate:
      return Ending::NotConverged;
    case CalculationErrorKind::FloatingPointFault:
      return Ending::FloatingPointFault;
    case CalculationErrorKind::NotFinite:
      return Ending::NotFinite;
    case CalculationErrorKind::TooManySteps:
      return Ending::StepLimit;
    default:
      return Ending::OtherMessage;
  }
}

struct CaseReport {
  Ending ending = Ending::OtherMessage;
  std::string message;
  double seconds = 0;
  bool rescued = false;          // the rescue switched to the converged series, or computed again
  bool warnsUnphysical = false;  // a warning says that steps before the rescue are not physical
  std::string insaneRow;         // the first recorded row that is not physically sane, if any
  std::string status;            // "ok", "warning", ...
  int kind = -1;                 // the CalculationErrorKind of a failed calculation
  int unsolvedSteps = 0, wideBedSteps = 0;
  bool impossible = false;  // results that no screw can give
};

// QS/QT never rises along the screw, the film has a thickness, and the mid-film
// temperature is not below the melting point.
std::string FirstInsaneRow(const InputData& in, const SimState& s) {
  for (std::size_t i = 0; i < RecordedRows(s); ++i) {
    const StepRow& r = s.StepResults[i];
    const bool rises = i > 0 && r.RQSQT > s.StepResults[i - 1].RQSQT;
    if (rises || !(r.RFILM > 0) || !(r.RT121 >= in.TM)) {
      return "row " + std::to_string(i + 1) + ": QS/QT " + std::to_string(r.RQSQT) + " FILM " +
             std::to_string(r.RFILM) + " T121 " + std::to_string(r.RT121);
    }
  }
  return "";
}

// Runs the case in a child process with a time limit. The child sends back
// the run's status, its message and its duration through a pipe.
CaseReport Ended(Ending ending, const std::string& message, double seconds = 0) {
  CaseReport r;
  r.ending = ending;
  r.message = message;
  r.seconds = seconds;
  return r;
}

CaseReport RunCase(const SurveyCase& c, const std::string& resultPath, SeriesMode mode) {
  int fds[2];
  if (pipe(fds) != 0) return Ended(Ending::OtherMessage, "pipe failed");
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return Ended(Ending::OtherMessage, "fork failed");
  if (child == 0) {
    close(fds[0]);
    RecordingMessageSink sink;
    const RunOutcome out = RunCommand(TextsOf(c.in), resultPath, sink, mode);
    const RunDiagnostics& d = out.state.diagnostics;
    const bool rescued = d.rescuedStep > 0 || d.recomputedStable;
    bool unphysical = false;
    for (const std::string& w : out.warnings)
      unphysical = unphysical || StartsWith(w, "The steps before the rescue are not physical");
    const bool impossible =
        out.status == RunStatus::Done && ImpossibleResult(out.inputs, out.state).has_value();
    const std::string report =
        std::to_string(static_cast<int>(out.status)) + "\n" + (rescued ? "1" : "0") +
        (unphysical ? "1" : "0") + (impossible ? "1" : "0") + "\n" +
        std::to_string(out.failure ? static_cast<int>(out.failure->kind) : -1) + " " +
        std::to_string(out.accounting.unsolvedSteps) + " " +
        std::to_string(out.accounting.wideBedSteps) + " " + ResultStatusText(StatusOf(out)) + "\n" +
        FirstInsaneRow(out.inputs, out.state) + "\n" + out.message;
    const ssize_t written = write(fds[1], report.data(), report.size());
    _exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
  }
  close(fds[1]);
  std::string report;
  bool timedOut = false;
  for (;;) {
    const auto left =
        std::chrono::seconds(kCaseTimeoutSeconds) - (std::chrono::steady_clock::now() - start);
    const int ms =
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count());
    pollfd p{fds[0], POLLIN, 0};
    if (ms <= 0 || poll(&p, 1, ms) == 0) {
      timedOut = true;
      break;
    }
    char buf[4096];
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    report.append(buf, static_cast<std::size_t>(n));
  }
  close(fds[0]);
  if (timedOut) kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  CaseReport r;
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (timedOut) return Ended(Ending::TimedOut, "no end within the time limit", r.seconds);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    r.ending = Ending::Crashed;
    r.message = WIFSIGNALED(status) ? "signal " + std::to_string(WTERMSIG(status))
                                    : "exit code " + std::to_string(WEXITSTATUS(status));
    return r;
  }
  std::istringstream lines(report);
  std::string code, rescued, account;
  std::getline(lines, code);
  std::getline(lines, rescued);
  std::getline(lines, account);
  std::getline(lines, r.insaneRow);
  std::getline(lines, r.message, '\0');
  r.rescued = rescued.substr(0, 1) == "1";
  r.warnsUnphysical = rescued.substr(1, 1) == "1";
  r.impossible = rescued.substr(2, 1) == "1";
  std::istringstream counts(account);
  counts >> r.kind >> r.unsolvedSteps >> r.wideBedSteps;
  std::getline(counts >> std::ws, r.status);
  switch (static_cast<RunStatus>(std::atoi(code.c_str()))) {
    case RunStatus::Done:
      r.ending = Ending::Result;
      break;
    case RunStatus::InputRejected:
      r.ending = Ending::InputRejected;
      break;
    case RunStatus::FileError:
      r.ending = Ending::FileError;
      break;
    case RunStatus::CalculationFailed:
      r.ending = CalculationEnding(static_cast<CalculationErrorKind>(r.kind), mode);
      break;
  }
  return r;
}

// A number text that is no number: how a NaN or an infinity would look.
bool ShowsNonFinite(const std::string& text) {
  for (const char* word : {"nan", "inf", "NAN", "INF"}) {
    if (text.find(word) != std::string::npos) return true;
  }
  return false;
}

std::string Describe(const SurveyCase& c) {
  std::ostringstream s;
  s << c.kind << ":";
  const FieldTexts texts = TextsOf(c.in);
  for (int i = 0; i < kFieldCount; ++i) {
    if (kFields[i].editable) s << ' ' << kFields[i].symbol << '=' << texts[i];
  }
  return s.str();
}

class Survey : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("meltsim_survey_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

// How the runs of one series mode ended.
struct ModeTally {
  std::map<std::string, std::map<std::string, int>> byKind;  // kind -> ending -> count
  std::map<Ending, int> endings;
  double slowest = 0, total = 0;
  int plausible = 0, plausibleResults = 0, rescued = 0;

  void Add(const SurveyCase& c, const CaseReport& r) {
    const bool isPlausible = c.kind == "plausible";
    ++byKind[isPlausible ? "plausible" : "absurd: " + c.kind][EndingName(r.ending)];
    ++endings[r.ending];
    slowest = std::max(slowest, r.seconds);
    total += r.seconds;
    plausible += isPlausible;
    plausibleResults += isPlausible && r.ending == Ending::Result;
    rescued += r.rescued;
  }
  void Print(const char* mode, std::size_t cases) const {
    std::cout << "Survey of " << cases << " runs, " << mode << " series (" << total
              << " s, slowest " << slowest << " s): plausible sets with a result "
              << plausibleResults << " of " << plausible << ", rescued runs " << rescued << "\n";
    for (const auto& [ending, count] : endings) {
      std::cout << "  " << EndingName(ending) << ": " << count << '\n';
    }
    for (const auto& [kind, counts] : byKind) {
      std::cout << "  " << kind << " ->";
      for (const auto& [ending, count] : counts) std::cout << ' ' << ending << ' ' << count << ';';
      std::cout << '\n';
    }
  }
};

TEST_F(Survey, EveryGeneratedRunEndsInOneOfTheKnownWays) {
  CaseGenerator generate(0x5EED5011);
  std::vector<SurveyCase> cases;
  for (int i = 0; i < kCasesOfEachKind; ++i) cases.push_back(generate.Plausible());
  for (int i = 0; i < kCasesOfEachKind; ++i) cases.push_back(generate.Absurd());

  ModeTally written, rescue;
  int changedFiles = 0, unphysicalKept = 0, alternatingFilms = 0;
  for (std::size_t n = 0; n < cases.size(); ++n) {
    const SurveyCase& c = cases[n];
    const std::string writtenPath = (dir_ / ("written" + std::to_string(n) + ".txt")).string();
    const std::string rescuePath = (dir_ / ("rescue" + std::to_string(n) + ".txt")).string();
    const CaseReport w = RunCase(c, writtenPath, SeriesMode::Written);
    const CaseReport r = RunCase(c, rescuePath, kDefaultSeriesMode);
    written.Add(c, w);
    rescue.Add(c, r);

    const bool knownWritten = w.ending == Ending::Result || w.ending == Ending::NotConverged ||
                              w.ending == Ending::FloatingPointFault ||
                              w.ending == Ending::Geometry;
    EXPECT_TRUE(knownWritten) << "case " << n << " ended in the written series as "
                              << EndingName(w.ending) << " (\"" << w.message << "\") after "
                              << w.seconds << " s; " << Describe(c);
    const bool knownRescue =
        r.ending == Ending::Result || r.ending == Ending::Explained || r.ending == Ending::Geometry;
    EXPECT_TRUE(knownRescue) << "case " << n << " ended in the rescue series as "
                             << EndingName(r.ending) << " (\"" << r.message << "\") after "
                             << r.seconds << " s; " << Describe(c);
#ifndef MELTSIM_SANITIZED
    EXPECT_LT(r.seconds, 5.0) << "case " << n << "; " << Describe(c);
#endif
    for (const CaseReport* report : {&w, &r}) {
      if (report->seconds > kSlowCaseSeconds) {
        std::cout << "slow case " << n << ": " << report->seconds << " s, "
                  << EndingName(report->ending) << " (" << report->message << "); " << Describe(c)
                  << '\n';
      }
    }
    // A set the written series completes keeps its file, unless its result
    // is impossible and the rescue computed it again.
    if (w.ending == Ending::Result && !r.rescued) {
      EXPECT_EQ(r.ending, Ending::Result) << "case " << n << "; " << Describe(c);
      EXPECT_TRUE(ReadFile(writtenPath) == ReadFile(rescuePath))
          << "case " << n << " changed its file; " << Describe(c);
    }
    if (w.ending == Ending::Result && r.rescued) ++changedFiles;
    if (c.kind == "plausible" && r.ending != Ending::Result) {
      std::cout << "plausible case " << n << " without a result: " << r.message << '\n';
      // What no solution of the model exists for: a barrel that is not above
      // the melting point where melting starts, a solid bed that a screw (or
      // a solid) hotter than the melting point heats past it, and a film
      // whose two solutions meet at the temperature where the model chooses
      // between them.
      const auto kind = static_cast<CalculationErrorKind>(r.kind);
      const bool hotScrew = kind == CalculationErrorKind::FilmNotSolved &&
                            (c.in.TSCREW > c.in.TM || c.in.TS0 > c.in.TM);
      EXPECT_TRUE(kind == CalculationErrorKind::NoMeltFilm || hotScrew ||
                  kind == CalculationErrorKind::FilmSolutionsAlternate)
          << "case " << n << ": " << r.message << "; " << Describe(c);
      alternatingFilms += kind == CalculationErrorKind::FilmSolutionsAlternate;
    }
    // The status "ok" only on solved, physical results; a result that is
    // not so says "warning".
    if (r.ending == Ending::Result) {
      EXPECT_EQ(r.unsolvedSteps, 0) << "case " << n << "; " << Describe(c);
      const bool clean = r.wideBedSteps == 0 && r.insaneRow.empty() && !r.impossible;
      if (r.status == "ok") {
        EXPECT_TRUE(clean) << "case " << n << " is ok with " << r.wideBedSteps
                           << " wide steps, row \"" << r.insaneRow << "\"; " << Describe(c);
      } else {
        EXPECT_EQ(r.status, "warning") << "case " << n;
      }
      if (r.wideBedSteps > 0) {
        EXPECT_EQ(r.status, "warning") << "case " << n;
      }
    }
    // A rescued run is sane, or says that its steps before the rescue are not.
    if (c.kind == "plausible" && r.rescued && r.ending == Ending::Result && !r.insaneRow.empty()) {
      EXPECT_TRUE(r.warnsUnphysical) << "case " << n << ": " << r.insaneRow << "; " << Describe(c);
      ++unphysicalKept;
    }
    // Whatever the ending, a file shows no NaN or infinity.
    for (const std::string& path : {writtenPath, rescuePath}) {
      if (!fs::exists(path)) continue;
      const std::string text = ReadFile(path);
      EXPECT_FALSE(ShowsNonFinite(text))
          << "case " << n << " wrote a non-finite number; " << Describe(c) << "\n"
          << text;
      fs::remove(path);
    }
  }

  written.Print("written", cases.size());
  rescue.Print("rescue", cases.size());
  std::cout << "  completed in both, computed again in the rescue: " << changedFiles
            << "; rescued with unphysical steps kept: " << unphysicalKept << '\n';
  // Many runs must give results, or the survey tests little.
  EXPECT_GT(written.endings[Ending::Result], kCasesOfEachKind / 3);
  EXPECT_GT(written.endings[Ending::Geometry], 0);
  // Nearly every plausible set ends with a result in the default series;
  // the others have one of the causes above (checked case by case). Films
  // whose two solutions meet are rare.
  EXPECT_GE(rescue.plausibleResults, 0.9 * rescue.plausible);
  EXPECT_LE(alternatingFilms, 0.02 * rescue.plausible);
}

// --- The geometry messages ----------------------------------------------------

CalculationError RunExpectingError(const InputData& in) {
  SimState s;
  try {
    RunSimulation(in, s);
  } catch (const CalculationError& e) {
    return e;
  }
  return CalculationError(CalculationErrorKind::NotConverged, "");
}

TEST(GeometryChecks, AFlightAsWideAsThePitchLeavesNoChannel) {
  InputData in = DefaultInputData();
  const double theta = std::atan(in.PITCH / (std::numbers::pi * in.D));
  for (const double E : {in.PITCH * std::cos(theta), 14.5, 20.0, 1e300}) {
    in.E = E;
    EXPECT_EQ(testing::Text(RunExpectingError(in).message),
              "The flight width leaves no channel: the channel width is not positive")
        << "E " << E;
  }
  in.E = std::nextafter(in.PITCH * std::cos(theta), 0.0);  // a sliver of a channel is a channel
  EXPECT_NE(testing::Text(RunExpectingError(in).message), kNoChannelMessage);
}

TEST(GeometryChecks, MeltingThatStartsAtOrPastTheScrewEndIsRefusedBeforeTheMarch) {
  InputData in = DefaultInputData();
  for (const double NDELAY : {24.7, 24.700000001, 30.0, 1e300}) {
    in.NDELAY = NDELAY;
    EXPECT_EQ(testing::Text(RunExpectingError(in).message),
              "Melting would start at or beyond the end of the screw")
        << "NDELAY " << NDELAY;
  }
}

TEST(GeometryChecks, MeltingThatStartsPastTheFeedZoneMarchesFromThere) {
  InputData in = DefaultInputData();
  for (const double NDELAY : {12.0, 20.0}) {
    in.NDELAY = NDELAY;
    SimState s;
    RunSimulation(in, s);
    ASSERT_GT(s.NSTEP, 0) << "NDELAY " << NDELAY;
    EXPECT_EQ(s.counts.feedSteps, 0);
    // The first row lies half a compression or metering step past the start.
    EXPECT_GT(s.StepResults[0].RFLIGHT, NDELAY);
    EXPECT_LT(s.StepResults[0].RFLIGHT, NDELAY + 0.11);
  }
}

TEST(GeometryChecks, TheRunCommandKeepsTheInputSectionAndWritesNoResults) {
  const fs::path path =
      fs::temp_directory_path() / ("meltsim_geometry_" + std::to_string(::getpid()) + ".txt");
  FieldTexts texts = DefaultFieldTexts();
  texts[FieldIndex("NDELAY")] = "25";
  RecordingMessageSink sink;
  const RunOutcome out = RunCommand(texts, path.string(), sink);
  EXPECT_EQ(out.status, RunStatus::CalculationFailed);
  EXPECT_EQ(sink.messages, std::vector<std::string>{kMeltingBeyondScrewMessage});
  EXPECT_EQ(ReadFile(path.string()), InputSectionText(out.inputs));
  fs::remove(path);
}

// --- Nothing non-finite is written ------------------------------------------

TEST(ResultsCheck, ANonFiniteRowOrSummaryValueFailsTheRunWithItsPlace) {
  const InputData in = DefaultInputData();
  SimState s;
  RunSimulation(in, s);
  ASSERT_GT(s.NSTEP, 2);
  EXPECT_NO_THROW(CheckResultsFinite(in, s));

  SimState bad = s;
  bad.StepResults[1].RT121 = std::numeric_limits<double>::quiet_NaN();
  try {
    CheckResultsFinite(in, bad);
    ADD_FAILURE() << "a NaN in a row passed";
  } catch (const CalculationError& e) {
    EXPECT_EQ(testing::Text(e.message),
              "Calculation gave a result that is not a finite number at step 2 (T121)");
  }
  bad = s;
  bad.PTOTAL = std::numeric_limits<double>::infinity();
  try {
    CheckResultsFinite(in, bad);
    ADD_FAILURE() << "an infinite summary value passed";
  } catch (const CalculationError& e) {
    EXPECT_EQ(testing::Text(e.message),
              "Calculation gave a result that is not a finite number (summary value PTOTAL)");
  }
  // Rows past the recorded ones are never printed, so they do not count.
  bad = s;
  bad.StepResults.resize(s.NSTEP + 1);
  bad.StepResults[s.NSTEP].RFILM = std::numeric_limits<double>::infinity();
  EXPECT_NO_THROW(CheckResultsFinite(in, bad));
}

}  // namespace
}  // namespace meltsim
