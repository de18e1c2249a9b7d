#include "TestWindow.h"

#include "EventLogView.h"
#include "ReadableColor.h"
#include "report/ReportTexts.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QIdentityProxyModel>
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
    const auto *view = control<EventLogView>(window, "ListView1");
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
        for (int row = window.eventLog().lineCount() - 5; row < window.eventLog().lineCount();
             ++row)
            measure(view->shownColor(row), palette.color(QPalette::Base));
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

// Alt-letters: every button and box acts on the first press of its own
// letter; the labels of text boxes and the option groups take the keyboard to
// their control (there are more of them than free letters, so two labels may
// share one and are reached in turn). The Browse buttons tell which folder they
// choose, Esc is named where a job starts, F1 opens the About box.
TEST(Desktop, KeyboardAndScreenReaderReachEveryControl)
{
    TestWindow test;
    MainWindow &window = openActive(test);
    QMap<QChar, QStringList> reached; // Alt-letter -> the controls it reaches, "!" if it acts
    QHash<QString, QChar> letters;
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        const auto *label = qobject_cast<QLabel *>(widget);
        const auto *box = qobject_cast<QGroupBox *>(widget);
        const auto *button = qobject_cast<QAbstractButton *>(widget);
        QString text = box ? box->title() : label && label->buddy() ? label->text() : QString();
        text = button ? button->text() : text;
        EXPECT_TRUE(!button || button->accessibleName() == QString(text).remove(u'&'));
        if (const QString keys = QKeySequence::mnemonic(text).toString(); !keys.isEmpty()) {
            letters[widget->objectName()] = keys.back();
            reached[keys.back()] << (button ? u"!"_s : QString()) + widget->objectName();
        }
    }
    for (const QStringList &controls : reached) // shared only by two that do not act
        EXPECT_LE(controls.size() + controls.join(u"").count(u'!'), 2)
            << controls.join(u' ').toStdString();
    const auto told = [](QWidget *widget, QAccessible::Text text) {
        return QAccessible::queryAccessibleInterface(widget)->text(text);
    };
    const std::tuple<const char *, const char *, QString> targets[] = {
        {"Label1", "Txt_Uniuser", u"Username:"_s}, {"Label4", "Txt_CookieA", u"A:"_s},
        {"Label5", "Txt_CookieB", u"B:"_s},        {"Label11", "Txt_Maxsize", u"Size limit:"_s},
        {"Label3", "Txt_Path", u"Save to:"_s},     {"Label7", "Txt_Favpath", u"Favs folder:"_s},
        {"Frame7", "Option1_1", u"File naming"_s}, {"Frame5", "Option2_1", u"Folder structure"_s}};
    for (const auto &[caption, target, name] : targets) {
        EXPECT_EQ(told(control(window, *caption == 'F' ? caption : target), QAccessible::Name),
                  name);
        QWidget *goal = control(window, target);
        const char letter = letters.value(QString::fromLatin1(caption)).toLatin1();
        for (int press = 0; press < 2 && QApplication::focusWidget() != goal; ++press)
            QTest::keyClick(&window, letter, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), goal) << caption;
    }
    for (const char *name : {"Cmd_Get", "Cmd_Sync", "ListView1"}) {
        QWidget *starter = control(window, name);
        EXPECT_TRUE(starter->toolTip().contains(StopKeyHint)) << name;
        EXPECT_EQ(told(starter, QAccessible::Description), starter->toolTip());
    }
    for (const auto &[name, folder] :
         {std::pair{"Cmd_Browsepath", u"download"_s}, {"Cmd_browsefavs", u"favorites"_s}}) {
        auto *browse = control<QPushButton>(window, name);
        EXPECT_EQ(told(browse, QAccessible::Name), u"Browse"_s);
        EXPECT_TRUE(told(browse, QAccessible::Description).contains(folder));
        browse->click();
        EXPECT_TRUE(test.prompts.ofKind(u"folder"_s).last().text.contains(folder));
    }
    EXPECT_EQ(control(window, "ListView1")->actions().last()->iconText(), u"Stop (Esc)"_s);
    QTest::keyClick(&window, Qt::Key_F1);
    EXPECT_EQ(test.prompts.shown.last().text, aboutText(test.environment().site.webHost));
}

// The log as the list sees it, counting the rows the list asks for.
class CountingLines final : public QIdentityProxyModel
{
public:
    mutable int asked = 0;
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override
    {
        ++asked;
        return QIdentityProxyModel::index(row, column, parent);
    }
};

// A list of 400 by 200 pixels, shown, over a log or a model over it.
struct ShownLog
{
    EventLog log;
    EventLogView view;
    explicit ShownLog(QAbstractItemModel *lines = nullptr)
    {
        view.resize(400, 200);
        view.setLog(lines ? *lines : log);
        view.show();
    }
    bool newestShown() const
    {
        return view.viewport()->rect().contains(
            view.visualRect(view.model()->index(log.lineCount() - 1, 0)));
    }
};

// Each line scrolled into view and painted before the next, as during
// downloads, also when the user has scrolled back: what the list asks of the
// log per line must not grow with it.
TEST(EventLogView, ShowingALineCostsTheSameInALongLog)
{
    double perLine[2] = {};
    const int lengths[2] = {100, 100000};
    const QString longest = QString(3 << 19, u'x') + u'\u00e9'; // longer than a storage block
    for (int i = 0; i < 2; ++i) {
        CountingLines lines;
        ShownLog shown(&lines);
        lines.setSourceModel(&shown.log);
        shown.log.AddEvent(longest, LogBlack);
        for (int row = 1; row < lengths[i]; ++row)
            shown.log.AddEvent(u"Skipping \"%1\": Already exists"_s.arg(row), LogGreen);
        ASSERT_TRUE(waitUntil([&] { return shown.newestShown(); }));
        lines.asked = 0;
        for (int row = 0; row < 20; ++row) {
            if (row % 2)
                shown.view.scrollToTop();
            shown.log.AddEvent(u"Saved as %1.png"_s.arg(row), row % 2 ? LogGreen : LogRed);
            ASSERT_TRUE(waitUntil([&] { return shown.newestShown(); }));
            shown.view.viewport()->repaint();
        }
        perLine[i] = lines.asked / 20.0;
        EXPECT_TRUE(shown.log.lineText(0) == longest &&
                    shown.log.lineText(lengths[i] - 1)
                        .endsWith(u"%1\": Already exists"_s.arg(lengths[i] - 1)));
    }
    EXPECT_TRUE(perLine[0] > 0 && perLine[1] < perLine[0] * 1.2)
        << perLine[0] << ", " << perLine[1];
}

// Colour alone tells nothing to a screen reader: each line's kind is told with
// its unchanged text. The arrows move through the lines.
TEST(EventLogView, EachLineTellsAssistiveToolsItsKind)
{
    ShownLog shown;
    const std::tuple<int32_t, QString, QString> rows[] = {
        {LogRed, u"error"_s, u"GS said 404 not found on /art/caf\u00e9.png"_s},
        {LogGreen, u"done"_s, u"Saved as \u4f5c\u54c1 \U0001F600.png"_s},
        {LogBlack, {}, {}},
        {0x0000FE, {}, u" a\tline "_s},
        {0x008801, {}, u"Synching done."_s}};
    for (const auto &[color, kind, text] : rows)
        shown.log.AddEvent(text, color);
    ASSERT_TRUE(waitUntil([&] { return shown.newestShown(); }));
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(&shown.view);
    ASSERT_EQ(list->role(), QAccessible::List);
    for (int row = 0; row < int(std::size(rows)); ++row) {
        QAccessibleInterface *cell = list->tableInterface()->cellAt(row, 0);
        EXPECT_EQ(cell->text(QAccessible::Name), std::get<2>(rows[row]));
        EXPECT_EQ(cell->text(QAccessible::Description), std::get<1>(rows[row])) << row;
    }
    shown.view.setCurrentIndex(shown.log.index(0, 0));
    const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_End, Qt::Key_Up, Qt::Key_Home, Qt::Key_PageDown};
    const int reached[] = {1, 4, 3, 0, 4};
    for (size_t i = 0; i < std::size(keys); ++i) {
        QTest::keyClick(&shown.view, keys[i]);
        EXPECT_EQ(shown.view.currentIndex().row(), reached[i]) << keys[i];
    }
}
