#pragma once

#include <QObject>
#include <QSslConfiguration>
#include <QTcpServer>

#include <memory>

class QTcpSocket;

// Where a simulated host listens on 127.0.0.1: plain TCP, or TLS once given a
// server configuration (a QSslServer; its connections come out with the
// handshake done, so a client that refuses the certificate never shows up).
class SimListener final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SimListener)

public:
    explicit SimListener(QObject *parent = nullptr);

    // From now on connections are TLS with this configuration; before listen().
    void setTls(const QSslConfiguration &configuration);
    bool isTls() const { return m_tls; }

    bool listen(quint16 port); // 0 picks a free port
    void close();
    bool isListening() const { return m_server->isListening(); }
    quint16 serverPort() const { return m_server->serverPort(); }
    QTcpSocket *nextPendingConnection() { return m_server->nextPendingConnection(); }

    // A server's side of TLS from PEM files: its certificate (chain) and key.
    static QSslConfiguration tlsFromFiles(const QString &certificateFile, const QString &keyFile);
    // What a socket has not sent yet, the encrypted bytes of a TLS one included.
    static qint64 unsentBytes(const QTcpSocket &socket);

signals:
    void connectionReady();

private:
    void adopt(std::unique_ptr<QTcpServer> server);

    std::unique_ptr<QTcpServer> m_server;
    bool m_tls = false;
};
