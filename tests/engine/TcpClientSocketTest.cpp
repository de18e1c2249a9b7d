#include "TestTools.h"

#include "platform/LowSpeedWatch.h"
#include "platform/TcpClientSocket.h"

#include <QHash>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString GoodHost = u"good.test.invalid"_s;

// A loopback server; onAccept runs for each new connection.
struct Server
{
    QTcpServer server;
    std::function<void(QTcpSocket *)> onAccept;
    QList<QPointer<QTcpSocket>> accepted;

    Server()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *peer = server.nextPendingConnection()) {
                accepted.append(peer);
                onAccept(peer);
            }
        });
    }
};

// Records the socket's events in order, with State as the handler sees it.
struct Recorder
{
    TcpClientSocket &socket;
    QStringList events;
    QByteArray received;
    std::function<void()> onConnected = [] {}, onData = [] {};

    explicit Recorder(TcpClientSocket &s) : socket(s)
    {
        QObject::connect(&socket, &TcpClientSocket::connected, [this] {
            events << u"connect %1"_s.arg(socket.state());
            onConnected();
        });
        QObject::connect(&socket, &TcpClientSocket::dataArrived, [this](qint64) {
            events << u"data %1"_s.arg(socket.state());
            if (socket.state() == TcpClientSocket::StateConnected)
                received += socket.getData().toLatin1();
            onData();
        });
        QObject::connect(&socket, &TcpClientSocket::closed,
                         [this] { events << u"close %1"_s.arg(socket.state()); });
        QObject::connect(
            &socket, &TcpClientSocket::errorOccurred,
            [this](int number, const QString &) { events << u"error %1"_s.arg(number); });
        QObject::connect(&socket, &TcpClientSocket::handshakeFailed,
                         [this](const QString &line) { events << line; });
    }
};

class TcpClientSocketTest : public ::testing::Test
{
protected:
    QHash<QString, quint16> ports;
    TcpClientSocket socket{[this](const QString &host, quint16) {
        return ports.contains(host) ? Endpoint{u"127.0.0.1"_s, ports[host]}
                                    : Endpoint{QString(), 0};
    }};

    void connectTo(const QString &host)
    {
        socket.close();
        socket.setRemoteHost(host);
        socket.setRemotePort(80);
        socket.connectToRemote();
    }
};

} // namespace

TEST_F(TcpClientSocketTest, NothingOfAClosedConnectionReachesAHandler)
{
    Recorder recorder(socket);
    // The peer sends and closes at once; we close first, from the connect handler.
    Server server;
    server.onAccept = [](QTcpSocket *peer) {
        peer->write("late data");
        peer->disconnectFromHost();
    };
    ports[GoodHost] = server.server.serverPort();
    recorder.onConnected = [&] { socket.close(); };
    connectTo(GoodHost);
    ASSERT_TRUE(waitUntil([&] { return !recorder.events.isEmpty(); }));
    ASSERT_TRUE(waitUntil([&] {
        return !server.accepted.isEmpty() &&
               (!server.accepted.first() ||
                server.accepted.first()->state() == QAbstractSocket::UnconnectedState);
    }));
    drainPostedEvents();
    EXPECT_EQ(recorder.events, QStringList{u"connect 7"_s});
    EXPECT_EQ(socket.state(), TcpClientSocket::StateClosed);
    EXPECT_TRUE(socket.getData().isEmpty());

    // A look-up failure already on its way is dropped too.
    recorder.events.clear();
    connectTo(u"missing.test.invalid"_s);
    socket.close();
    drainPostedEvents();
    EXPECT_TRUE(recorder.events.isEmpty());
}

// The file side pumps events inside its data handler (the pause between
// files). Data and the close arriving meanwhile must neither run the handler
// nested nor be lost, even a close with no data after it.
TEST_F(TcpClientSocketTest, AHandlerThatPumpsEventsGetsTheRestAfterItReturns)
{
    for (const auto &[more, peerCloses] : {std::pair{true, false}, {true, true}, {false, true}}) {
        SCOPED_TRACE(testing::Message() << "more data " << more << ", peer closes " << peerCloses);
        Server server;
        QPointer<QTcpSocket> peer;
        server.onAccept = [&](QTcpSocket *accepted) {
            peer = accepted;
            accepted->write("one");
        };
        ports[GoodHost] = server.server.serverPort();
        socket.disconnect();
        Recorder recorder(socket);
        int depth = 0;
        int deepest = 0;
        bool pumped = false;
        recorder.onData = [&] {
            deepest = std::max(deepest, ++depth);
            if (!pumped) {
                pumped = true;
                if (more)
                    peer->write("two");
                if (peerCloses)
                    peer->disconnectFromHost();
                // Pump until the rest has certainly reached our side of the connection.
                const QTcpSocket *ours = socket.findChildren<QTcpSocket *>().last();
                waitUntil(
                    [&] {
                        return (!more || socket.bytesAvailable() >= 3) &&
                               (!peerCloses || ours->state() == QAbstractSocket::UnconnectedState);
                    },
                    2000);
                drainPostedEvents();
            }
            --depth;
        };
        connectTo(GoodHost);
        const QByteArray sent = more ? "onetwo" : "one";
        ASSERT_TRUE(waitUntil([&] { return recorder.received.size() >= sent.size(); }));
        if (peerCloses) {
            ASSERT_TRUE(waitUntil([&] { return !recorder.events.filter(u"close"_s).isEmpty(); }));
            EXPECT_EQ(recorder.events.last(), u"close 8"_s);
            EXPECT_EQ(recorder.events.count(u"close 8"_s), 1);
        }
        EXPECT_EQ(deepest, 1);
        EXPECT_EQ(recorder.received, sent);
        socket.close();
    }
}

// Connect comes after the handshake only: a host that takes the connection and
// then answers in plain text failed the handshake (in the TLS library's words,
// without its code); it never connected and reset.
TEST_F(TcpClientSocketTest, AFailedHandshakeIsNeverAConnect)
{
    Server server;
    server.onAccept = [](QTcpSocket *peer) { peer->write("HTTP/1.1 400 Bad Request\r\n\r\n"); };
    ports[GoodHost] = server.server.serverPort();
    Recorder recorder(socket);
    socket.setTls(true);
    connectTo(GoodHost);
    ASSERT_TRUE(waitUntil([&] { return !recorder.events.isEmpty(); }));
    drainPostedEvents();
    EXPECT_EQ(
        recorder.events,
        QStringList{u"Secure connection to good.test.invalid failed: wrong version number"_s});
    EXPECT_EQ(socket.state(), TcpClientSocket::StateError);
}

// A window must bring the floor's bytes itself: exactly the floor is enough,
// a fast window does not carry over, bytes before the start do not count.
TEST(LowSpeedWatch, EachWindowMustBringTheFloor)
{
    // Bytes a second, bytes counted before and after the start, too slow at the end of the
    // first window of 200 ms (else at the second's, which brings nothing).
    const std::tuple<int, qint64, qint64, bool> rows[] = {
        {1000, 0, 200, false}, {1000, 0, 199, true}, {1000, 0, 1 << 20, false},
        {1000, 200, 0, true},  {1, 0, 0, true}, // a floor below a byte a window asks for one
    };
    for (const auto &[floor, before, after, firstWindow] : rows) {
        LowSpeedWatch watch(floor, 200);
        int slow = 0, slowHalfway = -1; // halfway through the second window
        QObject::connect(&watch, &LowSpeedWatch::tooSlow, [&] { ++slow; });
        watch.count(before), watch.start(), watch.count(after);
        QTimer::singleShot(300, [&] { slowHalfway = slow; });
        EXPECT_TRUE(waitUntil([&] { return slowHalfway >= 0 && slow > 0; }, 5000));
        EXPECT_EQ(std::pair(slowHalfway, slow), std::pair(firstWindow ? 1 : 0, 1))
            << floor << ' ' << before << ' ' << after;
    }
}
