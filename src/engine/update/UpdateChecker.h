#pragma once

#include "core/SiteConfig.h"
#include "http/HttpExchange.h"

#include <QObject>

class ErrorReporter;
class EventLog;
class TcpClientSocket;

// Asks the update server for the latest version once per start.
class UpdateChecker final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UpdateChecker)

public:
    UpdateChecker(EventLog &log, ErrorReporter &errors, TcpClientSocket &socket,
                  const SiteConfig &site, QObject *parent = nullptr);

    // Logs "Checking for update..." and connects; each received piece logs one verdict.
    void UpdCheck();

private:
    void onConnected();
    void onPieceArrived(const QByteArray &piece);
    void onFailed(const HttpFailure &failure);
    void onError(int number);

    EventLog &m_log;
    ErrorReporter &m_errors;
    HttpExchange m_exchange;
    SiteConfig m_site;
};
