#pragma once

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

    static SiteConfig builtIn();
};
