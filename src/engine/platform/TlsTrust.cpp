#include "platform/TlsTrust.h"

#include "platform/LocalFiles.h"

#include <QDir>
#include <QSslCertificate>
#include <QSslSocket>

const QSslConfiguration &TlsTrust::configuration()
{
    if (m_configuration)
        return *m_configuration;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    const QList<QSslCertificate> added = addedAuthorities();
    // Left alone, the system's authorities are looked up one by one as a
    // chain needs them. Naming any authority ends that lookup, so the
    // system's are then read in whole beside the added ones (a fifth of a
    // second, once per run).
    if (!added.isEmpty())
        configuration.setCaCertificates(QSslConfiguration::systemCaCertificates() + added);
    m_configuration = configuration;
    return *m_configuration;
}

QList<QSslCertificate> TlsTrust::addedAuthorities()
{
    const QString path = qEnvironmentVariable("SSL_CERT_FILE");
    if (path.isEmpty())
        return {};
    // Read without waiting on a FIFO and within a bound: the variable may
    // name anything.
    QByteArray bytes;
    QString problem;
    QList<QSslCertificate> added;
    switch (LocalFiles::readRegularFile(path, MaxAuthorityFileBytes, &bytes, &problem)) {
    case LocalFiles::ReadResult::Missing:
        problem = QStringLiteral("it does not exist");
        break;
    case LocalFiles::ReadResult::Refused:
        break;
    case LocalFiles::ReadResult::Read:
        added = QSslCertificate::fromData(bytes, QSsl::Pem);
        if (added.isEmpty())
            problem = QStringLiteral("it holds no PEM certificate");
        break;
    }
    if (!problem.isEmpty() && m_warn)
        m_warn(QStringLiteral("SSL_CERT_FILE %1 is not used: %2; only the system's authorities "
                              "are trusted.")
                   .arg(QDir::toNativeSeparators(path), problem));
    return added;
}
