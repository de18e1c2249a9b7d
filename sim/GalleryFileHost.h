#pragma once

#include "GalleryContent.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

// Serves the files of a GalleryContent on loopback:
//   GET /art/<artist>/<file> HTTP/1.0  ->  200 with Content-Length and the body
// Unknown paths get a 404. Every request's exact bytes are recorded. Faults can
// be switched on for tests.
class GalleryFileHost final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GalleryFileHost)

public:
    explicit GalleryFileHost(const GalleryContent &content, QObject *parent = nullptr);

    bool listen(quint16 port = 0); // on 127.0.0.1; 0 picks a free port
    quint16 port() const;

    QList<QByteArray> requests() const { return m_requests; }

private:
    const GalleryContent &m_content;
    QTcpServer m_server;
    QList<QByteArray> m_requests;
};
