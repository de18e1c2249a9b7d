#include "listing/ListingRequest.h"
#include "listing/RequestText.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ListingRequest, RequestsMatchByteForByte)
{
    const QString headers =
        u"Host: gallery.example\r\n"
        u"User-Agent: Mozilla/5.0 (Windows NT 5.1; rv:6.0.1) Gecko/20100101 Firefox/6.0.1\r\n"
        u"Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
        u"Accept-Language: fr,fr-fr;q=0.8,en-us;q=0.5,en;q=0.3\r\n"
        u"Accept- Encoding: gzip , deflate\r\n"
        u"Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n"
        u"Connection: keep-alive\r\n"_s;
    const struct
    {
        const char *folder, *user;
        int page;
        const char *cookieB, *cookieA, *requestLine, *cookieLine;
    } cases[] = {
        {"gallery", "someone", 1, "", "", "GET /gallery/someone/1 HTTP/1.1",
         "Cookie: b=; a=; folder=outbox"},
        {"scraps", "someone", 2, "", "", "GET /scraps/someone/2 HTTP/1.1",
         "Cookie: b=; a=; folder=outbox"},
        {"favorites", "someone", 1, "", "", "GET /favorites/someone/1 HTTP/1.1",
         "Cookie: b=; a=; folder=outbox"},
        {"gallery", "someone", 10, "12345", "abcdef", "GET /gallery/someone/10 HTTP/1.1",
         "Cookie: b=12345; a=abcdef; folder=outbox"},
        // Cookie texts and the user name go in as they stand: nothing is escaped.
        {"gallery", "someone", 32767, " x;y ", "a=b", "GET /gallery/someone/32767 HTTP/1.1",
         "Cookie: b= x;y ; a=a=b; folder=outbox"},
        {"gallery", "Some One%20", 3, "", "", "GET /gallery/Some One%20/3 HTTP/1.1",
         "Cookie: b=; a=; folder=outbox"},
        // Except line breaks and other control characters, which would start new lines.
        {"gallery", "some\r\none", 1, "12\r\n345\n",
         "\x01"
         "ab\x7f",
         "GET /gallery/someone/1 HTTP/1.1", "Cookie: b=12345; a=ab; folder=outbox"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.requestLine);
        ListingRequestFields fields;
        fields.folder = QString::fromLatin1(c.folder);
        fields.user = QString::fromLatin1(c.user);
        fields.page = c.page;
        fields.hostAlias = u"gallery.example"_s;
        fields.cookieB = QString::fromLatin1(c.cookieB);
        fields.cookieA = QString::fromLatin1(c.cookieA);
        EXPECT_EQ(listingRequest(fields), QString::fromLatin1(c.requestLine) + u"\r\n"_s + headers +
                                              QString::fromLatin1(c.cookieLine) + u"\r\n\r\n"_s);
    }
}

TEST(RequestText, ControlCharactersAreFoundAndDropped)
{
    const struct
    {
        QString in, clean;
    } rows[] = {
        {u"abc; d=e"_s, u"abc; d=e"_s},
        {u"abc\r\n"_s, u"abc"_s},
        {u"a\tb\x1f\x7f\u00e9"_s, u"ab\u00e9"_s},
        {u"\0"_s, QString()},
        {QString(), QString()},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(withoutControlCharacters(row.in), row.clean) << row.in.toStdString();
        EXPECT_EQ(holdsControlCharacter(row.in), row.in != row.clean) << row.in.toStdString();
    }
}
