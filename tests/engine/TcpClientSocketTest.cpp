#include "platform/TcpClientSocket.h"
#include "TestWaits.h"

#include <QHash>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString GoodHost = u"good.test.invalid"_s;
const QString MissingHost = u"missing.test.invalid"_s;

// A loopback server; onAccept runs for each new connection.
class Server
{
public:
    std::function<void(QTcpSocket *)> onAccept;
    QList<QPointer<QTcpSocket>> accepted;

    Server()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *peer = server.nextPendingConnection()) {
                accepted.append(peer);
                if (onAccept)
                    onAccept(peer);
            }
        });
    }
    quint16 port() const { return server.serverPort(); }

    static std::function<void(QTcpSocket *)> sendAndClose(const QByteArray &bytes)
    {
        return [bytes](QTcpSocket *peer) {
            peer->write(bytes);
            peer->disconnectFromHost();
        };
    }

private:
    QTcpServer server;
};

// Records the socket's events in order, with State as the handler sees it.
struct Recorder
{
    TcpClientSocket &socket;
    QStringList events;
    QByteArray received;
    bool readOnArrival = true;
    std::function<void()> onConnected, onData, onClosed;
    std::function<void(int)> onError;

    explicit Recorder(TcpClientSocket &s) : socket(s)
    {
        QObject::connect(&socket, &TcpClientSocket::connected, [this] {
            events << u"connect %1"_s.arg(socket.state());
            if (onConnected)
                onConnected();
        });
        QObject::connect(&socket, &TcpClientSocket::dataArrived, [this](qint64) {
            events << u"data %1"_s.arg(socket.state());
            if (readOnArrival && socket.state() == TcpClientSocket::StateConnected)
                received += socket.getData().toLatin1();
            if (onData)
                onData();
        });
        QObject::connect(&socket, &TcpClientSocket::closed, [this] {
            events << u"close %1"_s.arg(socket.state());
            if (onClosed)
                onClosed();
        });
        QObject::connect(&socket, &TcpClientSocket::errorOccurred,
                         [this](int number, const QString &) {
                             events << u"error %1"_s.arg(number);
                             if (onError)
                                 onError(number);
                         });
    }
    bool closed() const { return !events.filter(u"close"_s).isEmpty(); }
};

class TcpClientSocketTest : public ::testing::Test
{
protected:
    QHash<QString, quint16> ports;
    std::unique_ptr<TcpClientSocket> socket;

    void SetUp() override
    {
        socket = std::make_unique<TcpClientSocket>([this](const QString &host, quint16) {
            const auto it = ports.constFind(host);
            return it == ports.constEnd() ? Endpoint{QString(), 0} : Endpoint{u"127.0.0.1"_s, *it};
        });
    }

    void connectTo(const QString &host)
    {
        socket->close();
        socket->setRemoteHost(host);
        socket->setRemotePort(80);
        socket->connectToRemote();
    }
};

} // namespace

TEST_F(TcpClientSocketTest, NothingOfAClosedConnectionReachesAHandler)
{
    Recorder recorder(*socket);
    // Closing twice and sending while closed are harmless.
    socket->close();
    socket->close();
    socket->sendData(u"GET / HTTP/1.0\r\n\r\n"_s);
    EXPECT_TRUE(socket->getData().isEmpty());
    EXPECT_EQ(socket->state(), TcpClientSocket::StateClosed);

    // The peer sends and closes at once; we close first, from the connect handler.
    Server server;
    server.onAccept = Server::sendAndClose("late data");
    ports[GoodHost] = server.port();
    recorder.onConnected = [&] { socket->close(); };
    connectTo(GoodHost);
    ASSERT_TRUE(waitUntil([&] { return !recorder.events.isEmpty(); }));
    ASSERT_TRUE(waitUntil([&] {
        return !server.accepted.isEmpty() &&
               (!server.accepted.first() ||
                server.accepted.first()->state() == QAbstractSocket::UnconnectedState);
    }));
    drainPostedEvents();
    EXPECT_EQ(recorder.events, QStringList{u"connect 7"_s});
    EXPECT_EQ(socket->state(), TcpClientSocket::StateClosed);
    EXPECT_TRUE(socket->getData().isEmpty());

    // A look-up failure already on its way is dropped too.
    recorder.events.clear();
    connectTo(MissingHost);
    socket->close();
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
        ports[GoodHost] = server.port();
        socket->disconnect();
        Recorder recorder(*socket);
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
                waitUntil([&] { return socket->bytesAvailable() >= 3; }, 2000);
                drainPostedEvents();
            }
            --depth;
        };
        connectTo(GoodHost);
        ASSERT_TRUE(waitUntil([&] { return recorder.received.size() >= 6; }));
        if (peerCloses) {
            ASSERT_TRUE(waitUntil([&] { return recorder.closed(); }));
            EXPECT_EQ(recorder.events.last(), u"close 8"_s);
            EXPECT_EQ(recorder.events.count(u"close 8"_s), 1);
        }
        EXPECT_EQ(deepest, 1);
        EXPECT_EQ(recorder.received, QByteArray("onetwo"));
        socket->close();
    }
}
