#pragma once

#include "platform/Endpoint.h"

#include <QHash>
#include <QString>

#include <optional>

// Test seam: VORPALINE_SYNC_HOSTS="host=address:port,..." sends the named hosts
// to other endpoints, so that tests can run the program against a simulated
// site on loopback. While it is set, hosts it does not name are not found, so
// that a test never reaches the network. Only this program reads it, and
// --help does not mention it. Hosts are named without a scheme; one built as
// https:// is still reached over TLS and its certificate verified for that
// name, whatever address it is sent to.
class HostOverrides final
{
public:
    static constexpr const char *VariableName = "VORPALINE_SYNC_HOSTS";

    // Empty when the text is not of the form above; error says why.
    static std::optional<HostOverrides> parse(const QString &text, QString *error);

    EndpointResolver resolver() const;

private:
    QHash<QString, Endpoint> m_endpoints;
};
