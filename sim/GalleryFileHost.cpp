#include "GalleryFileHost.h"

#include <QPointer>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

// The generated pattern repeats every prime number of bytes, so that pieces
// never line up with it and a misplaced block shows in a comparison.
constexpr qint64 PatternPeriod = 65521;

const std::array<char, 2 * PatternPeriod> &pattern()
{
    static const std::array<char, 2 *PatternPeriod> table = [] {
        std::array<char, 2 * PatternPeriod> bytes{};
        for (qint64 i = 0; i < 2 * PatternPeriod; ++i) {
            const qint64 k = i % PatternPeriod;
            bytes[size_t(i)] = char((k * 31 + k / 251) & 0xFF);
        }
        return bytes;
    }();
    return table;
}

constexpr qint64 StreamPiece = 256 * 1024;
constexpr qint64 HighWater = 1024 * 1024; // bytes queued in the socket before waiting

QByteArray statusReason(GalleryFileHost::Fault fault, int *code)
{
    switch (fault) {
    case GalleryFileHost::Fault::BadRequest:
        *code = 400;
        return "Bad Request";
    case GalleryFileHost::Fault::Forbidden:
        *code = 403;
        return "Forbidden";
    case GalleryFileHost::Fault::TooManyRequests:
        *code = 429;
        return "Too Many Requests";
    case GalleryFileHost::Fault::Unavailable:
        *code = 503;
        return "Service Unavailable";
    default:
        *code = 0;
        return {};
    }
}

} // namespace

char GalleryFileHost::generatedByte(qint64 offset)
{
    return pattern()[size_t(offset % PatternPeriod)];
}

void GalleryFileHost::generateBytes(qint64 offset, char *out, qint64 length)
{
    const auto &table = pattern();
    while (length > 0) {
        const qint64 start = offset % PatternPeriod;
        const qint64 n = std::min(length, PatternPeriod);
        std::memcpy(out, table.data() + start, size_t(n));
        out += n;
        offset += n;
        length -= n;
    }
}

// One accepted connection: reads requests and streams the replies, one after
// the other on the same connection while the client keeps it alive.
class GalleryFileHost::Connection final : public QObject
{
public:
    Connection(GalleryFileHost &host, QTcpSocket *socket)
        : QObject(socket), m_host(host), m_socket(socket)
    {
        connect(socket, &QTcpSocket::readyRead, this, &Connection::onReadyRead);
        connect(socket, &QTcpSocket::bytesWritten, this, [this] { writeMore(); });
        // Over TLS the bytes that hold the body back are the encrypted ones.
        if (auto *secure = qobject_cast<QSslSocket *>(socket))
            connect(secure, &QSslSocket::encryptedBytesWritten, this, [this] { writeMore(); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    void onReadyRead()
    {
        m_request += m_socket->readAll();
        while (!m_replying) {
            const qsizetype end = m_request.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QByteArray request = m_request.left(end + 4);
            m_request.remove(0, end + 4);
            m_host.m_requests.append(request);
            emit m_host.requestReceived(request);
            startReply(request);
        }
    }

private:
    void startReply(const QByteArray &request)
    {
        const QList<QByteArray> parts = request.left(request.indexOf("\r\n")).split(' ');
        const QString path = parts.size() >= 2 ? QString::fromLatin1(parts.at(1)) : QString();
        m_keepAlive = request.toLower().contains("connection: keep-alive");

        const Fault fault = m_host.takeFault(path);
        if (fault == Fault::NoReply) {
            m_replying = true; // the connection stays silent until the client drops it
            return;
        }
        if (fault == Fault::CloseAtOnce) {
            m_replying = true;
            m_socket->disconnectFromHost();
            return;
        }
        if (fault == Fault::NotHttp) {
            m_replying = true;
            m_socket->write("SSH-2.0-OpenSSH_9.6\r\nProtocol mismatch.\r\n\r\n");
            return;
        }

        const SimSubmission *submission = m_host.m_content.fileAt(path);
        const auto generated = m_host.m_generated.constFind(path);
        int code = 0;
        QByteArray reason = statusReason(fault, &code);
        if (fault == Fault::NotFound ||
            (code == 0 && !submission && generated == m_host.m_generated.constEnd())) {
            code = 404;
            reason = m_host.m_notFoundReason;
        }
        if (code != 0) {
            const QByteArray page = "<html><head><title>" + reason + "</title></head><body><h1>" +
                                    reason + "</h1></body></html>\n";
            m_body = [page](qint64 offset, char *out, qint64 length) {
                std::memcpy(out, page.constData() + offset, size_t(length));
            };
            beginBody(QByteArray::number(code) + ' ' + reason, page.size(), page.size(), false,
                      false);
            return;
        }

        qint64 size = 0;
        if (generated != m_host.m_generated.constEnd()) {
            size = generated->size;
            m_body = generated->source ? generated->source : BodySource(&generateBytes);
        } else {
            const QByteArray body = submission->body;
            size = body.size();
            m_body = [body](qint64 offset, char *out, qint64 length) {
                std::memcpy(out, body.constData() + offset, size_t(length));
            };
        }

        m_fileFields = fileFields(m_host.m_ranges.entityTag);
        if (const auto cut = m_host.m_cuts.constFind(path); cut != m_host.m_cuts.constEnd()) {
            m_cutAt = *cut;
            m_host.m_cuts.erase(cut);
        }
        if (fault == Fault::None && serveRange(request, size))
            return;

        switch (fault) {
        case Fault::NoContentLength:
            beginBody("200 OK", -1, size, true, false);
            return;
        case Fault::SplitHeader:
            beginBody("200 OK", size, size, false, true);
            return;
        case Fault::OverLongBody: {
            const qint64 extra = m_host.m_overLongExtra;
            const BodySource inner = m_body;
            m_body = [inner, size](qint64 offset, char *out, qint64 length) {
                // The real body, then more of the same pattern.
                const qint64 real = std::clamp<qint64>(size - offset, 0, length);
                if (real > 0)
                    inner(offset, out, real);
                if (length > real)
                    generateBytes(offset + real, out + real, length - real);
            };
            // All in one write, so that the surplus arrives with the last byte.
            m_wholeAtOnce = true;
            beginBody("200 OK", size, size + extra, false, false);
            return;
        }
        case Fault::CloseMidHeader:
            m_replying = true;
            m_socket->write("HTTP/1.1 200 OK\r\nContent-Le");
            m_socket->disconnectFromHost();
            return;
        case Fault::ClaimedLength:
            m_claimedLength = m_host.m_claimedLength;
            beginBody("200 OK", -1, size, true, false);
            return;
        case Fault::CloseMidBody:
            beginBody("200 OK", size, size / 2, true, false);
            return;
        case Fault::Chunked:
        case Fault::Gzipped: {
            QByteArray body(size, Qt::Uninitialized);
            m_body(0, body.data(), size);
            if (fault == Fault::Chunked)
                body = chunkedBody(body, 700);
            m_extraHeader = fault == Fault::Chunked ? "Transfer-Encoding: chunked\r\n"
                                                    : "Content-Encoding: gzip\r\n";
            if (!m_host.m_codingField.isEmpty())
                m_extraHeader = m_host.m_codingField + "\r\n";
            m_body = [body](qint64 offset, char *out, qint64 length) {
                std::memcpy(out, body.constData() + offset, size_t(length));
            };
            beginBody("200 OK", -1, body.size(), true, false);
            return;
        }
        case Fault::StallMidBody:
            m_stallAfter = true;
            beginBody("200 OK", size, size / 2, false, false);
            return;
        default:
            beginBody("200 OK", size, size, false, false);
            return;
        }
    }

    // The first field of that name in the request, as sent.
    static QByteArray field(const QByteArray &request, const QByteArray &name)
    {
        for (const QByteArray &line : request.split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
                return line.mid(colon + 1).trimmed();
        }
        return {};
    }

    QByteArray fileFields(const QByteArray &entityTag) const
    {
        const Ranges &ranges = m_host.m_ranges;
        QByteArray fields = ranges.accepted ? "Accept-Ranges: bytes\r\n" : "";
        if (!entityTag.isEmpty())
            fields += "ETag: " + entityTag + "\r\n";
        if (!ranges.lastModified.isEmpty())
            fields += "Last-Modified: " + ranges.lastModified + "\r\n";
        return fields;
    }

    // A request for the rest of a file, when ranges are served and its
    // If-Range names the file as it is: answered here. False: the whole file.
    bool serveRange(const QByteArray &request, qint64 size)
    {
        const Ranges &ranges = m_host.m_ranges;
        const QByteArray range = field(request, "Range"), ifRange = field(request, "If-Range");
        const bool current =
            ifRange.isEmpty() || (!ifRange.startsWith("W/") &&
                                  (ifRange == ranges.entityTag || ifRange == ranges.lastModified));
        if (!ranges.accepted || !range.startsWith("bytes=") || !range.endsWith('-') || !current ||
            ranges.reply == RangeReply::Ignored)
            return false;
        bool number = false;
        qint64 from = range.mid(6).chopped(1).toLongLong(&number);
        if (!number || from < 0)
            return false;
        if (from >= size || ranges.reply == RangeReply::Unsatisfiable) {
            m_extraHeader = "Content-Range: bytes */" + QByteArray::number(size) + "\r\n";
            m_body = {};
            beginBody("416 Range Not Satisfiable", 0, 0, false, false);
            return true;
        }
        from = std::max<qint64>(0, from - (ranges.reply == RangeReply::WrongStart ? 1 : 0));
        const qint64 total = size + (ranges.reply == RangeReply::WrongTotal ? 1 : 0);
        if (ranges.reply != RangeReply::NoContentRange)
            m_extraHeader = "Content-Range: bytes " + QByteArray::number(from) + '-' +
                            QByteArray::number(size - 1) + '/' + QByteArray::number(total) + "\r\n";
        if (ranges.reply == RangeReply::OtherTag)
            m_fileFields = fileFields("\"other\"");
        m_body = [whole = m_body, from](qint64 offset, char *out, qint64 length) {
            whole(from + offset, out, length);
        };
        beginBody("206 Partial Content", size - from, size - from, false, false);
        return true;
    }

    // contentLength -1 leaves the header out; sendBytes is what really goes out.
    void beginBody(const QByteArray &status, qint64 contentLength, qint64 sendBytes,
                   bool closeAfter, bool splitHeader)
    {
        if (m_cutAt >= 0) {
            sendBytes = std::min(sendBytes, std::exchange(m_cutAt, -1));
            closeAfter = true;
        }
        m_replying = true;
        m_header = "HTTP/1.1 " + status + "\r\nServer: gallery-sim\r\n";
        m_header += "Content-Type: application/octet-stream\r\n" + std::exchange(m_extraHeader, {});
        m_header += std::exchange(m_fileFields, {});
        if (!m_claimedLength.isEmpty())
            m_header += "Content-Length: " + std::exchange(m_claimedLength, {}) + "\r\n";
        else if (contentLength >= 0)
            m_header += "Content-Length: " + QByteArray::number(contentLength) + "\r\n";
        const bool keepOpen = m_keepAlive && !closeAfter && contentLength >= 0;
        m_header += keepOpen ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
        m_closeAfter = !keepOpen;
        m_offset = 0;
        m_total = sendBytes;
        m_splitHeader = splitHeader;
        writeMore();
    }

    void writeMore()
    {
        if (!m_replying || m_waiting || !m_socket)
            return;
        if (!m_header.isEmpty()) {
            if (m_splitHeader) {
                // A few bytes at a time, with a pause, so the header spans chunks.
                m_socket->write(m_header.left(9));
                m_header.remove(0, 9);
                pauseThenWriteMore(std::max(20, m_host.m_pieceDelayMs));
                return;
            }
            if (!m_wholeAtOnce) {
                m_socket->write(m_header);
                m_header.clear();
            }
        }
        if (m_wholeAtOnce) {
            QByteArray all = m_header;
            m_header.clear();
            const qsizetype start = all.size();
            all.resize(start + m_total);
            m_body(0, all.data() + start, m_total);
            m_offset = m_total;
            m_socket->write(all);
        }
        const qint64 piece = m_host.m_pieceSize > 0 ? m_host.m_pieceSize : StreamPiece;
        while (m_offset < m_total && SimListener::unsentBytes(*m_socket) < HighWater) {
            const qint64 n = std::min(piece, m_total - m_offset);
            QByteArray bytes(n, Qt::Uninitialized);
            m_body(m_offset, bytes.data(), n);
            m_offset += n;
            m_socket->write(bytes);
            if (m_host.m_pieceDelayMs > 0 && m_offset < m_total) {
                pauseThenWriteMore(m_host.m_pieceDelayMs);
                return;
            }
        }
        if (m_offset < m_total)
            return; // bytesWritten brings us back
        finishReply();
    }

    // Sends what is queued now, so that the client reads it as a chunk of its own.
    void pauseThenWriteMore(int milliseconds)
    {
        m_waiting = true; // flush() may report bytesWritten before it returns
        m_socket->flush();
        QTimer::singleShot(milliseconds, this, [this] {
            m_waiting = false;
            writeMore();
        });
    }

    void finishReply()
    {
        if (m_stallAfter)
            return; // stays replying: nothing more is read or sent
        m_replying = false;
        m_wholeAtOnce = false;
        m_body = {};
        if (m_closeAfter) {
            m_socket->disconnectFromHost(); // after what is queued has gone out
            return;
        }
        if (!m_request.isEmpty())
            QTimer::singleShot(0, this, [this] { onReadyRead(); });
    }

    GalleryFileHost &m_host;
    QPointer<QTcpSocket> m_socket;
    QByteArray m_request;
    bool m_replying = false;
    bool m_keepAlive = false;
    bool m_closeAfter = false;
    bool m_splitHeader = false;
    bool m_wholeAtOnce = false;
    bool m_waiting = false;
    bool m_stallAfter = false;
    QByteArray m_claimedLength;
    QByteArray m_extraHeader;
    QByteArray m_fileFields; // what a file reply says of resuming
    qint64 m_cutAt = -1;     // the body stops after this many bytes
    QByteArray m_header;
    BodySource m_body;
    qint64 m_offset = 0;
    qint64 m_total = 0;
};

GalleryFileHost::GalleryFileHost(const GalleryContent &content, QObject *parent)
    : QObject(parent), m_content(content)
{
    connect(&m_server, &SimListener::connectionReady, this, &GalleryFileHost::onNewConnection);
}

bool GalleryFileHost::listen(quint16 port)
{
    if (!m_server.listen(port))
        return false;
    m_port = m_server.serverPort();
    return true;
}

quint16 GalleryFileHost::port() const
{
    return m_port;
}

void GalleryFileHost::setFault(const QString &path, Fault fault, int times)
{
    m_pathFaults.insert(path, PathFault{fault, times});
}

void GalleryFileHost::setNextFaults(Fault fault, int count)
{
    m_nextFault = fault;
    m_nextFaultCount = count;
}

void GalleryFileHost::clearFaults()
{
    m_pathFaults.clear();
    m_nextFault = Fault::None;
    m_nextFaultCount = 0;
}

void GalleryFileHost::setRefusing(bool refusing)
{
    if (refusing) {
        m_server.close();
        return;
    }
    if (!m_server.isListening())
        m_server.listen(m_port);
}

void GalleryFileHost::addGeneratedFile(const QString &path, qint64 size, BodySource source)
{
    m_generated.insert(path, Generated{size, std::move(source)});
}

GalleryFileHost::Fault GalleryFileHost::takeFault(const QString &path)
{
    const auto it = m_pathFaults.find(path);
    if (it != m_pathFaults.end() && it->times != 0) {
        const Fault fault = it->fault;
        if (it->times > 0)
            --it->times;
        return fault;
    }
    if (m_nextFaultCount > 0) {
        --m_nextFaultCount;
        return m_nextFault;
    }
    return Fault::None;
}

void GalleryFileHost::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        ++m_connections;
        auto *connection = new Connection(*this, socket);
        // Bytes that came with the connection may already be waiting.
        QTimer::singleShot(0, connection, [connection] { connection->onReadyRead(); });
    }
}
