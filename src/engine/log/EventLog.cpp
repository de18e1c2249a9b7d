#include "log/EventLog.h"

EventLog::EventLog(QObject *parent) : QAbstractListModel(parent) {}

void EventLog::AddEvent(const QString &text, int32_t color)
{
    const int row = int(m_lines.size());
    beginInsertRows(QModelIndex(), row, row);
    m_lines.push_back(Line{text, color});
    endInsertRows();
    emit lineAdded(text, color);
}

void EventLog::clear()
{
    beginResetModel();
    m_lines.clear();
    endResetModel();
    emit cleared();
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
    case ColorRole:
        return line.color;
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
