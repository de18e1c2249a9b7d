#include "EventLogView.h"

#include "ReadableColor.h"
#include "log/EventLog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

EventLogView::EventLogView(QWidget *parent) : QListView(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // Lines wider than the list are cut with an ellipsis; copying gives them whole.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

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

void EventLogView::setLog(QAbstractItemModel &log)
{
    setModel(&log);
    connect(&log, &QAbstractItemModel::rowsInserted, this, &EventLogView::scrollToNewestSoon);
}

// A burst of lines (a whole listing page of skips) is scrolled to once, after
// the burst, and always before the list is painted again.
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
    if (const int count = rows(); count > 0)
        scrollTo(model()->index(count - 1, 0, rootIndex()), QAbstractItemView::EnsureVisible);
}

QString EventLogView::selectedText() const
{
    if (!selectionModel())
        return {};
    QModelIndexList lines = selectionModel()->selectedRows();
    // The selection keeps the order of the clicks, not of the log.
    std::sort(lines.begin(), lines.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QString text;
    for (const QModelIndex &line : lines)
        text += line.data(Qt::DisplayRole).toString() + QLatin1Char('\n');
    return text;
}

void EventLogView::copySelection()
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

QColor EventLogView::shownColor(int row) const
{
    const auto logged =
        int32_t(model()->index(row, 0, rootIndex()).data(EventLog::ColorRole).toInt());
    auto shade = m_shades.constFind(logged);
    if (shade == m_shades.constEnd())
        shade = m_shades.insert(
            logged, readableShade(colorFromBgr(logged), palette().color(QPalette::Base)));
    return *shade;
}

int EventLogView::rows() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int EventLogView::rowHeight() const
{
    if (m_rowHeight == 0) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.features = QStyleOptionViewItem::HasDisplay;
        option.text = QStringLiteral("Xg");
        const QSize size =
            style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
        m_rowHeight = std::max({size.height(), fontMetrics().height(), 1});
    }
    return m_rowHeight;
}

int EventLogView::firstShownRow() const
{
    return verticalScrollBar()->value();
}

int EventLogView::rowsInView() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

int EventLogView::rowAtY(int y) const
{
    const int height = rowHeight();
    // Rounded down, also above the first row shown.
    return firstShownRow() + (y >= 0 ? y / height : (y - height + 1) / height);
}

QRect EventLogView::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex() ||
        index.column() != 0)
        return {};
    return QRect(0, (index.row() - firstShownRow()) * rowHeight(), viewport()->width(),
                 rowHeight());
}

QModelIndex EventLogView::indexAt(const QPoint &point) const
{
    const int row = rowAtY(point.y());
    if (row < 0 || row >= rows())
        return {};
    return model()->index(row, 0, rootIndex());
}

void EventLogView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex())
        return;
    executeDelayedItemsLayout(); // the scroll range must know every row
    const int row = index.row();
    const int inView = rowsInView();
    int first = firstShownRow();
    switch (hint) {
    case EnsureVisible:
        if (row < first)
            first = row;
        else if (row >= first + inView)
            first = row - inView + 1;
        break;
    case PositionAtTop:
        first = row;
        break;
    case PositionAtBottom:
        first = row - inView + 1;
        break;
    case PositionAtCenter:
        first = row - inView / 2;
        break;
    }
    verticalScrollBar()->setValue(first);
}

void EventLogView::doItemsLayout()
{
    // Nothing to place row by row: measure the row height and set the scroll
    // range (the list's own layout would visit every row).
    m_rowHeight = 0;
    QAbstractItemView::doItemsLayout();
}

void EventLogView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QAbstractItemView::rowsInserted(parent, start, end);
    if (parent == rootIndex())
        scheduleDelayedItemsLayout(); // once for a whole burst
}

void EventLogView::announce(QAccessible::Event kind, int row)
{
    QAccessibleEvent event(this, kind);
    event.setChild(row); // a list's children are its rows
    QAccessible::updateAccessibility(&event);
}

void EventLogView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (QAccessible::isActive() && current.isValid() && hasFocus())
        announce(QAccessible::Focus, current.row());
    QAbstractItemView::currentChanged(current, previous);
}

void EventLogView::selectionChanged(const QItemSelection &selected,
                                    const QItemSelection &deselected)
{
    // Only the first row of each change: listing every row of a large
    // selection would take as long as the selection is.
    if (QAccessible::isActive()) {
        if (!selected.isEmpty())
            announce(QAccessible::SelectionAdd, selected.first().top());
        if (!deselected.isEmpty())
            announce(QAccessible::SelectionRemove, deselected.first().top());
    }
    QAbstractItemView::selectionChanged(selected, deselected);
}

void EventLogView::updateGeometries()
{
    const int inView = rowsInView();
    QScrollBar *bar = verticalScrollBar();
    bar->setSingleStep(1);
    bar->setPageStep(inView);
    bar->setRange(0, std::max(0, rows() - inView));
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
}

void EventLogView::paintEvent(QPaintEvent *event)
{
    const int count = rows();
    if (count == 0 || !itemDelegate())
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem shared;
    initViewItemOption(&shared);
    shared.showDecorationSelected = true; // a selected line is marked across the whole row
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const int top = std::max(0, rowAtY(event->rect().top()));
    const int bottom = std::min(count - 1, rowAtY(event->rect().bottom()));
    for (int row = top; row <= bottom; ++row) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        QStyleOptionViewItem option = shared;
        option.rect = visualRect(index);
        if (selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (focus && index == current)
            option.state |= QStyle::State_HasFocus;
        option.palette.setColor(QPalette::Text, shownColor(row));
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void EventLogView::scrollContentsBy(int dx, int dy)
{
    // The scroll bar counts rows.
    if (std::abs(dy) < rowsInView())
        viewport()->scroll(dx, dy * rowHeight());
    else
        viewport()->update();
}

int EventLogView::horizontalOffset() const
{
    return 0;
}

int EventLogView::verticalOffset() const
{
    return firstShownRow() * rowHeight();
}

QModelIndex EventLogView::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    const int count = rows();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    int row = current.isValid() ? current.row() : firstShownRow();
    switch (action) {
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    case MoveUp:
    case MovePrevious:
        row -= current.isValid() ? 1 : 0;
        break;
    case MoveDown:
    case MoveNext:
        row += current.isValid() ? 1 : 0;
        break;
    case MovePageUp:
        row -= rowsInView();
        break;
    case MovePageDown:
        row += rowsInView();
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return model()->index(std::clamp(row, 0, count - 1), 0, rootIndex());
}

void EventLogView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    const QRect area = rect.normalized();
    const int top = std::max(0, rowAtY(area.top()));
    const int bottom = std::min(rows() - 1, rowAtY(area.bottom()));
    QItemSelection selection;
    if (top <= bottom)
        selection.select(model()->index(top, 0, rootIndex()),
                         model()->index(bottom, 0, rootIndex()));
    selectionModel()->select(selection, command);
}

QRegion EventLogView::visualRegionForSelection(const QItemSelection &selection) const
{
    const int first = firstShownRow();
    const int last = first + rowsInView(); // the row cut by the bottom edge too
    QRegion region;
    for (const QItemSelectionRange &range : selection) {
        if (range.parent() != rootIndex())
            continue;
        const int top = std::max(range.top(), first);
        const int bottom = std::min(range.bottom(), last);
        if (top <= bottom)
            region += QRect(0, (top - first) * rowHeight(), viewport()->width(),
                            (bottom - top + 1) * rowHeight());
    }
    return region;
}

bool EventLogView::isIndexHidden(const QModelIndex &) const
{
    return false;
}

QSize EventLogView::viewportSizeHint() const
{
    return QAbstractItemView::viewportSizeHint();
}

void EventLogView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange) {
        m_shades.clear();
        viewport()->update();
    }
    QListView::changeEvent(event);
}

void EventLogView::keyPressEvent(QKeyEvent *event)
{
    // The list's own copy takes only the current line.
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    QListView::keyPressEvent(event);
}
