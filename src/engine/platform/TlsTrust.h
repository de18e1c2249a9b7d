#pragma once

#include <QSslConfiguration>

#include <functional>
#include <optional>

// What a TLS connection of the program is verified against: TLS 1.2 or
// newer, the peer's certificate required, and the authorities of the system
// plus those in the file that SSL_CERT_FILE names (the convention of OpenSSL
// and curl, so that a private authority is added without touching the
// system's list). Made at the first TLS connection and shared by the
// connections of a run.
class TlsTrust final
{
    Q_DISABLE_COPY_MOVE(TlsTrust)

public:
    // A file of authorities is a few hundred KB; anything much larger is not one.
    static constexpr qint64 MaxAuthorityFileBytes = 4 * 1024 * 1024;

    TlsTrust() = default;

    // Told, once, when SSL_CERT_FILE names something that adds no authority.
    void setWarningHandler(std::function<void(const QString &line)> handler)
    {
        m_warn = std::move(handler);
    }

    const QSslConfiguration &configuration();

private:
    QList<QSslCertificate> addedAuthorities();

    std::optional<QSslConfiguration> m_configuration;
    std::function<void(const QString &)> m_warn;
};
