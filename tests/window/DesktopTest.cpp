#include "TestWindow.h"

#include "EventLogView.h"
#include "ReadableColor.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

// Shown and given the keyboard, after the update check's two lines.
static MainWindow &openActive(TestWindow &test)
{
    MainWindow &window = test.open();
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    waitUntil([&] { return window.eventLog().lineCount() >= 2; }, 5000);
    return window;
}

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
        // Controls wider than the view (the log) show at least in part.
        const QRect shown(focus->mapTo(scroller->viewport(), QPoint()), focus->size());
        const QRect view = scroller->viewport()->rect();
        EXPECT_TRUE(shown.top() >= 0 && shown.bottom() <= view.bottom() && shown.intersects(view))
            << focus->objectName().toStdString();
    }
    EXPECT_EQ(reached, order);

    // The waiting time moves by keyboard; Alt-letters work and are not read out.
    auto *delay = control<QScrollBar>(window, "Hscr_Delay");
    const std::pair<Qt::Key, int> keys[] = {
        {Qt::Key_End, 60}, {Qt::Key_Home, 5}, {Qt::Key_PageUp, 10}, {Qt::Key_Right, 11}};
    for (const auto &[key, value] : keys) {
        QTest::keyClick(delay, key);
        EXPECT_EQ(delay->value(), value);
    }
    for (QAbstractButton *button : window.findChildren<QAbstractButton *>())
        EXPECT_EQ(button->accessibleName(), QString(button->text()).remove(u'&'));
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return !window.jobSettings().ratingWanted(1); })); // "Get &mature"
    EXPECT_FALSE(control<QPushButton>(window, "Command2")->isEnabled());
}

TEST(Desktop, EveryColourReadsUnderALightAndADarkTheme)
{
    // The standard luminance weights; a colour that reads already is shown as it is.
    for (const auto &[colour, ratio] : {std::pair{QColor(0x76, 0x76, 0x76), 4.54},
                                        {QColor(Qt::red), 4.0},
                                        {QColor(Qt::blue), 8.59}})
        EXPECT_NEAR(contrastRatio(colour, Qt::white), ratio, 0.01);
    EXPECT_EQ(readableShade(Qt::blue, Qt::white), QColor(Qt::blue));
    TestWindow test;
    MainWindow &window = openActive(test);
    for (const int32_t color : {LogBlack, LogRed, LogGreen, 0x800000, 0x808080})
        window.AddEvent(u"line"_s, color);
    const auto color = [&](const char *name, QPalette::ColorRole role) {
        return control(window, name)->palette().color(role);
    };
    const QAbstractItemModel *lines = control<EventLogView>(window, "ListView1")->model();
    const QPalette light = QApplication::palette();
    const QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x35, 0x35, 0x35)); // light on black
    for (const QPalette &palette : {light, dark}) {
        QApplication::setPalette(palette);
        drainPostedEvents();
        EXPECT_EQ(color("ListView1", QPalette::Base), palette.color(QPalette::Base));
        double lowest = 21;
        const auto measure = [&](const QColor &text, const QColor &background) {
            lowest = std::min(lowest, contrastRatio(text, background));
        };
        for (int row = lines->rowCount() - 5; row < lines->rowCount(); ++row)
            measure(lines->index(row, 0).data(Qt::ForegroundRole).value<QBrush>().color(),
                    palette.color(QPalette::Base));
        for (const char *name : {"Chk_Getgeneral", "Chk_Getmature", "Chk_Getadult", "Lbl_Status"})
            measure(color(name, QPalette::WindowText), palette.color(QPalette::Window));
        measure(color("Lbl_Status", QPalette::WindowText), color("Shape2", QPalette::Window));
        EXPECT_GE(lowest, ReadableContrast);
    }
    QApplication::setPalette(light);
}

// Esc stops a job mid-file: nothing of the file is kept, the window says so and is
// ready for the next job; with no job Esc does nothing. Then the log is copied, and
// a window closed in the middle of a file leaves nothing of it either.
TEST(Desktop, EscStopsTheRunningJob)
{
    TestWindow test;
    TestSite site;
    site.addUser(u"alice"_s, 2);
    site.addUser(u"bob"_s, 1);
    site.listen(test);
    for (const char *name : {"alice", "bob"})
        site.files->setFault(site.submission(QString::fromLatin1(name), u"gallery"_s, 0).filePath(),
                             GalleryFileHost::Fault::StallMidBody, 1);
    MainWindow &window = openActive(test);
    test.typeNoWait();
    auto *user = control<QLineEdit>(window, "Txt_Uniuser");
    user->setText(u"alice"_s);
    user->setFocus();
    control<QPushButton>(window, "Cmd_Get")->click();
    ASSERT_TRUE(waitUntil([&] { return window.fileProgress() > 0; }));
    // The drawn bar tells assistive tools its value.
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(control(window, "Shape2"));
    EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
    EXPECT_EQ(bar->text(QAccessible::Value), u"%1%"_s.arg(qRound(window.fileProgress())));
    EXPECT_TRUE(QFile::exists(test.path(u"downloading.dat"_s)));
    auto *view = control<EventLogView>(window, "ListView1");
    QAction *stop = view->actions().last(); // the menu's "Stop"
    EXPECT_TRUE(stop->isEnabled());

    QTest::keyClick(user, Qt::Key_Escape);
    EXPECT_EQ(test.colouredLines().last(), red(u"Job stopped by the user."_s));
    EXPECT_FALSE(QFile::exists(test.path(u"downloading.dat"_s)));
    EXPECT_TRUE(QDir(test.path(u"alice-gallery"_s)).isEmpty());
    EXPECT_EQ(bar->text(QAccessible::Value), u"0%"_s);
    EXPECT_EQ(window.windowTitle(), u"Vorpaline 1.38b"_s);
    EXPECT_FALSE(stop->isEnabled());
    const int lines = window.eventLog().lineCount();
    QTest::keyClick(user, Qt::Key_Escape);
    EXPECT_EQ(window.eventLog().lineCount(), lines);
    control<QPushButton>(window, "Cmd_Get")->click();
    ASSERT_TRUE(waitUntil([&] {
        return test.colouredLines().last() == green(u"Succesfully retrieved 2 submissions."_s);
    }));
    for (const char *caption : {"Lbl_Status", "Label12"}) // the job's status and speed
        EXPECT_EQ(control<QLabel>(window, caption)->text(), QString()) << caption;

    // In log order, one text line each, by Ctrl+C or the menu's "Copy".
    const QStringList texts = logLines(window.eventLog(), false);
    view->scrollToTop();
    const auto click = [&](int row, Qt::KeyboardModifiers keys) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, keys,
                          view->visualRect(view->model()->index(row, 0)).center());
    };
    click(2, {});
    click(0, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), texts[0] + u'\n' + texts[2] + u'\n');
    click(1, {});
    click(2, Qt::ShiftModifier);
    view->actions().first()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), texts[1] + u'\n' + texts[2] + u'\n');
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    view->copySelection();
    EXPECT_EQ(QApplication::clipboard()->text(), texts.join(u'\n') + u'\n');

    user->setText(u"bob"_s);
    control<QPushButton>(window, "Cmd_Get")->click();
    ASSERT_TRUE(waitUntil([&] { return window.fileProgress() > 0; }));
    window.close();
    EXPECT_FALSE(QFile::exists(test.path(u"downloading.dat"_s)));
}
