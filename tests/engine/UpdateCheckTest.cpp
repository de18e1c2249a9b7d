#include "LogLines.h"
#include "SimUpdateHost.h"
#include "TestWaits.h"
#include "TestWindow.h"

#include "log/EventLog.h"
#include "log/LogColors.h"
#include "platform/TcpClientSocket.h"
#include "update/UpdateVerdict.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <ostream>

using namespace Qt::StringLiterals;

namespace {

// Runs events until nothing more is pending: a close already on the loopback
// would show by then.
void settle()
{
    auto *dispatcher = QAbstractEventDispatcher::instance();
    QElapsedTimer timer;
    timer.start();
    for (int idle = 0; idle < 5 && timer.elapsed() < 10000;)
        idle = dispatcher->processEvents(QEventLoop::AllEvents) ? 0 : idle + 1;
}

QString newVersion(const QString &version)
{
    return coloured(LogRed, "New version: V." + version + ", go to " + TestHosts::Web +
                                "/?a=vorpl to download it.");
}

const QString Checking = coloured(LogBlack, u"Checking for update..."_s);
const QString NoUpdates = coloured(LogGreen, u"No updates."_s);
const QString CheckFailed = coloured(LogRed, u"Could not check for updates"_s);

QStringList logLines(MainWindow &window)
{
    QStringList lines;
    for (int i = 0; i < window.eventLog().lineCount(); ++i)
        lines << coloured(window.eventLog().lineColor(i), window.eventLog().lineText(i));
    return lines;
}

// A window whose update host is the loopback stand-in.
struct CheckFixture
{
    SimUpdateHost host;
    TestWindow test;

    MainWindow &open()
    {
        EXPECT_TRUE(host.listen());
        test.ports[TestHosts::Update] = host.port();
        return test.open();
    }
    bool waitForLines(int count)
    {
        if (!waitUntil([&] { return test.window->eventLog().lineCount() >= count; }))
            return false;
        settle();
        return true;
    }
};

} // namespace

TEST(UpdateVerdict, JudgesTheLastThreeCharactersAsText)
{
    const QList<std::tuple<QString, QString, bool>> cases = {
        {"HTTP/1.1 200 OK\r\n\r\n139", "139", true},
        {"HTTP/1.1 200 OK\r\n\r\n138", "138", false},
        {"HTTP/1.1 200 OK\r\n\r\n137", "137", false},
        {"200", "200", true},
        {"099", "099", false},
        {"139\r\n", "9\r\n", true},
        {"131\r\n", "1\r\n", false},
        {"<html>gone</html>", "ml>", true},
        {"</html>\n", "l>\n", true},
        {"14", "14", true},
        {"13", "13", false},
        {"2", "2", true},
        {QString(), QString(), false},
        {QString::fromLatin1("13\xff"), QString::fromLatin1("13\xff"), true},
    };
    for (const auto &[piece, version, newer] : cases) {
        SCOPED_TRACE(piece.toStdString());
        const auto verdict = UpdateVerdict::judgePiece(piece, TestHosts::Web);
        EXPECT_EQ(verdict.version, version);
        EXPECT_EQ(verdict.newer, newer);
        EXPECT_EQ(coloured(verdict.color, verdict.logText),
                  newer ? newVersion(version) : NoUpdates);
    }
}

TEST(UpdateVerdict, OnlyLookupAndTimeoutFailuresStayInTheLog)
{
    for (int number : {int(SocketError::HostNotFound), int(SocketError::TimedOut)})
        EXPECT_EQ(coloured(LogRed, UpdateVerdict::errorLogText(number)), CheckFailed) << number;
    for (int number : {int(SocketError::Refused), int(SocketError::ConnectionReset), 10000}) {
        EXPECT_TRUE(UpdateVerdict::errorLogText(number).isEmpty()) << number;
        EXPECT_EQ(UpdateVerdict::errorReportText(number),
                  u"Error %1 raised by sock3."_s.arg(number));
    }
}

TEST(UpdateCheck, EachReplyGivesOneVerdictLine)
{
    const QList<std::pair<QByteArray, QString>> cases = {
        {SimUpdateHost::httpReply("139"), newVersion("139")},
        {SimUpdateHost::httpReply("138"), NoUpdates},
        {SimUpdateHost::httpReply("137"), NoUpdates},
        {SimUpdateHost::httpReply("139\r\n"), newVersion("9\r\n")},
        {SimUpdateHost::httpReply("<html><body>Not here</body></html>\n"), newVersion("l>\n")},
        {"14", newVersion("14")}, // a short reply is compared whole
    };
    for (const auto &[reply, line] : cases) {
        SCOPED_TRACE(reply.toStdString());
        CheckFixture f;
        f.host.setReply({reply});
        MainWindow &window = f.open();
        ASSERT_TRUE(f.waitForLines(2));
        EXPECT_EQ(logLines(window), (QStringList{Checking, line}));
        EXPECT_TRUE(f.test.prompts.shown.size() <= 1); // the first-start notice only
        EXPECT_EQ(f.host.requests(),
                  QList<QByteArray>{"GET /doviziz/vorpl/lastver.php HTTP/1.0\r\nHost: " +
                                    TestHosts::Update.toLatin1() + "\r\n\r\n"});
    }
}

TEST(UpdateCheck, TwoPiecesGiveTwoVerdicts)
{
    CheckFixture f;
    f.host.setPaced(true);
    f.host.setReply({QByteArray("HTTP/1.0 200 OK\r\n\r\n13"), QByteArray("9")});
    MainWindow &window = f.open();
    ASSERT_TRUE(waitUntil([&] { return window.eventLog().lineCount() >= 2; }));
    EXPECT_EQ(logLines(window), (QStringList{Checking, NoUpdates})); // "\n13"
    ASSERT_TRUE(f.host.sendNextPiece());
    ASSERT_TRUE(f.waitForLines(3));
    EXPECT_EQ(logLines(window), (QStringList{Checking, NoUpdates, newVersion("9")}));
}

TEST(UpdateCheck, FailuresLogOrReportOnce)
{
    {
        // The host closes without a reply: nothing more is logged.
        CheckFixture f;
        f.host.setReply({});
        MainWindow &window = f.open();
        ASSERT_TRUE(waitUntil([&] { return f.host.requests().size() == 1; }));
        settle();
        EXPECT_EQ(logLines(window), QStringList{Checking});
        EXPECT_TRUE(f.test.prompts.ofKind(u"error"_s).isEmpty());
    }
    {
        TestWindow test; // no port for the update host: not found
        MainWindow &window = test.open();
        ASSERT_TRUE(waitUntil([&] { return window.eventLog().lineCount() >= 2; }));
        EXPECT_EQ(logLines(window), (QStringList{Checking, CheckFailed}));
        EXPECT_TRUE(test.prompts.ofKind(u"error"_s).isEmpty());
    }
    {
        // Refused: the error report opens and the log keeps its first line only.
        quint16 port = 0;
        {
            QTcpServer closed;
            ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
            port = closed.serverPort();
        }
        TestWindow test;
        test.ports[TestHosts::Update] = port;
        MainWindow &window = test.open();
        ASSERT_TRUE(waitUntil([&] { return !test.prompts.ofKind(u"error"_s).isEmpty(); }));
        const auto errors = test.prompts.ofKind(u"error"_s);
        ASSERT_EQ(errors.size(), 1);
        EXPECT_EQ(errors.first().title, u"Error 10061 raised by sock3."_s);
        EXPECT_EQ(window.state().ErrorText, u"Error 10061 raised by sock3."_s);
        EXPECT_EQ(logLines(window), QStringList{Checking});
    }
}
