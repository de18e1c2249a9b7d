#include "update/UpdateVerdict.h"

#include "log/LogColors.h"
#include "platform/TcpClientSocket.h"

namespace UpdateVerdict {

QString requestText(const QString &updateHost)
{
    return QStringLiteral("GET ") + RequestPath + QStringLiteral(" HTTP/1.0\r\nHost: ") +
           updateHost + QStringLiteral("\r\n\r\n");
}

Verdict judgePiece(const QString &piece, const QString &webHost)
{
    Verdict verdict;
    verdict.version = piece.right(3);
    // Code by code, a prefix sorting first: a reply that does not end in three
    // digits is still judged this way.
    verdict.newer = QString::compare(verdict.version, OwnVersion, Qt::CaseSensitive) > 0;
    if (verdict.newer) {
        verdict.logText = QStringLiteral("New version: V.") + verdict.version +
                          QStringLiteral(", go to ") + webHost + QStringLiteral("/?a=vorpl") +
                          QStringLiteral(" to download it.");
        verdict.color = LogRed;
    } else {
        verdict.logText = QStringLiteral("No updates.");
        verdict.color = LogGreen;
    }
    return verdict;
}

QString errorLogText(int number)
{
    if (number == SocketError::HostNotFound || number == SocketError::TimedOut)
        return QStringLiteral("Could not check for updates");
    return QString();
}

QString errorReportText(int number)
{
    return QStringLiteral("Error ") + QString::number(number) + QStringLiteral(" raised by sock3.");
}

} // namespace UpdateVerdict
