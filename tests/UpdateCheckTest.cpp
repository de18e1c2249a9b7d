#include "SimUpdateHost.h"
#include "TestWindow.h"

#include "log/EventLog.h"
#include "log/LogColors.h"
#include "platform/TcpClientSocket.h"
#include "update/UpdateVerdict.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <functional>

namespace {

bool waitFor(const std::function<bool()> &condition, int timeoutMs = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

QString newVersionLine(const QString &version)
{
    return QStringLiteral("New version: V.") + version + QStringLiteral(", go to ") +
           TestHosts::Web + QStringLiteral("/?a=vorpl to download it.");
}

struct LogLine
{
    QString text;
    int32_t color;
};

QList<LogLine> logLines(MainWindow &window)
{
    QList<LogLine> lines;
    for (int i = 0; i < window.eventLog().lineCount(); ++i)
        lines.append({window.eventLog().lineText(i), window.eventLog().lineColor(i)});
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
    // Waits until the log holds this many lines, then until nothing more is
    // pending: the host's close is already on the loopback, so a line it caused
    // would show.
    bool waitForLines(int count)
    {
        if (!waitFor([&] { return test.window->eventLog().lineCount() >= count; }))
            return false;
        settle();
        return true;
    }
    static void settle()
    {
        auto *dispatcher = QAbstractEventDispatcher::instance();
        QElapsedTimer timer;
        timer.start();
        for (int idle = 0; idle < 5 && timer.elapsed() < 10000;)
            idle = dispatcher->processEvents(QEventLoop::AllEvents) ? 0 : idle + 1;
    }
};

} // namespace

TEST(UpdateVerdict, RequestIsThePlainHttp10Get)
{
    EXPECT_EQ(
        UpdateVerdict::requestText(QStringLiteral("up.example")),
        QStringLiteral("GET /doviziz/vorpl/lastver.php HTTP/1.0\r\nHost: up.example\r\n\r\n"));
}

TEST(UpdateVerdict, JudgesTheLastThreeCharactersAsText)
{
    struct Case
    {
        QString piece;
        QString version;
        bool newer;
    };
    const QList<Case> cases = {
        {QStringLiteral("HTTP/1.1 200 OK\r\n\r\n139"), QStringLiteral("139"), true},
        {QStringLiteral("HTTP/1.1 200 OK\r\n\r\n138"), QStringLiteral("138"), false},
        {QStringLiteral("HTTP/1.1 200 OK\r\n\r\n137"), QStringLiteral("137"), false},
        {QStringLiteral("200"), QStringLiteral("200"), true},
        {QStringLiteral("099"), QStringLiteral("099"), false},
        {QStringLiteral("139\r\n"), QStringLiteral("9\r\n"), true},
        {QStringLiteral("131\r\n"), QStringLiteral("1\r\n"), false},
        {QStringLiteral("<html>gone</html>"), QStringLiteral("ml>"), true},
        {QStringLiteral("</html>\n"), QStringLiteral("l>\n"), true},
        {QStringLiteral("14"), QStringLiteral("14"), true},
        {QStringLiteral("13"), QStringLiteral("13"), false},
        {QStringLiteral("2"), QStringLiteral("2"), true},
        {QString(), QString(), false},
        {QString::fromLatin1("13\xff"), QString::fromLatin1("13\xff"), true},
    };
    for (const Case &c : cases) {
        const auto verdict = UpdateVerdict::judgePiece(c.piece, TestHosts::Web);
        const std::string name = c.piece.toStdString();
        EXPECT_EQ(verdict.version, c.version) << name;
        EXPECT_EQ(verdict.newer, c.newer) << name;
        EXPECT_EQ(verdict.logText,
                  c.newer ? newVersionLine(c.version) : QStringLiteral("No updates."))
            << name;
        EXPECT_EQ(verdict.color, c.newer ? LogRed : LogGreen) << name;
    }
}

TEST(UpdateVerdict, OnlyLookupAndTimeoutFailuresStayInTheLog)
{
    EXPECT_EQ(UpdateVerdict::errorLogText(SocketError::HostNotFound),
              QStringLiteral("Could not check for updates"));
    EXPECT_EQ(UpdateVerdict::errorLogText(SocketError::TimedOut),
              QStringLiteral("Could not check for updates"));
    for (int number : {int(SocketError::Refused), int(SocketError::ConnectionReset), 10000}) {
        EXPECT_TRUE(UpdateVerdict::errorLogText(number).isEmpty()) << number;
        EXPECT_EQ(UpdateVerdict::errorReportText(number),
                  QStringLiteral("Error %1 raised by sock3.").arg(number));
    }
}

TEST(UpdateCheck, EachReplyGivesOneVerdictLine)
{
    struct Case
    {
        QByteArray body;
        LogLine line;
    };
    const QList<Case> cases = {
        {"139", {newVersionLine(QStringLiteral("139")), LogRed}},
        {"138", {QStringLiteral("No updates."), LogGreen}},
        {"137", {QStringLiteral("No updates."), LogGreen}},
        {"139\r\n", {newVersionLine(QStringLiteral("9\r\n")), LogRed}},
        {"<html><body>Not here</body></html>\n", {newVersionLine(QStringLiteral("l>\n")), LogRed}},
    };
    for (const Case &c : cases) {
        CheckFixture f;
        f.host.setReply({SimUpdateHost::httpReply(c.body)});
        MainWindow &window = f.open();
        ASSERT_TRUE(f.waitForLines(2)) << c.body.toStdString();
        const auto lines = logLines(window);
        ASSERT_EQ(lines.size(), 2) << c.body.toStdString();
        EXPECT_EQ(lines[0].text, QStringLiteral("Checking for update..."));
        EXPECT_EQ(lines[0].color, LogBlack);
        EXPECT_EQ(lines[1].text, c.line.text) << c.body.toStdString();
        EXPECT_EQ(lines[1].color, c.line.color) << c.body.toStdString();
        EXPECT_TRUE(f.test.prompts.shown.size() <= 1); // the first-start notice only
        ASSERT_EQ(f.host.requests().size(), 1);
        EXPECT_EQ(f.host.requests().first(),
                  QByteArray("GET /doviziz/vorpl/lastver.php HTTP/1.0\r\nHost: ") +
                      TestHosts::Update.toLatin1() + "\r\n\r\n");
    }
}

TEST(UpdateCheck, TwoPiecesGiveTwoVerdicts)
{
    CheckFixture f;
    f.host.setPaced(true);
    f.host.setReply({QByteArray("HTTP/1.0 200 OK\r\n\r\n13"), QByteArray("9")});
    MainWindow &window = f.open();
    ASSERT_TRUE(waitFor([&] { return window.eventLog().lineCount() >= 2; }));
    EXPECT_EQ(window.eventLog().lineText(1), QStringLiteral("No updates.")); // "\n13"
    ASSERT_TRUE(f.host.sendNextPiece());
    ASSERT_TRUE(f.waitForLines(3));
    const auto lines = logLines(window);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2].text, newVersionLine(QStringLiteral("9")));
    EXPECT_EQ(lines[2].color, LogRed);
}

TEST(UpdateCheck, ShortReplyIsComparedWhole)
{
    CheckFixture f;
    f.host.setReply({QByteArray("14")});
    MainWindow &window = f.open();
    ASSERT_TRUE(f.waitForLines(2));
    const auto lines = logLines(window);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1].text, newVersionLine(QStringLiteral("14")));
}

TEST(UpdateCheck, ServerClosingWithoutReplyLogsNothing)
{
    CheckFixture f;
    f.host.setReply({});
    MainWindow &window = f.open();
    ASSERT_TRUE(waitFor([&] { return f.host.requests().size() == 1; }));
    CheckFixture::settle();
    EXPECT_EQ(window.eventLog().lineCount(), 1);
    EXPECT_TRUE(f.test.prompts.ofKind(QStringLiteral("error")).isEmpty());
}

TEST(UpdateCheck, UnknownHostLogsThatTheCheckFailed)
{
    TestWindow test; // no port for the update host: not found
    MainWindow &window = test.open();
    ASSERT_TRUE(waitFor([&] { return window.eventLog().lineCount() >= 2; }));
    EXPECT_EQ(window.eventLog().lineText(1), QStringLiteral("Could not check for updates"));
    EXPECT_EQ(window.eventLog().lineColor(1), LogRed);
    EXPECT_TRUE(test.prompts.ofKind(QStringLiteral("error")).isEmpty());
}

TEST(UpdateCheck, RefusedConnectionOpensTheErrorReport)
{
    quint16 port = 0;
    {
        QTcpServer closed;
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
        port = closed.serverPort();
    }
    TestWindow test;
    test.ports[TestHosts::Update] = port;
    MainWindow &window = test.open();
    ASSERT_TRUE(waitFor([&] { return !test.prompts.ofKind(QStringLiteral("error")).isEmpty(); }));
    const auto errors = test.prompts.ofKind(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors.first().title, QStringLiteral("Error 10061 raised by sock3."));
    EXPECT_EQ(window.state().ErrorText, QStringLiteral("Error 10061 raised by sock3."));
    EXPECT_EQ(window.eventLog().lineCount(), 1);
}
