#include "update/UpdateChecker.h"

#include "log/EventLog.h"
#include "log/LogColors.h"
#include "report/ErrorReporter.h"
#include "update/UpdateVerdict.h"

UpdateChecker::UpdateChecker(EventLog &log, ErrorReporter &errors, TcpClientSocket &socket,
                             const SiteConfig &site, QObject *parent)
    : QObject(parent), m_log(log), m_errors(errors), m_exchange(socket, 0, 0), m_site(site)
{
    connect(&m_exchange, &HttpExchange::connected, this, &UpdateChecker::onConnected);
    connect(&m_exchange, &HttpExchange::pieceArrived, this, &UpdateChecker::onPieceArrived);
    connect(&m_exchange, &HttpExchange::failed, this, &UpdateChecker::onFailed);
}

void UpdateChecker::UpdCheck()
{
    m_log.AddEvent(QStringLiteral("Checking for update..."), LogBlack);
    m_exchange.open(m_site.updateHost, m_site.updateTransport);
}

void UpdateChecker::onConnected()
{
    // No time limit and no reading of the reply's parts: each piece is judged as it comes.
    m_exchange.send(UpdateVerdict::requestText(m_site.updateHost), {-1, 0, false});
}

void UpdateChecker::onPieceArrived(const QByteArray &piece)
{
    // Only this event's text is judged; earlier pieces are not kept.
    const UpdateVerdict::Verdict verdict =
        UpdateVerdict::judgePiece(QString::fromLatin1(piece), m_site.webHost);
    m_log.AddEvent(verdict.logText, verdict.color);
}

void UpdateChecker::onFailed(const HttpFailure &failure)
{
    switch (failure.reason) {
    case HttpFailure::Reason::SocketError:
        onError(failure.number);
        return;
    case HttpFailure::Reason::Unverified:
        // The host is not the one it claims to be: nothing to report but the line.
        m_log.AddEvent(failure.description, LogRed);
        return;
    default:
        // The server closing the connection ends nothing.
        return;
    }
}

void UpdateChecker::onError(int number)
{
    const QString line = UpdateVerdict::errorLogText(number);
    if (!line.isEmpty()) {
        m_log.AddEvent(line, LogRed);
        return;
    }
    m_errors.RaiseError(UpdateVerdict::errorReportText(number));
}
