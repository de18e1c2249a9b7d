#pragma once

#include "core/SiteConfig.h"

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
    void onDataArrived();
    void onError(int number);
    void onHandshakeFailed(const QString &line);

    EventLog &m_log;
    ErrorReporter &m_errors;
    TcpClientSocket &m_socket;
    SiteConfig m_site;
};
