#include "TestWindow.h"

#include "EventLogView.h"
#include "ReadableColor.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

MainWindow &openActive(TestWindow &test)
{
    MainWindow &window = test.open();
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    waitUntil([&] { return window.eventLog().lineCount() >= 2; }, 5000); // the update check
    return window;
}

QAction *logAction(MainWindow &window, const QString &text)
{
    for (QAction *action : control(window, "ListView1")->actions())
        if (action->text() == text)
            return action;
    ADD_FAILURE() << text.toStdString();
    return nullptr;
}

} // namespace

// On a screen smaller than the window (here a window made as small as one)
// the controls scroll, and Tab brings every one into view, once, in layout order.
TEST(Desktop, TabReachesEveryControlOnceInLayoutOrderOnASmallScreen)
{
    TestWindow test;
    MainWindow &window = openActive(test);
    EXPECT_LE(window.height(), window.screen()->availableSize().height());
    window.resize(700, 450);
    auto *scroller = control<QScrollArea>(window, "Form1Scroller");
    ASSERT_TRUE(waitUntil([&] { return scroller->verticalScrollBar()->isVisible(); }));
    const QStringList order =
        u"Txt_Uniuser Chk_Unigetgal Chk_Unigetscraps Chk_Unigetfavs Cmd_Get Lst_Names Cmd_Add "
        "Command5 Cmd_Sync Chk_Syngetscraps Chk_Syngetfavs ListView1 Txt_CookieA Txt_CookieB "
        "Option1_0 Option2_0 Chk_Commonfavs Lst_Types Chk_Getgeneral Chk_Getmature Chk_Getadult "
        "Txt_Maxsize Chk_urlfix Hscr_Delay Chk_Shutdown Chk_Savesets Txt_Path Cmd_Browsepath "
        "Txt_Favpath Cmd_browsefavs Cmd_About Lbl_site Txt_Uniuser"_s.split(u' ');
    QStringList reached{QApplication::focusWidget()->objectName()};
    while (reached.size() < order.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        reached << focus->objectName();
        // Wider controls than the view (the log) show at least in part.
        const QRect shown(focus->mapTo(scroller->viewport(), QPoint()), focus->size());
        const QRect view = scroller->viewport()->rect();
        EXPECT_TRUE(shown.top() >= 0 && shown.bottom() <= view.bottom() && shown.intersects(view))
            << focus->objectName().toStdString();
    }
    EXPECT_EQ(reached, order);

    // The waiting time moves by keyboard; Alt-letters are unique and read without the "&".
    auto *delay = control<QScrollBar>(window, "Hscr_Delay");
    for (const auto &[key, value] : {std::pair{Qt::Key_End, 60},
                                     {Qt::Key_Home, 5},
                                     {Qt::Key_PageUp, 10},
                                     {Qt::Key_Right, 11}}) {
        QTest::keyClick(delay, key);
        EXPECT_EQ(delay->value(), value);
    }
    EXPECT_EQ(control<QLabel>(window, "Lbl_Delay")->text(), u"Waiting time: 11s"_s);
    QStringList letters;
    for (QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
        const QString text = button->text();
        if (const auto at = text.indexOf(u'&'); at >= 0)
            letters << text.mid(at + 1, 1).toLower();
        EXPECT_EQ(button->accessibleName(), QString(text).remove(u'&'));
    }
    EXPECT_EQ(letters.size(), 19);
    EXPECT_EQ(letters.removeDuplicates(), 0) << letters.join(u' ').toStdString();
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(
        waitUntil([&] { return !control<QCheckBox>(window, "Chk_Getmature")->isChecked(); }));
    EXPECT_FALSE(control<QPushButton>(window, "Command2")->isEnabled());
}

TEST(Desktop, LogColoursAndRatingCaptionsReadUnderALightAndADarkTheme)
{
    for (const auto &[first, second, ratio] : {std::tuple{0x000000, 0xFFFFFF, 21.0},
                                               {0x767676, 0xFFFFFF, 4.54},
                                               {0xFF0000, 0xFFFFFF, 4.0}})
        EXPECT_NEAR(contrastRatio(QColor::fromRgb(first), QColor::fromRgb(second)), ratio, 0.01);

    TestWindow test;
    MainWindow &window = openActive(test);
    const QList<int32_t> colors = {LogBlack, LogRed, LogGreen, 0x800000, 0x808080};
    for (const int32_t color : colors)
        window.AddEvent(u"line"_s, color);
    auto *view = control<EventLogView>(window, "ListView1");
    const QPalette light = QApplication::palette();
    QPalette dark(Qt::white, QColor(0x35, 0x35, 0x35), QColor(0x60, 0x60, 0x60), Qt::black,
                  QColor(0x40, 0x40, 0x40), Qt::white, Qt::white, QColor(0x1E, 0x1E, 0x1E),
                  QColor(0x35, 0x35, 0x35));
    for (const QPalette &palette : {light, dark}) {
        QApplication::setPalette(palette);
        drainPostedEvents();
        double lowest = 21;
        for (int row = view->model()->rowCount() - int(colors.size());
             row < view->model()->rowCount(); ++row)
            lowest = std::min(
                lowest,
                contrastRatio(
                    view->model()->index(row, 0).data(Qt::ForegroundRole).value<QBrush>().color(),
                    view->palette().color(QPalette::Base)));
        for (const char *name : {"Chk_Getgeneral", "Chk_Getmature", "Chk_Getadult", "Lbl_Status"}) {
            const QPalette &shown = control(window, name)->palette();
            EXPECT_EQ(shown.color(QPalette::Window), palette.color(QPalette::Window)) << name;
            lowest = std::min(lowest, contrastRatio(shown.color(QPalette::WindowText),
                                                    shown.color(QPalette::Window)));
        }
        // The status over the bars.
        lowest = std::min(
            lowest,
            contrastRatio(control(window, "Lbl_Status")->palette().color(QPalette::WindowText),
                          control(window, "Shape2")->palette().color(QPalette::Window)));
        EXPECT_EQ(view->palette().color(QPalette::Base), palette.color(QPalette::Base));
        EXPECT_GE(lowest, ReadableContrast);
    }
    QApplication::setPalette(light);
    drainPostedEvents();
    // Where the logged colour reads, it is shown as it is.
    EXPECT_EQ(view->model()
                  ->index(view->model()->rowCount() - 3, 0)
                  .data(Qt::ForegroundRole)
                  .value<QBrush>()
                  .color(),
              QColor(0, 0x88, 0));
    EXPECT_EQ(control(window, "Chk_Getmature")->palette().color(QPalette::WindowText),
              QColor(0, 0, 0x80));
}

// Selected lines are copied in log order, one text line each, by Ctrl+C or the menu.
TEST(Desktop, SelectedLogLinesAreCopiedAsPlainText)
{
    TestWindow test;
    MainWindow &window = openActive(test);
    auto *view = control<EventLogView>(window, "ListView1");
    const int first = window.eventLog().lineCount();
    for (const QString &text : {u"first"_s, u"second"_s, u"third"_s})
        window.AddEvent(text, LogRed);
    drainPostedEvents();
    const auto click = [&](int row, Qt::KeyboardModifiers keys) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, keys,
                          view->visualRect(view->model()->index(first + row, 0)).center());
    };
    click(2, {});
    click(0, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), u"first\nthird\n"_s);
    click(1, {});
    click(2, Qt::ShiftModifier);
    logAction(window, u"&Copy"_s)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), u"second\nthird\n"_s);
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    view->copySelection();
    EXPECT_EQ(QApplication::clipboard()->text(),
              logLines(window.eventLog(), false).join(u'\n') + u'\n');
}

// Esc stops a job in the middle of a file: nothing of the file is kept, the
// window says so and is ready for the next job; with no job Esc does nothing.
TEST(Desktop, EscStopsTheRunningJobAndItsFile)
{
    TestWindow test;
    TestSite site;
    site.addUser(u"alice"_s, 2);
    site.listen(test);
    const QString stalled = site.submission(u"alice"_s, u"gallery"_s, 0).filePath();
    site.files->setFault(stalled, GalleryFileHost::Fault::StallMidBody, 1);
    MainWindow &window = openActive(test);
    test.typeNoWait();
    auto *user = control<QLineEdit>(window, "Txt_Uniuser");
    user->setText(u"alice"_s);
    user->setFocus();
    control<QPushButton>(window, "Cmd_Get")->click();
    ASSERT_TRUE(waitUntil([&] { return window.fileProgress() > 0; }))
        << test.colouredLines().join(u"|"_s).toStdString();
    // The drawn bar tells assistive tools its value.
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(control(window, "Shape2"));
    EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
    EXPECT_EQ(bar->valueInterface()->currentValue().toInt(), qRound(window.fileProgress()));
    EXPECT_EQ(bar->text(QAccessible::Value), u"%1%"_s.arg(qRound(window.fileProgress())));
    EXPECT_TRUE(QFile::exists(test.path(u"downloading.dat"_s)));
    EXPECT_TRUE(logAction(window, u"&Stop"_s)->isEnabled());

    QTest::keyClick(user, Qt::Key_Escape);
    EXPECT_EQ(test.colouredLines().last(), red(u"Job stopped by the user."_s));
    EXPECT_FALSE(QFile::exists(test.path(u"downloading.dat"_s)));
    EXPECT_TRUE(QDir(test.path(u"alice-gallery"_s)).isEmpty());
    EXPECT_EQ(bar->valueInterface()->currentValue().toInt(), 0);
    EXPECT_EQ(window.windowTitle(), u"Vorpaline 1.38b"_s);
    EXPECT_FALSE(logAction(window, u"&Stop"_s)->isEnabled());
    const int lines = window.eventLog().lineCount();
    QTest::keyClick(user, Qt::Key_Escape);
    EXPECT_EQ(window.eventLog().lineCount(), lines);

    control<QPushButton>(window, "Cmd_Get")->click();
    EXPECT_TRUE(waitUntil([&] {
        return test.colouredLines().last() == green(u"Succesfully retrieved 2 submissions."_s);
    }));
    EXPECT_TRUE(window.isVisible());
}
