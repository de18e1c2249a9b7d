#pragma once

#include <QLockFile>
#include <QString>

// One job at a time per settings file: the window and a run without a window
// that read it share one temporary download file. The lock file lies beside
// the settings file; the lock of a process that has died is taken over.
class RunLock final
{
    Q_DISABLE_COPY_MOVE(RunLock)

public:
    explicit RunLock(const QString &settingsFolder);

    // True when this object holds the lock, from before or from now.
    bool tryAcquire();
    void release();
    bool isHeld() const { return m_file.isLocked(); }

    // Why the last tryAcquire failed, in words for the user.
    QString refusal() const { return m_refusal; }
    QString filePath() const { return m_path; }

private:
    QString m_path;
    QLockFile m_file;
    QString m_refusal;
};
