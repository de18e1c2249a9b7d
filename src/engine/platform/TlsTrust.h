#pragma once

#include <QSslConfiguration>

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
    TlsTrust() = default;

    const QSslConfiguration &configuration();

private:
    std::optional<QSslConfiguration> m_configuration;
};
