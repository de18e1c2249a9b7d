#include "download/KeptPart.h"

#include "naming/DownloadFolders.h"
#include "platform/LocalFiles.h"

#include <QDir>
#include <QFile>

namespace {

const QString RecordFileName = QStringLiteral("downloading.resume");
constexpr qint64 MaxRecordBytes = 16 * 1024;

} // namespace

KeptPart::KeptPart(const QString &temporaryFolder)
    : m_partPath(QDir(temporaryFolder).filePath(TemporaryFileName)),
      m_recordPath(QDir(temporaryFolder).filePath(RecordFileName))
{
}

std::optional<ResumeRecord> KeptPart::take(const QString &url, QFile &file)
{
    file.close();
    QByteArray text;
    QString error;
    if (LocalFiles::readRegularFile(m_recordPath, MaxRecordBytes, &text, &error) !=
        LocalFiles::ReadResult::Read)
        return std::nullopt;
    const std::optional<ResumeRecord> record = readResumeRecord(text);
    if (record && record->url == url && LocalFiles::openExisting(file, m_partPath) &&
        LocalFiles::identity(file) == record->identity && file.seek(record->bytes))
        return record;
    file.close();
    forget();
    return std::nullopt;
}

bool KeptPart::keep(QFile &file, ResumeRecord record)
{
    QString error;
    // The bytes first: a record never claims what a power cut could take back.
    if (!file.isOpen() || file.size() != record.bytes || !LocalFiles::syncData(file, &error))
        return false;
    record.identity = LocalFiles::identity(file);
    QFile out;
    if (LocalFiles::createFresh(out, m_recordPath, &error) &&
        LocalFiles::writeAll(out, resumeRecordText(record), &error) &&
        LocalFiles::syncData(out, &error))
        return true;
    out.close();
    forget();
    return false;
}

void KeptPart::forget()
{
    QFile::remove(m_recordPath);
}
