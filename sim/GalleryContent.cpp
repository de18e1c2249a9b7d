#include "GalleryContent.h"

#include <algorithm>

QString SimSubmission::filePath() const
{
    return QStringLiteral("/art/%1/%2.%1.%3.%4").arg(artist).arg(id).arg(slug, extension);
}

QString SimSubmission::thumbnailPath(bool ownGallery) const
{
    const QString stem = ownGallery ? QStringLiteral("%1.%2").arg(id).arg(slug)
                                    : QStringLiteral("%1.%2.%3").arg(id).arg(artist, slug);
    static const QStringList pictures = {QStringLiteral("png"), QStringLiteral("jpg"),
                                         QStringLiteral("gif")};
    const QString name = pictures.contains(extension)
                             ? stem + QStringLiteral(".200.thumbnail.") + extension
                             : stem + u'.' + extension + QStringLiteral(".png");
    return QStringLiteral("/art/%1/%2").arg(artist, name);
}

const QList<SimSubmission> *SimUser::folder(const QString &folderName) const
{
    if (folderName == QLatin1String("gallery"))
        return &gallery;
    if (folderName == QLatin1String("scraps"))
        return &scraps;
    if (folderName == QLatin1String("favorites"))
        return &favorites;
    return nullptr;
}

void GalleryContent::addUser(const SimUser &user)
{
    m_users.insert(user.name, user);
    for (const auto *list : {&user.gallery, &user.scraps, &user.favorites})
        for (const SimSubmission &submission : *list)
            m_files.insert(submission.filePath(), submission);
}

const SimUser *GalleryContent::user(const QString &name) const
{
    const auto it = m_users.constFind(name);
    return it == m_users.constEnd() ? nullptr : &*it;
}

const SimSubmission *GalleryContent::fileAt(const QString &path) const
{
    const auto it = m_files.constFind(path);
    return it == m_files.constEnd() ? nullptr : &*it;
}

SimSubmission GalleryContent::make(int id, const QString &artist, const QString &slug,
                                   const QString &extension, const QString &titleMarkup,
                                   const QString &rating, int bodySize)
{
    SimSubmission submission;
    submission.id = id;
    submission.artist = artist;
    submission.slug = slug;
    submission.extension = extension;
    submission.titleMarkup = titleMarkup;
    submission.rating = rating;
    submission.body.resize(bodySize);
    for (int i = 0; i < bodySize; ++i)
        submission.body[i] = char((i * 31 + id * 7) & 0xFF);
    return submission;
}

QByteArray chunkedBody(const QByteArray &body, int chunkSize)
{
    QByteArray framed;
    const int size = std::max(1, chunkSize);
    for (qsizetype at = 0; at < body.size(); at += size) {
        const QByteArray piece = body.mid(at, size);
        framed += QByteArray::number(piece.size(), 16) + (at == 0 ? ";part=first" : "") + "\r\n" +
                  piece + "\r\n";
    }
    return framed + "0\r\nX-Checksum: none\r\n\r\n";
}
