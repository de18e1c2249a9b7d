#pragma once

#include "MainWindow.h"
#include "TestEngine.h"

#include <QKeyEvent>
#include <QListWidget>

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
    QStringList colouredLines() const { return logLines(window->eventLog()); }
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
