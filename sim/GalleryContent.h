#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// What the simulated gallery site holds: users with three folders of
// submissions, and the files behind them.
//
// Address scheme (what the listing side's rewriting turns back into the file):
//   file        /art/<artist>/<id>.<artist>.<slug>.<ext>
//   thumbnail   pictures:      <id>[.<artist>].<slug>.200.thumbnail.png
//               other types:   <id>[.<artist>].<slug>.<ext>.png
//   where the ".<artist>" part is left out in the artist's own gallery (the
//   gallery owner mark puts it back) and kept in scraps and favorites.
// Slugs hold no "." and never contain a user name.
struct SimSubmission
{
    int id = 0;
    QString artist;      // lower-case user name of the author
    QString slug;        // file-name part, no dots
    QString extension;   // png jpg gif txt doc rtf mp3 swf ...
    QString titleMarkup; // the title as written in the page (may hold entities)
    QString rating;      // "general", "mature" or "adult"
    QByteArray body;     // served by the file host

    QString filePath() const;
    // The thumbnail address path as shown in a listing; ownGallery is true when
    // the listing is the gallery of the submission's artist.
    QString thumbnailPath(bool ownGallery) const;
};

struct SimUser
{
    QString name;
    QList<SimSubmission> gallery;
    QList<SimSubmission> scraps;
    QList<SimSubmission> favorites;

    const QList<SimSubmission> *folder(const QString &folderName) const;
};

class GalleryContent final
{
public:
    int pageSize = 4; // submissions per listing page

    void addUser(const SimUser &user);
    const SimUser *user(const QString &name) const; // exact name as requested
    // The submission whose file lives at this path, or nullptr.
    const SimSubmission *fileAt(const QString &path) const;

    // Helper for tests: a submission with a generated body of the given size.
    static SimSubmission make(int id, const QString &artist, const QString &slug,
                              const QString &extension, const QString &titleMarkup,
                              const QString &rating = QStringLiteral("general"),
                              int bodySize = 1000);

private:
    QMap<QString, SimUser> m_users;
    QMap<QString, SimSubmission> m_files;
};

// body in the chunked transfer coding: chunks of at most chunkSize bytes, the
// first with an extension, and a trailer after the last.
QByteArray chunkedBody(const QByteArray &body, int chunkSize);
