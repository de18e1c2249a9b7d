#pragma once

#include <QAccessible>
#include <QColor>
#include <QHash>
#include <QListView>

#include <cstdint>

inline QColor colorFromBgr(int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// The log list (ListView1): one column of coloured lines, the newest line
// always scrolled into view. Lines can be selected and copied as plain text,
// one text line per log line. Each line is painted in its own colour, or,
// where that would be hard to read on the list's background (a dark theme, or
// red on white), in the nearest shade that reads.
//
// Every row has the same height, so the list places rows by arithmetic and
// keeps nothing per row: showing one more line costs the same in a log of a
// hundred lines as in one of a million. Qt's own list and tree lay out every
// row again whenever one is added, so their placing is replaced here; the
// class stays a QListView so that assistive tools meet a list of lines.
class EventLogView final : public QListView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EventLogView)

public:
    explicit EventLogView(QWidget *parent = nullptr);

    // The lines to show: an EventLog, or any list model with its roles.
    void setLog(QAbstractItemModel &log);
    // Scrolls the newest line into view now.
    void scrollToNewest();
    // The selected lines in log order, each ended by a line break.
    QString selectedText() const;
    void copySelection();
    // The colour the line is painted in.
    QColor shownColor(int row) const;

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;
    void doItemsLayout() override;

protected:
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    bool isIndexHidden(const QModelIndex &index) const override;
    QSize viewportSizeHint() const override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void scrollToNewestSoon();
    int rows() const;
    int rowHeight() const;
    int firstShownRow() const;
    int rowsInView() const;
    // The row at a height in the viewport, not limited to the log.
    int rowAtY(int y) const;
    void announce(QAccessible::Event kind, int row);

    mutable QHash<int32_t, QColor> m_shades; // logged colour -> shade shown, for this background
    mutable int m_rowHeight = 0;             // 0 until measured for the font and style
    bool m_scrollPending = false;
};
