// A listing page of arbitrary text: its kind, gathered in pieces of any size,
// the walk over its entries, the address rewriting, the filters and the
// names of what would be queued.
#include "FuzzCheck.h"

#include "core/RequestText.h"
#include "listing/PageReader.h"
#include "listing/SubmissionFilters.h"
#include "naming/FileNames.h"

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    // Two bytes of choices, then the page.
    const uint8_t choices = data[0];
    const uint8_t pieceSeed = data[1];
    const QString page = latin1Text(data + 2, size - 2);

    // Gathered in pieces of bytes, the page is the same page of the same kind as
    // read whole; until its end marker arrives the buffer is left alone.
    const QByteArrayView bytes(data + 2, qsizetype(size - 2));
    QString buffer;
    PageGatherer gatherer;
    PageKind kind = PageKind::Incomplete;
    uint32_t state = pieceSeed + 1;
    for (qsizetype at = 0; at < bytes.size();) {
        state = state * 1103515245 + 12345;
        const qsizetype length = std::min<qsizetype>(1 + (state >> 16) % 97, bytes.size() - at);
        kind = gatherer.add(buffer, bytes.sliced(at, length));
        at += length;
    }
    const PageKind whole = !bytes.contains(PageMarkers::PageEnd)      ? PageKind::Incomplete
                           : bytes.contains(PageMarkers::UserMissing) ? PageKind::UserMissing
                           : bytes.contains(PageMarkers::FolderEnd)   ? PageKind::FolderEnd
                                                                      : PageKind::Submissions;
    FUZZ_CHECK(kind == whole, QString::number(int(kind)) + u" vs "_s + QString::number(int(whole)));
    FUZZ_CHECK(buffer == (kind == PageKind::Incomplete ? QString() : page), QString());

    static const std::array<QString, 4> users = {
        QStringLiteral("someone"), QStringLiteral("QuillMere"), QString(), QStringLiteral("a.b")};
    static const std::array<QString, 3> folders = {
        QStringLiteral("gallery"), QStringLiteral("scraps"), QStringLiteral("favorites")};
    const QString &user = users[choices & 3];
    const QString &folder = folders[(choices >> 2) % 3];
    FilterChoices filter;
    for (size_t i = 0; i < filter.types.size(); ++i)
        filter.types[i] = (choices >> (i + 4)) & 1;
    filter.ratings = {bool(choices & 1), bool(choices & 2), bool(choices & 64)};

    // Each step moves past one entry start, so the walk ends.
    LinkWalker walker(page, QStringLiteral("files.example"));
    const qsizetype entries = page.count(PageMarkers::EntryStart);
    qsizetype steps = 0;
    PageLink link;
    for (LinkWalker::Step step; (step = walker.next(link)) != LinkWalker::Step::Done;) {
        FUZZ_CHECK(++steps <= entries, QString::number(steps));
        if (step != LinkWalker::Step::Link)
            continue;
        FUZZ_CHECK(link.address.startsWith(QStringLiteral("http://files.example")), link.address);
        const QString url = rewriteAddress(link.address, user, folder, choices & 128);
        holdsControlCharacter(url);
        const QString title = StripHTML(link.nameMarkup);
        const SkipReason reason = typeOrRatingSkip(url, link.ratingStretch, filter);
        FUZZ_CHECK((reason == SkipReason::None) == skipLine(title, reason).isEmpty(), title);
        const QString name = MakeFileName(url, title, (choices >> 4) % 4 - 1, user);
        FUZZ_CHECK(!name.isEmpty() && !name.contains(u'/'), name);
    }
    return 0;
}
