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

// The log's lines with their colours as the list paints them: each line's
// colour as logged, or, where that would be hard to read on the list's
// background (a dark theme, or red on white), the nearest shade that reads.
class ColoredLogModel final : public QIdentityProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ColoredLogModel)

public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex &index, int role) const override;
    void setBackground(const QColor &background);

private:
    QColor m_background = Qt::white;
};

// The log list (ListView1): one column of coloured lines, the newest line
// always scrolled into view. Lines can be selected and copied as plain text,
// one text line per log line.
class EventLogView final : public QTreeView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EventLogView)

public:
    explicit EventLogView(QWidget *parent = nullptr);

    void setLog(EventLog &log);
    // Scrolls the newest line into view now.
    void scrollToNewest();
    // The selected lines in log order, each ended by a line break.
    QString selectedText() const;
    void copySelection();

protected:
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void scrollToNewestSoon();

    ColoredLogModel m_colored;
    bool m_scrollPending = false;
};
