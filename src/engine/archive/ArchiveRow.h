#pragma once

#include <QDateTime>
#include <QString>

// The archive file, beside the settings file.
inline const QString ArchiveFileName = QStringLiteral("vorpaline-archive.sqlite");

// One stored submission as the archive keeps it.
struct ArchiveRow
{
    qint64 id = 0; // the number of its /view/N/ link
    QString user;
    QString folder; // gallery, scraps or favorites
    QString rating; // general, mature, adult, or empty when the page told none
    QString title;  // as listed
    QString url;    // the address it was fetched from
    QString path;   // where it is stored
    qint64 size = 0;
    QString sha256{}; // of the stored bytes, in lower-case hex
    QDateTime stored{};
};
