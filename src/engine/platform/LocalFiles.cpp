#include "platform/LocalFiles.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LocalFiles {

namespace {

QString systemWords(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

QString kindOf(const struct stat &info)
{
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("a folder");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return QStringLiteral("a device");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("a FIFO");
    if (S_ISSOCK(info.st_mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

} // namespace

bool createFresh(QFile &file, const QString &path, QString *error)
{
    const QByteArray native = QFile::encodeName(path);
    // A folder of that name stays: the exclusive creation below then fails.
    if (::unlink(native.constData()) != 0 && errno != ENOENT && errno != EISDIR && errno != EPERM) {
        *error = systemWords(errno);
        return false;
    }
    const int fd =
        ::open(native.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int number = errno;
        const QString kind = nonFileKind(path);
        *error = number == EEXIST && !kind.isEmpty() ? QStringLiteral("it is %1").arg(kind)
                                                     : systemWords(number);
        return false;
    }
    if (!file.open(fd, QIODevice::ReadWrite | QIODevice::Unbuffered,
                   QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = file.errorString();
        return false;
    }
    return true;
}

bool openExisting(QFile &file, const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadWrite | QIODevice::Unbuffered,
                   QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

QString identity(QFile &file)
{
    struct stat info = {};
    if (!file.isOpen() || ::fstat(file.handle(), &info) != 0)
        return {};
    return QStringLiteral("%1.%2.%3.%4.%5")
        .arg(quint64(info.st_dev))
        .arg(quint64(info.st_ino))
        .arg(qint64(info.st_size))
        .arg(qint64(info.st_mtim.tv_sec))
        .arg(qint64(info.st_mtim.tv_nsec));
}

bool createUnique(QFile &file, const QString &folder, const QString &pattern, QString *path,
                  QString *error)
{
    static constexpr char Letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const qsizetype at = pattern.indexOf(QStringLiteral("XXXXXX"));
    QString name = pattern;
    // A name that is taken is drawn again, a bounded number of times.
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (qsizetype k = at; at >= 0 && k < at + 6; ++k)
            name[k] = QLatin1Char(Letters[QRandomGenerator::global()->bounded(62)]);
        *path = folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
        // 0666: the kernel takes the umask off, as for any new file.
        const int fd = ::open(QFile::encodeName(*path).constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            *error = systemWords(errno);
            return false;
        }
        if (file.open(fd, QIODevice::ReadWrite | QIODevice::Unbuffered,
                      QFileDevice::AutoCloseHandle))
            return true;
        ::close(fd);
        ::unlink(QFile::encodeName(*path).constData());
        *error = file.errorString();
        return false;
    }
    *error = systemWords(EEXIST);
    return false;
}

int moveWithoutReplacing(const QString &from, const QString &to)
{
    QByteArray source = QFile::encodeName(from), target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.data(), AT_FDCWD, target.data(), RENAME_NOREPLACE) == 0)
        return 0;
    // A file system that cannot rename without replacing: a second name,
    // which is never made over an existing one, then the first goes.
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return errno;
    if (::link(source.constData(), target.constData()) != 0)
        return errno;
    ::unlink(source.constData());
    return 0;
}

bool syncData(QFile &file, QString *error)
{
    // EINVAL: a file system that has nothing to sync.
    if (::fdatasync(file.handle()) == 0 || errno == EINVAL)
        return true;
    *error = systemWords(errno);
    return false;
}

void syncFolder(const QString &folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool writeAll(QFile &file, QByteArrayView bytes, QString *error)
{
    qsizetype done = 0;
    // A short write leaves no error behind; the next one names it.
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            break;
        done += written;
    }
    if (done == bytes.size())
        return true;
    *error = file.errorString();
    return false;
}

QString nonFileKind(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return QString();
    return kindOf(info);
}

ReadResult readRegularFile(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error)
{
    // Without blocking: opening a FIFO would wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return ReadResult::Missing;
        *error = systemWords(errno);
        return ReadResult::Refused;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes) {
        *error = !S_ISREG(info.st_mode)
                     ? QStringLiteral("it is %1, not a file").arg(kindOf(info))
                     : QStringLiteral("it is larger than %1 bytes").arg(maxBytes);
        ::close(fd);
        return ReadResult::Refused;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = file.errorString();
        return ReadResult::Refused;
    }
    // The size may grow while it is read: never more than the bound.
    *bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return ReadResult::Refused;
    }
    if (bytes->size() > maxBytes) {
        *error = QStringLiteral("it is larger than %1 bytes").arg(maxBytes);
        return ReadResult::Refused;
    }
    return ReadResult::Read;
}

bool openRegularFile(QFile &file, const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace LocalFiles
