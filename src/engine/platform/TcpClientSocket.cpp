#include "platform/TcpClientSocket.h"

#include "platform/TlsFailure.h"

#include <QNetworkProxy>
#include <QSslSocket>

namespace {
constexpr qint64 ReadBufferBytes = 256 * 1024;
} // namespace

TcpClientSocket::TcpClientSocket(EndpointResolver resolver, QObject *parent)
    : QObject(parent), m_resolver(std::move(resolver))
{
    m_connectTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, &TcpClientSocket::onConnectTimeout);
}

TcpClientSocket::~TcpClientSocket()
{
    dropSocket();
}

void TcpClientSocket::dropSocket()
{
    m_connectTimer.stop();
    m_bytesTaken = 0;
    m_announcedTotal = 0;
    m_announcing = false;
    m_peerClosed = false;
    m_announceQueued = false;
    if (!m_socket)
        return;
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    // Possibly inside one of its own signals: delete it from the event loop.
    socket->deleteLater();
}

void TcpClientSocket::close()
{
    ++m_generation;
    dropSocket();
    m_state = StateClosed;
}

void TcpClientSocket::reconnect(const QString &host, const Transport &transport)
{
    close();
    setRemoteHost(host);
    setRemotePort(transport.port);
    setTls(transport.tls);
    connectToRemote();
}

void TcpClientSocket::connectToRemote()
{
    close();
    const quint64 generation = m_generation;
    const Endpoint endpoint = m_resolver ? m_resolver(m_remoteHost, quint16(m_remotePort))
                                         : Endpoint{m_remoteHost, quint16(m_remotePort)};
    m_state = StateConnecting;
    if (endpoint.address.isEmpty()) {
        // Reported from the event loop, as a real look-up failure would be.
        QTimer::singleShot(0, this, [this, generation] {
            if (generation == m_generation)
                raiseError(SocketError::HostNotFound,
                           QStringLiteral("Authoritative answer: Host not found"));
        });
        return;
    }
    m_socket = makeSocket();
    // The handshake counts as part of connecting: a host that accepts the
    // connection and never completes it times out like one that never answers.
    m_connectTimer.start(m_connectTimeoutMs);
    if (auto *secure = qobject_cast<QSslSocket *>(m_socket.data()))
        secure->connectToHostEncrypted(endpoint.address, endpoint.port, m_remoteHost);
    else
        m_socket->connectToHost(endpoint.address, endpoint.port);
}

QTcpSocket *TcpClientSocket::makeSocket()
{
    QTcpSocket *socket = nullptr;
    if (m_tls) {
        auto *secure = new QSslSocket(this);
        secure->setSslConfiguration(m_trust->configuration());
        // Connect is raised once the peer is verified, never at the bare connection.
        connect(secure, &QSslSocket::encrypted, this, &TcpClientSocket::onConnected);
        connect(secure, &QSslSocket::sslErrors, this, &TcpClientSocket::onSslErrors);
        socket = secure;
    } else {
        socket = new QTcpSocket(this);
        connect(socket, &QTcpSocket::connected, this, &TcpClientSocket::onConnected);
    }
    // The requests are written by hand for the site itself; never through a proxy.
    socket->setProxy(QNetworkProxy::NoProxy);
    // Bytes are taken from the system in pieces of bounded size: a reader that
    // falls behind (a slow disk, a busy machine) holds the sender back instead
    // of gathering megabytes per read, whose freed blocks the allocator keeps.
    socket->setReadBufferSize(ReadBufferBytes);
    connect(socket, &QTcpSocket::readyRead, this, &TcpClientSocket::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &TcpClientSocket::onDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this, &TcpClientSocket::onSocketError);
    return socket;
}

void TcpClientSocket::sendData(const QString &text)
{
    sendBytes(text.toLatin1());
}

void TcpClientSocket::sendBytes(const QByteArray &bytes)
{
    if (m_socket && m_state == StateConnected)
        m_socket->write(bytes);
}

QString TcpClientSocket::getData()
{
    return QString::fromLatin1(getBytes());
}

QByteArray TcpClientSocket::getBytes()
{
    if (!m_socket)
        return {};
    QByteArray bytes = m_socket->readAll();
    m_bytesTaken += bytes.size();
    return bytes;
}

qint64 TcpClientSocket::bytesAvailable() const
{
    return m_socket ? m_socket->bytesAvailable() : 0;
}

qint64 TcpClientSocket::receivedTotal() const
{
    return m_bytesTaken + bytesAvailable();
}

void TcpClientSocket::onConnected()
{
    m_connectTimer.stop();
    m_state = StateConnected;
    emit connected();
}

void TcpClientSocket::onReadyRead()
{
    if (!m_tls) {
        announceData();
        return;
    }
    // QSslSocket raises readyRead for every few kilobytes it decrypts, all in
    // one pass over what the system has received: one DataArrival once that
    // pass is over covers them all, as one read of a plain connection would.
    if (m_announceQueued)
        return;
    m_announceQueued = true;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation != m_generation)
                return;
            m_announceQueued = false;
            announceData();
        },
        Qt::QueuedConnection);
}

// One DataArrival for the bytes that came since the last one. A handler of
// this connection that pumps events does not get a nested DataArrival or
// Close of the same connection: what comes meanwhile is delivered once it
// has returned, so nothing that arrived is left unannounced.
void TcpClientSocket::announceData()
{
    if (!m_socket || m_announcing)
        return;
    const qint64 total = receivedTotal();
    if (total <= m_announcedTotal)
        return;
    const quint64 generation = m_generation;
    m_announcedTotal = total;
    m_announcing = true;
    emit dataArrived(bytesAvailable());
    if (generation != m_generation)
        return; // closed or reconnected by the handler
    m_announcing = false;
    if (receivedTotal() > m_announcedTotal || m_peerClosed)
        announceLater();
}

void TcpClientSocket::announceLater()
{
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation != m_generation)
                return;
            if (m_peerClosed)
                onDisconnected();
            else
                announceData();
        },
        Qt::QueuedConnection);
}

void TcpClientSocket::onDisconnected()
{
    if (m_announcing) {
        m_peerClosed = true; // delivered when the running DataArrival returns
        return;
    }
    m_peerClosed = false;
    const quint64 generation = m_generation;
    // Whatever arrived before the peer closed is handed over first, while
    // State still reads connected.
    announceData();
    if (generation != m_generation)
        return;
    if (m_announcing || m_peerClosed)
        return; // a handler is still running further up: it delivers the close
    m_connectTimer.stop();
    m_state = StateClosing;
    emit closed();
}

void TcpClientSocket::onSslErrors(const QList<QSslError> &errors)
{
    // Never ignored: the handshake stops here and the connection goes.
    failHandshake(certificateRefusedLine(m_remoteHost, errors));
}

void TcpClientSocket::failHandshake(const QString &line)
{
    ++m_generation;
    dropSocket();
    m_state = StateError;
    emit handshakeFailed(line);
}

void TcpClientSocket::onSocketError(QAbstractSocket::SocketError error)
{
    const bool wasConnected = m_state == StateConnected;
    switch (error) {
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        if (wasConnected) // a broken record on a verified connection: a lost connection
            raiseError(SocketError::ConnectionReset, QStringLiteral("Connection reset by peer"));
        else
            failHandshake(
                handshakeFailedLine(m_remoteHost, m_socket ? m_socket->errorString() : QString()));
        return;
    case QAbstractSocket::RemoteHostClosedError:
        // A close after the connection was made is reported through disconnected().
        if (wasConnected || m_state == StateClosing)
            return;
        raiseError(SocketError::ConnectionAborted,
                   QStringLiteral("Connection is aborted due to timeout or other failure"));
        return;
    case QAbstractSocket::ConnectionRefusedError:
        raiseError(SocketError::Refused, QStringLiteral("Connection is forcefully rejected"));
        return;
    case QAbstractSocket::HostNotFoundError:
        raiseError(SocketError::HostNotFound,
                   QStringLiteral("Authoritative answer: Host not found"));
        return;
    case QAbstractSocket::SocketTimeoutError:
        raiseError(SocketError::TimedOut, QStringLiteral("Connection timed out"));
        return;
    case QAbstractSocket::SocketAccessError:
        raiseError(SocketError::AccessDenied, QStringLiteral("Permission denied"));
        return;
    case QAbstractSocket::SocketResourceError:
        raiseError(SocketError::NoBufferSpace, QStringLiteral("No buffer space is available"));
        return;
    case QAbstractSocket::DatagramTooLargeError:
        raiseError(SocketError::MessageTooLong, QStringLiteral("Message too long"));
        return;
    case QAbstractSocket::NetworkError:
        if (wasConnected)
            raiseError(SocketError::ConnectionReset, QStringLiteral("Connection reset by peer"));
        else
            raiseError(SocketError::NetworkUnreachable, QStringLiteral("Network is unreachable"));
        return;
    case QAbstractSocket::AddressInUseError:
        raiseError(SocketError::AddressInUse, QStringLiteral("Address in use"));
        return;
    case QAbstractSocket::SocketAddressNotAvailableError:
        raiseError(SocketError::AddressNotAvailable, QStringLiteral("Address not available"));
        return;
    case QAbstractSocket::UnsupportedSocketOperationError:
    case QAbstractSocket::OperationError:
        raiseError(SocketError::NotSupported, QStringLiteral("Operation not supported"));
        return;
    default:
        if (wasConnected)
            raiseError(SocketError::ConnectionReset, QStringLiteral("Connection reset by peer"));
        else
            raiseError(SocketError::ConnectionAborted,
                       QStringLiteral("Connection is aborted due to timeout or other failure"));
        return;
    }
}

void TcpClientSocket::onConnectTimeout()
{
    raiseError(SocketError::TimedOut, QStringLiteral("Connection timed out"));
}

void TcpClientSocket::raiseError(int16_t number, const QString &description)
{
    // A failed connection delivers nothing more: drop it before the handler runs,
    // so that the handler may connect again at once.
    ++m_generation;
    dropSocket();
    m_state = StateError;
    emit errorOccurred(number, description);
}
