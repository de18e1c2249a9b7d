#include "listing/PageReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

bool containsBytes(QByteArrayView text, QByteArrayView marker)
{
    // The C library's search is several times faster than QByteArrayView's.
    return ::memmem(text.data(), size_t(text.size()), marker.data(), size_t(marker.size())) !=
           nullptr;
}

} // namespace

void PageGatherer::reset()
{
    m_reply.clear();
    m_complete = false;
    m_userMissing = false;
    m_folderEnd = false;
    m_delivered = false;
}

bool PageGatherer::foundInLatest(QByteArrayView marker, qsizetype previousSize) const
{
    // A marker may straddle the previous piece and this one.
    const qsizetype from = std::max<qsizetype>(0, previousSize - (marker.size() - 1));
    return containsBytes(QByteArrayView(m_reply).sliced(from), marker);
}

PageKind PageGatherer::add(QString &pageBuffer, QByteArrayView piece)
{
    const qsizetype previousSize = m_reply.size();
    m_reply.append(piece);
    // Every phrase is looked for in every piece, so a complete page is not scanned again.
    m_complete = m_complete || foundInLatest(PageMarkers::PageEnd, previousSize);
    m_userMissing = m_userMissing || foundInLatest(PageMarkers::UserMissing, previousSize);
    m_folderEnd = m_folderEnd || foundInLatest(PageMarkers::FolderEnd, previousSize);
    if (!m_complete)
        return PageKind::Incomplete;

    if (m_delivered && pageBuffer.size() == previousSize)
        pageBuffer.append(QLatin1StringView(piece));
    else
        pageBuffer = QString::fromLatin1(m_reply);
    m_delivered = true;
    if (m_userMissing)
        return PageKind::UserMissing;
    return m_folderEnd ? PageKind::FolderEnd : PageKind::Submissions;
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
