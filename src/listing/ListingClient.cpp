#include "listing/ListingClient.h"

// Placeholder: the listing side is being written.
ListingClient::ListingClient(JobState &state, JobSettings &settings, JobDisplay &display,
                             EventLog &log, ErrorReporter &errors, TcpClientSocket &socket,
                             const SiteConfig &site, const Timeouts &timeouts, QObject *parent)
    : QObject(parent), m_state(state), m_settings(settings), m_display(display), m_log(log),
      m_errors(errors), m_socket(socket), m_site(site), m_timeouts(timeouts)
{
}
void ListingClient::setSteps(JobRunner *jobs, Downloader *downloader)
{
    m_jobs = jobs;
    m_downloader = downloader;
}
void ListingClient::GetURLs() {}
void ListingClient::abort() {}
void ListingClient::onConnect() {}
void ListingClient::onDataArrival() {}
void ListingClient::onClose() {}
void ListingClient::onError(int) {}
