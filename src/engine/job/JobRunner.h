#pragma once

#include "platform/Shutdown.h"

#include <QObject>
#include <QString>

#include <cstdint>

class Downloader;
class EventLog;
class JobSettings;
class ListingClient;
class Prompts;
struct ListedFolder;

// The Get and Sync commands, and the one place that decides what a job does
// next: the listing client and the downloader only report what happened.
class JobRunner final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(JobRunner)

public:
    // The job's position: there is no job object, a job is these values,
    // advanced step by step by the reports of the listing and the downloader.
    struct JobPosition
    {
        QString CurrentUser;
        QString CurrentFolder;
        int16_t CurrentUserIndex = 0; // the Sync's slot in the user table
        bool Synching = false;
        bool DownloadErrors = false; // from the first error to the end of the job
    };

    JobRunner(JobSettings &settings, EventLog &log, Prompts &prompts, ListingClient &listing,
              Downloader &downloader, ShutdownRequest shutdown, bool dryRun = false,
              QObject *parent = nullptr);

    void Get();  // click of "Get"
    void Sync(); // click of "Sync all"
    void ProcessNextFolder();
    void ProcessNextUser();
    // A Get or Sync has started and not yet ended.
    bool isRunning() const { return m_running; }
    // Drops the running job at once, the file in progress with it.
    void stop();
    // The user stops the running job: as stop(), and the temporary file is
    // deleted, the display cleared, a red line logged and the job ended.
    // Nothing happens when no job runs.
    void stopByUser();
    const JobPosition &position() const { return m_state; }

signals:
    // The job came to its end: the Get's last folder, "Synching done.", or
    // the user's stop. withErrors: something of it was not downloaded.
    void jobEnded(bool withErrors);
    // A folder's listing starts.
    void folderStarted();
    // A listed user is passed over: the name cannot be used (logged).
    void userSkipped();

private:
    void onFolderListed(const ListedFolder &folder);
    void onQueueFinished(bool withErrors);
    void onUserMissing();
    void onPageGivenUp(int queued);
    // Starts the Sync user at CurrentUserIndex; false for an empty slot or a
    // name that cannot be used (logged).
    bool startUser();
    void startFolder(const QString &folder);
    // A dry run: each queued file is logged with where it would go, none is fetched.
    void logQueueWithoutFetching(const ListedFolder &folder);
    void endJob();

    JobPosition m_state;
    JobSettings &m_settings;
    EventLog &m_log;
    Prompts &m_prompts;
    ListingClient &m_listing;
    Downloader &m_downloader;
    ShutdownRequest m_shutdown;
    bool m_dryRun = false;
    bool m_running = false;
};
