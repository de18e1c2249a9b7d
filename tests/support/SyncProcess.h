#pragma once

#include "TestEngine.h"

#include <QProcess>

// vorpaline-sync as a child process against the simulated site on loopback,
// with its settings file in a temporary folder and files saved under "art".
struct SyncProcess : TestEnvironment, TestSite
{
    struct Finished
    {
        int status = -1; // -1: killed, or did not end in time
        QString out, err;
    };

    SyncProcess() { listen(*this, SiteConfig::builtIn().fileHost); }

    // The settings file: the version line, these lines and the download folder.
    void writeLines(const QStringList &lines)
    {
        QDir(folder.path()).mkpath(QStringLiteral("art"));
        writeSettings((QStringList{QStringLiteral("130")} + lines +
                       QStringList{QStringLiteral("savepath=") + path(QStringLiteral("art"))})
                          .join(QStringLiteral("\r\n"))
                          .toUtf8());
    }
    std::unique_ptr<QProcess> start(const QStringList &arguments,
                                    const QString &settings = QString())
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const SiteConfig site = SiteConfig::builtIn();
        env.insert(QStringLiteral("VORPALINE_SYNC_HOSTS"),
                   QStringLiteral("%1=127.0.0.1:%2,%3=127.0.0.1:%4")
                       .arg(site.pageHost)
                       .arg(pages->port())
                       .arg(site.fileHost)
                       .arg(files->port()));
        process->setProcessEnvironment(env);
        process->start(
            QStringLiteral(VORPALINE_SYNC_BINARY),
            QStringList{QStringLiteral("--settings"),
                        settings.isEmpty() ? path(QStringLiteral("vorpl.dat")) : settings} +
                arguments);
        process->waitForStarted();
        return process;
    }
    // The sites answer from this thread: events are pumped while the program runs.
    static Finished finish(QProcess &process, int timeoutMs = 30000)
    {
        if (!waitUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs)) {
            process.kill();
            process.waitForFinished();
        }
        Finished result;
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
};
