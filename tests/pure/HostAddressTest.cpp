#include "platform/HostAddress.h"
#include "platform/TlsFailure.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(HostAddress, OnlyTheThreeFormsAreTaken)
{
    // Text, then host, port and TLS; an empty host: refused. The first two hosts, under
    // ".invalid", are placeholders, which a build never asks for updates.
    const std::tuple<QString, QString, int, bool> rows[] = {
        {u"update.vorpaline.invalid"_s, u"update.vorpaline.invalid"_s, 80, false},
        {u"https://Update.INVALID.:8443"_s, u"Update.INVALID."_s, 8443, true},
        {u"update.notinvalid"_s, u"update.notinvalid"_s, 80, false},
        {u"invalid.example.org"_s, u"invalid.example.org"_s, 80, false},
        {u"files.example.net"_s, u"files.example.net"_s, 80, false},
        {u"http://files.example.net"_s, u"files.example.net"_s, 80, false},
        {u"HTTPS://Files.Example.net"_s, u"Files.Example.net"_s, 443, true},
        {u"https://files.example.net:8443"_s, u"files.example.net"_s, 8443, true},
        {u"files.example.net:8080"_s, {}, 0, false}, // a port says nothing without a scheme
        {u"https://files.example.net:65536"_s, {}, 0, false},
        {u"https://files.example.net/"_s, {}, 0, false},
        {u"https://user@files.example.net"_s, {}, 0, false},
        {u"ftp://files.example.net"_s, {}, 0, false},
        {u"files.example.net\r\nX: y"_s, {}, 0, false},
        {{}, {}, 0, false},
    };
    int row = 0;
    for (const auto &[text, host, port, tls] : rows) {
        const HostAddress got = parseHostAddress(text).value_or(HostAddress{{}, Transport{0}});
        EXPECT_EQ(std::tuple(got.host, int(got.transport.port), got.transport.tls),
                  std::tuple(host, port, tls))
            << text.toStdString();
        EXPECT_EQ(isPlaceholderHost(got.host), row++ < 2) << "the first two rows are placeholders";
    }
}

// Of several errors, the one that tells most is named, wherever it stands.
TEST(HostAddressTest, ARefusedCertificateNamesItsTellingError)
{
    const QList<QSslError> errors{QSslError(QSslError::CertificateSignatureFailed),
                                  QSslError(QSslError::HostNameMismatch)};
    EXPECT_EQ(certificateRefusedLine(u"h.example"_s, errors),
              u"Certificate of h.example not trusted: issued for another host name"_s);
}
