#pragma once

#include <QList>
#include <QSslError>
#include <QString>

// The log line of a secure connection that failed before anything was sent,
// in plain words, naming the host as the program knows it.

// The certificate did not pass: the most telling of the errors, for example
// "Certificate of files.example.net not trusted: self-signed certificate".
QString certificateRefusedLine(const QString &host, const QList<QSslError> &errors);

// The handshake failed otherwise (the host speaks no TLS, or no version or
// cipher in common); reason is the TLS library's text.
QString handshakeFailedLine(const QString &host, const QString &reason);
