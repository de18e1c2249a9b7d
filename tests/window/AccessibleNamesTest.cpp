#include "TestWindow.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("(no interface)");
}

// Every label is announced with the text it shows now ("&&" shows as "&").
void expectLabelsReadAsShown(MainWindow &window)
{
    const auto labels = window.findChildren<QLabel *>();
    ASSERT_FALSE(labels.isEmpty());
    for (QLabel *label : labels) {
        QString shown = label->text();
        if (label->buddy())
            shown.replace(QStringLiteral("&&"), QStringLiteral("&"));
        EXPECT_EQ(accessibleName(label), shown) << label->objectName().toStdString();
    }
}

TEST(AccessibleNames, LabelsAreReadAsTheyShowAndTheWindowIsATopLevelWindow)
{
    TestWindow test;
    MainWindow &window = test.open();
    window.show();

    QAccessibleInterface *top = QAccessible::queryAccessibleInterface(&window);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->role(), QAccessible::Window);
    EXPECT_EQ(window.objectName(), QStringLiteral("Form1"));
    expectLabelsReadAsShown(window);

    control<QScrollBar>(window, "Hscr_Delay")->setValue(37);
    EXPECT_EQ(accessibleName(control<QLabel>(window, "Lbl_Delay")),
              QStringLiteral("Waiting time: 37s"));
    window.setStatusCaption(QStringLiteral("Waiting a bit (4s)"));
    EXPECT_EQ(accessibleName(control<QLabel>(window, "Lbl_Status")),
              QStringLiteral("Waiting a bit (4s)"));
    window.setStatusCaption(QStringLiteral("12% of \"Cats && dogs\" (2 KB)"));
    window.setSpeedCaption(QStringLiteral("Speed: 37Kb/s"));
    EXPECT_EQ(accessibleName(control<QLabel>(window, "Lbl_Status")),
              QStringLiteral("12% of \"Cats & dogs\" (2 KB)"));
    EXPECT_EQ(accessibleName(control<QLabel>(window, "Label12")), QStringLiteral("Speed: 37Kb/s"));
    expectLabelsReadAsShown(window);

    // A label that describes an input still names it.
    EXPECT_EQ(control<QLabel>(window, "Label1")->buddy(),
              control<QLineEdit>(window, "Txt_Uniuser"));
    EXPECT_EQ(accessibleName(control<QLineEdit>(window, "Txt_Uniuser")),
              QStringLiteral("Username:"));
}

} // namespace
