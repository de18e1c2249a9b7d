#include "EventLogView.h"

#include "log/EventLog.h"

#include <QBrush>

QVariant ColoredLogModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::ForegroundRole) {
        const QVariant color = QIdentityProxyModel::data(index, EventLog::ColorRole);
        return color.isValid() ? QVariant(QBrush(colorFromBgr(color.toInt()))) : QVariant();
    }
    return QIdentityProxyModel::data(index, role);
}

EventLogView::EventLogView(QWidget *parent) : QTreeView(parent) {}

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
