#pragma once

#include "ScriptedPrompts.h"
#include "app/MainWindow.h"

#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Host names the tests use; the resolver maps them onto loopback ports.
namespace TestHosts {
inline const QString Page = QStringLiteral("pages.test.invalid");
inline const QString PageAlias = QStringLiteral("gallery.test.invalid");
inline const QString File = QStringLiteral("files.test.invalid");
inline const QString Update = QStringLiteral("update.test.invalid");
inline const QString Web = QStringLiteral("www.vorpaline.test.invalid");
inline const QString Support = QStringLiteral("support@vorpaline.test.invalid");
} // namespace TestHosts

// A main window in a temporary program folder, with scripted prompts, no
// real shutdown and loopback endpoints. Hosts without a port are "not found".
class TestWindow
{
public:
    QTemporaryDir folder;
    ScriptedPrompts prompts;
    QHash<QString, quint16> ports; // host name -> loopback port
    int shutdownRequests = 0;
    Timeouts timeouts;
    std::unique_ptr<MainWindow> window;

    static SiteConfig site()
    {
        return SiteConfig{TestHosts::Page,   TestHosts::PageAlias, TestHosts::File,
                          TestHosts::Update, TestHosts::Web,       TestHosts::Support};
    }

    AppEnvironment environment()
    {
        AppEnvironment env;
        env.site = site();
        env.resolver = [this](const QString &host, quint16) {
            const auto it = ports.constFind(host);
            return it == ports.constEnd() ? Endpoint{QString(), 0}
                                          : Endpoint{QStringLiteral("127.0.0.1"), *it};
        };
        env.programFolder = folder.path();
        env.prompts = &prompts;
        env.shutdown = [this] { ++shutdownRequests; };
        env.timeouts = timeouts;
        return env;
    }

    // Builds the window (which runs its start-up).
    MainWindow &open()
    {
        window = std::make_unique<MainWindow>(environment());
        return *window;
    }

    QString path(const QString &relative) const { return folder.filePath(relative); }
};

// A control of the window by its name; a missing one fails the test.
template <typename T = QWidget> T *control(MainWindow &window, const char *name)
{
    T *widget = window.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}
