#include "listing/ListingClient.h"

#include "core/JobSettings.h"
#include "core/RequestText.h"
#include "listing/ListingRequest.h"
#include "listing/SubmissionFilters.h"
#include "log/EventLog.h"
#include "log/LogColors.h"
#include "naming/DownloadFolders.h"
#include "naming/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/TcpClientSocket.h"
#include "report/ErrorReporter.h"

#include <QDir>

#include <algorithm>
#include <limits>

namespace {

constexpr int16_t CountLimit = std::numeric_limits<int16_t>::max();

QString socketErrorReport(int number)
{
    if (number == SocketError::TimedOut)
        return QStringLiteral("Could not open connection on sock1.\r\n"
                              "Check if GS is up, and your firewall settings before sending a "
                              "bug report.");
    return QStringLiteral("Error ") + QString::number(number) + QStringLiteral(" raised by sock1.");
}

} // namespace

ListingClient::ListingClient(const JobContext &context, TcpClientSocket &socket,
                             const SiteConfig &site, const Timeouts &timeouts,
                             const QString &temporaryFolder, bool createFolders, QObject *parent)
    : QObject(parent), m_settings(context.settings), m_display(context.display), m_log(context.log),
      m_errors(context.errors),
      m_exchange(socket, timeouts.lowSpeedBytes, timeouts.lowSpeedWindowMs), m_site(site),
      m_timeouts(timeouts), m_temporaryFolder(temporaryFolder), m_createFolders(createFolders)
{
    connect(&m_exchange, &HttpExchange::connected, this, &ListingClient::onConnect);
    connect(&m_exchange, &HttpExchange::headerArrived, this, &ListingClient::onHeader);
    connect(&m_exchange, &HttpExchange::bodyArrived, this, &ListingClient::onBody);
    connect(&m_exchange, &HttpExchange::failed, this, &ListingClient::onFailed);
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &ListingClient::requestPage);
}

void ListingClient::listFolder(const ListedFolder &folder, int16_t pagesListed)
{
    static_cast<ListedFolder &>(m_state) = folder;
    m_state.PageNumber = pagesListed;
    GetURLs();
}

void ListingClient::GetURLs()
{
    if (m_state.PageNumber >= CountLimit) {
        // A folder that never ends: list no further than the page counter goes.
        m_log.AddEvent(QStringLiteral("Page limit reached: ") + m_state.CurrentUser +
                           QStringLiteral("'s ") + m_state.CurrentFolder +
                           QStringLiteral(" is listed up to page ") +
                           QString::number(m_state.PageNumber) + u'.',
                       LogRed);
        endFolder(m_state.PageNumber);
        return;
    }
    ++m_state.PageNumber;
    m_retries = 0;
    requestPage();
}

void ListingClient::abort()
{
    stopWaiting();
    m_retryTimer.stop();
    ++m_generation;
    m_retries = 0;
    m_exchange.close();
    m_gatherer.release();
}

void ListingClient::endListingEarly()
{
    endFolder(m_state.PageNumber - 1);
}

void ListingClient::forgetFolder()
{
    m_state.PageNumber = 0;
    m_state.SubmissionQueue.clear();
    m_state.QueueCount = 0;
    m_state.PageBuffer.clear();
}

void ListingClient::requestPage()
{
    m_display.setStatusCaption(QStringLiteral("Listing files..."));
    m_retryTimer.stop();
    ++m_generation;
    m_receiving = true;
    m_connected = false;
    m_exchange.open(m_site.pageHost, m_site.pageTransport);
}

void ListingClient::stopWaiting()
{
    m_exchange.stopWatching();
    m_receiving = false;
}

void ListingClient::onConnect()
{
    m_connected = true;
    m_state.PageBuffer.clear();
    m_gatherer.reset();
    m_headerText.clear();
    // Cookies are read for every page, so a change in the window applies from the next one.
    ListingRequestFields fields;
    fields.folder = m_state.CurrentFolder;
    fields.user = m_state.CurrentUser;
    fields.page = m_state.PageNumber;
    fields.hostAlias = m_site.pageHostAlias;
    fields.cookieB = m_settings.cookieB();
    fields.cookieA = m_settings.cookieA();
    m_exchange.send(listingRequest(fields), {m_timeouts.listStallMs, m_timeouts.pageBytes});
}

void ListingClient::onFailed(const HttpFailure &failure)
{
    switch (failure.reason) {
    case HttpFailure::Reason::Closed:
        onClose();
        return;
    case HttpFailure::Reason::LostInData:
        m_log.AddEvent(QStringLiteral("Disconnected in list socket DataArrival."), LogRed);
        m_exchange.close();
        if (m_receiving)
            retryPage(QString());
        return;
    case HttpFailure::Reason::Silent:
        onStalled();
        return;
    case HttpFailure::Reason::TooSlow:
        onTooSlow();
        return;
    case HttpFailure::Reason::TooLarge:
        giveUpPage(QStringLiteral("the page is larger than %1 bytes").arg(m_timeouts.pageBytes),
                   QString());
        return;
    case HttpFailure::Reason::SocketError:
        onError(failure.number, failure.description);
        return;
    case HttpFailure::Reason::Unverified:
        onHandshakeFailed(failure.description);
        return;
    }
}

void ListingClient::onHeader(const ReplyHeader &header, const QByteArray &received)
{
    // Bytes that are no HTTP reply follow as the body, just as they came.
    if (header.status != ReplyHeader::Status::Complete)
        return;
    if (!header.foreignCoding.isEmpty()) {
        // No marker can be read in a compressed or otherwise coded page.
        giveUpPage(QStringLiteral("the page came in the ") + header.foreignCoding +
                       QStringLiteral(" coding, which is not read"),
                   QString());
        return;
    }
    // The markers count in the header as they came, too.
    m_headerText = received.first(header.headerLength);
}

void ListingClient::onBody(const HttpBodyPiece &piece)
{
    if (piece.status == ChunkedDecoder::Status::Malformed) {
        giveUpPage(QStringLiteral("its chunked reply is unreadable"), QString());
        return;
    }
    const QByteArray text = std::exchange(m_headerText, QByteArray()) + piece.data;
    if (text.isEmpty())
        return;
    const PageKind kind = m_gatherer.add(m_state.PageBuffer, text);
    if (kind == PageKind::Incomplete)
        return;
    stopWaiting();
    readPage(kind);
}

void ListingClient::onClose()
{
    m_log.AddEvent(QStringLiteral("List socket disconnected."), LogRed);
    if (!m_receiving)
        return;
    // The page ended early: its submissions must not be lost.
    m_exchange.close();
    retryPage(QString());
}

void ListingClient::onStalled()
{
    if (!m_receiving)
        return;
    m_log.AddEvent(QStringLiteral("List socket timed out."), LogRed);
    m_exchange.close();
    retryPage(QString());
}

void ListingClient::onTooSlow()
{
    if (!m_receiving)
        return;
    m_log.AddEvent(QStringLiteral("List socket timed out."), LogRed);
    m_exchange.close();
    retryPage(
        QStringLiteral("it arrived at less than %1 bytes a second").arg(m_timeouts.lowSpeedBytes));
}

void ListingClient::retryPage(const QString &reason, const QString &report)
{
    stopWaiting();
    m_exchange.close();
    if (m_retries >= m_timeouts.listRetries) {
        giveUpPage(reason.isEmpty() ? QStringLiteral("the connection was lost ") +
                                          QString::number(m_retries + 1) +
                                          QStringLiteral(" times before the page was complete")
                                    : reason,
                   report);
        return;
    }
    ++m_retries;
    // A short wait, so that a page host in trouble is not asked again at once;
    // the retries are few, so a page is given up within a few seconds.
    m_retryTimer.start(std::max(0, m_timeouts.listRetryMs));
}

void ListingClient::giveUpPage(const QString &reason, const QString &report)
{
    m_log.AddEvent(QStringLiteral("Could not list page ") + QString::number(m_state.PageNumber) +
                       QStringLiteral(" of ") + m_state.CurrentUser + QStringLiteral("'s ") +
                       m_state.CurrentFolder + QStringLiteral(": ") + reason,
                   LogRed);
    abandonPage(report);
}

void ListingClient::abandonPage(const QString &report)
{
    stopWaiting();
    m_retryTimer.stop();
    m_exchange.close();
    // What came of the page is no use any more.
    m_state.PageBuffer.clear();
    m_gatherer.release();
    m_headerText.clear();
    emit folderIncomplete();
    // The next step is queued before the report opens: the report is modal but
    // lets events through, so the job goes on while it waits for a person, and
    // the report still describes the page that failed.
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_generation)
            emit pageGivenUp(m_state.QueueCount);
    });
    if (!report.isEmpty())
        m_errors.RaiseError(report);
}

void ListingClient::onError(int number, const QString &description)
{
    if (!m_receiving) {
        // No page is waited for: nothing of the job depends on this connection.
        m_errors.RaiseError(socketErrorReport(number));
        return;
    }
    if (m_connected) {
        // The connection broke while the page was arriving: a lost page, not a
        // site that cannot be reached.
        m_log.AddEvent(QStringLiteral("List socket disconnected."), LogRed);
        retryPage(QString());
        return;
    }
    const QString reason =
        QStringLiteral("error ") + QString::number(number) + QStringLiteral(": ") + description;
    if (number == SocketError::TimedOut) {
        // A connection attempt has already waited long: asking again would only
        // hold the job up further.
        giveUpPage(reason, socketErrorReport(number));
        return;
    }
    retryPage(reason, socketErrorReport(number));
}

void ListingClient::onHandshakeFailed(const QString &line)
{
    m_log.AddEvent(line, LogRed);
    // The same certificate would be shown again on a retry, and nothing was
    // sent: the page is given up at once, without a report to send anyone.
    if (m_receiving)
        abandonPage(QString());
}

void ListingClient::readPage(PageKind kind)
{
    switch (kind) {
    case PageKind::Incomplete:
        return;
    case PageKind::UserMissing:
        m_log.AddEvent(QStringLiteral("User ") + m_state.CurrentUser +
                           QStringLiteral(" doesn't exist"),
                       LogRed);
        m_exchange.close();
        emit userMissing();
        return;
    case PageKind::FolderEnd:
        // The page that says so is not counted.
        endFolder(m_state.PageNumber - 1);
        return;
    case PageKind::Submissions:
        readSubmissions();
        return;
    }
}

void ListingClient::readSubmissions()
{
    m_log.AddEvent(QStringLiteral("Parsing page ") + QString::number(m_state.PageNumber) +
                       QStringLiteral(". Submissions found: ") +
                       QString::number(m_state.QueueCount),
                   LogBlack);
    const QString page = m_state.PageBuffer;
    LinkWalker walker(page, m_site.fileHost);
    PageLink link;
    int entries = 0;
    QList<EntryStanding> standings;
    for (;;) {
        const LinkWalker::Step step = walker.next(link);
        if (step == LinkWalker::Step::Done)
            break;
        ++entries;
        if (step == LinkWalker::Step::Malformed) {
            standings.append(EntryStanding::New);
            // A submission of this folder is left out: the folder is not complete.
            emit folderIncomplete();
            m_log.AddEvent(QStringLiteral("Skipping an unreadable entry on page ") +
                               QString::number(m_state.PageNumber) + u'.',
                           LogRed);
            continue;
        }
        if (m_state.QueueCount >= CountLimit) {
            m_log.AddEvent(QStringLiteral("Queue full at ") + QString::number(CountLimit) +
                               QStringLiteral(" submissions: the rest of ") + m_state.CurrentUser +
                               QStringLiteral("'s ") + m_state.CurrentFolder +
                               QStringLiteral(" is not listed."),
                           LogRed);
            endFolder(m_state.PageNumber);
            return;
        }
        standings.append(acceptSubmission(link));
    }
    if (entries == 0) {
        // Not a listing at all (an error or maintenance page): asking for the
        // following pages would only bring the same page up to the page limit.
        // What the folder holds beyond it is not known, so the folder has errors.
        emit folderIncomplete();
        m_log.AddEvent(QStringLiteral("Page ") + QString::number(m_state.PageNumber) +
                           QStringLiteral(" of ") + m_state.CurrentUser + QStringLiteral("'s ") +
                           m_state.CurrentFolder +
                           QStringLiteral(" lists nothing: the folder ends here."),
                       LogRed);
        endFolder(m_state.PageNumber - 1);
        return;
    }
    if (m_settings.quickSync() && pageEndsQuickListing(standings)) {
        m_log.AddEvent(QStringLiteral("Quick sync: page ") + QString::number(m_state.PageNumber) +
                           QStringLiteral(" of ") + m_state.CurrentUser + QStringLiteral("'s ") +
                           m_state.CurrentFolder +
                           QStringLiteral(" holds nothing new: its later pages are not listed."),
                       LogBlack);
        endFolder(m_state.PageNumber);
        return;
    }
    GetURLs();
}

EntryStanding ListingClient::acceptSubmission(const PageLink &link)
{
    m_state.LinkUrl = rewriteAddress(link.address, m_state.CurrentUser, m_state.CurrentFolder,
                                     m_settings.urlFix());
    m_state.LinkTitle = StripHTML(link.nameMarkup);

    // Settings are read again for every submission. An address that still holds
    // a line break would put lines of the page's choosing into the file request.
    SkipReason reason =
        holdsControlCharacter(m_state.LinkUrl)
            ? SkipReason::UnusableAddress
            : typeOrRatingSkip(m_state.LinkUrl, link.ratingStretch, readFilterChoices(m_settings));
    // The archive is asked only when a switch needs the answer, or below for
    // a file found on disk.
    std::optional<bool> inArchive;
    if (reason == SkipReason::None && (m_settings.skipArchived() || m_settings.quickSync())) {
        inArchive = archived(link.number);
        if (*inArchive && m_settings.skipArchived())
            reason = SkipReason::InArchive;
    }
    QString existingPath;
    if (reason == SkipReason::None) {
        // Without a folder there is nothing on disk to find; the folder's end says why.
        const QString folder =
            MakeDLFolder(m_settings, m_state.CurrentUser, m_state.CurrentFolder, false);
        const QString name =
            nameBesideTemporaryFile(folder,
                                    MakeFileName(m_state.LinkUrl, m_state.LinkTitle,
                                                 m_settings.nameMode(), m_state.CurrentUser),
                                    m_temporaryFolder);
        if (!folder.isEmpty()) {
            const QString onDisk = nameAmongOtherEntries(folder, name);
            if (FileSystem::FileExists(folder + QDir::separator() + onDisk)) {
                reason = SkipReason::AlreadyExists;
                existingPath = QDir::cleanPath(folder + u'/' + onDisk);
            }
        }
    }
    if (reason != SkipReason::None) {
        m_log.AddEvent(skipLine(m_state.LinkTitle, reason), skipColor(reason));
        if (reason == SkipReason::UnusableAddress) {
            emit folderIncomplete();
            return EntryStanding::New;
        }
        if (reason == SkipReason::AlreadyExists || reason == SkipReason::InArchive)
            emit alreadyOnDisk();
        if (reason == SkipReason::AlreadyExists && link.number > 0 &&
            !inArchive.value_or(archived(link.number)))
            emit existingFileFound(ArchiveRow{link.number, m_state.CurrentUser,
                                              m_state.CurrentFolder, ratingName(link.ratingStretch),
                                              m_state.LinkTitle, m_state.LinkUrl, existingPath});
        return reason == SkipReason::AlreadyExists || reason == SkipReason::InArchive
                   ? EntryStanding::Known
                   : EntryStanding::Filtered;
    }

    m_state.SubmissionQueue.append(QueuedSubmission{m_state.LinkUrl, m_state.LinkTitle, link.number,
                                                    ratingName(link.ratingStretch)});
    ++m_state.QueueCount;
    return inArchive.value_or(false) ? EntryStanding::Known : EntryStanding::New;
}

void ListingClient::endFolder(int pagesListed)
{
    stopWaiting();
    // The folder's pages are read: their text would only take memory through
    // the downloads that follow.
    m_state.PageBuffer.clear();
    m_gatherer.release();
    if (m_state.QueueCount < 1) {
        m_log.AddEvent(QStringLiteral("No submissions to download."), LogGreen);
        m_exchange.close();
        emit folderFinished();
        return;
    }
    m_log.AddEvent(QStringLiteral("Found ") + QString::number(m_state.QueueCount) +
                       QStringLiteral(" submissions on ") + QString::number(pagesListed) +
                       QStringLiteral(" page(s)."),
                   LogBlack);
    QString error;
    m_state.DownloadFolder = MakeDLFolder(m_settings, m_state.CurrentUser, m_state.CurrentFolder,
                                          m_createFolders, &error);
    m_exchange.close();
    if (m_state.DownloadFolder.isEmpty()) {
        // No folder could be planned (a user name that would leave the download
        // folders, or no folder structure chosen): nothing is saved anywhere.
        m_log.AddEvent(QStringLiteral("Cannot save ") +
                           withoutControlCharacters(m_state.CurrentUser) + QStringLiteral("'s ") +
                           m_state.CurrentFolder + QStringLiteral(": ") + error,
                       LogRed);
        emit folderIncomplete();
        emit folderFinished();
        return;
    }
    if (!error.isEmpty()) {
        // Nothing of this folder can be saved; the job goes on with the next one.
        m_errors.RaiseError(QStringLiteral("Could not create the download folder for ") +
                            m_state.CurrentUser + QStringLiteral("'s ") + m_state.CurrentFolder +
                            QStringLiteral(": ") + error);
        emit queueGivenUp(m_state.QueueCount);
        emit folderFinished();
        return;
    }
    emit folderListed(m_state);
}
