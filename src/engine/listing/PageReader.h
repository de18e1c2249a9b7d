#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Reading a listing page as plain text by the fixed markers of the site's
// markup. No HTML parsing: every search is exact and case-sensitive.

namespace PageMarkers {
// Looked for in the reply's bytes while it arrives: one byte is one character.
inline constexpr QByteArrayView PageEnd("Page generated in");
inline constexpr QByteArrayView UserMissing("not be found");
inline constexpr QByteArrayView FolderEnd("no submissions to list");
// Looked for in the text of a complete page.
inline const QString EntryStart = QStringLiteral("href=\"/view/");
inline const QString AddressEnd = QStringLiteral("\" />");
inline const QString RatingEnd = QStringLiteral(">&nbsp;</div>");
inline const QString NameStart = QStringLiteral("<div class=\"info\"><span>");
inline const QString NameEnd = QStringLiteral("</span>");
} // namespace PageMarkers

enum class PageKind
{
    Incomplete,  // the end marker has not arrived yet
    UserMissing, // "not be found" anywhere in the page
    FolderEnd,   // "no submissions to list": the page after the folder's last one
    Submissions, // a page of entries to walk
};

// Gathers a reply piece by piece, as bytes. Each piece is searched for the end
// marker together with the marker's length - 1 bytes before it, so the reply is
// scanned once however finely it arrives; the page becomes text only once the
// marker has arrived. The buffers keep their capacity from one reply to the
// next, so they stay as large as the largest page read until release().
class PageGatherer final
{
    Q_DISABLE_COPY_MOVE(PageGatherer)

public:
    PageGatherer() = default;

    // A new reply starts.
    void reset();
    // No more replies for a while (the folder is listed): lets the buffers go.
    void release();
    // Gathers the piece and tells what the page is so far. The phrases count
    // anywhere in the reply, in the order of PageKind, so they decide the kind
    // even inside a submission's name. From the piece that completes the page
    // on, pageBuffer holds the whole reply as text, one character per byte;
    // until then it is left alone.
    PageKind add(QString &pageBuffer, QByteArrayView piece);
    bool complete() const { return m_complete; }
    // The capacity the buffers hold, in bytes; the text's may be shared with
    // the caller's page buffer.
    qsizetype keptBytes() const;

private:
    bool foundSince(QByteArrayView marker, qsizetype searched) const;

    QByteArray m_reply;
    QString m_text; // shared with the caller's page buffer
    bool m_complete = false;
    bool m_userMissing = false;
    bool m_folderEnd = false;
};

// One submission entry of a page, as cut out of the text.
struct PageLink
{
    QString address;       // "http://" + the text from the file host up to the closing quote
    QString ratingStretch; // from the file host up to the next ">&nbsp;</div>"
    QString nameMarkup;    // the name between the info marker and "</span>", undecoded
    qint64 number = 0;     // N of its "/view/N/" link; 0 when that is no number
};

// Walks the entries of a page of submissions. An entry runs from its
// "href=\"/view/" to the next one (or the end of the page); its markers must
// all lie inside it, so an entry that lacks one is skipped rather than taking
// the markers of the entry after it. Each entry's text is searched a fixed
// number of times: the walk is linear in the page's size.
class LinkWalker final
{
public:
    enum class Step
    {
        Link,
        Malformed,
        Done
    };

    LinkWalker(QStringView page, QString fileHost);

    // The next entry: Link fills link, Malformed skips an entry, Done ends the page.
    Step next(PageLink &link);

private:
    QStringView m_page;
    QString m_fileHost;
    qsizetype m_next = -2; // start of the next entry; -2 before the first search, -1 none
};
