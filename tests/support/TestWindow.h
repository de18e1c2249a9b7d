#pragma once

#include "TestEngine.h"
#include "app/MainWindow.h"

#include <QKeyEvent>
#include <QListWidget>

#include <gtest/gtest.h>

// The real main window in a temporary program folder (see TestEnvironment).
struct TestWindow : TestEnvironment
{
    std::unique_ptr<MainWindow> window;

    // Builds the window, which runs its start-up.
    MainWindow &open()
    {
        window = std::make_unique<MainWindow>(environment());
        return *window;
    }
    // The settings file the next start reads.
    void writeSettings(const QByteArray &bytes)
    {
        QFile file(path(QStringLiteral("vorpl.dat")));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    }
    QStringList colouredLines() const
    {
        QStringList result;
        const EventLog &log = window->eventLog();
        for (int i = 0; i < log.lineCount(); ++i)
            result.append(coloured(log.lineColor(i), log.lineText(i)));
        return result;
    }
    // The hidden word typed into the user list: no pause between files.
    void typeNoWait()
    {
        auto *list = window->findChild<QListWidget *>(QStringLiteral("Lst_Names"));
        for (const char c : QByteArray("skipnaps")) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(c)));
            QCoreApplication::sendEvent(list, &press);
        }
    }
};

// A control of the window by its name; a missing one fails the test.
template <typename T = QWidget> T *control(MainWindow &window, const char *name)
{
    T *widget = window.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}
