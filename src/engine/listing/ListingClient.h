#pragma once

#include "archive/ArchiveRow.h"
#include "archive/ArchiveRules.h"
#include "core/AppEnvironment.h"
#include "core/JobContext.h"
#include "core/ListedFolder.h"
#include "http/HttpExchange.h"
#include "listing/PageReader.h"

#include <QObject>
#include <QTimer>

#include <functional>

class TcpClientSocket;
struct PageLink;

// Fetches the listing pages of a folder over the listing socket, reads each
// complete page and fills the folder's submission queue, which it hands over
// once the folder is listed.
class ListingClient final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListingClient)

public:
    ListingClient(const JobContext &context, TcpClientSocket &socket, const SiteConfig &site,
                  const Timeouts &timeouts, const QString &temporaryFolder = QString(),
                  bool createFolders = true, QObject *parent = nullptr);

    // Lists the folder from the page after pagesListed on, queueing after what
    // it holds: a job's folder starts empty, from its first page.
    void listFolder(const ListedFolder &folder, int16_t pagesListed = 0);
    // Drops the connection and forgets the page in progress (a new job starts).
    void abort();
    // Ends the folder's listing before the current page, with what is queued so far.
    void endListingEarly();
    // The folder is done with: its page count, queue and page text go.
    void forgetFolder();
    // Whether the download archive holds a submission number: read only, asked
    // for the skip of archived submissions, the quick Sync and files found on disk.
    void setArchiveLookup(std::function<bool(qint64 number)> lookup)
    {
        m_archived = std::move(lookup);
    }
    // The page asked for last (the error report tells it).
    int16_t pageNumber() const { return m_state.PageNumber; }

signals:
    // The folder's submissions are queued and its download folder is ready
    // (planned only, when folders are not to be created).
    void folderListed(const ListedFolder &folder);
    // The folder has nothing to download (or nowhere to save it).
    void folderFinished();
    // The site does not know the user.
    void userMissing();
    // A page could not be listed, even after its retries; it is logged.
    // queued: what the folder's earlier pages queued.
    void pageGivenUp(int queued);
    // Something of the folder will not be downloaded (a page, an entry or the
    // whole folder): the job has errors.
    void folderIncomplete();
    // A submission was passed over because its file is already on disk.
    void alreadyOnDisk();
    // The folder's queue of this many files cannot be saved (its folder could not be made).
    void queueGivenUp(int count);
    // A submission's file is already on disk and the archive does not hold its
    // number yet: row tells all but its size, checksum and time.
    void existingFileFound(const ArchiveRow &row);

private:
    void onConnect();
    void onHeader(const ReplyHeader &header, const QByteArray &received);
    void onBody(const HttpBodyPiece &piece);
    void onFailed(const HttpFailure &failure);
    void onClose();
    void onError(int number, const QString &description);
    void onHandshakeFailed(const QString &line);
    void onStalled();
    void onTooSlow();

    // The next page of the folder.
    void GetURLs();
    // Connects for the page PageNumber names (a new page or the same one again).
    void requestPage();
    // The page was lost before its end, or its connection failed: ask for it
    // again after a short wait, or give up. report: the error report to raise
    // if the page is given up, if any.
    void retryPage(const QString &reason, const QString &report = QString());
    void giveUpPage(const QString &reason, const QString &report);
    // Ends the page's listing as an error of the folder, its line already logged.
    void abandonPage(const QString &report);
    void stopWaiting();
    void readPage(PageKind kind);
    void readSubmissions();
    // Queues the submission unless a filter refuses it; tells how a quick Sync sees it.
    EntryStanding acceptSubmission(const PageLink &link);
    bool archived(qint64 number) const { return number > 0 && m_archived && m_archived(number); }
    void endFolder(int pagesListed);

    // The listing's own variables: the folder being listed, with its page and link.
    struct ListingState : ListedFolder
    {
        int16_t PageNumber = 0;
        QString PageBuffer;
        QString LinkUrl;
        QString LinkTitle;
    };

    ListingState m_state;
    JobSettings &m_settings;
    JobDisplay &m_display;
    EventLog &m_log;
    ErrorReporter &m_errors;
    HttpExchange m_exchange;
    SiteConfig m_site;
    Timeouts m_timeouts;
    QString m_temporaryFolder; // where downloading.dat lies
    bool m_createFolders = true;
    std::function<bool(qint64 number)> m_archived;

    PageGatherer m_gatherer;
    // The page text of the reply's header, searched together with the body
    // bytes that came with it.
    QByteArray m_headerText;
    QTimer m_retryTimer;
    // Changes with every page asked for and every abort, so that a step queued
    // for a given-up page is dropped once anything else has happened.
    quint64 m_generation = 0;
    bool m_receiving = false; // a page has been asked for and its end has not arrived
    bool m_connected = false; // the current page's connection was made
    int m_retries = 0;        // times the current page has been asked for again
};
