#pragma once

#include "core/AppEnvironment.h"
#include "platform/TlsTrust.h"

#include <QObject>

#include <memory>

class DownloadArchive;
class Downloader;
class ErrorReporter;
class EventLog;
class JobDisplay;
class JobRunner;
class JobSettings;
class ListingClient;
class TcpClientSocket;
class UpdateChecker;

// The engine of one program run: the three connections, the log and the
// parts that run jobs on them, wired once. It needs no window:
// the settings it reads and the display it writes come through two
// interfaces, and every question goes through the prompts.
class Session final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Session)

public:
    Session(const AppEnvironment &environment, JobSettings &settings, JobDisplay &display,
            QObject *parent = nullptr);
    ~Session() override;

    void Get();
    void Sync();
    bool isJobRunning() const;
    // Drops the running job at once, the file in progress with it.
    void stopJob();
    // The user's stop: the job ends with a red line, the file in progress deleted.
    void stopJobByUser();
    QString temporaryFilePath() const;
    // Logs "Checking for update..." and asks the update host.
    void checkForUpdate();
    // The delay or the no-wait mode changed: a running pause looks again.
    void pauseSettingsChanged();
    // Closes and deletes the temporary file if a transfer left it open (the
    // program is closing); with resuming on, a part is kept instead.
    void closeOpenFiles();
    // The temporary file is the part of a cut file, kept to be resumed.
    bool holdsKeptPart() const;
    // Files found on disk are still being read for the archive; a run that
    // ends waits for archiveReadingDone, one that is stopped drops them.
    bool archiveReading() const;
    void dropArchiveReading();

    EventLog &log() { return *m_log; }
    ErrorReporter &errors() { return *m_errors; }

signals:
    // The running Get or Sync came to its end; withErrors: something of it
    // was not downloaded.
    void jobEnded(bool withErrors);
    // The site does not know the user being listed.
    void userMissing();
    // What a run's summary counts, as it happens: a folder's listing starts, a
    // file is stored, a file is found already on disk, and things that failed
    // (files given up or left without a folder, pages or entries not listed,
    // listed names passed over).
    void folderStarted();
    void fileStored(qint64 bytes);
    void alreadyOnDisk();
    void failed(int count);
    void archiveReadingDone();

private:
    std::unique_ptr<TcpClientSocket> makeSocket(const QString &name);
    // The archive is opened with the first job that runs, so that a line about
    // a damaged one shows in that job's log, and read again at each job.
    void openArchive();

    AppEnvironment m_env;
    // Read once for the three connections: the system's authorities take a
    // noticeable moment to read.
    TlsTrust m_trust;
    std::unique_ptr<EventLog> m_log;
    std::unique_ptr<ErrorReporter> m_errors;
    std::unique_ptr<TcpClientSocket> m_listSocket;
    std::unique_ptr<TcpClientSocket> m_dlSocket;
    std::unique_ptr<TcpClientSocket> m_updateSocket;
    std::unique_ptr<ListingClient> m_listing;
    std::unique_ptr<Downloader> m_downloader;
    std::unique_ptr<JobRunner> m_jobs;
    std::unique_ptr<UpdateChecker> m_update;
    std::unique_ptr<DownloadArchive> m_archive;
};
