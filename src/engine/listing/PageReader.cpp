#include "listing/PageReader.h"

#include "archive/ArchiveRules.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

bool containsBytes(QByteArrayView text, QByteArrayView marker)
{
    // memmem is several times faster than QByteArrayView's search over a long
    // stretch, but its set-up on every call costs more than searching a small
    // piece. There, skipping with memchr to the marker's first byte ("P" for
    // the end marker, rare in markup) is nearly a plain read.
    constexpr qsizetype longStretch = 16 * 1024;
    if (text.size() < marker.size())
        return false;
    if (text.size() > longStretch)
        return ::memmem(text.data(), size_t(text.size()), marker.data(), size_t(marker.size())) !=
               nullptr;
    const char *at = text.data();
    const char *const last = text.data() + text.size() - marker.size();
    while (at <= last) {
        at = static_cast<const char *>(std::memchr(at, marker.front(), size_t(last - at + 1)));
        if (!at)
            return false;
        if (std::memcmp(at, marker.data(), size_t(marker.size())) == 0)
            return true;
        ++at;
    }
    return false;
}

} // namespace

void PageGatherer::reset()
{
    // Both buffers keep their capacity: the pages of a folder are much alike
    // in size. release() lets it go once the folder is listed.
    m_reply.resize(0);
    m_complete = false;
    m_userMissing = false;
    m_folderEnd = false;
}

void PageGatherer::release()
{
    reset();
    m_reply = QByteArray();
    m_text = QString();
}

qsizetype PageGatherer::keptBytes() const
{
    return m_reply.capacity() + m_text.capacity() * qsizetype(sizeof(QChar));
}

bool PageGatherer::foundSince(QByteArrayView marker, qsizetype searched) const
{
    // A marker may straddle the bytes already searched and the new ones.
    const qsizetype from = std::max<qsizetype>(0, searched - (marker.size() - 1));
    return containsBytes(QByteArrayView(m_reply).sliced(from), marker);
}

PageKind PageGatherer::add(QString &pageBuffer, QByteArrayView piece)
{
    const qsizetype previousSize = m_reply.size();
    m_reply.append(piece);
    const bool wasComplete = m_complete;
    if (!wasComplete && !foundSince(PageMarkers::PageEnd, previousSize))
        return PageKind::Incomplete;
    m_complete = true;

    // The phrases are looked for over the whole page once it is complete, and
    // after that only in what arrives.
    const qsizetype searched = wasComplete ? previousSize : 0;
    m_userMissing = m_userMissing || foundSince(PageMarkers::UserMissing, searched);
    m_folderEnd = m_folderEnd || foundSince(PageMarkers::FolderEnd, searched);

    // Let go of the caller's copy first, so that the text is written in place
    // and a big page's text does not take fresh memory every time.
    pageBuffer = QString();
    if (wasComplete) {
        m_text.append(QLatin1StringView(piece));
    } else {
        m_text.resize(0);
        m_text.append(QLatin1StringView(m_reply));
    }
    pageBuffer = m_text;

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
    link.number = submissionNumber(entry.sliced(h + EntryStart.size())).value_or(0);
    return Step::Link;
}
