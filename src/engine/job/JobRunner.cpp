#include "job/JobRunner.h"

#include "core/FolderNames.h"
#include "core/JobSettings.h"
#include "core/ListedFolder.h"
#include "core/Prompts.h"
#include "core/RequestText.h"
#include "core/UserTable.h"
#include "download/Downloader.h"
#include "download/FileStore.h"
#include "listing/ListingClient.h"
#include "log/EventLog.h"
#include "log/LogColors.h"
#include "naming/FileNames.h"
#include "naming/UserNames.h"
#include "report/ReportTexts.h"

#include <QDir>

#include <algorithm>

using namespace FolderNames;

JobRunner::JobRunner(JobSettings &settings, EventLog &log, Prompts &prompts, ListingClient &listing,
                     Downloader &downloader, ShutdownRequest shutdown, bool dryRun, QObject *parent)
    : QObject(parent), m_settings(settings), m_log(log), m_prompts(prompts), m_listing(listing),
      m_downloader(downloader), m_shutdown(std::move(shutdown)), m_dryRun(dryRun)
{
    // Direct connections: each step runs inside the event that ended the last one,
    // in the same order as a call would.
    connect(&m_listing, &ListingClient::folderListed, this, &JobRunner::onFolderListed);
    connect(&m_listing, &ListingClient::folderFinished, this, &JobRunner::ProcessNextFolder);
    connect(&m_listing, &ListingClient::userMissing, this, &JobRunner::onUserMissing);
    connect(&m_listing, &ListingClient::pageGivenUp, this, &JobRunner::onPageGivenUp);
    connect(&m_listing, &ListingClient::folderIncomplete, this,
            [this] { m_state.DownloadErrors = true; });
    connect(&m_downloader, &Downloader::queueFinished, this, &JobRunner::onQueueFinished);
}

void JobRunner::Get()
{
    const QString user = m_settings.uniqueUserText();
    if (user.isEmpty()) {
        m_prompts.message(Prompts::Icon::Exclamation, ProductName,
                          QStringLiteral("Please enter an username."));
        return;
    }

    // The name becomes a folder and part of file names: refused before anything changes.
    const QString lowered = user.toLower();
    if (const QString problem = userNameProblem(lowered); !problem.isEmpty()) {
        m_prompts.message(Prompts::Icon::Exclamation, ProductName, problem);
        return;
    }

    // The variables below belong to the running job too: it cannot go on once they change.
    stop();
    m_state.CurrentUser = lowered;
    m_state.Synching = false;
    m_state.DownloadErrors = false;
    m_listing.forgetFolder();

    // Folders are always listed in the order gallery, scraps, favorites.
    QString first;
    if (m_settings.uniGetGallery())
        first = Gallery;
    else if (m_settings.uniGetScraps())
        first = Scraps;
    else if (m_settings.uniGetFavs())
        first = Favorites;
    if (first.isEmpty()) {
        m_prompts.message(Prompts::Icon::Exclamation, ProductName,
                          QStringLiteral("Please select which gallery to download."));
        return;
    }
    startFolder(first);
}

void JobRunner::Sync()
{
    const UserTable &table = m_settings.userTable();
    int16_t index = 0;
    while (index < MaxUsers && table.Users[size_t(index)].Name.isEmpty())
        ++index;
    if (table.Users[size_t(index)].Name.isEmpty())
        return;

    if (m_settings.shutdownTicked()) {
        const Prompts::Answer answer = m_prompts.message(
            Prompts::Icon::Exclamation, ProductName,
            QStringLiteral("Warning: Computer will shut down after synching is done.\r\n"
                           "Still want this ?"),
            true);
        if (answer == Prompts::Answer::No)
            m_settings.untickShutdown();
    }

    stop();
    m_state.Synching = true;
    m_state.DownloadErrors = false;
    m_log.clear();
    m_listing.forgetFolder();
    m_state.CurrentFolder = Gallery;
    m_state.CurrentUserIndex = index;
    if (!startUser())
        ProcessNextUser();
}

void JobRunner::onFolderListed(const ListedFolder &folder)
{
    if (m_dryRun)
        logQueueWithoutFetching(folder);
    else
        m_downloader.retrieveFolder(folder, m_state.DownloadErrors);
}

void JobRunner::onQueueFinished(bool withErrors)
{
    m_state.DownloadErrors = m_state.DownloadErrors || withErrors;
    ProcessNextFolder();
}

void JobRunner::ProcessNextFolder()
{
    m_listing.forgetFolder();

    if (m_state.Synching) {
        m_downloader.abort();
        // The user's flags are read now, not when the Sync began.
        const size_t slot = size_t(std::clamp<int>(m_state.CurrentUserIndex, 0, UserSlots - 1));
        const UserEntry &user = m_settings.userTable().Users[slot];
        if (m_state.CurrentFolder == Gallery && user.Scraps) {
            startFolder(Scraps);
            return;
        }
        if (m_state.CurrentFolder != Favorites && user.Favs) {
            startFolder(Favorites);
            return;
        }
        m_state.CurrentFolder = Gallery;
        ProcessNextUser();
        return;
    }

    // A Get reads its boxes when the step is taken.
    if (m_settings.uniGetScraps() && m_state.CurrentFolder == Gallery) {
        startFolder(Scraps);
        return;
    }
    if (m_settings.uniGetFavs() && m_state.CurrentFolder != Favorites) {
        startFolder(Favorites);
        return;
    }
    // The Get is over; its last line is the folder's own summary.
    endJob();
}

void JobRunner::onUserMissing()
{
    // A Get ends with the missing user; a Sync goes on with the next one, and
    // nothing its listing queued for the missing user goes with it.
    if (!m_state.Synching) {
        endJob();
        return;
    }
    m_listing.forgetFolder();
    m_state.CurrentFolder = Gallery;
    ProcessNextUser();
}

void JobRunner::onPageGivenUp(int queued)
{
    // One lost page ends its folder, not the job. What the folder's earlier
    // pages found is still fetched; otherwise the next folder or user starts.
    if (queued > 0)
        m_listing.endListingEarly();
    else
        ProcessNextFolder();
}

void JobRunner::ProcessNextUser()
{
    for (;;) {
        ++m_state.CurrentUserIndex;
        if (m_state.CurrentUserIndex >= MaxUsers) {
            m_log.AddEvent(QStringLiteral("Synching done."), LogGreen);
            if (m_settings.shutdownTicked()) {
                m_log.AddEvent(QStringLiteral("Everything is going down !"), LogBlack);
                if (m_shutdown)
                    m_shutdown();
            }
            endJob();
            return;
        }
        if (startUser())
            return;
    }
}

bool JobRunner::startUser()
{
    const UserEntry &user = m_settings.userTable().Users[size_t(m_state.CurrentUserIndex)];
    if (user.Name.isEmpty())
        return false;
    // A name from an old or edited settings file could lead files out of the
    // download folders: that user is left out, the others go on.
    if (const QString problem = userNameProblem(user.Name); !problem.isEmpty()) {
        m_log.AddEvent(QStringLiteral("Skipping user \"") + withoutControlCharacters(user.Name) +
                           QStringLiteral("\": ") + problem,
                       LogRed);
        m_state.DownloadErrors = true;
        emit userSkipped();
        return false;
    }
    m_state.CurrentUser = user.Name;
    startFolder(Gallery);
    return true;
}

void JobRunner::stop()
{
    // Nothing of the job may run any more: a new one starts, or the run ends.
    m_listing.abort();
    m_downloader.abort();
    m_running = false;
}

void JobRunner::stopByUser()
{
    if (!m_running)
        return;
    stop();
    m_downloader.discard();
    m_log.AddEvent(QStringLiteral("Job stopped by the user."), LogRed);
    endJob();
}

void JobRunner::endJob()
{
    m_running = false;
    emit jobEnded(m_state.DownloadErrors);
}

void JobRunner::startFolder(const QString &folder)
{
    m_running = true;
    m_state.CurrentFolder = folder;
    m_log.AddEvent(QStringLiteral("Listing ") + m_state.CurrentUser + QStringLiteral("'s ") +
                       folder + QStringLiteral("..."),
                   LogBlack);
    emit folderStarted();
    // Each folder starts with nothing listed: no earlier queue goes with it.
    ListedFolder listed;
    listed.CurrentUser = m_state.CurrentUser;
    listed.CurrentFolder = folder;
    m_listing.listFolder(listed);
}

void JobRunner::logQueueWithoutFetching(const ListedFolder &folder)
{
    const int count = std::min<int>(folder.QueueCount, int(folder.SubmissionQueue.size()));
    for (int index = 0; index < count; ++index) {
        const QueuedSubmission &entry = folder.SubmissionQueue[index];
        const QString name =
            MakeFileName(entry.Url, entry.Title, m_settings.nameMode(), folder.CurrentUser);
        m_log.AddEvent(
            QStringLiteral("Would retrieve %1 (%2/%3) as %4")
                .arg(FName(entry.Url))
                .arg(index + 1)
                .arg(count)
                .arg(QDir::toNativeSeparators(storedFilePath(folder.DownloadFolder, name))),
            LogBlack);
    }
    ProcessNextFolder();
}
