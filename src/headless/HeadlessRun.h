#pragma once

#include "ExitStatus.h"

#include <QObject>
#include <QString>

class ConsoleOutput;
class HeadlessPrompts;
class Session;

// Runs one Get or Sync of a session to its end and works out the exit status
// from what the job reports: 0 when every folder was retrieved, 1 when a
// folder ended with errors or an error was reported, 3 when nothing failed
// but a user was missing, 2 when a Get refused its user name, and 128 + the
// signal's number when the run was interrupted.
class HeadlessRun final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HeadlessRun)

public:
    static constexpr int Succeeded = ExitStatus::Succeeded;
    static constexpr int Failed = ExitStatus::Failed;
    static constexpr int CannotRun = ExitStatus::CannotRun;

    // ownsTemporaryFile: the run holds the lock, so the temporary file is its own to remove.
    HeadlessRun(Session &session, HeadlessPrompts &prompts, ConsoleOutput &output,
                bool ownsTemporaryFile = true, QObject *parent = nullptr);

    void startGet();
    void startSync();
    // Stops the job at once; the file in progress is dropped.
    void interrupt(int signalNumber);
    // Closes the temporary file and removes it if it belongs to this run.
    void cleanUp();

    bool isFinished() const { return m_finished; }
    // Read once the run has finished and the event that finished it is over:
    // the job may report a missing user after it has announced its end.
    int exitStatus() const;

signals:
    void finished();

private:
    void finish(int forcedStatus = -1);

    Session &m_session;
    HeadlessPrompts &m_prompts;
    ConsoleOutput &m_output;
    bool m_ownsTemporaryFile = true;
    bool m_userMissing = false;
    bool m_jobErrors = false; // the job ended with something not downloaded
    bool m_finished = false;
    int m_forcedStatus = -1; // interrupted or given up, whatever the job reported
};
