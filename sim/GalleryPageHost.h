#pragma once

#include "GalleryContent.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

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

    bool listen(quint16 port = 0); // on 127.0.0.1; 0 picks a free port
    quint16 port() const;

    QList<QByteArray> requests() const { return m_requests; }

private:
    const GalleryContent &m_content;
    QString m_fileHost;
    QTcpServer m_server;
    QList<QByteArray> m_requests;
};
