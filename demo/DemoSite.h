#pragma once

#include "GalleryContent.h"
#include "GalleryFileHost.h"
#include "GalleryPageHost.h"
#include "SimUpdateHost.h"
#include "core/SiteConfig.h"
#include "platform/Endpoint.h"

#include <QString>

// The demo gallery running in this process: the page, file and update hosts
// on loopback, and the resolver that sends the site's host names to them.
class DemoSite final
{
    Q_DISABLE_COPY_MOVE(DemoSite)

public:
    // The site answers to the demo's own host names, or to the given ones.
    DemoSite();
    explicit DemoSite(const SiteConfig &site);

    // Starts the three hosts; false (with the reason) when one cannot listen.
    bool start(QString *error);

    const SiteConfig &site() const { return m_site; }
    EndpointResolver resolver() const;
    // The line that sends vorpaline-sync's page and file hosts here.
    QString hostsVariableLine() const;

private:
    SiteConfig m_site;
    GalleryContent m_content; // the hosts read it: declared before them
    GalleryPageHost m_pageHost;
    GalleryFileHost m_fileHost;
    SimUpdateHost m_updateHost;
};
