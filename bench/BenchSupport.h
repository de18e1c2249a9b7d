#pragma once

#include "BenchPrompts.h"
#include "core/AppEnvironment.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QTimer>

#include <functional>
#include <sys/resource.h>

// What the whole-program figures share: an environment on loopback ports and
// the process's own accounting.
namespace BenchSupport {

inline const QString PageHost = QStringLiteral("pages.bench.invalid");
inline const QString FileHost = QStringLiteral("files.bench.invalid");

// The program's environment in programFolder, with every host mapped onto a
// loopback port by ports; hosts without a port are "not found".
inline AppEnvironment environment(const QString &programFolder, Prompts &prompts,
                                  const QHash<QString, quint16> &ports)
{
    AppEnvironment env;
    env.site = SiteConfig{PageHost,
                          QStringLiteral("gallery.bench.invalid"),
                          FileHost,
                          QStringLiteral("update.bench.invalid"),
                          QStringLiteral("www.vorpaline.bench.invalid"),
                          QStringLiteral("support@vorpaline.bench.invalid")};
    env.resolver = [ports](const QString &host, quint16) {
        const auto it = ports.constFind(host);
        return it == ports.constEnd() ? Endpoint{QString(), 0}
                                      : Endpoint{QStringLiteral("127.0.0.1"), *it};
    };
    env.programFolder = programFolder;
    env.prompts = &prompts;
    env.shutdown = [] {};
    return env;
}

// Runs the event loop, sleeping while there is nothing to do, until done()
// holds or timeoutMs have passed; looks every 20 ms.
inline bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QElapsedTimer timer;
    timer.start();
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done() || timer.elapsed() > timeoutMs)
            loop.quit();
    });
    look.start(20);
    loop.exec();
    return done();
}

// User and system time of this process so far.
inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The largest resident size this process has had, in kB.
inline long peakResidentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace BenchSupport
