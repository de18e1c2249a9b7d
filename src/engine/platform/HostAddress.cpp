#include "platform/HostAddress.h"

namespace {

bool usableHostName(QStringView name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (c.unicode() <= 32 || c.unicode() == 127 || c == u'/' || c == u'\\' || c == u'@' ||
            c == u':' || c == u'?' || c == u'#' || c == u'[' || c == u']')
            return false;
    }
    return true;
}

} // namespace

std::optional<HostAddress> parseHostAddress(QStringView text)
{
    HostAddress address;
    QStringView rest = text;
    bool schemeGiven = false;
    if (rest.startsWith(u"https://", Qt::CaseInsensitive)) {
        address.transport = Transport{443, true};
        rest = rest.sliced(8);
        schemeGiven = true;
    } else if (rest.startsWith(u"http://", Qt::CaseInsensitive)) {
        rest = rest.sliced(7);
        schemeGiven = true;
    }
    const qsizetype colon = rest.indexOf(u':');
    if (colon >= 0) {
        // A port only after a scheme: "host:8080" alone says nothing of the protocol.
        const QStringView digits = rest.sliced(colon + 1);
        bool ok = !digits.isEmpty() && digits.size() <= 5;
        for (const QChar c : digits)
            ok = ok && c >= u'0' && c <= u'9';
        const uint port = ok ? digits.toUInt() : 0;
        if (!schemeGiven || port == 0 || port > 65535)
            return std::nullopt;
        address.transport.port = quint16(port);
        rest = rest.first(colon);
    }
    if (!usableHostName(rest))
        return std::nullopt;
    address.host = rest.toString();
    return address;
}

bool isPlaceholderHost(const QString &host)
{
    QString name = host.toLower();
    if (name.endsWith(u'.'))
        name.chop(1);
    return name == QStringLiteral("invalid") || name.endsWith(QStringLiteral(".invalid"));
}
