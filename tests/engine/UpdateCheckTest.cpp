#include "SimUpdateHost.h"
#include "TestEngine.h"

#include <QTcpServer>

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
    quint16 closedPort = 0;
    {
        QTcpServer closed;
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
        closedPort = closed.serverPort();
    }
    struct Row
    {
        const char *what;
        std::optional<quint16> port;
        QStringList lines, reports;
    };
    const Row rows[] = {
        {"the host closes without a reply", {}, {Checking}, {}},
        {"not found", 0, {Checking, red(u"Could not check for updates"_s)}, {}},
        {"refused", closedPort, {Checking}, {u"Error 10061 raised by sock3."_s}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        UpdateFixture f;
        f.host.setReply({});
        f.check(row.port);
        ASSERT_TRUE(waitUntil([&] {
            return (row.port || f.host.requests().size() == 1) &&
                   f.engine.colouredLines() == row.lines && f.engine.errorReports() == row.reports;
        }));
        drainPostedEvents();
        drainPostedEvents();
        EXPECT_EQ(f.engine.colouredLines(), row.lines);
        EXPECT_EQ(f.engine.errorReports(), row.reports);
        EXPECT_EQ(f.engine.state().ErrorText, row.reports.value(0));
    }
}
