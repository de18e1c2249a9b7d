#include "download/FileRequest.h"

#include "core/RequestText.h"

QString fileRequestPath(const QString &url, const QString &fileHost)
{
    return url.mid(7 + fileHost.size());
}

QString fileRequestText(const QString &filePath, const QString &fileHost)
{
    // A line break in the path would start a header line of its own.
    return QStringLiteral("GET ") + withoutControlCharacters(filePath) +
           QStringLiteral(" HTTP/1.0\r\n") + QStringLiteral("Host: ") +
           withoutControlCharacters(fileHost) + QStringLiteral("\r\n") +
           QStringLiteral("Connection: Keep-Alive\r\n\r\n");
}
