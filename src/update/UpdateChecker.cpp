#include "update/UpdateChecker.h"

// Placeholder: the update check is being written.
UpdateChecker::UpdateChecker(EventLog &log, ErrorReporter &errors, TcpClientSocket &socket,
                             const SiteConfig &site, QObject *parent)
    : QObject(parent), m_log(log), m_errors(errors), m_socket(socket), m_site(site)
{
}
void UpdateChecker::UpdCheck() {}
