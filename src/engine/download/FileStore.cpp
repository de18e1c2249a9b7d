#include "download/FileStore.h"

#include "naming/FileNames.h"
#include "platform/LocalFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace {

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
bool copyInto(QFile &source, qint64 size, QFile &target, QString *error)
{
    if (!source.seek(0)) {
        *error = source.errorString();
        return false;
    }
    QByteArray block(1024 * 1024, Qt::Uninitialized);
    for (qint64 done = 0; done < size;) {
        const qint64 n = source.read(block.data(), std::min<qint64>(block.size(), size - done));
        if (n < 0) {
            *error = source.errorString();
            return false;
        }
        if (n == 0) {
            *error = QStringLiteral("the temporary file holds %1 of the %2 bytes received")
                         .arg(done)
                         .arg(size);
            return false;
        }
        if (!LocalFiles::writeAll(target, QByteArrayView(block.constData(), n), error))
            return false;
        done += n;
    }
    return true;
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

StoreOutcome storeFile(QFile &source, qint64 size, const QString &folder, const StoreNames &names)
{
    StoreOutcome outcome;
    outcome.name = names.name;
    // Without a folder the name alone would land in the working directory.
    if (folder.isEmpty()) {
        outcome.error = QStringLiteral("no download folder");
        return outcome;
    }
    // A name of our own in the target folder: if this fails, the folder or the
    // disk is at fault, not the submission's name.
    QFile staging;
    QString stagingPath;
    if (!LocalFiles::createUnique(staging, folder, StagingPattern, &stagingPath, &outcome.error))
        return outcome;
    auto removeStaging = qScopeGuard([&] { QFile::remove(stagingPath); });
    if (!copyInto(source, size, staging, &outcome.error) ||
        !LocalFiles::syncData(staging, &outcome.error))
        return outcome;
    staging.close();

    for (int number = 1; number <= names.lastNumber; ++number) {
        const QString name = number == 1 ? names.name : numberedName(names.name, number);
        if (names.reserved && names.reserved(name))
            continue;
        const int failure =
            LocalFiles::moveWithoutReplacing(stagingPath, storedFilePath(folder, name));
        if (failure == EEXIST)
            continue;
        outcome.name = name;
        if (failure != 0) {
            const std::error_code error(failure, std::generic_category());
            outcome.result = isStorageFailure(error) ? StoreOutcome::Result::Failed
                                                     : StoreOutcome::Result::NameRefused;
            outcome.error = reason(error);
            return outcome;
        }
        removeStaging.dismiss();
        // The new name itself must survive a power cut too.
        LocalFiles::syncFolder(folder);
        outcome.result = StoreOutcome::Result::Stored;
        removeStaleStagingFiles(folder);
        return outcome;
    }
    outcome.result = StoreOutcome::Result::Taken;
    outcome.error =
        names.lastNumber > 1
            ? QStringLiteral("it and its numbered names up to %1 are taken").arg(names.lastNumber)
            : QStringLiteral("it is taken");
    return outcome;
}
