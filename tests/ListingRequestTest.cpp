#include "listing/ListingRequest.h"

#include <gtest/gtest.h>

namespace {

QString expected(const QString &requestLine, const QString &cookieLine)
{
    return requestLine + QStringLiteral("\r\n") +
           QStringLiteral("Host: gallery.example\r\n"
                          "User-Agent: Mozilla/5.0 (Windows NT 5.1; rv:6.0.1) Gecko/20100101 "
                          "Firefox/6.0.1\r\n"
                          "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;"
                          "q=0.8\r\n"
                          "Accept-Language: fr,fr-fr;q=0.8,en-us;q=0.5,en;q=0.3\r\n"
                          "Accept- Encoding: gzip , deflate\r\n"
                          "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n"
                          "Connection: keep-alive\r\n") +
           cookieLine + QStringLiteral("\r\n\r\n");
}

struct RequestCase
{
    const char *folder;
    int page;
    const char *cookieB;
    const char *cookieA;
    const char *requestLine;
    const char *cookieLine;
};

class ListingRequestBytes : public testing::TestWithParam<RequestCase>
{
};

} // namespace

TEST_P(ListingRequestBytes, MatchByteForByte)
{
    const RequestCase &c = GetParam();
    ListingRequestFields fields;
    fields.folder = QString::fromLatin1(c.folder);
    fields.user = QStringLiteral("someone");
    fields.page = c.page;
    fields.hostAlias = QStringLiteral("gallery.example");
    fields.cookieB = QString::fromLatin1(c.cookieB);
    fields.cookieA = QString::fromLatin1(c.cookieA);
    EXPECT_EQ(listingRequest(fields),
              expected(QString::fromLatin1(c.requestLine), QString::fromLatin1(c.cookieLine)));
}

INSTANTIATE_TEST_SUITE_P(
    FoldersPagesCookies, ListingRequestBytes,
    testing::Values(RequestCase{"gallery", 1, "", "", "GET /gallery/someone/1 HTTP/1.1",
                                "Cookie: b=; a=; folder=outbox"},
                    RequestCase{"gallery", 2, "", "", "GET /gallery/someone/2 HTTP/1.1",
                                "Cookie: b=; a=; folder=outbox"},
                    RequestCase{"scraps", 1, "", "", "GET /scraps/someone/1 HTTP/1.1",
                                "Cookie: b=; a=; folder=outbox"},
                    RequestCase{"scraps", 2, "", "", "GET /scraps/someone/2 HTTP/1.1",
                                "Cookie: b=; a=; folder=outbox"},
                    RequestCase{"favorites", 1, "", "", "GET /favorites/someone/1 HTTP/1.1",
                                "Cookie: b=; a=; folder=outbox"},
                    RequestCase{"favorites", 2, "", "", "GET /favorites/someone/2 HTTP/1.1",
                                "Cookie: b=; a=; folder=outbox"},
                    RequestCase{"gallery", 10, "12345", "abcdef",
                                "GET /gallery/someone/10 HTTP/1.1",
                                "Cookie: b=12345; a=abcdef; folder=outbox"},
                    // Cookie texts go in as they stand: blanks and separators are not touched.
                    RequestCase{"gallery", 32767, " x;y ", "a=b",
                                "GET /gallery/someone/32767 HTTP/1.1",
                                "Cookie: b= x;y ; a=a=b; folder=outbox"}));

TEST(ListingRequest, UserNameIsInsertedUnescaped)
{
    ListingRequestFields fields;
    fields.folder = QStringLiteral("gallery");
    fields.user = QStringLiteral("Some One%20");
    fields.page = 3;
    const QString request = listingRequest(fields);
    EXPECT_TRUE(request.startsWith(QStringLiteral("GET /gallery/Some One%20/3 HTTP/1.1\r\n")));
    EXPECT_TRUE(request.endsWith(QStringLiteral("folder=outbox\r\n\r\n")));
}
