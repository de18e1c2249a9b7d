#pragma once

#include "platform/Endpoint.h"
#include "platform/HostAddress.h"
#include "platform/TlsTrust.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSslError>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <cstdint>

// Winsock error numbers, as the handlers and the error texts report them.
namespace SocketError {
inline constexpr int16_t AccessDenied = 10013;
inline constexpr int16_t MessageTooLong = 10040;
inline constexpr int16_t NotSupported = 10045;
inline constexpr int16_t AddressInUse = 10048;
inline constexpr int16_t AddressNotAvailable = 10049;
inline constexpr int16_t NetworkDown = 10050;
inline constexpr int16_t NetworkUnreachable = 10051;
inline constexpr int16_t ConnectionAborted = 10053;
inline constexpr int16_t ConnectionReset = 10054;
inline constexpr int16_t NoBufferSpace = 10055;
inline constexpr int16_t NotConnected = 10057;
inline constexpr int16_t TimedOut = 10060;
inline constexpr int16_t Refused = 10061;
inline constexpr int16_t HostNotFound = 11001;
} // namespace SocketError

// An event-driven TCP client with the contract the handlers rely on:
// Close / RemoteHost / RemotePort / Connect / SendData / GetData, and the
// events Connect, DataArrival, Close and Error delivered on the UI thread.
// Every byte is one character (Latin-1) in both directions.
//
// Handlers may close and reconnect from inside any event, and may pump events
// while they run; each connection uses its own QTcpSocket, so nothing of an
// old connection reaches a handler once close() or connectToRemote() has run.
//
// With TLS on, Connect means that the handshake succeeded: the certificate
// chain leads to an authority of the system, or of the file named by
// SSL_CERT_FILE, and is made for RemoteHost (the name, not the address it
// resolves to). A handshake that fails raises HandshakeFailed instead, and
// nothing can be sent on that connection. No setting accepts a certificate
// that failed.
class TcpClientSocket final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TcpClientSocket)

public:
    static constexpr int16_t StateClosed = 0;
    static constexpr int16_t StateConnecting = 6;
    static constexpr int16_t StateConnected = 7;
    static constexpr int16_t StateClosing = 8; // the peer has closed
    static constexpr int16_t StateError = 9;

    explicit TcpClientSocket(EndpointResolver resolver, QObject *parent = nullptr);
    ~TcpClientSocket() override;

    QString remoteHost() const { return m_remoteHost; }
    void setRemoteHost(const QString &host) { m_remoteHost = host; }
    int32_t remotePort() const { return m_remotePort; }
    void setRemotePort(int32_t port) { m_remotePort = port; }
    int16_t state() const { return m_state; }
    bool tls() const { return m_tls; }
    void setTls(bool tls) { m_tls = tls; }
    // The authorities to verify against, shared with other sockets of the
    // run; by default the socket reads its own at its first TLS connection.
    void setTlsTrust(TlsTrust &trust) { m_trust = &trust; }

    // How long a connection attempt may take before Error 10060 is raised.
    void setConnectTimeout(int milliseconds) { m_connectTimeoutMs = milliseconds; }

    // Drops any connection; no event of it reaches a handler afterwards.
    void close();
    // Starts connecting to RemoteHost:RemotePort; the outcome arrives as an event.
    void connectToRemote();
    // Drops any connection, then connects to the host afresh as the transport says.
    void reconnect(const QString &host, const Transport &transport);
    // Queues the text for sending, one byte per character. Ignored unless connected.
    void sendData(const QString &text);
    void sendBytes(const QByteArray &bytes);
    // Moves everything received so far out of the socket.
    QString getData();
    QByteArray getBytes();
    qint64 bytesAvailable() const;

signals:
    void connected();
    void dataArrived(qint64 bytesTotal);
    void closed();
    void errorOccurred(int number, const QString &description);
    // A TLS connection was refused before anything was sent; line says why,
    // naming RemoteHost. Nothing more arrives on it.
    void handshakeFailed(const QString &line);

private:
    void onConnected();
    void onReadyRead();
    void onDisconnected();
    void onSocketError(QAbstractSocket::SocketError error);
    void onConnectTimeout();
    void onSslErrors(const QList<QSslError> &errors);
    void failHandshake(const QString &line);
    QTcpSocket *makeSocket();
    void announceData();
    void announceLater();
    void raiseError(int16_t number, const QString &description);
    void dropSocket();
    qint64 receivedTotal() const;

    EndpointResolver m_resolver;
    QPointer<QTcpSocket> m_socket;
    QTimer m_connectTimer;
    TlsTrust m_ownTrust;
    TlsTrust *m_trust = &m_ownTrust;
    QString m_remoteHost;
    int32_t m_remotePort = 80;
    bool m_tls = false;
    int16_t m_state = StateClosed;
    int m_connectTimeoutMs = 20000;
    quint64 m_generation = 0;
    qint64 m_bytesTaken = 0;       // bytes of this connection already moved out by getData
    qint64 m_announcedTotal = 0;   // bytes of this connection covered by a DataArrival so far
    bool m_announcing = false;     // a DataArrival of this connection is being handled
    bool m_peerClosed = false;     // the peer closed while a DataArrival was being handled
    bool m_announceQueued = false; // a DataArrival of this TLS connection waits in the event loop
};
