#include "RunSummary.h"

#include "job/Session.h"

RunSummary::RunSummary(Session &session, int usersListed, QObject *parent)
    : QObject(parent), m_usersListed(usersListed)
{
    m_clock.start();
    connect(&session, &Session::folderStarted, this, [this] { ++m_folders; });
    connect(&session, &Session::fileStored, this, [this](qint64 bytes) {
        ++m_saved;
        m_savedBytes += bytes;
    });
    connect(&session, &Session::alreadyOnDisk, this, [this] { ++m_alreadyThere; });
    connect(&session, &Session::failed, this, [this](int count) { m_failed += count; });
    connect(&session, &Session::userMissing, this, [this] { ++m_usersMissing; });
}

QString RunSummary::line() const
{
    // Whole seconds, rounded: a nightly log is read for minutes, not milliseconds.
    const qint64 seconds = (m_clock.elapsed() + 500) / 1000;
    return QStringLiteral("Summary: users listed: %1, folders: %2, files saved: %3 (%4 bytes), "
                          "already there: %5, failed: %6, users missing: %7, duration: %8 s")
        .arg(m_usersListed)
        .arg(m_folders)
        .arg(m_saved)
        .arg(m_savedBytes)
        .arg(m_alreadyThere)
        .arg(m_failed)
        .arg(m_usersMissing)
        .arg(seconds);
}
