#include "platform/TcpClientSocket.h"

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
    if (!m_socket)
        return;
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void TcpClientSocket::close()
{
    ++m_generation;
    dropSocket();
    m_state = StateClosed;
}

void TcpClientSocket::connectToRemote()
{
    close();
    const quint64 generation = m_generation;
    const Endpoint endpoint =
        m_resolver ? m_resolver(m_remoteHost, quint16(m_remotePort)) : Endpoint{m_remoteHost, quint16(m_remotePort)};
    m_state = StateConnecting;
    if (endpoint.address.isEmpty()) {
        // Reported from the event loop, as a real look-up failure would be.
        QTimer::singleShot(0, this, [this, generation] {
            if (generation == m_generation)
                raiseError(SocketError::HostNotFound, QStringLiteral("Host not found"));
        });
        return;
    }
    m_socket = new QTcpSocket(this);
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
    return m_socket ? m_socket->readAll() : QByteArray();
}

qint64 TcpClientSocket::bytesAvailable() const
{
    return m_socket ? m_socket->bytesAvailable() : 0;
}

void TcpClientSocket::onConnected()
{
    m_connectTimer.stop();
    m_state = StateConnected;
    emit connected();
}

void TcpClientSocket::onReadyRead()
{
    if (m_socket && m_socket->bytesAvailable() > 0)
        emit dataArrived(m_socket->bytesAvailable());
}

void TcpClientSocket::onDisconnected()
{
    const quint64 generation = m_generation;
    // Whatever arrived before the peer closed is handed over first.
    if (m_socket && m_socket->bytesAvailable() > 0) {
        emit dataArrived(m_socket->bytesAvailable());
        if (generation != m_generation)
            return;
    }
    m_state = StateClosing;
    emit closed();
}

void TcpClientSocket::onSocketError(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::RemoteHostClosedError:
        return; // reported through disconnected()
    case QAbstractSocket::ConnectionRefusedError:
        raiseError(SocketError::Refused, QStringLiteral("Connection is forcefully rejected"));
        return;
    case QAbstractSocket::HostNotFoundError:
        raiseError(SocketError::HostNotFound, QStringLiteral("Authoritative answer: Host not found"));
        return;
    case QAbstractSocket::SocketTimeoutError:
        raiseError(SocketError::TimedOut, QStringLiteral("Connection timed out"));
        return;
    case QAbstractSocket::NetworkError:
        raiseError(SocketError::NetworkUnreachable, QStringLiteral("Network is unreachable"));
        return;
    default:
        if (m_state == StateConnected)
            raiseError(SocketError::ConnectionReset, QStringLiteral("Connection reset by peer"));
        else
            raiseError(SocketError::Unknown, m_socket ? m_socket->errorString() : QString());
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
