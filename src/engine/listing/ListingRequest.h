#pragma once

#include <QString>

// The hand-written HTTP/1.1 request for one listing page. The user name and
// the cookie texts go in as they stand (no escaping, no trimming), less any
// control characters, which would break the request's lines.
struct ListingRequestFields
{
    QString folder;    // "gallery", "scraps" or "favorites"
    QString user;      // as listed (lower case for a Get, as stored for a Sync)
    int page = 1;      // 1 for the first page of a folder
    QString hostAlias; // the site's name sent in the Host header
    QString cookieB;   // value of the site's cookie "b"
    QString cookieA;   // value of the site's cookie "a"
};

// Every line ends with CR LF and an empty line ends the request; no body.
QString listingRequest(const ListingRequestFields &fields);
