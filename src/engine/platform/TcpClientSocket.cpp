#include "platform/TcpClientSocket.h"

#include <QNetworkProxy>

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

void TcpClientSocket::reconnect(const QString &host, int32_t port)
{
    close();
    setRemoteHost(host);
    setRemotePort(port);
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
    m_socket = new QTcpSocket(this);
    // The requests are written by hand for the site itself; never through a proxy.
    m_socket->setProxy(QNetworkProxy::NoProxy);
    // Bytes are taken from the system in pieces of bounded size: a reader that
    // falls behind (a slow disk, a busy machine) holds the sender back instead
    // of gathering megabytes per read, whose freed blocks the allocator keeps.
    m_socket->setReadBufferSize(ReadBufferBytes);
    connect(m_socket, &QTcpSocket::connected, this, &TcpClientSocket::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpClientSocket::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &TcpClientSocket::onDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TcpClientSocket::onSocketError);
    m_connectTimer.start(m_connectTimeoutMs);
    m_socket->connectToHost(endpoint.address, endpoint.port);
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
    announceData();
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

void TcpClientSocket::onSocketError(QAbstractSocket::SocketError error)
{
    const bool wasConnected = m_state == StateConnected;
    switch (error) {
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
