#include "TestTools.h"

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
// nested nor be lost.
TEST_F(TcpClientSocketTest, AHandlerThatPumpsEventsGetsTheRestAfterItReturns)
{
    for (const bool peerCloses : {false, true}) {
        SCOPED_TRACE(peerCloses ? "peer closes" : "peer stays");
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
                peer->write("two");
                if (peerCloses)
                    peer->disconnectFromHost();
                // Pump until the rest has certainly reached our side of the connection.
                waitUntil([&] { return socket.bytesAvailable() >= 3; }, 2000);
                drainPostedEvents();
            }
            --depth;
        };
        connectTo(GoodHost);
        ASSERT_TRUE(waitUntil([&] { return recorder.received.size() >= 6; }));
        if (peerCloses) {
            ASSERT_TRUE(waitUntil([&] { return !recorder.events.filter(u"close"_s).isEmpty(); }));
            EXPECT_EQ(recorder.events.last(), u"close 8"_s);
            EXPECT_EQ(recorder.events.count(u"close 8"_s), 1);
        }
        EXPECT_EQ(deepest, 1);
        EXPECT_EQ(recorder.received, QByteArray("onetwo"));
        socket.close();
    }
}
