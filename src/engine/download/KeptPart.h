#pragma once

#include "download/ResumeRules.h"

#include <QString>
#include <QtGlobal>

#include <optional>

class QFile;

// The part of a cut download, kept for the next attempt, job or run: the
// temporary file itself, and beside it a record (downloading.resume) of what
// it is a part of. The record is written only once the part's bytes are on
// the disk, and it names the file as it stood then: a part that was written
// to or replaced since is never taken for the rest of anything.
class KeptPart final
{
    Q_DISABLE_COPY_MOVE(KeptPart)

public:
    explicit KeptPart(const QString &temporaryFolder);

    // Opens the part kept for url in file, placed at its end, and returns its
    // record. A record of anything else is removed.
    std::optional<ResumeRecord> take(const QString &url, QFile &file);
    // Keeps what file holds as the first record.bytes bytes of record's file.
    bool keep(QFile &file, ResumeRecord record);
    // The temporary file is no part any more: the record goes.
    void forget();

private:
    QString m_partPath, m_recordPath;
};
