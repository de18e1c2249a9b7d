#include "TestWindow.h"

#include "naming/UserNames.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Texts pasted with a line break reach no request line, and names that would
// leave the download folders never reach the user list.
TEST(HardeningWindow, PastedLineBreaksAndUnusableNames)
{
    TestWindow t;
    MainWindow &window = t.open();
    control<QLineEdit>(window, "Txt_CookieA")->setText(u"a1\r\n"_s);
    control<QLineEdit>(window, "Txt_CookieB")->setText(u"b\t2\n"_s);
    control<QLineEdit>(window, "Txt_Uniuser")->setText(u"bob\r\n"_s);
    EXPECT_EQ(window.cookieA(), u"a1"_s);
    EXPECT_EQ(window.cookieB(), u"b2"_s);
    EXPECT_EQ(window.uniqueUserText(), u"bob"_s);

    t.prompts.inputs = QStringList{u"../x"_s, u"carol\r\n"_s};
    control<QPushButton>(window, "Cmd_Add")->click();
    ASSERT_FALSE(t.prompts.shown.isEmpty());
    EXPECT_EQ(t.prompts.shown.last().icon, Prompts::Icon::Exclamation);
    EXPECT_EQ(t.prompts.shown.last().text, userNameProblem(u"../x"_s));
    control<QPushButton>(window, "Cmd_Add")->click();
    auto *names = control<QListWidget>(window, "Lst_Names");
    ASSERT_EQ(names->count(), 1);
    EXPECT_EQ(names->item(0)->text(), u"[  ]carol"_s);
}
