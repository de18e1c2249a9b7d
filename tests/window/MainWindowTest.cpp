#include "TestWaits.h"
#include "TestWindow.h"

#include "log/EventLog.h"
#include "windows/ReportTexts.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString captionOf(QWidget *widget)
{
    if (auto *box = qobject_cast<QGroupBox *>(widget))
        return box->title();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    return {};
}

// The nearest frame around a control, or "" for the window itself.
QString frameOf(QWidget *widget)
{
    for (QWidget *parent = widget->parentWidget(); parent; parent = parent->parentWidget())
        if (qobject_cast<QGroupBox *>(parent) || parent->objectName() == QLatin1String("Shape3"))
            return parent->objectName();
    return {};
}

bool isControl(const QWidget *widget)
{
    return !widget->objectName().isEmpty() &&
           !widget->objectName().startsWith(QLatin1String("qt_")) && !widget->isWindow();
}

void showAndSettle(MainWindow &window)
{
    window.show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace

TEST(MainWindow, EveryControlHasItsKindCaptionPlaceAndStartState)
{
    TestWindow test;
    MainWindow &window = test.open();
    EXPECT_EQ(window.objectName(), u"Form1"_s);
    EXPECT_EQ(window.windowTitle(), u"Vorpaline 1.38b"_s);
    const QString sep = QDir::separator();
    struct Row
    {
        const char *name, *kind;
        QString frame, caption;
        char tick; // 'x' ticked, 'o' unticked, ' ' no tick box
    };
    const Row rows[] = {
        {"Frame2", "QGroupBox", "", "Get unique user", ' '},
        {"Label1", "QLabel", "Frame2", "Username:", ' '},
        {"Txt_Uniuser", "QLineEdit", "Frame2", "", ' '},
        {"Chk_Unigetgal", "QCheckBox", "Frame2", "Get gallery", 'x'},
        {"Chk_Unigetscraps", "QCheckBox", "Frame2", "Get scraps", 'o'},
        {"Chk_Unigetfavs", "QCheckBox", "Frame2", "Get favorites", 'o'},
        {"Cmd_Get", "QPushButton", "Frame2", "Get", ' '},
        {"Frame3", "QGroupBox", "", "Get multiple users", ' '},
        {"Lst_Names", "QListWidget", "Frame3", "", ' '},
        {"Cmd_Add", "QPushButton", "Frame3", "Add", ' '},
        {"Command5", "QPushButton", "Frame3", "Remove", ' '},
        {"Cmd_Sync", "QPushButton", "Frame3", "Sync all", ' '},
        {"Command2", "QPushButton", "Frame3", "Watchlist", ' '},
        {"Label6", "QLabel", "Frame3", "Selection:", ' '},
        {"Chk_Syngetscraps", "QCheckBox", "Frame3", "Get scraps", 'o'},
        {"Chk_Syngetfavs", "QCheckBox", "Frame3", "Get favs", 'o'},
        {"ListView1", "QTreeView", "", "", ' '},
        {"Shape3", "QFrame", "", "", ' '},
        {"Shape2", "QFrame", "Shape3", "", ' '},
        {"Shape1", "QFrame", "Shape3", "", ' '},
        {"Lbl_Status", "QLabel", "Shape3", "", ' '},
        {"Label12", "QLabel", "Shape3", "Speed: 0Kb/s", ' '},
        {"Frame1", "QGroupBox", "", "Settings", ' '},
        {"Frame4", "QGroupBox", "Frame1", "Cookie data (for adult submissions):", ' '},
        {"Label4", "QLabel", "Frame4", "A:", ' '},
        {"Txt_CookieA", "QLineEdit", "Frame4", "", ' '},
        {"Label5", "QLabel", "Frame4", "B:", ' '},
        {"Txt_CookieB", "QLineEdit", "Frame4", "", ' '},
        {"Frame7", "QGroupBox", "Frame1", "File naming", ' '},
        {"Option1_0", "QRadioButton", "Frame7", "Original filename", 'o'},
        {"Option1_1", "QRadioButton", "Frame7", "Title only", 'x'},
        {"Option1_2", "QRadioButton", "Frame7", "Author - Title", 'o'},
        {"Frame5", "QGroupBox", "Frame1", "Folder structure", ' '},
        {"Option2_0", "QRadioButton", "Frame5", "." + sep + "username" + sep + "folder" + sep, 'o'},
        {"Option2_1", "QRadioButton", "Frame5", "." + sep + "username-folder" + sep, 'x'},
        {"Option2_2", "QRadioButton", "Frame5", "." + sep, 'o'},
        {"Chk_Commonfavs", "QCheckBox", "Frame5", "All favs in same folder", 'x'},
        {"Frame6", "QGroupBox", "Frame1", "Filters", ' '},
        {"Lst_Types", "QListWidget", "Frame6", "", ' '},
        {"Chk_Getgeneral", "QCheckBox", "Frame6", "Get general", 'x'},
        {"Chk_Getmature", "QCheckBox", "Frame6", "Get mature", 'x'},
        {"Chk_Getadult", "QCheckBox", "Frame6", "Get adult", 'x'},
        {"Label11", "QLabel", "Frame6", "Size limit:                   MB", ' '},
        {"Txt_Maxsize", "QLineEdit", "Frame6", "0", ' '},
        {"Chk_urlfix", "QCheckBox", "Frame1", "URL exception fixing", 'o'},
        {"Lbl_Delay", "QLabel", "Frame1", "Waiting time: 10s", ' '},
        {"Hscr_Delay", "QScrollBar", "Frame1", "", ' '},
        {"Label3", "QLabel", "Frame1", "Save to:", ' '},
        {"Txt_Path", "QLineEdit", "Frame1", QDir::toNativeSeparators(test.folder.path()), ' '},
        {"Cmd_Browsepath", "QPushButton", "Frame1", "Browse", ' '},
        {"Label7", "QLabel", "Frame1", "Favs folder:", ' '},
        {"Cmd_browsefavs", "QPushButton", "Frame1", "Browse", ' '},
        {"Chk_Shutdown", "QCheckBox", "Frame1", "Shutdown PC after synching", 'o'},
        {"Chk_Savesets", "QCheckBox", "Frame1", "Save settings on exit", 'x'},
        {"Cmd_About", "QPushButton", "", "?", ' '},
        {"Lbl_site", "QLineEdit", "", TestHosts::Web, ' '},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QWidget *widget = control(window, row.name);
        if (!widget)
            continue;
        EXPECT_TRUE(widget->inherits(row.kind)) << widget->metaObject()->className();
        EXPECT_EQ(frameOf(widget), row.frame);
        EXPECT_EQ(captionOf(widget), row.caption);
        if (row.tick != ' ') {
            auto *button = qobject_cast<QAbstractButton *>(widget);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->isChecked(), row.tick == 'x');
        }
    }
    EXPECT_EQ(control<QLineEdit>(window, "Txt_Favpath")->text(),
              QDir::toNativeSeparators(test.folder.path()) + QDir::separator() + u"favorites"_s);
    EXPECT_EQ(control<QLabel>(window, "Label12")->alignment() & Qt::AlignRight, Qt::AlignRight);

    // The option groups: one selected member each, ids 0 to 2.
    for (const char *groupName : {"Option1", "Option2"}) {
        auto *group = window.findChild<QButtonGroup *>(QString::fromLatin1(groupName));
        ASSERT_NE(group, nullptr) << groupName;
        EXPECT_EQ(group->buttons().size(), 3);
        EXPECT_EQ(group->checkedId(), 1);
        EXPECT_TRUE(group->exclusive());
    }
    // The type list: four entries, each ticked independently, all ticked by the start-up.
    auto *types = control<QListWidget>(window, "Lst_Types");
    ASSERT_EQ(types->count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(types->item(i)->text(), QStringList({"GFX", "Text", "Music", "Flash"})[i]);
        EXPECT_EQ(types->item(i)->checkState(), Qt::Checked);
        EXPECT_TRUE(types->item(i)->flags() & Qt::ItemIsUserCheckable);
    }
    types->item(2)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(window.typeWanted(2));
    EXPECT_TRUE(window.typeWanted(1) && window.typeWanted(3));

    EXPECT_EQ(control<QScrollBar>(window, "Hscr_Delay")->orientation(), Qt::Horizontal);
    EXPECT_EQ(control<QListWidget>(window, "Lst_Names")->selectionMode(),
              QAbstractItemView::SingleSelection);
    auto *site = control<QLineEdit>(window, "Lbl_site");
    EXPECT_FALSE(site->hasFrame());
    EXPECT_TRUE(site->isReadOnly());
}

// Fixed-pitch lists and boxes, bold frame captions over ordinary contents,
// coloured rating boxes; every control has an accessible name.
TEST(MainWindow, FontsColoursAndAccessibleNamesAreThoseOfTheDesign)
{
    TestWindow test;
    MainWindow &window = test.open();
    showAndSettle(window);
    const struct
    {
        const char *name;
        bool fixed, bold;
    } fonts[] = {{"Txt_Uniuser", true, false}, {"Lst_Names", true, false},
                 {"ListView1", true, false},   {"Txt_CookieA", true, false},
                 {"Txt_CookieB", true, false}, {"Txt_Path", false, false},
                 {"Label1", false, false},     {"Cmd_Get", false, false},
                 {"Lbl_Status", false, true},  {"Lbl_site", false, true}};
    for (const auto &row : fonts) {
        const QFont font = control(window, row.name)->font();
        EXPECT_EQ(QFontInfo(font).fixedPitch(), row.fixed) << row.name;
        EXPECT_EQ(font.bold(), row.bold) << row.name;
    }
    for (const char *name : {"Frame1", "Frame2", "Frame3", "Frame4", "Frame5", "Frame6", "Frame7"})
        EXPECT_TRUE(control(window, name)->font().bold()) << name;
    for (const char *name : {"Chk_Unigetgal", "Cmd_Sync", "Label4", "Option1_0", "Option2_1",
                             "Chk_Getgeneral", "Chk_Savesets", "Label12"})
        EXPECT_FALSE(control(window, name)->font().bold()) << name;
    auto textColour = [&](const char *name) {
        return control(window, name)->palette().color(QPalette::WindowText);
    };
    EXPECT_EQ(textColour("Chk_Getmature"), QColor(0, 0, 0x80));
    EXPECT_EQ(textColour("Chk_Getadult"), QColor(0x80, 0, 0));
    EXPECT_EQ(textColour("Chk_Getgeneral").lightness(), 0);

    const std::pair<const char *, const char *> names[] = {
        {"Txt_Uniuser", "Username:"},
        {"Lst_Names", "Get multiple users"},
        {"ListView1", "Log"},
        {"Txt_CookieA", "A:"},
        {"Lst_Types", "Filters"},
        {"Txt_Maxsize", "Size limit:"},
        {"Hscr_Delay", "Waiting time:"},
        {"Txt_Path", "Save to:"},
        {"Txt_Favpath", "Favs folder:"},
        {"Command5", "Remove"},
        {"Chk_Syngetfavs", "Get favs"},
        {"Cmd_About", "?"},
        {"Frame4", "Cookie data (for adult submissions):"},
        {"Option1_2", "Author - Title"}};
    for (const auto &[name, accessible] : names)
        EXPECT_EQ(control(window, name)->accessibleName(), QString::fromUtf8(accessible)) << name;
    for (QWidget *widget : window.findChildren<QWidget *>())
        EXPECT_TRUE(!isControl(widget) || !widget->accessibleName().isEmpty())
            << widget->objectName().toStdString();
}

TEST(MainWindow, TheWaitingTimeSliderSetsTheDelayAndEndsTheNoWaitMode)
{
    TestWindow test;
    MainWindow &window = test.open();
    JobState &state = window.state();
    auto *slider = control<QScrollBar>(window, "Hscr_Delay");
    auto *caption = control<QLabel>(window, "Lbl_Delay");
    ASSERT_EQ(state.Delay, 10);

    struct Step
    {
        const char *what;
        std::function<void()> act;
        int delay;
        bool noWaitAfter;
    };
    const Step steps[] = {
        {"a program change", [&] { slider->setValue(25); }, 25, false},
        {"an arrow click", [&] { slider->triggerAction(QAbstractSlider::SliderSingleStepAdd); }, 26,
         false},
        {"a click in the track", [&] { slider->triggerAction(QAbstractSlider::SliderPageStepSub); },
         21, false},
        {"the same value again", [&] { slider->setValue(21); }, 21, true},
        {"an arrow at the end of the range",
         [&] {
             slider->setValue(60);
             state.NoWait = true;
             slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
         },
         60, true},
        {"the lowest value", [&] { slider->setValue(5); }, 5, false},
        {"below the range", [&] { slider->setValue(1); }, 5, true},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        state.NoWait = true;
        step.act();
        EXPECT_EQ(state.Delay, step.delay);
        EXPECT_EQ(state.NoWait, step.noWaitAfter);
        EXPECT_EQ(caption->text(), u"Waiting time: %1s"_s.arg(step.delay));
    }

    // While the thumb is dragged nothing changes; releasing it applies the value.
    state.NoWait = true;
    slider->setSliderDown(true);
    slider->setSliderPosition(40);
    EXPECT_TRUE(state.Delay == 5 && state.NoWait);
    slider->setSliderDown(false);
    EXPECT_EQ(state.Delay, 40);
    EXPECT_FALSE(state.NoWait);
    EXPECT_EQ(caption->text(), u"Waiting time: 40s"_s);
}

TEST(MainWindow, FolderChoosersAboutAndWatchlist)
{
    TestWindow test;
    MainWindow &window = test.open();
    const struct
    {
        const char *button, *box;
        QString prompt;
    } rows[] = {{"Cmd_Browsepath", "Txt_Path", "Chose download folder"},
                {"Cmd_browsefavs", "Txt_Favpath", "Chose favorites common folder"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.button);
        auto *box = control<QLineEdit>(window, row.box);
        const QString before = box->text();
        test.prompts.shown.clear();
        test.prompts.folders = {QString(), u"/chosen/folder"_s}; // cancelled, then chosen
        QTest::mouseClick(control(window, row.button), Qt::LeftButton);
        EXPECT_EQ(box->text(), before);
        QTest::mouseClick(control(window, row.button), Qt::LeftButton);
        EXPECT_EQ(box->text(), u"/chosen/folder"_s);
        const auto asked = test.prompts.ofKind(u"folder"_s);
        ASSERT_EQ(asked.size(), 2);
        EXPECT_TRUE(asked[0].text == row.prompt && asked[1].text == row.prompt);
    }

    // The watchlist button does nothing at all; the about box names the product.
    test.prompts.shown.clear();
    const int lines = window.eventLog().lineCount();
    QTest::mouseClick(control(window, "Command2"), Qt::LeftButton);
    EXPECT_TRUE(test.prompts.shown.isEmpty());
    EXPECT_EQ(window.eventLog().lineCount(), lines);
    QTest::mouseClick(control(window, "Cmd_About"), Qt::LeftButton);
    ASSERT_EQ(test.prompts.shown.size(), 1);
    const auto &about = test.prompts.shown.first();
    EXPECT_EQ(about.kind, u"message"_s);
    EXPECT_EQ(about.icon, Prompts::Icon::Information);
    EXPECT_FALSE(about.yesNo);
    EXPECT_EQ(about.title, u"Vorpaline 1.38b"_s);
    EXPECT_TRUE(about.text.startsWith(
        u"Vorpaline 1.38b\r\nLightweight automatic downloader for Gallerine."_s));
}

// The limits hold for what is typed; a longer text put in by the program (a
// listed user name, a stored size limit) is kept whole.
TEST(MainWindow, TextBoxesLimitTypingOnly)
{
    TestWindow test;
    MainWindow &window = test.open();
    struct Row
    {
        const char *name;
        int limit;
    };
    for (const Row &row : {Row{"Txt_Uniuser", 22}, Row{"Txt_Maxsize", 5}}) {
        SCOPED_TRACE(row.name);
        auto *box = control<QLineEdit>(window, row.name);
        box->setText(QString());
        QTest::keyClicks(box, u"1234567890123456789012345678"_s);
        EXPECT_EQ(box->text(), u"1234567890123456789012345678"_s.left(row.limit));

        const QString longText = u"a_listed_user_name_of_30_chars"_s.left(30);
        box->setText(longText);
        EXPECT_EQ(box->text(), longText);
        box->end(false);
        QTest::keyClick(box, Qt::Key_X);
        EXPECT_EQ(box->text(), longText); // no longer
        QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_EQ(box->text(), longText.chopped(1)); // but it can be shortened
        box->selectAll();
        QTest::keyClicks(box, u"bob"_s);
        EXPECT_EQ(box->text(), u"bob"_s);
    }
    EXPECT_EQ(window.uniqueUserText(), u"bob"_s);
    EXPECT_EQ(window.maxSizeText(), u"bob"_s);
}

TEST(MainWindow, ProgressBarsFollowThePercentagesAndKeepASliver)
{
    TestWindow test;
    MainWindow &window = test.open();
    showAndSettle(window);
    auto *outline = control<QFrame>(window, "Shape3");
    auto *file = control<QFrame>(window, "Shape2");
    auto *queue = control<QFrame>(window, "Shape1");
    const int full = outline->contentsRect().width();

    EXPECT_GT(file->width(), 0); // a sliver at the start
    EXPECT_LT(file->width(), full / 20);
    EXPECT_GT(queue->width(), 0);
    EXPECT_LT(file->geometry().bottom(), queue->geometry().top()); // file bar above

    window.setFileProgress(50);
    window.setQueueProgress(100);
    EXPECT_NEAR(file->width(), full / 2, 1);
    EXPECT_EQ(queue->width(), full);
    window.setQueueProgress(250); // never beyond the outline
    EXPECT_EQ(queue->width(), full);
    window.setFileProgress(0);
    EXPECT_GT(file->width(), 0);

    window.resize(window.width() + 100, window.height());
    QCoreApplication::processEvents();
    EXPECT_EQ(queue->width(), outline->contentsRect().width());

    window.setStatusCaption(u"12% of \"Fish && Chips\" (3 KB)"_s);
    window.setSpeedCaption(u"Speed: 256Kb/s"_s);
    EXPECT_EQ(control<QLabel>(window, "Label12")->text(), u"Speed: 256Kb/s"_s);
    EXPECT_NE(control<QLabel>(window, "Lbl_Status")->buddy(), nullptr); // "&&" shows as one
}

// Nothing clipped or overlapping, at the opening size and at the smallest
// size the window can take. Run again at doubled scaling by its own test entry.
TEST(MainWindowLayout, ControlsFitAndDoNotOverlap)
{
    TestWindow test;
    MainWindow &window = test.open();
    showAndSettle(window);

    for (const bool smallest : {false, true}) {
        SCOPED_TRACE(smallest ? "smallest size" : "opening size");
        if (smallest) {
            window.resize(window.minimumSizeHint());
            QCoreApplication::processEvents();
        }
        EXPECT_GE(window.width(), window.minimumSizeHint().width());
        EXPECT_GE(window.height(), window.minimumSizeHint().height());

        QList<QWidget *> containers = window.findChildren<QWidget *>();
        containers.removeIf([](QWidget *widget) { return !isControl(widget); });
        containers.prepend(&window);

        for (QWidget *parent : containers) {
            QList<QWidget *> children;
            for (QObject *child : parent->children())
                if (auto *widget = qobject_cast<QWidget *>(child);
                    widget && isControl(widget) && widget->isVisible())
                    children.append(widget);
            const bool overBars = parent->objectName() == QLatin1String("Shape3");
            for (QWidget *child : children) {
                const std::string name = child->objectName().toStdString();
                EXPECT_TRUE(parent->rect().contains(child->geometry())) << name;
                EXPECT_GE(child->width(), child->minimumSizeHint().width()) << name;
                EXPECT_GE(child->height(), child->minimumSizeHint().height()) << name;
                const bool fixedText = qobject_cast<QAbstractButton *>(child) ||
                                       (qobject_cast<QLabel *>(child) && !overBars);
                if (fixedText || qobject_cast<QLineEdit *>(child) ||
                    qobject_cast<QScrollBar *>(child)) {
                    EXPECT_GE(child->height(), child->sizeHint().height()) << name;
                }
                if (fixedText) {
                    EXPECT_GE(child->width(), child->sizeHint().width()) << name;
                }
            }
            for (int i = 0; i < children.size(); ++i)
                for (int j = i + 1; j < children.size(); ++j) {
                    const QString a = children[i]->objectName(), b = children[j]->objectName();
                    // The status and speed lie over the bars by design, not over each other.
                    if (overBars && (a.startsWith(QLatin1String("Shape")) !=
                                     b.startsWith(QLatin1String("Shape"))))
                        continue;
                    EXPECT_FALSE(children[i]->geometry().intersects(children[j]->geometry()))
                        << a.toStdString() << " overlaps " << b.toStdString();
                }
        }

        // Text boxes show a useful width; the size box fits five digits
        // between "Size limit:" and "MB".
        for (const char *name :
             {"Txt_Uniuser", "Txt_CookieA", "Txt_CookieB", "Txt_Path", "Txt_Favpath"}) {
            auto *box = control<QLineEdit>(window, name);
            EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance(QString(16, u'M')))
                << name;
        }
        auto *sizeLabel = control<QLabel>(window, "Label11");
        auto *sizeBox = control<QLineEdit>(window, "Txt_Maxsize");
        const QFontMetrics metrics(sizeLabel->font());
        EXPECT_GE(sizeBox->x(), metrics.horizontalAdvance(u"Size limit:"_s));
        EXPECT_LE(sizeBox->geometry().right(),
                  sizeLabel->width() - metrics.horizontalAdvance(u"MB"_s));
        EXPECT_GE(sizeBox->width(), sizeBox->fontMetrics().horizontalAdvance(u"00000"_s) + 8);
        EXPECT_TRUE(sizeLabel->rect().contains(sizeBox->geometry()));

        // All four type entries are in sight.
        auto *types = control<QListWidget>(window, "Lst_Types");
        for (int i = 0; i < types->count(); ++i)
            EXPECT_TRUE(types->viewport()->rect().contains(types->visualItemRect(types->item(i))))
                << i;
        // The log keeps a useful height.
        EXPECT_GE(control(window, "ListView1")->height(), 100);
    }
}

TEST(MainWindowLayout, TheArrangementIsTopFramesLogProgressSettingsBottomRow)
{
    TestWindow test;
    MainWindow &window = test.open();
    showAndSettle(window);
    auto rect = [&](const char *name) {
        QWidget *widget = control(window, name);
        return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
    };
    const QRect left = rect("Frame2"), right = rect("Frame3"), log = rect("ListView1"),
                progress = rect("Shape3"), settings = rect("Frame1"), about = rect("Cmd_About"),
                site = rect("Lbl_site");
    EXPECT_EQ(left.top(), right.top());
    EXPECT_LT(left.right(), right.left());
    EXPECT_GT(log.top(), std::max(left.bottom(), right.bottom()));
    EXPECT_GT(progress.top(), log.bottom());
    EXPECT_GT(settings.top(), progress.bottom());
    EXPECT_GT(about.top(), settings.bottom());
    EXPECT_GT(site.left(), about.right());
    EXPECT_LT(about.width(), settings.width() / 8); // a small button
    // The log, the progress area and the settings run the full width.
    for (const QRect &wide : {log, progress, settings})
        EXPECT_GE(wide.width(), right.right() - left.left() - 2);
}
