#include "GalleryPageHost.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

namespace {

const QByteArray EndMarker = QByteArrayLiteral("Page generated in");

QByteArray latin1(const QString &text)
{
    return text.toLatin1();
}

QString folderTitle(const QString &folder)
{
    if (folder == QLatin1String("scraps"))
        return QStringLiteral("Scraps");
    if (folder == QLatin1String("favorites"))
        return QStringLiteral("Favorites");
    return QStringLiteral("Gallery");
}

} // namespace

GalleryPageHost::GalleryPageHost(const GalleryContent &content, const QString &fileHost,
                                 QObject *parent)
    : QObject(parent), m_content(content), m_fileHost(fileHost)
{
    connect(&m_server, &SimListener::connectionReady, this, &GalleryPageHost::onNewConnection);
}

GalleryPageHost::~GalleryPageHost()
{
    stopListening();
}

bool GalleryPageHost::listen(quint16 port)
{
    return m_server.listen(port);
}

quint16 GalleryPageHost::port() const
{
    return m_server.serverPort();
}

void GalleryPageHost::stopListening()
{
    m_server.close();
    const auto sockets = m_clients.keys();
    m_clients.clear();
    for (QTcpSocket *socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

QStringList GalleryPageHost::requestPaths() const
{
    QStringList paths;
    for (const QByteArray &request : m_requests) {
        const QList<QByteArray> words = request.left(request.indexOf('\r')).split(' ');
        paths.append(words.size() >= 2 ? QString::fromLatin1(words.at(1)) : QString());
    }
    return paths;
}

void GalleryPageHost::dropNext(int times, const QString &path)
{
    m_faults.append({Fault::Drop, path, times});
}

void GalleryPageHost::stallNext(int times, const QString &path)
{
    m_faults.append({Fault::Stall, path, times});
}

bool GalleryPageHost::takeFault(Fault::Kind kind, const QString &path)
{
    for (Fault &fault : m_faults) {
        if (fault.kind != kind || fault.remaining <= 0)
            continue;
        if (!fault.path.isEmpty() && fault.path != path)
            continue;
        --fault.remaining;
        return true;
    }
    return false;
}

void GalleryPageHost::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        m_clients.insert(socket, Client{});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_clients.remove(socket);
            socket->deleteLater();
        });
    }
}

void GalleryPageHost::onReadyRead(QTcpSocket *socket)
{
    auto it = m_clients.find(socket);
    if (it == m_clients.end())
        return;
    it->received += socket->readAll();
    const qsizetype end = it->received.indexOf("\r\n\r\n");
    if (end < 0 || it->answered)
        return;
    const QByteArray request = it->received.left(end + 4);
    it->answered = true;
    m_requests.append(request);
    emit requestReceived(request);

    const QList<QByteArray> words = request.left(request.indexOf('\r')).split(' ');
    if (m_clients.contains(socket))
        answer(socket, words.size() >= 2 ? QString::fromLatin1(words.at(1)) : QString());
}

void GalleryPageHost::answer(QTcpSocket *socket, const QString &path)
{
    QByteArray bytes = m_raw.contains(path) ? m_raw.value(path) : reply(path);
    const bool drop = takeFault(Fault::Drop, path);
    const bool stall = !drop && takeFault(Fault::Stall, path);
    if (drop || stall) {
        // Half of what comes before the end marker, then nothing more.
        const qsizetype marker = bytes.indexOf(EndMarker);
        bytes.truncate(std::max<qsizetype>(1, (marker < 0 ? bytes.size() : marker) / 2));
    }
    const qsizetype headerEnd = bytes.indexOf("\r\n\r\n");
    if ((m_chunked || !m_contentCoding.isEmpty()) && headerEnd > 0) {
        QByteArray header = bytes.left(headerEnd + 2);
        QByteArray body = bytes.mid(headerEnd + 4);
        if (!m_contentCoding.isEmpty())
            header += "Content-Encoding: " + m_contentCoding + "\r\n";
        if (m_chunked) {
            // The size goes: the framing says where the body ends.
            const qsizetype length = header.indexOf("Content-Length:");
            if (length >= 0)
                header.remove(length, header.indexOf("\r\n", length) + 2 - length);
            header += "Transfer-Encoding: chunked\r\n";
            body = chunkedBody(body, 300);
        }
        bytes = header + "\r\n" + body;
    }
    Client &client = m_clients[socket];
    client.closeAfter = drop;
    client.pending = bytes;
    writeNextPiece(socket);
}

void GalleryPageHost::writeNextPiece(QPointer<QTcpSocket> socket)
{
    if (!socket)
        return;
    auto it = m_clients.find(socket.data());
    if (it == m_clients.end())
        return;
    const qsizetype size = m_pieceSize > 0 ? m_pieceSize : it->pending.size();
    const QByteArray piece = it->pending.left(size);
    it->pending.remove(0, size);
    const bool more = !it->pending.isEmpty();
    const bool closeAfter = it->closeAfter;
    // Writing may find the client gone, which drops it from m_clients.
    socket->write(piece);
    socket->flush();
    if (!socket || !m_clients.contains(socket.data()))
        return;
    if (more)
        QTimer::singleShot(m_pieceDelayMs, this, [this, socket] { writeNextPiece(socket); });
    else if (closeAfter)
        socket->disconnectFromHost();
}

QByteArray GalleryPageHost::reply(const QString &path) const
{
    const QStringList parts = path.split(u'/');
    // "", folder, user, page
    const SimUser *user = parts.size() == 4 ? m_content.user(parts.at(2)) : nullptr;
    if (parts.size() == 4 && !user) {
        return page(QStringLiteral("User not found"),
                    latin1(QStringLiteral("<div class=\"error\">\n\t<p>The username &quot;") +
                           parts.at(2) +
                           QStringLiteral("&quot; could not be found.</p>\n</div>\n")));
    }
    bool numeric = false;
    const int number = parts.size() == 4 ? parts.at(3).toInt(&numeric) : 0;
    const QList<SimSubmission> *items = user ? user->folder(parts.at(1)) : nullptr;
    if (!items || !numeric || number < 1) {
        const QByteArray html =
            latin1(QStringLiteral("<html><head><title>404 Not Found</title></head><body><h1>Not "
                                  "Found</h1></body></html>"));
        return "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: " +
               QByteArray::number(html.size()) + "\r\n\r\n" + html;
    }

    const QString folder = parts.at(1);
    const int size = std::max(1, m_content.pageSize);
    qsizetype first = qsizetype(number - 1) * size;
    if (first >= items->size() && m_endless && !items->isEmpty())
        first = 0;

    QString heading = QStringLiteral("<h2>") + user->name + QStringLiteral("'s ") +
                      folderTitle(folder) + QStringLiteral("</h2>\n");
    const QString title = user->name + QStringLiteral("'s ") + folderTitle(folder);
    if (first >= items->size()) {
        return page(title, latin1(heading + QStringLiteral("<div class=\"gallery-empty\">\n\t<p>"
                                                           "There are no submissions to list "
                                                           "in this folder.</p>\n</div>\n")));
    }
    heading += QStringLiteral("<div class=\"page-nav\">Page %1</div>\n").arg(number);
    const bool ownGallery = folder == QLatin1String("gallery");
    return page(title, latin1(heading) + entries(*items, int(first), ownGallery) +
                           "<div class=\"page-nav\"><a href=\"/" + latin1(folder) + '/' +
                           latin1(user->name) + '/' + QByteArray::number(number + 1) +
                           "\">Next &gt;&gt;</a></div>\n");
}

QByteArray GalleryPageHost::entries(const QList<SimSubmission> &items, int first,
                                    bool ownGallery) const
{
    QString html = QStringLiteral("<div class=\"gallery\">\n");
    const int last = std::min<int>(int(items.size()), first + std::max(1, m_content.pageSize));
    for (int index = first; index < last; ++index) {
        const SimSubmission &item = items.at(index);
        const bool own = ownGallery;
        html += QStringLiteral("<div class=\"submission\" id=\"sub-%1\">\n").arg(item.id);
        html += QStringLiteral("\t<a href=\"/view/%1/\"><img alt=\"\" src=\"http://").arg(item.id) +
                m_fileHost + item.thumbnailPath(own) + QStringLiteral("\" /></a>\n");
        html += QStringLiteral("\t<div class=\"rating\"><span class=\"icon-image ") + item.rating +
                QStringLiteral("\" title=\"") + item.rating +
                QStringLiteral("\"></span>&nbsp;</div>\n");
        html += QStringLiteral("\t<div class=\"info\"><span>") + item.titleMarkup +
                QStringLiteral("</span> <small>by <a href=\"/user/") + item.artist +
                QStringLiteral("/\">") + item.artist + QStringLiteral("</a></small></div>\n");
        html += QStringLiteral("</div>\n");
    }
    html += QStringLiteral("</div>\n");
    return latin1(html);
}

QByteArray GalleryPageHost::page(const QString &title, const QByteArray &body) const
{
    const QByteArray html =
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
        "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n<title>" +
        latin1(title) +
        " -- Gallery</title>\n"
        "<link rel=\"stylesheet\" type=\"text/css\" href=\"/css/main.css\" />\n</head>\n<body>\n"
        "<div id=\"header\">\n\t<a href=\"/\"><img alt=\"Gallery\" src=\"/img/logo.png\" /></a>\n"
        "\t<ul class=\"nav\"><li><a href=\"/browse/\">Browse</a></li>"
        "<li><a href=\"/search/\">Search</a></li><li><a href=\"/login/\">Log in</a></li></ul>\n"
        "</div>\n<div id=\"content\">\n" +
        body +
        "</div>\n<div id=\"footer\">\n\tAll artwork is copyright of its respective owners.<br />\n"
        "\tPage generated in 0.0421 seconds\n</div>\n</body>\n</html>\n";
    return "HTTP/1.1 200 OK\r\nServer: Apache\r\nContent-Type: text/html; charset=ISO-8859-1\r\n"
           "Content-Length: " +
           QByteArray::number(html.size()) + "\r\nConnection: keep-alive\r\n\r\n" + html;
}
