#pragma once

#include <QString>
#include <QStringView>

// Reading a listing page as plain text by the fixed markers of the site's
// markup. No HTML parsing: every search is exact and case-sensitive.

namespace PageMarkers {
inline const QString PageEnd = QStringLiteral("Page generated in");
inline const QString UserMissing = QStringLiteral("not be found");
inline const QString FolderEnd = QStringLiteral("no submissions to list");
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

// What a complete page is. The phrases are looked for over the whole page, in
// this order, so they decide the kind even inside a submission's name.
PageKind completePageKind(QStringView page);

// Gathers a reply piece by piece. Each piece is searched for the end marker
// together with the marker's length - 1 characters before it, so the reply is
// scanned once however finely it arrives.
class PageGatherer final
{
public:
    // The buffer was emptied: a new reply starts.
    void reset();
    // Appends the piece to pageBuffer and tells what the page is so far.
    PageKind add(QString &pageBuffer, QStringView piece);
    bool complete() const { return m_complete; }

private:
    qsizetype m_searched = 0; // characters of the buffer known to hold no end marker start
    bool m_complete = false;
};

// One submission entry of a page, as cut out of the text.
struct PageLink
{
    QString address;       // "http://" + the text from the file host up to the closing quote
    QString ratingStretch; // from the file host up to the next ">&nbsp;</div>"
    QString nameMarkup;    // the name between the info marker and "</span>", undecoded
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
