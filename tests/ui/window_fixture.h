// The window in a fresh temporary folder with a double of its dialogs, for
// the tests that drive it as a user would.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "ui/main_window.h"

namespace meltsim {

template <typename Dialogs>
class WindowFixture : public ::testing::Test {
 protected:
  // The window shows the temporary folder, as after Open Directory.
  void SetUp() override {
    MakeWindow();
    ASSERT_TRUE(window_->OpenDirectory(temp_.path()));
  }
  void TearDown() override {
    window_.reset();
    QDir::setCurrent(startDir_);  // the browser moves the working directory
  }

  void MakeWindow() {
    ASSERT_TRUE(temp_.isValid());
    startDir_ = QDir::currentPath();
    window_ = std::make_unique<TMF_Tad>(&dialogs_);
  }
  QLineEdit* Edit(int number) const {
    const QString name = QStringLiteral("Edit%1").arg(number);
    auto* edit = window_->findChild<QLineEdit*>(name);
    EXPECT_NE(edit, nullptr) << name.toStdString();
    return edit;
  }
  // Texts of Edit1 .. Edit32, the Save File Name included.
  QStringList EditTexts() const {
    QStringList texts;
    for (int number = 1; number <= 32; ++number) texts << Edit(number)->text();
    return texts;
  }

  Dialogs dialogs_;
  QTemporaryDir temp_;
  QString startDir_;
  std::unique_ptr<TMF_Tad> window_;
};

}  // namespace meltsim
