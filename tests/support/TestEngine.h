#pragma once

#include "ScriptedPrompts.h"
#include "TestTools.h"

#include "GalleryContent.h"
#include "GalleryFileHost.h"
#include "GalleryPageHost.h"
#include "core/AppEnvironment.h"
#include "core/JobContext.h"
#include "job/PlainJobSettings.h"
#include "job/Session.h"
#include "log/EventLog.h"
#include "log/LogColors.h"
#include "platform/TcpClientSocket.h"
#include "report/ErrorReporter.h"

#include <QDir>
#include <QHash>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

// Host names the tests use; the resolver maps them onto loopback ports.
namespace TestHosts {
inline const QString Page = QStringLiteral("pages.test.invalid");
inline const QString PageAlias = QStringLiteral("gallery.test.invalid");
inline const QString File = QStringLiteral("files.test.invalid");
inline const QString Update = QStringLiteral("update.test.invalid");
inline const QString Web = QStringLiteral("www.vorpaline.test.invalid");
inline const QString Support = QStringLiteral("support@vorpaline.test.invalid");
} // namespace TestHosts

// Log lines are compared as "colour: text", the colours as the values the
// program draws (0x00BBGGRR), so that a wrong colour value shows too.
inline QString coloured(int32_t color, const QString &text)
{
    return QString::fromLatin1(color == 0x0000FF   ? "red: "
                               : color == 0x008800 ? "green: "
                               : color == 0        ? "black: "
                                                   : "other: ") +
           text;
}
inline const auto black = [](const QString &text) { return coloured(0, text); };
inline const auto red = [](const QString &text) { return coloured(0x0000FF, text); };
inline const auto green = [](const QString &text) { return coloured(0x008800, text); };
// Every line of a log, coloured or as plain text.
inline QStringList logLines(const EventLog &log, bool withColour = true)
{
    QStringList result;
    for (int i = 0; i < log.lineCount(); ++i)
        result.append(withColour ? coloured(log.lineColor(i), log.lineText(i)) : log.lineText(i));
    return result;
}

// What the program gets from outside: a temporary program folder, scripted
// prompts, a counted shutdown and loopback endpoints (a host without a port
// is "not found").
struct TestEnvironment
{
    QTemporaryDir folder;
    ScriptedPrompts prompts;
    QHash<QString, quint16> ports;
    int shutdownRequests = 0;
    Timeouts timeouts;

    AppEnvironment environment()
    {
        AppEnvironment env;
        env.site = SiteConfig{TestHosts::Page,   TestHosts::PageAlias, TestHosts::File,
                              TestHosts::Update, TestHosts::Web,       TestHosts::Support};
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
    QString path(const QString &relative) const { return folder.filePath(relative); }
    // The settings file the next start reads.
    bool writeSettings(const QByteArray &bytes) const
    {
        return writeFile(path(QStringLiteral("vorpl.dat")), bytes);
    }
    QStringList errorReports() const
    {
        QStringList result;
        for (const auto &shown : prompts.ofKind(QStringLiteral("error")))
            result.append(shown.title);
        return result;
    }
};

// The simulated gallery: its content, a page host and a file host on loopback.
struct TestSite
{
    GalleryContent content;
    std::unique_ptr<GalleryPageHost> pages;
    std::unique_ptr<GalleryFileHost> files;
    int nextId = 1000;

    void listen(TestEnvironment &env, const QString &fileHost = TestHosts::File)
    {
        pages = std::make_unique<GalleryPageHost>(content, fileHost);
        files = std::make_unique<GalleryFileHost>(content);
        if (!pages->listen() || !files->listen())
            throw std::runtime_error("the simulated site cannot listen");
        env.ports[TestHosts::Page] = pages->port();
        env.ports[TestHosts::File] = files->port();
    }
    // A user whose folders hold this many submissions each: "Gallery piece 1"
    // (1000.name.work.png), "Scrap 1" (.jpg), "Favorite 1" (.gif, by another).
    void addUser(const QString &name, int gallery, int scraps = 0, int favorites = 0)
    {
        SimUser user;
        user.name = name;
        const auto make = [&](QList<SimSubmission> &into, int count, QString by, const char *slug,
                              const char *ext, const char *title) {
            for (int i = 1; i <= count; ++i)
                into.append(GalleryContent::make(nextId++, by, QString::fromLatin1(slug),
                                                 QString::fromLatin1(ext),
                                                 QString::fromLatin1(title).arg(i)));
        };
        make(user.gallery, gallery, name.toLower(), "work", "png", "Gallery piece %1");
        make(user.scraps, scraps, name.toLower(), "scrap", "jpg", "Scrap %1");
        make(user.favorites, favorites, QStringLiteral("otherartist"), "fav", "gif", "Favorite %1");
        content.addUser(user);
    }
    const SimSubmission &submission(const QString &user, const QString &folder, int index) const
    {
        return (*content.user(user)->folder(folder))[index];
    }
};

// The engine without a window: a session on plain settings against the
// simulated site. Files are saved under the program folder, as on a first start.
struct TestEngine : TestEnvironment, TestSite
{
    PlainJobSettings settings;
    PlainJobDisplay display;
    std::unique_ptr<Session> session;
    bool jobErrors = false; // the last job ended with something not downloaded

    TestEngine() { timeouts.connectMs = 10000; }

    Session &start()
    {
        if (!pages)
            listen(*this);
        settings.savePath = QDir::toNativeSeparators(folder.path());
        settings.favPath = settings.savePath + QDir::separator() + FolderNames::Favorites;
        session = std::make_unique<Session>(environment(), settings.answers(), display);
        QObject::connect(session.get(), &Session::jobEnded,
                         [this](bool errors) { jobErrors = errors; });
        return *session;
    }

    EventLog &log() { return session->log(); }

    void get(const QString &user, bool gallery, bool scraps = false, bool favorites = false)
    {
        settings.uniqueUser = user;
        settings.getGallery = gallery;
        settings.getScraps = scraps;
        settings.getFavs = favorites;
        session->Get();
    }
    // Runs a command to the end of its job.
    void run(const std::function<void()> &command)
    {
        QSignalSpy ended(session.get(), &Session::jobEnded);
        command();
        EXPECT_TRUE(ended.size() > 0 || ended.wait(30000));
    }

    QStringList colouredLines() { return logLines(log()); }
    QStringList lines() { return logLines(log(), false); }
    bool waitForLine(const QString &text, int count = 1, int timeoutMs = 20000)
    {
        return waitUntil([&] { return lines().count(text) >= count; }, timeoutMs);
    }
    int savedIn(const QString &subfolder) const
    {
        return int(QDir(path(subfolder)).entryList(QDir::Files).size());
    }
};

// The listing client or the downloader alone, on a connection and a log of its
// own, started after TestEngine::start: a test hands it its work and reads its reports.
template <typename Part> struct OwnPart
{
    EventLog log;
    ErrorReporter errors;
    TcpClientSocket socket;
    Part part;

    template <typename... Rest>
    explicit OwnPart(TestEngine &engine, Rest &&...rest)
        : errors(engine.prompts, TestHosts::Support), socket(engine.environment().resolver),
          part(JobContext{engine.settings.answers(), engine.display, log, errors}, socket,
               engine.environment().site, engine.timeouts, engine.folder.path(),
               std::forward<Rest>(rest)...)
    {
        socket.setConnectTimeout(engine.timeouts.connectMs);
    }
    QStringList colouredLines() const { return logLines(log); }
};
