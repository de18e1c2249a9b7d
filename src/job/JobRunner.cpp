#include "job/JobRunner.h"

// Placeholder: the job steps are being written.
JobRunner::JobRunner(JobState &state, JobSettings &settings, EventLog &log, Prompts &prompts,
                     ShutdownRequest shutdown, QObject *parent)
    : QObject(parent), m_state(state), m_settings(settings), m_log(log), m_prompts(prompts),
      m_shutdown(std::move(shutdown))
{
}
void JobRunner::setSteps(ListingClient *listing, Downloader *downloader)
{
    m_listing = listing;
    m_downloader = downloader;
}
void JobRunner::Get() {}
void JobRunner::Sync() {}
void JobRunner::ProcessNextFolder() {}
void JobRunner::ProcessNextUser() {}
void JobRunner::supersedeRunningJob() {}
void JobRunner::startFolder(const QString &) {}
