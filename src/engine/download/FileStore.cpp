#include "download/FileStore.h"

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
    QTemporaryFile staging(storedFilePath(folder, QStringLiteral(".vorpaline-XXXXXX.part")));
    if (!staging.open()) {
        outcome.error = staging.errorString();
        return outcome;
    }
    staging.close();

    std::error_code error;
    std::filesystem::copy_file(toPath(source), toPath(staging.fileName()),
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        outcome.error = reason(error);
        return outcome;
    }
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
    return outcome;
}
