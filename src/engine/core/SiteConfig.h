#pragma once

#include "platform/HostAddress.h"

#include <QString>

// The site's host names and the maker's addresses.
struct SiteConfig
{
    QString pageHost;       // connected to for listing pages
    QString pageHostAlias;  // sent in the Host header of listing requests
    QString fileHost;       // serves submission files; also searched for in pages
    QString updateHost;     // answers the version check
    QString webHost;        // the maker's web page
    QString supportAddress; // shown in the error report

    // How the three hosts above are reached; plain HTTP on port 80 unless the
    // build names a host with "http://" or "https://".
    Transport pageTransport{};
    Transport fileTransport{};
    Transport updateTransport{};

    static SiteConfig builtIn();
};
