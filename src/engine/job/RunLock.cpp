#include "job/RunLock.h"

#include "platform/LocalFiles.h"

#include <QDir>
#include <QFileInfo>

RunLock::RunLock(const QString &settingsFolder)
    : m_path(QDir(settingsFolder).filePath(QStringLiteral("vorpl.lock"))), m_file(m_path)
{
    // A Sync may hold the lock for hours: only a dead holder makes it stale.
    m_file.setStaleLockTime(0);
}

bool RunLock::tryAcquire()
{
    if (m_file.isLocked())
        return true;
    const QString where = QDir::toNativeSeparators(m_path);
    // Something that is no lock file is not another run: say what stands there.
    // A link is never followed: the lock would be written where it points.
    if (QFileInfo(m_path).isSymLink()) {
        m_refusal =
            QStringLiteral("Cannot use the lock file %1: it is a link, not a file.").arg(where);
        return false;
    }
    if (const QString kind = LocalFiles::nonFileKind(m_path); !kind.isEmpty()) {
        m_refusal =
            QStringLiteral("Cannot use the lock file %1: it is %2, not a file.").arg(where, kind);
        return false;
    }
    if (m_file.tryLock(0)) {
        m_refusal.clear();
        return true;
    }
    qint64 pid = 0;
    QString host, program;
    switch (m_file.error()) {
    case QLockFile::LockFailedError:
        if (m_file.getLockInfo(&pid, &host, &program))
            m_refusal = QStringLiteral("Another download run (%1, process %2) is using this "
                                       "folder; its lock is %3.")
                            .arg(program.isEmpty() ? QStringLiteral("?") : program)
                            .arg(pid)
                            .arg(where);
        else
            m_refusal = QStringLiteral("Another download run is using this folder; its lock is %1.")
                            .arg(where);
        break;
    case QLockFile::PermissionError:
        m_refusal = QStringLiteral("Cannot create the lock file %1: permission denied.").arg(where);
        break;
    case QLockFile::UnknownError:
    case QLockFile::NoError:
        m_refusal = QStringLiteral("Cannot create the lock file %1.").arg(where);
        break;
    }
    return false;
}

void RunLock::release()
{
    m_file.unlock();
}
