#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// How one of the site's hosts is reached: plain HTTP, or HTTP inside a
// verified TLS connection.
struct Transport
{
    quint16 port = 80;
    bool tls = false;
};

// A host as the build names it: "host" (plain, port 80), "http://host[:port]"
// or "https://host[:port]" (port 443 unless given). The name alone is what
// requests carry in their Host header and what a certificate must be made for.
struct HostAddress
{
    QString host;
    Transport transport;
};

// Empty when the text is none of the three forms: an empty host, a path, a
// user part, a port outside 1 to 65535, a blank or a control character.
std::optional<HostAddress> parseHostAddress(QStringView text);

// A name under ".invalid", which never resolves (RFC 2606): the placeholder a
// build keeps until it is given a real host.
bool isPlaceholderHost(const QString &host);
