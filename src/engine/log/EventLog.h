#pragma once

#include <QAbstractListModel>
#include <QString>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

// The coloured progress log shown in the window's log list. Lines are only
// ever appended, or all removed at once when a Sync starts.
//
// A long Sync logs a line per known file, so a log can reach a million lines:
// the texts are packed into large shared blocks (one byte a character for
// Latin-1 texts, two otherwise) rather than held as a string each.
class EventLog final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EventLog)

public:
    // The line's 0x00BBGGRR colour, as an int.
    static constexpr int ColorRole = Qt::UserRole;

    explicit EventLog(QObject *parent = nullptr);
    ~EventLog() override;

    // Appends one line in a 0x00BBGGRR colour.
    void AddEvent(const QString &text, int32_t color);
    // Removes every line at once (the start of a Sync).
    void clear();

    int lineCount() const { return int(m_lines.size()); }
    QString lineText(int row) const;
    int32_t lineColor(int row) const { return m_lines.at(size_t(row)).color; }
    // What a line reports, for assistive tools that cannot see its colour:
    // "error" for red lines, "done" for green ones, nothing otherwise.
    static QString lineKind(int32_t color);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void lineAdded(const QString &text, int32_t color);
    void cleared();

private:
    struct Line
    {
        uint32_t block : 31;
        uint32_t wide : 1; // UTF-16 rather than Latin-1
        uint32_t offset;
        uint32_t length; // in characters
        int32_t color;
    };
    struct Block
    {
        std::unique_ptr<char[]> bytes;
        size_t size;
        size_t used;
    };
    char *reserve(size_t bytes, size_t alignment, Line &line);

    std::deque<Line> m_lines;
    std::vector<Block> m_blocks;
};
