#include "TestWaits.h"
#include "TestWindow.h"

#include "log/EventLog.h"
#include "log/LogColors.h"

#include <QBrush>
#include <QFontInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

bool rowShown(QTreeView *view, int row)
{
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    return rect.isValid() && view->viewport()->rect().contains(rect);
}

} // namespace

TEST(EventLog, ColourValuesAreRedInTheLowByte)
{
    struct Case
    {
        int32_t value;
        QColor colour;
    };
    const Case cases[] = {
        {LogBlack, QColor(0, 0, 0)},
        {LogRed, QColor(255, 0, 0)},
        {LogGreen, QColor(0, 136, 0)},
        {0x00FF0000, QColor(0, 0, 255)},
        {0x00123456, QColor(0x56, 0x34, 0x12)},
        {0x00FFFFFF, QColor(255, 255, 255)},
    };
    EXPECT_EQ(LogGreen, 34816);
    for (const Case &c : cases)
        EXPECT_EQ(colorFromBgr(c.value), c.colour) << std::hex << c.value;
}

TEST(EventLog, EachLineKeepsItsOwnTextAndColour)
{
    EventLog log;
    struct Case
    {
        QString text;
        int32_t colour;
    };
    const Case cases[] = {
        {u"Listing bob's gallery..."_s, LogBlack},
        {u"User bob doesn't exist"_s, LogRed},
        {QString(), LogGreen}, // an empty line still counts
        {u"  two\r\nlines & \"quotes\"  "_s, 0x00123456},
        {u"Saved as a.png"_s, LogGreen},
    };
    for (const Case &c : cases)
        log.AddEvent(c.text, c.colour);

    ASSERT_EQ(log.rowCount(), int(std::size(cases)));
    for (int row = 0; row < log.lineCount(); ++row) {
        const Case &c = cases[row];
        EXPECT_EQ(log.lineText(row), c.text) << row;
        EXPECT_EQ(log.lineColor(row), c.colour) << row;
        const QModelIndex index = log.index(row);
        EXPECT_EQ(log.data(index, Qt::DisplayRole).toString(), c.text) << row;
        EXPECT_EQ(log.data(index, Qt::ForegroundRole).value<QBrush>().color(),
                  colorFromBgr(c.colour))
            << row;
        EXPECT_FALSE(log.data(index, Qt::BackgroundRole).isValid()) << row;
    }
    EXPECT_FALSE(log.data(log.index(0), Qt::DecorationRole).isValid());
    EXPECT_EQ(log.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString());

    // Clearing removes every line, and the log goes on.
    log.clear();
    EXPECT_EQ(log.rowCount(), 0);
    log.AddEvent(u"Listing bob's gallery..."_s, LogBlack);
    ASSERT_EQ(log.lineCount(), 1);
    EXPECT_EQ(log.lineText(0), u"Listing bob's gallery..."_s);
}

// One fixed-pitch column, nothing selectable, the newest line always in view.
TEST(EventLog, TheListShowsTheNewestLine)
{
    TestWindow test;
    MainWindow &window = test.open();
    window.show();
    auto *view = window.findChild<QTreeView *>(u"ListView1"_s);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->model(), &window.eventLog());
    EXPECT_EQ(view->model()->columnCount(), 1);
    const QFont font = view->font();
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25);
    EXPECT_FALSE(font.bold() || font.italic());
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << QFontInfo(font).family().toStdString();
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::NoSelection);
    EXPECT_EQ(view->editTriggers(), QAbstractItemView::NoEditTriggers);

    int added = window.eventLog().lineCount(); // the start-up may have logged already
    for (const int burst : {1, 40, 3000, 1}) {
        for (int i = 0; i < burst; ++i, ++added)
            window.AddEvent(u"line %1"_s.arg(added), added % 2 ? LogRed : LogBlack);
        waitUntil([&] { return rowShown(view, added - 1); });
        EXPECT_TRUE(rowShown(view, added - 1)) << added;
    }
    // The list was really scrolled: the first line is out of sight.
    EXPECT_FALSE(rowShown(view, 0));

    // Scrolled back up by the user, the next line brings the view down again.
    view->scrollToTop();
    window.AddEvent(QString(), LogGreen);
    ++added;
    waitUntil([&] { return rowShown(view, added - 1); });
    EXPECT_TRUE(rowShown(view, added - 1));
    EXPECT_TRUE(view->selectionModel() == nullptr || !view->selectionModel()->hasSelection());

    // Cleared, the log starts from the top.
    window.eventLog().clear();
    window.AddEvent(u"Listing bob's gallery..."_s, LogBlack);
    waitUntil([&] { return rowShown(view, 0); });
    EXPECT_TRUE(rowShown(view, 0));
}
