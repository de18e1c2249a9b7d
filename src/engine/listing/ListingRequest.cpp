#include "listing/ListingRequest.h"

#include "core/RequestText.h"

QString listingRequest(const ListingRequestFields &fields)
{
    const QString crlf = QStringLiteral("\r\n");
    // A line break in a field would start a header line of its own.
    const QString folder = withoutControlCharacters(fields.folder);
    const QString user = withoutControlCharacters(fields.user);
    const QString hostAlias = withoutControlCharacters(fields.hostAlias);
    const QString cookieB = withoutControlCharacters(fields.cookieB);
    const QString cookieA = withoutControlCharacters(fields.cookieA);
    // The header set is the site's usual browser request, kept byte for byte,
    // odd "Accept- Encoding" line included: the reply is read as plain text.
    return QStringLiteral("GET /") + folder + u'/' + user + u'/' + QString::number(fields.page) +
           QStringLiteral(" HTTP/1.1") + crlf + QStringLiteral("Host: ") + hostAlias + crlf +
           QStringLiteral(
               "User-Agent: Mozilla/5.0 (Windows NT 5.1; rv:6.0.1) Gecko/20100101 Firefox/6.0.1") +
           crlf +
           QStringLiteral(
               "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8") +
           crlf + QStringLiteral("Accept-Language: fr,fr-fr;q=0.8,en-us;q=0.5,en;q=0.3") + crlf +
           QStringLiteral("Accept- Encoding: gzip , deflate") + crlf +
           QStringLiteral("Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7") + crlf +
           QStringLiteral("Connection: keep-alive") + crlf + QStringLiteral("Cookie: b=") +
           cookieB + QStringLiteral("; a=") + cookieA + QStringLiteral("; folder=outbox") + crlf +
           crlf;
}
