#include "DemoSite.h"

#include "DemoGallery.h"

DemoSite::DemoSite() : DemoSite(DemoGallery::site()) {}

DemoSite::DemoSite(const SiteConfig &site)
    : m_site(site), m_content(DemoGallery::content()), m_pageHost(m_content, m_site.fileHost),
      m_fileHost(m_content)
{
}

bool DemoSite::start(QString *error)
{
    const struct
    {
        const char *what;
        bool listening;
    } hosts[] = {{"page host", m_pageHost.listen()},
                 {"file host", m_fileHost.listen()},
                 {"update host", m_updateHost.listen()}};
    for (const auto &host : hosts) {
        if (!host.listening) {
            if (error)
                *error = QStringLiteral("the demo's %1 cannot listen on 127.0.0.1")
                             .arg(QLatin1String(host.what));
            return false;
        }
    }
    return true;
}

EndpointResolver DemoSite::resolver() const
{
    const QString pageHost = m_site.pageHost;
    const QString fileHost = m_site.fileHost;
    const QString updateHost = m_site.updateHost;
    const quint16 pagePort = m_pageHost.port();
    const quint16 filePort = m_fileHost.port();
    const quint16 updatePort = m_updateHost.port();
    return [=](const QString &host, quint16) {
        const QString loopback = QStringLiteral("127.0.0.1");
        if (host == pageHost)
            return Endpoint{loopback, pagePort};
        if (host == fileHost)
            return Endpoint{loopback, filePort};
        if (host == updateHost)
            return Endpoint{loopback, updatePort};
        return Endpoint{QString(), 0}; // any other name: host not found
    };
}

QString DemoSite::hostsVariableLine() const
{
    return QStringLiteral("export VORPALINE_SYNC_HOSTS=%1=127.0.0.1:%2,%3=127.0.0.1:%4")
        .arg(m_site.pageHost)
        .arg(m_pageHost.port())
        .arg(m_site.fileHost)
        .arg(m_fileHost.port());
}
