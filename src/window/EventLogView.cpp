#include "EventLogView.h"

#include "ReadableColor.h"
#include "log/EventLog.h"

#include <QAction>
#include <QApplication>
#include <QBrush>
#include <QClipboard>
#include <QKeyEvent>

#include <algorithm>

QVariant ColoredLogModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::ForegroundRole) {
        const QVariant color = QIdentityProxyModel::data(index, EventLog::ColorRole);
        return color.isValid()
                   ? QVariant(QBrush(readableShade(colorFromBgr(color.toInt()), m_background)))
                   : QVariant();
    }
    return QIdentityProxyModel::data(index, role);
}

void ColoredLogModel::setBackground(const QColor &background)
{
    if (background == m_background)
        return;
    m_background = background;
    if (const int rows = rowCount(); rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, 0), {Qt::ForegroundRole});
}

EventLogView::EventLogView(QWidget *parent) : QTreeView(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_colored.setBackground(palette().color(QPalette::Base));

    auto *copy = new QAction(QStringLiteral("&Copy"), this);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &EventLogView::copySelection);
    auto *selectEverything = new QAction(QStringLiteral("Select &all"), this);
    selectEverything->setShortcut(QKeySequence::SelectAll);
    selectEverything->setShortcutContext(Qt::WidgetShortcut);
    connect(selectEverything, &QAction::triggered, this, &QAbstractItemView::selectAll);
    addAction(copy);
    addAction(selectEverything);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void EventLogView::setLog(EventLog &log)
{
    m_colored.setSourceModel(&log);
    setModel(&m_colored);
    connect(&log, &EventLog::rowsInserted, this, &EventLogView::scrollToNewestSoon);
}

// Bringing a row into view makes the list lay out every row again, so a
// burst of lines (a whole listing page of skips) would cost the square of
// the log's length. The scroll is made once, after the burst, and always
// before the list is painted again.
void EventLogView::scrollToNewestSoon()
{
    if (m_scrollPending)
        return;
    m_scrollPending = true;
    QMetaObject::invokeMethod(this, &EventLogView::scrollToNewest, Qt::QueuedConnection);
}

void EventLogView::scrollToNewest()
{
    m_scrollPending = false;
    const int rows = model() ? model()->rowCount() : 0;
    if (rows > 0)
        scrollTo(model()->index(rows - 1, 0), QAbstractItemView::EnsureVisible);
}

QString EventLogView::selectedText() const
{
    if (!selectionModel())
        return {};
    QModelIndexList rows = selectionModel()->selectedRows();
    // The selection keeps the order of the clicks, not of the log.
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QString text;
    for (const QModelIndex &row : rows)
        text += row.data(Qt::DisplayRole).toString() + QLatin1Char('\n');
    return text;
}

void EventLogView::copySelection()
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void EventLogView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        m_colored.setBackground(palette().color(QPalette::Base));
    QTreeView::changeEvent(event);
}

void EventLogView::keyPressEvent(QKeyEvent *event)
{
    // The list's own copy takes only the current line.
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    QTreeView::keyPressEvent(event);
}
