#pragma once

#include "GalleryContent.h"
#include "SimListener.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>

#include <functional>

// Serves the files of a GalleryContent on loopback:
//   GET /art/<artist>/<file> HTTP/1.0  ->  200 with Content-Length and the body
// Unknown paths get a 404. Every request's exact bytes are recorded. Ranges
// ("Range: bytes=N-", with or without If-Range) are served when switched on. Faults can
// be switched on for tests, per path or for the next requests of any path.
// Bodies are streamed: a generated file of any size is never held in memory.
class GalleryFileHost final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GalleryFileHost)

public:
    enum class Fault
    {
        None,
        BadRequest,      // 400 Bad Request
        NotFound,        // 404, with the reason text set by setNotFoundReason
        Forbidden,       // 403 Forbidden
        TooManyRequests, // 429 Too Many Requests
        Unavailable,     // 503 Service Unavailable
        NoContentLength, // the body without a size, then the connection closes
        SplitHeader,     // the header in small pieces, a pause between them
        OverLongBody,    // overLongExtra more bytes than the Content-Length says
        NoReply,         // the request is read and never answered
        CloseMidBody,    // half the body, then the connection closes
        StallMidBody,    // half the body, then silence on an open connection
        NotHttp,         // a few lines that are no HTTP reply; the connection stays open
        ClaimedLength,   // the Content-Length set by setClaimedLength, the real body, a close
        CloseAtOnce,     // the request is read and the connection closes with no reply
        CloseMidHeader,  // the first half of the header, then the connection closes
        Chunked,         // the body in the chunked transfer coding, then a close
        Gzipped,         // "Content-Encoding: gzip" over the body as it is
    };

    // How a request for the rest of a file is answered.
    enum class RangeReply
    {
        Honest,         // 206 with the bytes asked for, or 416 past the end
        Ignored,        // the whole file, 200
        WrongStart,     // 206 from a byte earlier than asked
        WrongTotal,     // 206 naming a total one byte larger
        NoContentRange, // 206 without its Content-Range
        Unsatisfiable,  // 416 whatever was asked
        OtherTag,       // 206 naming another entity tag
    };
    // What file replies say of resuming. Accept-Ranges, ETag and Last-Modified
    // are sent when set; an If-Range that names neither validator as sent
    // (or a weak tag) gets the whole file.
    struct Ranges
    {
        bool accepted = false; // "Accept-Ranges: bytes", and ranges served
        QByteArray entityTag, lastModified;
        RangeReply reply = RangeReply::Honest;
    };

    // Writes length bytes of the body starting at offset into out.
    using BodySource = std::function<void(qint64 offset, char *out, qint64 length)>;

    explicit GalleryFileHost(const GalleryContent &content, QObject *parent = nullptr);

    bool listen(quint16 port = 0); // on 127.0.0.1; 0 picks a free port
    // Serves over TLS with this configuration; before listen().
    void serveTls(const QSslConfiguration &configuration) { m_server.setTls(configuration); }
    quint16 port() const;

    QList<QByteArray> requests() const { return m_requests; }
    int connectionCount() const { return m_connections; }

    // times: how many requests of that path get the fault; -1 for every one.
    void setFault(const QString &path, Fault fault, int times = -1);
    // The next count requests, whatever their path (a path fault goes first).
    void setNextFaults(Fault fault, int count);
    void clearFaults();

    // While refusing, the port does not listen: connections are refused.
    void setRefusing(bool refusing);

    void setNotFoundReason(const QByteArray &reason) { m_notFoundReason = reason; }
    // At most this many body bytes per write (0: as the socket takes them) and
    // a pause between writes (0: none), to make the client see many chunks.
    void setPieceSize(int bytes) { m_pieceSize = bytes; }
    void setPieceDelayMs(int milliseconds) { m_pieceDelayMs = milliseconds; }
    void setOverLongExtra(int bytes) { m_overLongExtra = bytes; }
    // The Content-Length text as sent, unchecked ("-1", "3000000000", ...).
    void setClaimedLength(const QByteArray &text) { m_claimedLength = text; }
    // The field that names the Chunked or Gzipped coding, as sent (folded, say).
    void setCodingField(const QByteArray &field) { m_codingField = field; }
    void setRanges(const Ranges &ranges) { m_ranges = ranges; }
    // The next file reply of path stops after this many body bytes, and the
    // connection closes.
    void cutOnce(const QString &path, qint64 bodyBytes) { m_cuts.insert(path, bodyBytes); }

    // A file whose body is made on the fly; the default source is generatedByte().
    void addGeneratedFile(const QString &path, qint64 size, BodySource source = {});
    static char generatedByte(qint64 offset);
    static void generateBytes(qint64 offset, char *out, qint64 length);

signals:
    void requestReceived(const QByteArray &request);

private:
    struct PathFault
    {
        Fault fault = Fault::None;
        int times = -1;
    };
    struct Generated
    {
        qint64 size = 0;
        BodySource source;
    };
    class Connection;

    void onNewConnection();
    Fault takeFault(const QString &path);

    const GalleryContent &m_content;
    SimListener m_server;
    quint16 m_port = 0;
    QList<QByteArray> m_requests;
    int m_connections = 0;

    QHash<QString, PathFault> m_pathFaults;
    Fault m_nextFault = Fault::None;
    int m_nextFaultCount = 0;
    QHash<QString, Generated> m_generated;
    QByteArray m_notFoundReason = "Not Found";
    int m_pieceSize = 0;
    int m_pieceDelayMs = 0;
    int m_overLongExtra = 100;
    QByteArray m_claimedLength;
    QByteArray m_codingField;
    Ranges m_ranges;
    QHash<QString, qint64> m_cuts;
};
