#pragma once

#include <QColor>
#include <QIdentityProxyModel>
#include <QTreeView>

#include <cstdint>

class EventLog;

inline QColor colorFromBgr(int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// The log's lines with their colours as the list paints them.
class ColoredLogModel final : public QIdentityProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ColoredLogModel)

public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex &index, int role) const override;
};

// The log list (ListView1): one column of coloured lines, the newest line
// always scrolled into view.
class EventLogView final : public QTreeView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EventLogView)

public:
    explicit EventLogView(QWidget *parent = nullptr);

    void setLog(EventLog &log);
    // Scrolls the newest line into view now.
    void scrollToNewest();

private:
    void scrollToNewestSoon();

    ColoredLogModel m_colored;
    bool m_scrollPending = false;
};
