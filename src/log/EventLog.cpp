#include "log/EventLog.h"

#include "log/LogColors.h"

#include <QBrush>
#include <QTreeView>

EventLog::EventLog(QObject *parent) : QAbstractListModel(parent) {}

void EventLog::attachView(QTreeView *view)
{
    m_view = view;
    view->setModel(this);
}

void EventLog::AddEvent(const QString &Texte, int32_t Couleur)
{
    const int row = int(m_lines.size());
    beginInsertRows(QModelIndex(), row, row);
    m_lines.push_back(Line{Texte, Couleur});
    endInsertRows();
    scrollToNewestSoon();
    emit lineAdded(Texte, Couleur);
}

// Bringing a row into view makes the list lay out every row again, so a
// burst of lines (a whole listing page of skips) would cost the square of
// the log's length. The scroll is made once, after the burst, and always
// before the list is painted again.
void EventLog::scrollToNewestSoon()
{
    if (!m_view || m_scrollPending)
        return;
    m_scrollPending = true;
    QMetaObject::invokeMethod(this, &EventLog::scrollToNewest, Qt::QueuedConnection);
}

void EventLog::scrollToNewest()
{
    m_scrollPending = false;
    if (m_view && !m_lines.empty())
        m_view->scrollTo(index(int(m_lines.size()) - 1), QAbstractItemView::EnsureVisible);
}

void EventLog::clear()
{
    beginResetModel();
    m_lines.clear();
    endResetModel();
}

int EventLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant EventLog::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_lines.size()))
        return {};
    const Line &line = m_lines[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return line.text;
    case Qt::ForegroundRole:
        return QBrush(colorFromBgr(line.color));
    default:
        return {};
    }
}

QVariant EventLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QString();
    return {};
}
