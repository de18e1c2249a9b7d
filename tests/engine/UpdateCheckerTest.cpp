#include "SimUpdateHost.h"
#include "TestEngine.h"

#include "update/UpdateVerdict.h"

#include <QTcpServer>

using namespace Qt::StringLiterals;

// Only the last three characters of each received piece count, compared as
// text. Not found and timed out stay in the log; any other failure opens the
// report.
TEST(UpdateCheck, EachReplyOrFailureGivesOneVerdict)
{
    quint16 closedPort = 0;
    {
        QTcpServer closed;
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
        closedPort = closed.serverPort();
    }
    const auto reply = [](const QByteArray &body) { return QList{SimUpdateHost::httpReply(body)}; };
    const auto newVersion = [](const QString &version) {
        return red("New version: V." + version + ", go to " + TestHosts::Web +
                   "/?a=vorpl to download it.");
    };
    const QString noUpdates = green(u"No updates."_s);
    // The reply's pieces, the line after "Checking for update...", the port (none: the stand-in,
    // 0: not found) and the report.
    using P = std::optional<quint16>;
    // clang-format off
    const std::tuple<QList<QByteArray>, QString, P, QString> rows[] = {
        {reply("139"), newVersion("139"), {}, {}},
        {reply("138"), noUpdates, {}, {}},
        {reply("137"), noUpdates, {}, {}},
        {reply("139\r\n"), newVersion("9\r\n"), {}, {}},
        {reply("<html><body>Not here</body></html>\n"), newVersion("l>\n"), {}, {}},
        {{"14"}, newVersion("14"), {}, {}}, // a short reply is compared whole
        {{"13\xff"}, newVersion(QString::fromLatin1("13\xff")), {}, {}},
        {{}, {}, {}, {}}, // the host closes without a reply
        {{}, red(u"Could not check for updates"_s), P(0), {}},
        {{}, {}, P(closedPort), u"Error 10061 raised by sock3."_s},
    };
    // clang-format on
    for (const auto &[pieces, line, fixedPort, report] : rows) {
        SCOPED_TRACE(testing::Message() << pieces.value(0).toStdString() << line.toStdString());
        SimUpdateHost host;
        TestEngine engine;
        host.setReply(pieces);
        const bool standIn = !fixedPort;
        quint16 port = fixedPort.value_or(0);
        if (standIn) {
            EXPECT_TRUE(host.listen());
            port = host.port();
        }
        if (port)
            engine.ports[TestHosts::Update] = port;
        engine.start().checkForUpdate();
        QStringList lines{black(u"Checking for update..."_s)}, reports;
        if (!line.isEmpty())
            lines << line;
        if (!report.isEmpty())
            reports << report;
        ASSERT_TRUE(waitUntil([&] {
            return (!standIn || host.requests().size() == 1) && engine.colouredLines() == lines &&
                   engine.errorReports() == reports;
        }));
        drainPostedEvents();
        drainPostedEvents();
        EXPECT_EQ(engine.colouredLines(), lines);
        EXPECT_EQ(engine.prompts.shown.size(), reports.size());
        EXPECT_EQ(engine.session->errors().errorText(), report);
        if (standIn) {
            EXPECT_EQ(host.requests(),
                      QList<QByteArray>{"GET /doviziz/vorpl/lastver.php HTTP/1.0\r\nHost: " +
                                        TestHosts::Update.toLatin1() + "\r\n\r\n"});
        }
    }

    // A time-out (too slow to wait for here) is logged as a host not found is.
    EXPECT_EQ(UpdateVerdict::errorLogText(SocketError::TimedOut),
              UpdateVerdict::errorLogText(SocketError::HostNotFound));
}
