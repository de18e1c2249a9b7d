#include "HostOverrides.h"

#include <QStringList>

std::optional<HostOverrides> HostOverrides::parse(const QString &text, QString *error)
{
    HostOverrides overrides;
    for (const QString &entry : text.split(u',', Qt::SkipEmptyParts)) {
        const QString host = entry.section(u'=', 0, 0).trimmed().toLower();
        const QString target = entry.section(u'=', 1).trimmed();
        const int colon = target.lastIndexOf(u':');
        bool portOk = false;
        const uint port = colon > 0 ? target.mid(colon + 1).toUInt(&portOk) : 0;
        if (host.isEmpty() || !portOk || port == 0 || port > 65535) {
            *error = QStringLiteral("%1: \"%2\" is not host=address:port")
                         .arg(QString::fromLatin1(VariableName), entry);
            return std::nullopt;
        }
        overrides.m_endpoints.insert(host, Endpoint{target.left(colon), quint16(port)});
    }
    return overrides;
}

EndpointResolver HostOverrides::resolver() const
{
    return [endpoints = m_endpoints](const QString &host, quint16) {
        return endpoints.value(host.toLower(), Endpoint{QString(), 0});
    };
}
