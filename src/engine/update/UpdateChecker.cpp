#include "update/UpdateChecker.h"

#include "log/EventLog.h"
#include "log/LogColors.h"
#include "platform/TcpClientSocket.h"
#include "report/ErrorReporter.h"
#include "update/UpdateVerdict.h"

UpdateChecker::UpdateChecker(EventLog &log, ErrorReporter &errors, TcpClientSocket &socket,
                             const SiteConfig &site, QObject *parent)
    : QObject(parent), m_log(log), m_errors(errors), m_socket(socket), m_site(site)
{
    connect(&m_socket, &TcpClientSocket::connected, this, &UpdateChecker::onConnected);
    connect(&m_socket, &TcpClientSocket::dataArrived, this, &UpdateChecker::onDataArrived);
    connect(&m_socket, &TcpClientSocket::errorOccurred, this, &UpdateChecker::onError);
    connect(&m_socket, &TcpClientSocket::handshakeFailed, this, &UpdateChecker::onHandshakeFailed);
    // The server closing the connection ends nothing: there is no close handler.
}

void UpdateChecker::UpdCheck()
{
    m_log.AddEvent(QStringLiteral("Checking for update..."), LogBlack);
    m_socket.reconnect(m_site.updateHost, m_site.updateTransport);
}

void UpdateChecker::onConnected()
{
    m_socket.sendData(UpdateVerdict::requestText(m_site.updateHost));
}

void UpdateChecker::onDataArrived()
{
    // Only this event's text is judged; earlier pieces are not kept.
    const UpdateVerdict::Verdict verdict =
        UpdateVerdict::judgePiece(m_socket.getData(), m_site.webHost);
    m_log.AddEvent(verdict.logText, verdict.color);
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

void UpdateChecker::onHandshakeFailed(const QString &line)
{
    // The host is not the one it claims to be: nothing to report but the line.
    m_log.AddEvent(line, LogRed);
}
