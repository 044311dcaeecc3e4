// The desktop window driven as a user would: fields, keys, buttons and the
// directory browser, with the modal dialogs answered by a recorder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <memory>
#include <optional>
#include <vector>

#include "runner/run_command.h"
#include "ui/main_window.h"
#include "window_fixture.h"

// Readable failure output for Qt strings.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
void PrintTo(const QStringList& texts, std::ostream* out) {
  *out << '{' << texts.join(QStringLiteral(", ")).toStdString() << '}';
}

namespace meltsim {
namespace {

class RecordingDialogs : public WindowDialogs {
 public:
  void ShowMessage(const QString& text) override { messages.push_back(text); }
  std::optional<QString> ChooseDataFile(const QString& startDir) override {
    startDirs.push_back(startDir);
    return dataFileAnswer;
  }
  void ShowFinishDialog() override {
    ++finishCount;
    const QCursor* cursor = QApplication::overrideCursor();
    busyDuringFinish = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
  }

  std::vector<QString> messages;
  std::vector<QString> startDirs;
  std::optional<QString> dataFileAnswer;
  int finishCount = 0;
  bool busyDuringFinish = false;
};

QString EditName(int number) { return QStringLiteral("Edit%1").arg(number); }

bool IsFixedField(int number) { return number >= 15 && number <= 27; }

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(bytes);
}

// 31 lines "label = value unit"; value k is "<100 + k>.5".
QByteArray DataFileBytes(int lines) {
  QByteArray bytes;
  for (int k = 1; k <= lines; ++k)
    bytes += QStringLiteral("Quantity %1 =  %2.5 cm\r\n").arg(k).arg(100 + k).toLatin1();
  return bytes;
}

class WindowTest : public WindowFixture<RecordingDialogs> {
 protected:
  // The window starts in the working directory; OpenTempDir moves it.
  void SetUp() override { MakeWindow(); }

  QPushButton* Button(const char* name) const {
    auto* button = window_->findChild<QPushButton*>(QString::fromLatin1(name));
    EXPECT_NE(button, nullptr) << name;
    return button;
  }
  QStringList ListedFiles() const {
    QStringList names;
    const QAbstractItemModel* model =
        window_->findChild<QListView*>(QStringLiteral("FileListBox1"))->model();
    for (int row = 0; row < model->rowCount(); ++row)
      names << model->index(row, 0).data().toString();
    return names;
  }
  QStringList FilesOnDisk() const { return QDir(temp_.path()).entryList(QDir::Files, QDir::Name); }
  QString TempPath(const QString& name) const { return QDir(temp_.path()).filePath(name); }
  void OpenTempDir() { ASSERT_TRUE(window_->OpenDirectory(temp_.path())); }
  void Show() {
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
  void ExpectIdle() const { EXPECT_EQ(QApplication::overrideCursor(), nullptr); }
};

TEST_F(WindowTest, ShowsTheFieldsWithTheirDefaultsInTheirGroups) {
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Donovan Model Simulation"));
  const auto group = [this](const char* name) {
    return window_->findChild<QGroupBox*>(QString::fromLatin1(name));
  };
  ASSERT_NE(group("GroupBox1"), nullptr);
  ASSERT_NE(group("GroupBox2"), nullptr);
  ASSERT_NE(group("GroupBox3"), nullptr);
  EXPECT_EQ(group("GroupBox1")->title(), QStringLiteral("  Input Data   "));
  EXPECT_EQ(group("GroupBox2")->title(), QStringLiteral(" Save File Name "));
  EXPECT_EQ(group("GroupBox3")->title(), QStringLiteral("Additional Data for Donovan Model"));

  for (int number = 1; number <= 32; ++number) {
    const char* expectedGroup = number <= 28   ? "GroupBox1"
                                : number == 29 ? "GroupBox2"
                                               : "GroupBox3";
    EXPECT_TRUE(group(expectedGroup)->isAncestorOf(Edit(number))) << number;
    EXPECT_EQ(Edit(number)->isEnabled(), !IsFixedField(number)) << number;
  }
  // Spot checks across the table: a slip in the field order shows here.
  const std::vector<std::pair<int, const char*>> defaults = {
      {1, "15.0"},        {4, "8.7"},          {11, "300.0"}, {14, "0.0"},
      {15, "7.442"},      {19, "-0.00012377"}, {27, "265.0"}, {28, "30.0"},
      {29, "result.txt"}, {30, "1.0"},         {31, "265.0"}, {32, "0.00035"}};
  for (const auto& [number, text] : defaults) EXPECT_EQ(Edit(number)->text(), text) << number;

  const auto label = [this](int number) {
    return window_->findChild<QLabel*>(QStringLiteral("Label%1").arg(number))->text();
  };
  EXPECT_EQ(label(1), QStringLiteral("  Screw Diameter (cm) :"));
  EXPECT_EQ(label(27), QString::fromUtf8("  Melting Point (\u2103) :"));
  EXPECT_EQ(label(30), QStringLiteral("  SBAP :"));
  EXPECT_EQ(label(32), QString::fromUtf8("  Thermal Cond of Solid (cal/cm.s.\u2103) :"));
}

TEST_F(WindowTest, LaysTheInputGroupOutInTwoColumnsOfFourteen) {
  Show();
  const auto topLeft = [this](int number) { return Edit(number)->mapTo(window_.get(), QPoint()); };
  for (int row = 1; row <= 14; ++row) {
    EXPECT_EQ(topLeft(row).x(), topLeft(1).x()) << row;
    EXPECT_EQ(topLeft(row + 14).x(), topLeft(15).x()) << row + 14;
    EXPECT_EQ(topLeft(row + 14).y(), topLeft(row).y()) << row;
    if (row > 1) {
      EXPECT_GT(topLeft(row).y(), topLeft(row - 1).y()) << row;
    }
  }
  EXPECT_GT(topLeft(15).x(), topLeft(1).x() + Edit(1)->width());
  EXPECT_GT(topLeft(30).y(), topLeft(14).y());  // the additional group stands below
}

TEST_F(WindowTest, TabVisitsOnlyTheEditableNumericFieldsInOrder) {
  Show();
  QStringList expected;
  for (int number : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 28, 30, 31, 32, 1})
    expected << EditName(number);

  QStringList chain;  // the widgets Tab may stop at, following the focus chain
  for (QWidget* w = Edit(1)->nextInFocusChain(); w != Edit(1) && chain.size() < 1000;
       w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(window_.get()))
      chain << w->objectName();
  }
  chain << EditName(1);
  EXPECT_EQ(chain, expected);

  Edit(1)->setFocus();
  QStringList visited;
  for (int i = 0; i < expected.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(visited, expected);
}

TEST_F(WindowTest, GoWithTheDefaultsWritesTheResultIntoTheDirectoryOpenedInTheTree) {
  Show();
  auto* tree = window_->findChild<QTreeView*>(QStringLiteral("DirectoryListBox1"));
  QFileSystemModel* model = window_->DirectoryModel();
  const QString parentPath = QFileInfo(temp_.path()).absolutePath();
  QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
  // Rows move while the tree loads and sorts them: look the index up anew.
  const auto target = [&] { return model->index(temp_.path()); };
  ASSERT_TRUE(target().isValid());
  tree->expand(target().parent());
  // The tree loads and lays out its rows in the background.
  QRect cell;
  for (int wait = 0; wait < 250; ++wait) {
    tree->scrollTo(target());
    cell = tree->visualRect(target()).intersected(tree->viewport()->rect());
    if (!cell.isEmpty() && loaded.contains(QVariantList{parentPath})) break;
    QTest::qWait(20);
  }
  ASSERT_FALSE(cell.isEmpty());
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(QDir::current().canonicalPath(), QDir(temp_.path()).canonicalPath());
  EXPECT_EQ(QDir(window_->CurrentDirectory()).canonicalPath(), QDir(temp_.path()).canonicalPath());
  EXPECT_TRUE(ListedFiles().isEmpty());

  QTest::mouseClick(Button("BitBtn1"), Qt::LeftButton);

  EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().toStdString();
  EXPECT_EQ(dialogs_.finishCount, 1);
  EXPECT_TRUE(dialogs_.busyDuringFinish);
  ExpectIdle();
  QFile result(TempPath(QStringLiteral("result.txt")));
  ASSERT_TRUE(result.open(QIODevice::ReadOnly));
  EXPECT_TRUE(result.readAll().contains(" [RESULTS]"));
  EXPECT_EQ(ListedFiles(), QStringList{QStringLiteral("result.txt")});
}

TEST_F(WindowTest, EnterInAnyEditableFieldRunsGo) {
  OpenTempDir();
  Edit(1)->setText(QStringLiteral("abc"));  // every run stops at once with one message
  const std::vector<int> fields = {1, 2, 14, 28, 29, 30, 32};
  for (int number : fields) QTest::keyClick(Edit(number), Qt::Key_Return);
  QTest::keyClick(Edit(5), Qt::Key_Enter);  // the keypad key as well
  EXPECT_EQ(dialogs_.messages,
            std::vector<QString>(fields.size() + 1, QStringLiteral("Input value is not correct!")));

  Edit(1)->setText(QStringLiteral("15.0"));
  Edit(29)->setText(QStringLiteral("by-enter.txt"));
  QTest::keyClick(Edit(31), Qt::Key_Return);
  EXPECT_EQ(dialogs_.finishCount, 1);
  EXPECT_TRUE(QFile::exists(TempPath(QStringLiteral("by-enter.txt"))));
  EXPECT_TRUE(ListedFiles().contains(QStringLiteral("by-enter.txt")));
}

TEST_F(WindowTest, RejectedInputShowsOneMessageAndChangesNothing) {
  OpenTempDir();
  WriteFile(TempPath(QStringLiteral("kept.txt")), "old");
  window_->RefreshFileList();
  const QStringList listed = ListedFiles();

  const std::vector<std::tuple<int, const char*, const char*>> cases = {
      {1, "1,5", "Input value is not correct!"},
      {30, "1.5", "Value of SBAP is not correct"},
      {29, "", "Save File Name is not correct"},
      {12, "-5", "Value of Barrel Temp. Para. (C0) is not correct"},
  };
  for (const auto& [number, text, message] : cases) {
    window_ = std::make_unique<TMF_Tad>(&dialogs_);
    dialogs_.messages.clear();
    Edit(number)->setText(QString::fromLatin1(text));
    const QStringList before = EditTexts();
    QTest::mouseClick(Button("BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(dialogs_.messages, std::vector<QString>{QString::fromLatin1(message)}) << text;
    EXPECT_EQ(EditTexts(), before);
    EXPECT_EQ(FilesOnDisk(), QStringList{QStringLiteral("kept.txt")});
    EXPECT_EQ(ListedFiles(), listed);
    ExpectIdle();
  }
  EXPECT_EQ(dialogs_.finishCount, 0);
}

TEST_F(WindowTest, UncreatableResultFileShowsOnlyItsMessage) {
  OpenTempDir();
  Edit(29)->setText(QStringLiteral("no-such-dir/result.txt"));
  const QStringList before = EditTexts();
  QTest::mouseClick(Button("BitBtn1"), Qt::LeftButton);
  EXPECT_EQ(dialogs_.messages, std::vector<QString>{QStringLiteral("File can not open!")});
  EXPECT_EQ(dialogs_.finishCount, 0);
  EXPECT_EQ(EditTexts(), before);
  EXPECT_TRUE(FilesOnDisk().isEmpty());
  ExpectIdle();
}

TEST_F(WindowTest, CalculationErrorShowsItsTextAndNoFinishDialog) {
  // A barrel colder than the melting point leaves no melt film to solve for.
  Edit(12)->setText(QStringLiteral("100.0"));
  const meltsim::FieldTexts texts = window_->CurrentFieldTexts();
  RecordingMessageSink expected;
  {
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    ASSERT_EQ(RunCommand(texts, "result.txt", expected).status, RunStatus::CalculationFailed);
  }
  ASSERT_EQ(expected.messages.size(), 1u);

  OpenTempDir();
  const QStringList before = EditTexts();
  QTest::mouseClick(Button("BitBtn1"), Qt::LeftButton);
  EXPECT_EQ(dialogs_.messages,
            std::vector<QString>{QString::fromStdString(expected.messages.front())});
  EXPECT_EQ(dialogs_.finishCount, 0);
  EXPECT_EQ(EditTexts(), before);
  ExpectIdle();
  // The input section written before the fault stays, and the list shows it.
  EXPECT_EQ(ListedFiles(), QStringList{QStringLiteral("result.txt")});

  // The window is usable again: the next run with sound inputs finishes.
  Edit(12)->setText(QStringLiteral("290.0"));
  QTest::mouseClick(Button("BitBtn1"), Qt::LeftButton);
  EXPECT_EQ(dialogs_.finishCount, 1);
  EXPECT_EQ(dialogs_.messages.size(), 1u);
}

TEST_F(WindowTest, ReadDataFileFillsOnlyTheEnabledFields) {
  OpenTempDir();
  WriteFile(TempPath(QStringLiteral("inputs.txt")),
            DataFileBytes(31) + "line 32 has no equals\r\n");
  Edit(29)->setText(QStringLiteral("mine.txt"));
  dialogs_.dataFileAnswer = TempPath(QStringLiteral("inputs.txt"));
  const QStringList before = EditTexts();
  QTest::mouseClick(Button("InputDataBtn"), Qt::LeftButton);

  EXPECT_TRUE(dialogs_.messages.empty());
  ASSERT_EQ(dialogs_.startDirs.size(), 1u);
  EXPECT_EQ(QDir(dialogs_.startDirs[0]).canonicalPath(), QDir(temp_.path()).canonicalPath());
  // Value k of the file belongs to input k, whose field skips Edit29.
  for (int k = 1; k <= 31; ++k) {
    const int number = k <= 28 ? k : k + 1;
    const QString expected =
        IsFixedField(number) ? before[number - 1] : QStringLiteral("%1.5").arg(100 + k);
    EXPECT_EQ(Edit(number)->text(), expected) << EditName(number).toStdString();
  }
  EXPECT_EQ(Edit(29)->text(), QStringLiteral("mine.txt"));
}

TEST_F(WindowTest, ReadDataFileChangesNoFieldOnAnyFailure) {
  OpenTempDir();
  Edit(1)->setText(QStringLiteral("11.0"));
  Edit(32)->setText(QStringLiteral("0.5"));
  const QStringList before = EditTexts();

  QByteArray noEquals = DataFileBytes(31);
  noEquals.replace("Quantity 29 =", "Quantity 29 :");
  WriteFile(TempPath(QStringLiteral("no-equals.txt")), noEquals);
  WriteFile(TempPath(QStringLiteral("short.txt")), DataFileBytes(30));
  const QString noEqualsPath = QDir(temp_.path()).absoluteFilePath(QStringLiteral("no-equals.txt"));
  const QString shortPath = QDir(temp_.path()).absoluteFilePath(QStringLiteral("short.txt"));

  const std::vector<std::pair<std::optional<QString>, QString>> cases = {
      {std::nullopt, QStringLiteral("Select one data file! Please try again.")},
      {TempPath(QStringLiteral("missing.txt")), QStringLiteral("Data file can not open!")},
      {temp_.path(), QStringLiteral("Data file can not open!")},
      {noEqualsPath, '"' + noEqualsPath + QStringLiteral("\" is not a correct data file!")},
      {shortPath, '"' + shortPath + QStringLiteral("\" is not a correct data file!")},
  };
  for (const auto& [answer, message] : cases) {
    dialogs_.messages.clear();
    dialogs_.dataFileAnswer = answer;
    QTest::mouseClick(Button("InputDataBtn"), Qt::LeftButton);
    EXPECT_EQ(dialogs_.messages, std::vector<QString>{message});
    EXPECT_EQ(EditTexts(), before);
  }
}

TEST_F(WindowTest, CloseButtonClosesTheWindow) {
  Show();
  QTest::mouseClick(Button("BitBtn2"), Qt::LeftButton);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(Button("BitBtn2")->text(), QStringLiteral("&Close"));
}

TEST(MeltsimProgramTest, ScreenshotWritesAPngOfTheWindow) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QString file = QDir(temp.path()).filePath(QStringLiteral("window.png"));
  QProcess program;
  program.start(QStringLiteral(MELTSIM_GUI_PATH), {QStringLiteral("--screenshot"), file});
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
  const QImage image(file);
  ASSERT_FALSE(image.isNull());
  EXPECT_GE(image.width(), 600);
  EXPECT_GE(image.height(), 450);
}

TEST(MeltsimProgramTest, HelpNamesTheScreenshotOption) {
  QProcess program;
  program.start(QStringLiteral(MELTSIM_GUI_PATH), {QStringLiteral("--help")});
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_TRUE(program.readAllStandardOutput().contains("--screenshot"));
}

// The version is the project's, as the build states it (MELTSIM_PROJECT_VERSION
// comes from CMake's project(), not from the generated header).
TEST(MeltsimProgramTest, VersionIsTheProjectVersion) {
  QProcess program;
  program.start(QStringLiteral(MELTSIM_GUI_PATH), {QStringLiteral("--version")});
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_EQ(QString::fromUtf8(program.readAllStandardOutput()).trimmed(),
            QStringLiteral("meltsim " MELTSIM_PROJECT_VERSION));
}

}  // namespace
}  // namespace meltsim

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
