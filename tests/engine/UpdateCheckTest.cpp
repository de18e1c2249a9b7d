#include "SimUpdateHost.h"
#include "TestEngine.h"

#include <QTcpServer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString newVersion(const QString &version)
{
    return red("New version: V." + version + ", go to " + TestHosts::Web +
               "/?a=vorpl to download it.");
}
const QString Checking = black(u"Checking for update..."_s);
const QString NoUpdates = green(u"No updates."_s);

// A session whose update host is the loopback stand-in (or none, or a closed port).
struct UpdateFixture
{
    SimUpdateHost host;
    TestEngine engine;

    void check(std::optional<quint16> port = {})
    {
        if (!port) {
            EXPECT_TRUE(host.listen());
            port = host.port();
        }
        if (*port)
            engine.ports[TestHosts::Update] = *port;
        engine.start().checkForUpdate();
    }
};

} // namespace

// Only the last three characters of each received piece count, compared as text.
TEST(UpdateCheck, EachReplyGivesOneVerdictLine)
{
    const QList<std::pair<QByteArray, QString>> cases = {
        {SimUpdateHost::httpReply("139"), newVersion("139")},
        {SimUpdateHost::httpReply("138"), NoUpdates},
        {SimUpdateHost::httpReply("137"), NoUpdates},
        {SimUpdateHost::httpReply("139\r\n"), newVersion("9\r\n")},
        {SimUpdateHost::httpReply("<html><body>Not here</body></html>\n"), newVersion("l>\n")},
        {"14", newVersion("14")}, // a short reply is compared whole
        {"13\xff", newVersion(QString::fromLatin1("13\xff"))},
    };
    for (const auto &[reply, line] : cases) {
        SCOPED_TRACE(reply.toStdString());
        UpdateFixture f;
        f.host.setReply({reply});
        f.check();
        ASSERT_TRUE(waitUntil([&] { return f.engine.log().lineCount() >= 2; }));
        drainPostedEvents();
        EXPECT_EQ(f.engine.colouredLines(), (QStringList{Checking, line}));
        EXPECT_TRUE(f.engine.prompts.shown.isEmpty());
        EXPECT_EQ(f.host.requests(),
                  QList<QByteArray>{"GET /doviziz/vorpl/lastver.php HTTP/1.0\r\nHost: " +
                                    TestHosts::Update.toLatin1() + "\r\n\r\n"});
    }
}

// Not found and timed out stay in the log; any other failure opens the report.
TEST(UpdateCheck, FailuresLogOrReportOnce)
{
    {
        UpdateFixture f; // the host closes without a reply: nothing more is logged
        f.host.setReply({});
        f.check();
        ASSERT_TRUE(waitUntil([&] { return f.host.requests().size() == 1; }));
        drainPostedEvents();
        drainPostedEvents();
        EXPECT_EQ(f.engine.colouredLines(), QStringList{Checking});
        EXPECT_TRUE(f.engine.errorReports().isEmpty());
    }
    {
        UpdateFixture f;
        f.check(0); // no port: not found
        ASSERT_TRUE(waitUntil([&] { return f.engine.log().lineCount() >= 2; }));
        EXPECT_EQ(f.engine.colouredLines(),
                  (QStringList{Checking, red(u"Could not check for updates"_s)}));
        EXPECT_TRUE(f.engine.errorReports().isEmpty());
    }
    {
        quint16 port = 0;
        {
            QTcpServer closed;
            ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
            port = closed.serverPort();
        }
        UpdateFixture f;
        f.check(port);
        ASSERT_TRUE(waitUntil([&] { return !f.engine.errorReports().isEmpty(); }));
        EXPECT_EQ(f.engine.errorReports(), QStringList{u"Error 10061 raised by sock3."_s});
        EXPECT_EQ(f.engine.state().ErrorText, u"Error 10061 raised by sock3."_s);
        EXPECT_EQ(f.engine.colouredLines(), QStringList{Checking});
    }
}
