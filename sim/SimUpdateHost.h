#pragma once

#include "SimListener.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>

// A loopback stand-in for the update server: answers each request with the
// configured reply pieces and then closes. With pacing on, only the first piece
// goes out at once and every further one waits for sendNextPiece(), so that a
// client sees each piece as its own arrival.
class SimUpdateHost final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SimUpdateHost)

public:
    explicit SimUpdateHost(QObject *parent = nullptr);

    bool listen(quint16 port = 0); // on 127.0.0.1; 0 picks a free port
    // Serves over TLS with this configuration; before listen().
    void serveTls(const QSslConfiguration &configuration) { m_server.setTls(configuration); }
    quint16 port() const;

    // A plain reply: an HTTP/1.1 200 header and the body.
    static QByteArray httpReply(const QByteArray &body);

    void setReply(const QList<QByteArray> &pieces) { m_pieces = pieces; }
    void setPaced(bool paced) { m_paced = paced; }
    // Sends the next waiting piece of the current connection; false when none is left.
    bool sendNextPiece();

    QList<QByteArray> requests() const { return m_requests; }

signals:
    void requestReceived();
    void pieceSent(int index);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *client);

    SimListener m_server;
    QList<QByteArray> m_pieces{httpReply("138")};
    bool m_paced = false;
    QList<QByteArray> m_requests;
    QPointer<QTcpSocket> m_client;
    QByteArray m_request;
    QList<QByteArray> m_waiting;
    int m_sent = 0;
};
