#pragma once

#include "TestEngine.h"

#include <QProcess>

// vorpaline-sync as a child process against the simulated site on loopback,
// with a settings file of these lines in a temporary folder (or the file
// start is given); files go to "art".
struct SyncProcess : TestEnvironment, TestSite
{
    explicit SyncProcess(const QStringList &lines)
    {
        listen(*this, SiteConfig::builtIn().fileHost);
        QDir(folder.path()).mkpath(QStringLiteral("art"));
        writeSettings(("130\r\nsavepath=" + path(QStringLiteral("art")) + "\r\n" +
                       lines.join(QStringLiteral("\r\n")))
                          .toUtf8());
    }
    std::unique_ptr<QProcess> start(const QStringList &arguments, QString settings = {})
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const SiteConfig site = SiteConfig::builtIn();
        env.insert(QStringLiteral("VORPALINE_SYNC_HOSTS"),
                   QStringLiteral("%1=127.0.0.1:%2,%3=127.0.0.1:%4")
                       .arg(site.pageHost, QString::number(pages->port()), site.fileHost,
                            QString::number(files->port())));
        process->setProcessEnvironment(env);
        // As from a terminal, whatever this run ignores (nohup, a background job).
        process->setChildProcessModifier(
            [] { ::signal(SIGHUP, SIG_DFL), ::signal(SIGINT, SIG_DFL); });
        settings = settings.isEmpty() ? path(QStringLiteral("vorpl.dat")) : settings;
        process->start(QStringLiteral(VORPALINE_SYNC_BINARY),
                       QStringList{QStringLiteral("--settings"), settings} + arguments);
        process->waitForStarted();
        return process;
    }
    // The exit status, -1 for a run killed or not ended in time. The sites
    // answer from this thread: events are pumped while the program runs.
    static int finish(QProcess &process, int timeoutMs = 30000)
    {
        if (!waitUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs))
            process.kill(), process.waitForFinished();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};
