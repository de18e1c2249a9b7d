#pragma once

#include "platform/Endpoint.h"

#include <QHash>
#include <QString>

#include <optional>

// VORPALINE_SYNC_HOSTS="host=address:port,..." sends the named hosts to other
// endpoints, so that the program can be tried and tested against a simulated
// site on loopback (vorpaline-demo --serve prints the line). While it is set,
// hosts it does not name are not found, so that such a run never reaches the
// network. Only this program reads it. Hosts are named without a scheme; one
// built as https:// is still reached over TLS and its certificate verified for
// that name, whatever address it is sent to.
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
