#pragma once

#include <QString>

#include <functional>

// Where a host name is actually reached. Production passes the name through
// unchanged (the socket resolves it); tests and the demo map the site's host
// names onto loopback ports, so requests and Host headers stay as in production.
struct Endpoint
{
    QString address; // host name or address to connect to; empty: host not found
    quint16 port = 80;
};

using EndpointResolver = std::function<Endpoint(const QString &host, quint16 port)>;

inline Endpoint resolveUnchanged(const QString &host, quint16 port)
{
    return Endpoint{host, port};
}
