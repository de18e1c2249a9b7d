#include "download/FileRequest.h"

QString fileRequestPath(const QString &url, const QString &fileHost)
{
    return url.mid(7 + fileHost.size());
}

QString fileRequestText(const QString &filePath, const QString &fileHost)
{
    return QStringLiteral("GET ") + filePath + QStringLiteral(" HTTP/1.0\r\n") +
           QStringLiteral("Host: ") + fileHost + QStringLiteral("\r\n") +
           QStringLiteral("Connection: Keep-Alive\r\n\r\n");
}
