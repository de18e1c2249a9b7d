#pragma once

#include "platform/Shutdown.h"

#include <QObject>

class Downloader;
class EventLog;
class JobSettings;
class ListingClient;
class Prompts;
class QWidget;
struct JobState;

// The Get and Sync commands and the steps that move a job from folder to
// folder and from user to user.
class JobRunner final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(JobRunner)

public:
    JobRunner(JobState &state, JobSettings &settings, EventLog &log, Prompts &prompts,
              ShutdownRequest shutdown, QObject *parent = nullptr);

    void setSteps(ListingClient *listing, Downloader *downloader);
    void setOwner(QWidget *owner) { m_owner = owner; }

    void Get();  // click of "Get"
    void Sync(); // click of "Sync all"
    void ProcessNextFolder();
    void ProcessNextUser();

private:
    void supersedeRunningJob();
    void startFolder(const QString &folder);

    JobState &m_state;
    JobSettings &m_settings;
    EventLog &m_log;
    Prompts &m_prompts;
    ShutdownRequest m_shutdown;
    ListingClient *m_listing = nullptr;
    Downloader *m_downloader = nullptr;
    QWidget *m_owner = nullptr;
};
