#include "SimListener.h"

#include <QFile>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>

SimListener::SimListener(QObject *parent) : QObject(parent)
{
    adopt(std::make_unique<QTcpServer>());
}

void SimListener::adopt(std::unique_ptr<QTcpServer> server)
{
    m_server = std::move(server);
    // Not newConnection: a TLS server raises that before its handshake.
    connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this,
            &SimListener::connectionReady);
}

void SimListener::setTls(const QSslConfiguration &configuration)
{
    auto server = std::make_unique<QSslServer>();
    server->setSslConfiguration(configuration);
    adopt(std::move(server));
    m_tls = true;
}

bool SimListener::listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

void SimListener::close()
{
    m_server->close();
}

QSslConfiguration SimListener::tlsFromFiles(const QString &certificateFile, const QString &keyFile)
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(certificateFile);
    if (!chain.isEmpty()) {
        configuration.setLocalCertificate(chain.first());
        configuration.setLocalCertificateChain(chain);
    }
    QFile key(keyFile);
    if (key.open(QIODevice::ReadOnly))
        configuration.setPrivateKey(QSslKey(key.readAll(), QSsl::Ec));
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    return configuration;
}

qint64 SimListener::unsentBytes(const QTcpSocket &socket)
{
    const auto *secure = qobject_cast<const QSslSocket *>(&socket);
    return socket.bytesToWrite() + (secure ? secure->encryptedBytesToWrite() : 0);
}
