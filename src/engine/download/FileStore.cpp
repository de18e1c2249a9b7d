#include "download/FileStore.h"

#include "platform/LocalFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path toPath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString reason(const std::error_code &code)
{
    return QString::fromLocal8Bit(code.message());
}

// Failures that say nothing about the name itself.
bool isStorageFailure(const std::error_code &code)
{
    const std::error_condition condition = code.default_error_condition();
    return condition == std::errc::permission_denied ||
           condition == std::errc::operation_not_permitted ||
           condition == std::errc::no_space_on_device ||
           condition == std::errc::read_only_file_system || condition == std::errc::io_error ||
           condition == std::errc::file_too_large || condition == std::errc::text_file_busy ||
           condition == std::errc::resource_unavailable_try_again;
}

const QString StagingPattern = QStringLiteral(".vorpaline-XXXXXX.part");

// Copies in blocks, so that a failed write is named in the system's own words
// (the standard library's copy reports a full disk as an input/output error).
bool copyInto(const QString &source, QFileDevice &target, QString *error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = in.errorString();
        return false;
    }
    QFile out;
    if (!out.open(target.handle(), QIODevice::WriteOnly | QIODevice::Unbuffered,
                  QFileDevice::DontCloseHandle)) {
        *error = out.errorString();
        return false;
    }
    QByteArray block(1024 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(block.data(), block.size());
        if (n < 0) {
            *error = in.errorString();
            return false;
        }
        if (n == 0)
            return true;
        if (!LocalFiles::writeAll(out, QByteArrayView(block.constData(), n), error))
            return false;
    }
}

// Staging files of a copy that was killed, left in folder: an hour old, no
// copy of any run is still writing them.
void removeStaleStagingFiles(const QString &folder)
{
    const QDir dir(folder);
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-3600);
    const QFileInfoList leftovers = dir.entryInfoList(
        {QStringLiteral(".vorpaline-*.part")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &info : leftovers)
        if (info.fileName().size() == StagingPattern.size() && info.lastModified() < before)
            QFile::remove(info.absoluteFilePath());
}

} // namespace

QString storedFilePath(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || folder.endsWith(u'/') || folder.endsWith(u'\\'))
        return folder + name;
    return folder + u'/' + name;
}

StoreOutcome storeFile(const QString &source, const QString &folder, const QString &name)
{
    StoreOutcome outcome;
    // Without a folder the name alone would land in the working directory.
    if (folder.isEmpty()) {
        outcome.error = QStringLiteral("no download folder");
        return outcome;
    }
    // A name of our own in the target folder: if this fails, the folder or the
    // disk is at fault, not the submission's name.
    QTemporaryFile staging(storedFilePath(folder, StagingPattern));
    if (!staging.open()) {
        outcome.error = staging.errorString();
        return outcome;
    }
    if (!copyInto(source, staging, &outcome.error))
        return outcome;
    staging.close();

    std::error_code error;
    std::filesystem::rename(toPath(staging.fileName()), toPath(storedFilePath(folder, name)),
                            error);
    if (error) {
        outcome.result = isStorageFailure(error) ? StoreOutcome::Result::Failed
                                                 : StoreOutcome::Result::NameRefused;
        outcome.error = reason(error);
        return outcome; // the staging file is removed with its object
    }
    staging.setAutoRemove(false);
    outcome.result = StoreOutcome::Result::Stored;
    removeStaleStagingFiles(folder);
    return outcome;
}
