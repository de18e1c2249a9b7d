#pragma once

#include <QAbstractListModel>
#include <QString>

#include <cstdint>
#include <vector>

// The coloured progress log shown in the window's log list. Lines are only
// ever appended, or all removed at once when a Sync starts.
class EventLog final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EventLog)

public:
    // The line's 0x00BBGGRR colour, as an int.
    static constexpr int ColorRole = Qt::UserRole;

    explicit EventLog(QObject *parent = nullptr);

    // Appends one line in a 0x00BBGGRR colour.
    void AddEvent(const QString &text, int32_t color);
    // Removes every line at once (the start of a Sync).
    void clear();

    int lineCount() const { return int(m_lines.size()); }
    QString lineText(int row) const { return m_lines.at(size_t(row)).text; }
    int32_t lineColor(int row) const { return m_lines.at(size_t(row)).color; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void lineAdded(const QString &text, int32_t color);
    void cleared();

private:
    struct Line
    {
        QString text;
        int32_t color;
    };
    std::vector<Line> m_lines;
};
