#include "download/Downloader.h"

#include <QDir>

// Placeholder: the download side is being written.
Downloader::Downloader(JobState &state, JobSettings &settings, JobDisplay &display, EventLog &log,
                       ErrorReporter &errors, TcpClientSocket &socket, const SiteConfig &site,
                       const Timeouts &timeouts, const QString &programFolder, QObject *parent)
    : QObject(parent), m_state(state), m_settings(settings), m_display(display), m_log(log),
      m_errors(errors), m_socket(socket), m_site(site), m_timeouts(timeouts),
      m_programFolder(programFolder)
{
}
void Downloader::setSteps(JobRunner *jobs) { m_jobs = jobs; }
void Downloader::Retrieve() {}
void Downloader::TerminateFile() {}
void Downloader::abort() {}
void Downloader::closeOpenFiles() {}
void Downloader::pauseSettingsChanged() {}
QString Downloader::temporaryFilePath() const
{
    return QDir(m_programFolder).filePath(QStringLiteral("downloading.dat"));
}
