#include "TestWindow.h"

#include "log/EventLog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

TEST(MainWindow, OpensWithTitleAndControls)
{
    TestWindow test;
    MainWindow &window = test.open();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vorpaline 1.38b"));
    auto *get = window.findChild<QPushButton *>(QStringLiteral("Cmd_Get"));
    ASSERT_NE(get, nullptr);
    EXPECT_EQ(get->text(), QStringLiteral("Get"));
}
