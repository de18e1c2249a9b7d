#include "listing/PageReader.h"

#include <cstdint>
#include <limits>

PageKind completePageKind(QStringView page)
{
    if (page.contains(PageMarkers::UserMissing))
        return PageKind::UserMissing;
    if (page.contains(PageMarkers::FolderEnd))
        return PageKind::FolderEnd;
    return PageKind::Submissions;
}

void PageGatherer::reset()
{
    m_searched = 0;
    m_complete = false;
}

PageKind PageGatherer::add(QString &pageBuffer, QStringView piece)
{
    // Someone emptied or replaced the buffer behind our back: scan it afresh.
    if (pageBuffer.size() < m_searched)
        reset();
    pageBuffer.append(piece);
    if (!m_complete) {
        const qsizetype from = m_searched;
        m_complete = QStringView(pageBuffer).indexOf(PageMarkers::PageEnd, from) >= 0;
        // A marker may straddle this piece and the next one: keep its length - 1 unsearched.
        m_searched = std::max(from, pageBuffer.size() - (PageMarkers::PageEnd.size() - 1));
    }
    return m_complete ? completePageKind(pageBuffer) : PageKind::Incomplete;
}

LinkWalker::LinkWalker(QStringView page, QString fileHost)
    : m_page(page), m_fileHost(std::move(fileHost))
{
}

LinkWalker::Step LinkWalker::next(PageLink &link)
{
    using namespace PageMarkers;
    if (m_next == -2)
        m_next = m_page.indexOf(EntryStart);
    if (m_next < 0)
        return Step::Done;

    const qsizetype h = m_next;
    m_next = m_page.indexOf(EntryStart, h + 1);
    // Every marker of this entry must lie before the next entry starts.
    const QStringView entry = m_page.first(m_next < 0 ? m_page.size() : m_next);
    if (m_fileHost.isEmpty())
        return Step::Malformed;

    const qsizetype f = entry.indexOf(m_fileHost, h + 1);
    if (f < 0)
        return Step::Malformed;
    const qsizetype q = entry.indexOf(AddressEnd, f + 1);
    const qsizetype d = entry.indexOf(RatingEnd, f + 1);
    const qsizetype infoAt = entry.indexOf(NameStart, h + 1);
    if (q < 0 || d < 0 || infoAt < 0)
        return Step::Malformed;
    const qsizetype i = infoAt + NameStart.size();
    const qsizetype e = entry.indexOf(NameEnd, i);
    if (e < 0)
        return Step::Malformed;
    // Addresses and names are handled as texts of at most 32767 characters.
    constexpr qsizetype longest = std::numeric_limits<int16_t>::max();
    if (q - f > longest || e - i > longest)
        return Step::Malformed;

    link.address = QStringLiteral("http://") + entry.sliced(f, q - f).toString();
    link.ratingStretch = entry.sliced(f, d - f).toString();
    link.nameMarkup = entry.sliced(i, e - i).toString();
    return Step::Link;
}
