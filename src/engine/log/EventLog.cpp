#include "log/EventLog.h"

#include "log/LogColors.h"

#include <algorithm>
#include <cstring>

namespace {

// Large enough that the blocks cost nothing per line, small enough that a
// short log holds little.
constexpr size_t BlockBytes = size_t(1) << 20;

bool isLatin1(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
}

} // namespace

EventLog::EventLog(QObject *parent) : QAbstractListModel(parent) {}

EventLog::~EventLog() = default;

char *EventLog::reserve(size_t bytes, size_t alignment, Line &line)
{
    if (!m_blocks.empty()) {
        Block &last = m_blocks.back();
        const size_t start = (last.used + alignment - 1) / alignment * alignment;
        if (start + bytes <= last.size) {
            last.used = start + bytes;
            line.block = uint32_t(m_blocks.size() - 1);
            line.offset = uint32_t(start);
            return last.bytes.get() + start;
        }
    }
    // A text longer than a block gets a block of its own size.
    const size_t size = std::max(BlockBytes, bytes);
    m_blocks.push_back(Block{std::unique_ptr<char[]>(new char[size]), size, bytes});
    line.block = uint32_t(m_blocks.size() - 1);
    line.offset = 0;
    return m_blocks.back().bytes.get();
}

void EventLog::AddEvent(const QString &text, int32_t color)
{
    Line line{};
    line.color = color;
    line.length = uint32_t(text.size());
    line.wide = !isLatin1(text);
    if (line.wide) {
        const size_t bytes = size_t(text.size()) * sizeof(char16_t);
        std::memcpy(reserve(bytes, alignof(char16_t), line), text.utf16(), bytes);
    } else {
        char *to = reserve(size_t(text.size()), 1, line);
        for (const QChar c : text)
            *to++ = char(c.unicode());
    }
    const int row = int(m_lines.size());
    beginInsertRows(QModelIndex(), row, row);
    m_lines.push_back(line);
    endInsertRows();
    emit lineAdded(text, color);
}

void EventLog::clear()
{
    beginResetModel();
    // Swapped out rather than cleared, so that the memory is given back.
    std::deque<Line>().swap(m_lines);
    std::vector<Block>().swap(m_blocks);
    endResetModel();
    emit cleared();
}

QString EventLog::lineText(int row) const
{
    const Line &line = m_lines.at(size_t(row));
    const char *bytes = m_blocks[line.block].bytes.get() + line.offset;
    if (line.wide)
        return QString(reinterpret_cast<const QChar *>(bytes), qsizetype(line.length));
    return QString::fromLatin1(bytes, qsizetype(line.length));
}

QString EventLog::lineKind(int32_t color)
{
    if (color == LogRed)
        return QStringLiteral("error");
    if (color == LogGreen)
        return QStringLiteral("done");
    return {};
}

int EventLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant EventLog::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_lines.size()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return lineText(index.row());
    case Qt::AccessibleDescriptionRole:
        if (QString kind = lineKind(lineColor(index.row())); !kind.isEmpty())
            return kind;
        return {};
    case ColorRole:
        return lineColor(index.row());
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
