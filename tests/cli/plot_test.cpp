// meltsim-cli run --plot: the picture files it writes through the plot
// module, what it refuses before anything runs, and that the program itself
// needs no window toolkit.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "cli/plot_option.h"
#include "support/failure_print.h"
#include "support/file_text.h"

namespace meltsim {
namespace {

using files::ReadFile;

namespace fs = std::filesystem;

class CliPlot : public ::testing::Test {
 protected:
  void SetUp() override {
    work_ = fs::temp_directory_path() /
            ("meltsim_cli_plot_" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(work_);
    fs::create_directories(work_);
  }
  void TearDown() override { fs::remove_all(work_); }

  // Runs meltsim-cli in the work folder; returns the exit code, keeps stderr.
  int Cli(const std::string& args, const std::string& environment = "") {
    const std::string command = "cd '" + work_.string() + "' && " + environment + "'" +
                                MELTSIM_CLI_PATH + "' " + args + " >/dev/null 2>'" +
                                (work_ / "err").string() + "'";
    const int status = std::system(command.c_str());
    err_ = ReadFile(work_ / "err");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path work_;
  std::string err_;
};

#ifdef MELTSIM_HAVE_PLOT_MODULE

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

TEST_F(CliPlot, WritesThePngOfTheMeltingProfile) {
  ASSERT_EQ(Cli("run --plot profile.png"), 0) << err_;
  EXPECT_EQ(err_, "");
  const std::string png = ReadFile(work_ / "profile.png");
  ASSERT_GT(png.size(), 10000u);  // a drawn picture, not an empty canvas
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(BigEndian32(png, 16), 900u);
  EXPECT_EQ(BigEndian32(png, 20), 560u);
  EXPECT_TRUE(fs::exists(work_ / "result.txt"));
}

TEST_F(CliPlot, WritesAnSvgThatSaysHowTheMarchEnded) {
  ASSERT_EQ(Cli("run --set OUTPUT=900 -o high.txt --plot High.SVG"), 0) << err_;
  const std::string svg = ReadFile(work_ / "High.SVG");
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_EQ(svg.substr(svg.find_last_not_of("\r\n") - 5, 6), "</svg>");
  EXPECT_NE(svg.find("<title>Melting profile: Solid bed still 41 % of the flow at the end of the "
                     "screw</title>"),
            std::string::npos);
}

TEST_F(CliPlot, RefusesOtherPictureTypesBeforeRunning) {
  EXPECT_EQ(Cli("run --plot profile.jpg"), 2);
  EXPECT_EQ(err_, "--plot: the file name must end in .png or .svg, got \"profile.jpg\"\n");
  EXPECT_FALSE(fs::exists(work_ / "result.txt"));
  EXPECT_FALSE(fs::exists(work_ / "profile.jpg"));
}

TEST_F(CliPlot, APlotThatCannotBeWrittenIsAFileError) {
  EXPECT_EQ(Cli("run --plot no-such-dir/profile.png"), 4);
  EXPECT_EQ(err_, "Can not write no-such-dir/profile.png\n");
  EXPECT_TRUE(fs::exists(work_ / "result.txt"));  // the run itself finished
}

// Started by its name alone, found through PATH, the program still finds the
// plot module beside its own file.
TEST_F(CliPlot, FindsTheModuleWhenStartedThroughPath) {
  const fs::path program(MELTSIM_CLI_PATH);
  const std::string command = "cd '" + work_.string() + "' && PATH='" +
                              program.parent_path().string() + ":/usr/bin:/bin' " +
                              program.filename().string() + " run --plot p.png 2>err";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << ReadFile(work_ / "err");
  EXPECT_EQ(ReadFile(work_ / "p.png").substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

TEST_F(CliPlot, AFailedRunDrawsNothing) {
  EXPECT_EQ(Cli("run --set C0=100 --plot profile.png"), 3);
  EXPECT_FALSE(fs::exists(work_ / "profile.png"));
}

#endif

// Without the module (here: pointed at a file that does not exist) --plot
// is refused before the run, and a run without --plot does not miss it.
TEST_F(CliPlot, WithoutThePlotModuleSaysSoBeforeTheRun) {
  const std::string missing = (work_ / "no-module.so").string();
  EXPECT_EQ(Cli("run --plot profile.png", "MELTSIM_PLOT_MODULE='" + missing + "' "), 2);
  EXPECT_EQ(err_,
            "plotting is not available: the plot module libmeltsim-plot.so is not installed "
            "(looked for " +
                missing + ")\n");
  EXPECT_FALSE(fs::exists(work_ / "result.txt"));
  EXPECT_EQ(Cli("run", "MELTSIM_PLOT_MODULE='" + missing + "' "), 0) << err_;
  EXPECT_TRUE(fs::exists(work_ / "result.txt"));
}

// What --plot is refused for, by kind: a name the program does not draw is
// the user's request, a module that is not there is what the installation
// lacks.
TEST_F(CliPlot, ARefusedPlotSaysWhyByKind) {
  EXPECT_EQ(cli::CheckPlotOption("profile.pdf").error(),
            (Failure{FailureKind::Usage,
                     "--plot: the file name must end in .png or .svg, got \"profile.pdf\""}));
  const std::string missing = (work_ / "no-module.so").string();
  ::setenv("MELTSIM_PLOT_MODULE", missing.c_str(), 1);
  const Expected<void> checked = cli::CheckPlotOption("profile.png");
  const Expected<void> written = cli::WriteRunPlot(RunOutcome{}, (work_ / "p.png").string());
  ::unsetenv("MELTSIM_PLOT_MODULE");
  const Failure unavailable{FailureKind::Unavailable,
                            "plotting is not available: the plot module libmeltsim-plot.so is not "
                            "installed (looked for " +
                                missing + ")"};
  EXPECT_EQ(checked.error(), unavailable);
  EXPECT_EQ(written.error(), unavailable);
  EXPECT_FALSE(fs::exists(work_ / "p.png"));
}

// A file that is not a plot module is named in the message.
TEST_F(CliPlot, AModuleThatCannotBeLoadedIsNamed) {
  const fs::path fake = work_ / "fake.so";
  std::ofstream(fake) << "not a shared library";
  EXPECT_EQ(Cli("run --plot profile.png", "MELTSIM_PLOT_MODULE='" + fake.string() + "' "), 2);
  EXPECT_EQ(err_.rfind("the plot module " + fake.string() + " can not be loaded: ", 0), 0u) << err_;
}

// The command line links no window toolkit: the dynamic loader lists no Qt
// library for it (the plot module brings Qt only when --plot loads it).
TEST(CliProgram, LinksNoQtLibrary) {
  const std::string command = std::string("ldd '") + MELTSIM_CLI_PATH + "' 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string listing;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) listing += buffer;
  ASSERT_EQ(pclose(pipe), 0) << listing;
  EXPECT_NE(listing.find("libc.so"), std::string::npos) << listing;  // ldd did list the libraries
  EXPECT_EQ(listing.find("Qt"), std::string::npos) << listing;
}

}  // namespace
}  // namespace meltsim
