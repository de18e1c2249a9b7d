#include "HeadlessRun.h"

#include "ConsoleOutput.h"
#include "HeadlessPrompts.h"
#include "job/Session.h"
#include "log/EventLog.h"

#include <QFile>

#include <csignal>

HeadlessRun::HeadlessRun(Session &session, HeadlessPrompts &prompts, ConsoleOutput &output,
                         bool ownsTemporaryFile, QObject *parent)
    : QObject(parent), m_session(session), m_prompts(prompts), m_output(output),
      m_ownsTemporaryFile(ownsTemporaryFile)
{
    connect(&m_session.log(), &EventLog::lineAdded, this,
            [this](const QString &text, int32_t color) { m_output.logLine(text, color); });
    connect(&m_session, &Session::jobEnded, this, [this](bool withErrors) {
        m_jobErrors = withErrors;
        // Files found on disk are read for the archive before the run ends;
        // a signal meanwhile still stops it at once.
        if (!m_session.archiveReading())
            finish();
    });
    connect(&m_session, &Session::archiveReadingDone, this, [this] {
        if (!m_session.isJobRunning())
            finish();
    });
    connect(&m_session, &Session::userMissing, this, [this] { m_userMissing = true; });
}

void HeadlessRun::startGet()
{
    m_session.Get();
    // A name the Get refuses starts no job, so nothing would ever end the run.
    if (!m_finished && !m_session.isJobRunning())
        finish(CannotRun);
}

void HeadlessRun::startSync()
{
    m_session.Sync();
}

int HeadlessRun::exitStatus() const
{
    if (m_forcedStatus >= 0)
        return m_forcedStatus;
    if (m_prompts.errorReports() > 0 || m_jobErrors)
        return Failed;
    return m_userMissing ? ExitStatus::UsersMissing : Succeeded;
}

void HeadlessRun::interrupt(int signalNumber)
{
    if (m_finished)
        return;
    m_session.stopJob();
    m_session.dropArchiveReading();
    cleanUp();
    const char *name = signalNumber == SIGINT    ? "SIGINT"
                       : signalNumber == SIGTERM ? "SIGTERM"
                       : signalNumber == SIGHUP  ? "SIGHUP"
                                                 : "a signal";
    m_output.notice(QStringLiteral("Stopped by %1; the file in progress %2.")
                        .arg(QString::fromLatin1(name),
                             m_session.holdsKeptPart()
                                 ? QStringLiteral("is kept, to be resumed by the next run")
                                 : QStringLiteral("was not kept")));
    finish(128 + signalNumber);
}

void HeadlessRun::cleanUp()
{
    m_session.closeOpenFiles();
    if (m_ownsTemporaryFile && !m_session.holdsKeptPart())
        QFile::remove(m_session.temporaryFilePath());
}

void HeadlessRun::finish(int forcedStatus)
{
    if (m_finished)
        return;
    m_finished = true;
    m_forcedStatus = forcedStatus;
    m_output.finish();
    emit finished();
}
