#include "SimUpdateHost.h"

#include <QHostAddress>

namespace {
constexpr qsizetype MaxRequestBytes = 64 * 1024;
}

SimUpdateHost::SimUpdateHost(QObject *parent) : QObject(parent)
{
    connect(&m_server, &SimListener::connectionReady, this, &SimUpdateHost::onNewConnection);
}

bool SimUpdateHost::listen(quint16 port)
{
    return m_server.listen(port);
}

quint16 SimUpdateHost::port() const
{
    return m_server.serverPort();
}

QByteArray SimUpdateHost::httpReply(const QByteArray &body)
{
    return QByteArrayLiteral("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: ") +
           QByteArray::number(body.size()) + QByteArrayLiteral("\r\nConnection: close\r\n\r\n") +
           body;
}

void SimUpdateHost::onNewConnection()
{
    while (QTcpSocket *client = m_server.nextPendingConnection()) {
        // One client at a time: a new one replaces the old.
        if (m_client)
            m_client->abort();
        m_client = client;
        m_request.clear();
        m_waiting.clear();
        m_sent = 0;
        connect(client, &QTcpSocket::readyRead, this, [this, client] { onReadyRead(client); });
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    }
}

void SimUpdateHost::onReadyRead(QTcpSocket *client)
{
    if (client != m_client)
        return;
    m_request += client->readAll();
    if (m_request.size() > MaxRequestBytes) {
        client->abort();
        return;
    }
    if (!m_request.contains("\r\n\r\n") || !m_waiting.isEmpty() || m_sent > 0)
        return;
    m_requests.append(m_request);
    emit requestReceived();
    m_waiting = m_pieces;
    if (m_waiting.isEmpty()) {
        client->disconnectFromHost();
        return;
    }
    if (m_paced) {
        sendNextPiece();
        return;
    }
    while (sendNextPiece()) {
    }
}

bool SimUpdateHost::sendNextPiece()
{
    if (!m_client || m_waiting.isEmpty())
        return false;
    m_client->write(m_waiting.takeFirst());
    m_client->flush();
    emit pieceSent(m_sent++);
    if (m_waiting.isEmpty())
        m_client->disconnectFromHost(); // after the written bytes have gone out
    return true;
}
