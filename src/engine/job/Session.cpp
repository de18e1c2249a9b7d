#include "job/Session.h"

#include "archive/DownloadArchive.h"
#include "core/JobContext.h"
#include "core/JobSettings.h"
#include "download/Downloader.h"
#include "job/JobRunner.h"
#include "listing/ListingClient.h"
#include "log/EventLog.h"
#include "log/LogColors.h"
#include "platform/TcpClientSocket.h"
#include "report/ErrorReporter.h"
#include "update/UpdateChecker.h"

#include <QDir>

Session::Session(const AppEnvironment &environment, JobSettings &settings, JobDisplay &display,
                 QObject *parent)
    : QObject(parent), m_env(environment), m_log(std::make_unique<EventLog>())
{
    Q_ASSERT(m_env.prompts);
    m_trust.setWarningHandler([this](const QString &line) { m_log->AddEvent(line, LogRed); });
    m_errors = std::make_unique<ErrorReporter>(*m_env.prompts, m_env.site.supportAddress);
    m_listSocket = makeSocket(QStringLiteral("ListSocket"));
    m_dlSocket = makeSocket(QStringLiteral("DLSocket"));
    m_updateSocket = makeSocket(QStringLiteral("UpdateSocket"));

    const JobContext context{settings, display, *m_log, *m_errors};
    const QString temporaryFolder = m_env.fileFolders().temporary;
    m_listing = std::make_unique<ListingClient>(context, *m_listSocket, m_env.site, m_env.timeouts,
                                                temporaryFolder, !m_env.dryRun);
    m_downloader = std::make_unique<Downloader>(context, *m_dlSocket, m_env.site, m_env.timeouts,
                                                temporaryFolder);
    m_jobs = std::make_unique<JobRunner>(settings, *m_log, *m_env.prompts, *m_listing,
                                         *m_downloader, m_env.shutdown, m_env.dryRun);
    // A job that ended or was stopped leaves no caption of its own behind
    // ("Listing files...", the last speed).
    connect(m_jobs.get(), &JobRunner::jobEnded, this, [&display] {
        display.setStatusCaption(QString());
        display.setSpeedCaption(QString());
    });
    connect(m_jobs.get(), &JobRunner::jobEnded, this, &Session::jobEnded);
    connect(m_listing.get(), &ListingClient::userMissing, this, &Session::userMissing);
    connect(m_jobs.get(), &JobRunner::folderStarted, this, &Session::folderStarted);
    connect(m_downloader.get(), &Downloader::fileStored, this,
            [this](const ArchiveRow &row) { emit fileStored(row.size); });
    connect(m_listing.get(), &ListingClient::alreadyOnDisk, this, &Session::alreadyOnDisk);
    connect(m_downloader.get(), &Downloader::filesGivenUp, this, &Session::failed);
    connect(m_listing.get(), &ListingClient::queueGivenUp, this, &Session::failed);
    connect(m_listing.get(), &ListingClient::folderIncomplete, this, [this] { emit failed(1); });
    connect(m_jobs.get(), &JobRunner::userSkipped, this, [this] { emit failed(1); });
    // Every stored file is recorded, and so is a file found on disk that the
    // archive does not know yet; a dry run records nothing.
    m_archive = std::make_unique<DownloadArchive>(
        QDir(m_env.fileFolders().settings).filePath(ArchiveFileName));
    m_listing->setArchiveLookup(
        [archive = m_archive.get()](qint64 number) { return archive->contains(number); });
    if (!m_env.dryRun) {
        connect(m_downloader.get(), &Downloader::fileStored, m_archive.get(),
                &DownloadArchive::record);
        connect(m_listing.get(), &ListingClient::existingFileFound, m_archive.get(),
                &DownloadArchive::recordExisting);
        connect(m_archive.get(), &DownloadArchive::readingDone, this, &Session::archiveReadingDone);
    }
    m_update = std::make_unique<UpdateChecker>(*m_log, *m_errors, *m_updateSocket, m_env.site);

    // A report tells where the job stands at that moment, as each part knows it.
    m_errors->setContextSource([this] {
        const JobRunner::JobPosition &position = m_jobs->position();
        return ReportContext{position.CurrentUser, position.CurrentFolder, m_listing->pageNumber(),
                             m_downloader->fileName(), position.Synching};
    });
}

Session::~Session()
{
    // The connections go first so that no event reaches a part being destroyed.
    m_listSocket->close();
    m_dlSocket->close();
    m_updateSocket->close();
}

std::unique_ptr<TcpClientSocket> Session::makeSocket(const QString &name)
{
    auto socket = std::make_unique<TcpClientSocket>(m_env.resolver);
    socket->setObjectName(name);
    socket->setTlsTrust(m_trust);
    socket->setConnectTimeout(m_env.timeouts.connectMs);
    return socket;
}

void Session::Get()
{
    m_jobs->Get();
    openArchive();
}

void Session::Sync()
{
    m_jobs->Sync();
    openArchive();
}

void Session::openArchive()
{
    if (!m_jobs->isRunning())
        return;
    QString notice;
    m_archive->open(
        m_env.dryRun ? DownloadArchive::Mode::ReadOnly : DownloadArchive::Mode::ReadWrite, &notice);
    if (!notice.isEmpty())
        m_log->AddEvent(notice, LogRed);
}

bool Session::isJobRunning() const
{
    return m_jobs->isRunning();
}

void Session::stopJob()
{
    m_jobs->stop();
}

void Session::stopJobByUser()
{
    m_jobs->stopByUser();
}

QString Session::temporaryFilePath() const
{
    return m_downloader->temporaryFilePath();
}

void Session::checkForUpdate()
{
    m_update->UpdCheck();
}

void Session::pauseSettingsChanged()
{
    m_downloader->pauseSettingsChanged();
}

void Session::closeOpenFiles()
{
    m_downloader->closeOpenFiles();
}

bool Session::archiveReading() const
{
    return m_archive->isReading();
}

void Session::dropArchiveReading()
{
    m_archive->dropWaiting();
}

bool Session::holdsKeptPart() const
{
    return m_downloader->holdsKeptPart();
}
