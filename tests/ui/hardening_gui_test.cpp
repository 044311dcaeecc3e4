// GO with a result file that cannot be written, or not to the end: the
// window shows the reason in a message box, shows no finish dialog, returns
// to idle with the fields as they were, and the next run finishes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>
#include <vector>

#include "ui/main_window.h"
#include "window_fixture.h"

namespace meltsim {
namespace {

class AnsweringDialogs : public WindowDialogs {
 public:
  void ShowMessage(const QString& text) override { messages.push_back(text.toStdString()); }
  std::optional<QString> ChooseDataFile(const QString&) override { return std::nullopt; }
  void ShowFinishDialog() override { ++finishCount; }

  std::vector<std::string> messages;
  int finishCount = 0;
};

class WindowWriteFailure : public WindowFixture<AnsweringDialogs> {
 protected:
  QLineEdit* SaveFileName() const { return window_->findChild<QLineEdit*>("Edit29"); }
  void Go() { QTest::mouseClick(window_->findChild<QPushButton*>("BitBtn1"), Qt::LeftButton); }

  // A failed GO: exactly `message`, no finish dialog, idle, the fields as
  // they were before it; then a GO into a writable file finishes.
  void ExpectFailedGoThenAWorkingOne(const QStringList& before, const std::string& message) {
    EXPECT_EQ(dialogs_.messages, std::vector<std::string>{message});
    EXPECT_EQ(dialogs_.finishCount, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(EditTexts(), before);

    dialogs_.messages.clear();
    SaveFileName()->setText(QStringLiteral("good.txt"));
    Go();
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(dialogs_.finishCount, 1);
    EXPECT_TRUE(QFile::exists(QDir(temp_.path()).filePath(QStringLiteral("good.txt"))));
  }
};

TEST_F(WindowWriteFailure, AFullDeviceIsReportedAndNotFinished) {
  if (!QFile::exists(QStringLiteral("/dev/full"))) GTEST_SKIP() << "no /dev/full";
  SaveFileName()->setText(QStringLiteral("/dev/full"));
  const QStringList before = EditTexts();
  Go();
  ExpectFailedGoThenAWorkingOne(before,
                                "Can not write result file /dev/full: No space left on device");
}

TEST_F(WindowWriteFailure, ADirectoryAsResultFileIsReportedAndNotFinished) {
  ASSERT_TRUE(QDir(temp_.path()).mkdir(QStringLiteral("adir")));
  SaveFileName()->setText(QStringLiteral("adir"));
  const QStringList before = EditTexts();
  Go();
  ExpectFailedGoThenAWorkingOne(before, "File can not open!");
}

TEST_F(WindowWriteFailure, AFileThatFillsUpDuringTheResultsIsReportedAndNotFinished) {
  // A file size limit of 2 KiB stands in for a disk that fills up after the
  // input section: the results section is cut off.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = signal(SIGXFSZ, SIG_IGN);
  rlimit lowered = saved;
  lowered.rlim_cur = 2048;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
  SaveFileName()->setText(QStringLiteral("r.txt"));
  const QStringList before = EditTexts();
  Go();
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);
  ExpectFailedGoThenAWorkingOne(before, "Can not write result file r.txt: File too large");
}

}  // namespace
}  // namespace meltsim
