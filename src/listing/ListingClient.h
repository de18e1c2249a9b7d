#pragma once

#include "app/AppEnvironment.h"

#include <QObject>
#include <QTimer>

class Downloader;
class ErrorReporter;
class EventLog;
class JobDisplay;
class JobRunner;
class JobSettings;
class TcpClientSocket;
struct JobState;

// Fetches the listing pages of the current folder over the listing socket,
// reads each complete page and fills the submission queue.
class ListingClient final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListingClient)

public:
    ListingClient(JobState &state, JobSettings &settings, JobDisplay &display, EventLog &log,
                  ErrorReporter &errors, TcpClientSocket &socket, const SiteConfig &site,
                  const Timeouts &timeouts, QObject *parent = nullptr);

    void setSteps(JobRunner *jobs, Downloader *downloader);

    void GetURLs();
    // Drops the connection and forgets the page in progress (a new job starts).
    void abort();

private:
    void onConnect();
    void onDataArrival();
    void onClose();
    void onError(int number);

    JobState &m_state;
    JobSettings &m_settings;
    JobDisplay &m_display;
    EventLog &m_log;
    ErrorReporter &m_errors;
    TcpClientSocket &m_socket;
    SiteConfig m_site;
    Timeouts m_timeouts;
    JobRunner *m_jobs = nullptr;
    Downloader *m_downloader = nullptr;
};
