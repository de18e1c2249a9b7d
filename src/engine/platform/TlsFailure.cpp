#include "platform/TlsFailure.h"

#include <QDateTime>
#include <QSslCertificate>

#include <algorithm>
#include <array>

namespace {

// A certificate that no one vouches for says more than its dates or names.
constexpr std::array<QSslError::SslError, 12> Telling = {
    QSslError::SelfSignedCertificate,
    QSslError::SelfSignedCertificateInChain,
    QSslError::UnableToGetLocalIssuerCertificate,
    QSslError::UnableToGetIssuerCertificate,
    QSslError::UnableToVerifyFirstCertificate,
    QSslError::CertificateUntrusted,
    QSslError::InvalidCaCertificate,
    QSslError::CertificateExpired,
    QSslError::CertificateNotYetValid,
    QSslError::CertificateRevoked,
    QSslError::HostNameMismatch,
    QSslError::CertificateRejected,
};

QString day(const QDateTime &when)
{
    return when.isValid() ? when.toUTC().date().toString(Qt::ISODate) : QString();
}

QString namesOf(const QSslCertificate &certificate)
{
    QStringList names = certificate.subjectAlternativeNames().values(QSsl::DnsEntry);
    if (names.isEmpty())
        names = certificate.subjectInfo(QSslCertificate::CommonName);
    return names.join(QStringLiteral(", "));
}

QString reasonOf(const QSslError &error)
{
    const QSslCertificate certificate = error.certificate();
    switch (error.error()) {
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
        return QStringLiteral("self-signed certificate");
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
        return QStringLiteral("issued by an unknown authority");
    case QSslError::CertificateExpired: {
        const QString expiry = day(certificate.expiryDate());
        return expiry.isEmpty() ? QStringLiteral("expired")
                                : QStringLiteral("expired on ") + expiry;
    }
    case QSslError::CertificateNotYetValid: {
        const QString start = day(certificate.effectiveDate());
        return start.isEmpty() ? QStringLiteral("not valid yet")
                               : QStringLiteral("not valid before ") + start;
    }
    case QSslError::CertificateRevoked:
        return QStringLiteral("revoked");
    case QSslError::HostNameMismatch: {
        const QString names = namesOf(certificate);
        return names.isEmpty() ? QStringLiteral("issued for another host name")
                               : QStringLiteral("issued for ") + names;
    }
    default: {
        QString text = error.errorString();
        if (!text.isEmpty())
            text[0] = text[0].toLower();
        return text.endsWith(u'.') ? text.chopped(1) : text;
    }
    }
}

} // namespace

QString certificateRefusedLine(const QString &host, const QList<QSslError> &errors)
{
    const QString start = QStringLiteral("Certificate of ") + host + QStringLiteral(" not trusted");
    if (errors.isEmpty())
        return start;
    auto chosen = errors.cbegin();
    for (const QSslError::SslError kind : Telling) {
        const auto found = std::find_if(errors.cbegin(), errors.cend(),
                                        [kind](const QSslError &e) { return e.error() == kind; });
        if (found != errors.cend()) {
            chosen = found;
            break;
        }
    }
    return start + QStringLiteral(": ") + reasonOf(*chosen);
}

QString handshakeFailedLine(const QString &host, const QString &reason)
{
    // OpenSSL's texts lead with a code ("error:0A00010B:SSL routines::wrong
    // version number"); its words come after the last colon.
    QString words = reason.trimmed();
    if (words.contains(QStringLiteral("routines:")))
        words = words.mid(words.lastIndexOf(u':') + 1).trimmed();
    return QStringLiteral("Secure connection to ") + host + QStringLiteral(" failed") +
           (words.isEmpty() ? QString() : QStringLiteral(": ") + words);
}
