#pragma once

#include "app/AppEnvironment.h"

#include <QObject>

class ErrorReporter;
class EventLog;
class JobDisplay;
class JobRunner;
class JobSettings;
class TcpClientSocket;
struct JobState;

// Hands the queued submissions out one at a time with the pause between
// files, fetches each into the temporary file and stores it under its name.
class Downloader final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Downloader)

public:
    Downloader(JobState &state, JobSettings &settings, JobDisplay &display, EventLog &log,
               ErrorReporter &errors, TcpClientSocket &socket, const SiteConfig &site,
               const Timeouts &timeouts, const QString &programFolder, QObject *parent = nullptr);

    void setSteps(JobRunner *jobs);

    void Retrieve();
    void TerminateFile();
    // Stops the transfer and the pause and closes the temporary file (a new job starts).
    void abort();
    // Closes the temporary file if it is open (the window is closing).
    void closeOpenFiles();
    // The delay or the no-wait mode changed: a running pause looks again at once.
    void pauseSettingsChanged();

    QString temporaryFilePath() const;

private:
    JobState &m_state;
    JobSettings &m_settings;
    JobDisplay &m_display;
    EventLog &m_log;
    ErrorReporter &m_errors;
    TcpClientSocket &m_socket;
    SiteConfig m_site;
    Timeouts m_timeouts;
    QString m_programFolder;
    JobRunner *m_jobs = nullptr;
};
