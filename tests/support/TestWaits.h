#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <ostream>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *out)
{
    *out << "{ ";
    for (const QString &text : list)
        *out << '"' << text.toStdString() << "\" ";
    *out << '}';
}

// Pumps events until the condition holds; false once the deadline passes.
inline bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

// Lets every event already queued run, by waiting for a zero timer posted now.
inline void drainPostedEvents()
{
    bool fired = false;
    QTimer::singleShot(0, [&fired] { fired = true; });
    waitUntil([&] { return fired; });
}
