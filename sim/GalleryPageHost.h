#pragma once

#include "GalleryContent.h"
#include "SimListener.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

class QTcpSocket;

// Serves the listing pages of a GalleryContent on loopback:
//   GET /<gallery|scraps|favorites>/<user>/<page> HTTP/1.1
// Page N holds submissions (N-1)*pageSize .. N*pageSize-1 in the markup the
// listing side reads; the page after the last one says "no submissions to
// list"; an unknown user gets the "not be found" page. Every request's exact
// bytes are recorded. Faults can be switched on for tests.
class GalleryPageHost final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GalleryPageHost)

public:
    GalleryPageHost(const GalleryContent &content, const QString &fileHost,
                    QObject *parent = nullptr);
    ~GalleryPageHost() override;

    bool listen(quint16 port = 0); // on 127.0.0.1; 0 picks a free port
    // Serves over TLS with this configuration; before listen().
    void serveTls(const QSslConfiguration &configuration) { m_server.setTls(configuration); }
    quint16 port() const;
    // Stops listening: further connections are refused. Open ones are dropped.
    void stopListening();

    QList<QByteArray> requests() const { return m_requests; }
    // The request paths in order ("/gallery/someone/1", ...).
    QStringList requestPaths() const;

    // The page text (headers and markup) that a path is answered with.
    QByteArray reply(const QString &path) const;

    // Faults. A path filter of "" matches every page.
    // Replies are written in pieces of this many bytes, one piece per event-loop turn.
    void setPieceSize(int bytes) { m_pieceSize = bytes; }
    // A pause between pieces, for a page host that trickles.
    void setPieceDelayMs(int milliseconds) { m_pieceDelayMs = milliseconds; }
    // Replies in the chunked transfer coding, or with this content coding named
    // in the header (the body left as it is).
    void setChunked(bool chunked) { m_chunked = chunked; }
    void setContentCoding(const QByteArray &coding) { m_contentCoding = coding; }
    // The next `times` matching replies stop before the end marker and the connection closes.
    void dropNext(int times, const QString &path = QString());
    // The next `times` matching replies stop before the end marker and the connection stays open.
    void stallNext(int times, const QString &path = QString());
    // Every page past the last one shows the folder's first page again: a folder without end.
    void setEndless(bool endless) { m_endless = endless; }
    // Answers a path with exactly these bytes instead of a generated page.
    void setRawReply(const QString &path, const QByteArray &bytes) { m_raw.insert(path, bytes); }

signals:
    void requestReceived(const QByteArray &request);

private:
    struct Fault
    {
        enum Kind
        {
            Drop,
            Stall
        } kind;
        QString path;
        int remaining;
    };
    struct Client
    {
        QByteArray received;
        QByteArray pending; // still to write, piece by piece
        bool closeAfter = false;
        bool answered = false;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QString &path);
    void writeNextPiece(QPointer<QTcpSocket> socket);
    bool takeFault(Fault::Kind kind, const QString &path);
    QByteArray page(const QString &title, const QByteArray &body) const;
    QByteArray entries(const QList<SimSubmission> &items, int first, bool ownGallery) const;

    const GalleryContent &m_content;
    QString m_fileHost;
    SimListener m_server;
    QList<QByteArray> m_requests;
    QHash<QTcpSocket *, Client> m_clients;
    QList<Fault> m_faults;
    QHash<QString, QByteArray> m_raw;
    int m_pieceSize = 0; // 0: the whole reply at once
    int m_pieceDelayMs = 0;
    bool m_chunked = false;
    QByteArray m_contentCoding;
    bool m_endless = false;
};
