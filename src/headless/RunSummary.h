#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class Session;

// Counts what a run did, from the session's signals, for the one "Summary: "
// line printed at its end.
class RunSummary final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunSummary)

public:
    // usersListed: the names the run was given (the Sync's list, or the one of a Get).
    RunSummary(Session &session, int usersListed, QObject *parent = nullptr);

    QString line() const;
    bool anythingFailed() const { return m_failed > 0; }

private:
    QElapsedTimer m_clock;
    int m_usersListed = 0;
    int m_folders = 0;
    int m_saved = 0;
    qint64 m_savedBytes = 0;
    int m_alreadyThere = 0;
    int m_failed = 0;
    int m_usersMissing = 0;
};
