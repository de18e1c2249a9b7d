#include "platform/TlsTrust.h"

#include <QSslCertificate>
#include <QSslSocket>

const QSslConfiguration &TlsTrust::configuration()
{
    if (m_configuration)
        return *m_configuration;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    const QString file = qEnvironmentVariable("SSL_CERT_FILE");
    const QList<QSslCertificate> added =
        file.isEmpty() ? QList<QSslCertificate>() : QSslCertificate::fromPath(file, QSsl::Pem);
    // Left alone, the system's authorities are looked up one by one as a
    // chain needs them. Naming any authority ends that lookup, so the
    // system's are then read in whole beside the added ones (a fifth of a
    // second, once per run).
    if (!added.isEmpty())
        configuration.setCaCertificates(QSslConfiguration::systemCaCertificates() + added);
    m_configuration = configuration;
    return *m_configuration;
}
