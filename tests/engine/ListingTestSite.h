#pragma once

#include "GalleryContent.h"
#include "GalleryPageHost.h"
#include "TestWaits.h"
#include "TestWindow.h"
#include "log/EventLog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <functional>
#include <memory>

// A main window listing the simulated gallery site over loopback. The file
// host is left unreachable: these tests look at the listing up to the hand-over.
class ListingTestSite
{
public:
    GalleryContent content;
    std::unique_ptr<GalleryPageHost> pages;
    TestWindow test;

    ListingTestSite()
    {
        content.pageSize = 4;
        test.timeouts.connectMs = 10000;
    }

    MainWindow &open()
    {
        pages = std::make_unique<GalleryPageHost>(content, TestHosts::File);
        if (!pages->listen())
            throw std::runtime_error("page host cannot listen");
        test.ports[TestHosts::Page] = pages->port();
        return test.open();
    }

    MainWindow &window() { return *test.window; }
    JobState &state() { return test.window->state(); }
    EventLog &log() { return test.window->eventLog(); }

    // A user whose folders hold this many submissions each.
    void addUser(const QString &name, int gallery, int scraps = 0, int favorites = 0)
    {
        SimUser user;
        user.name = name;
        const QString artist = name.toLower();
        for (int i = 0; i < gallery; ++i)
            user.gallery.append(GalleryContent::make(
                m_nextId++, artist, QStringLiteral("work"), QStringLiteral("png"),
                QStringLiteral("Gallery piece %1").arg(i + 1)));
        for (int i = 0; i < scraps; ++i)
            user.scraps.append(GalleryContent::make(m_nextId++, artist, QStringLiteral("scrap"),
                                                    QStringLiteral("jpg"),
                                                    QStringLiteral("Scrap %1").arg(i + 1)));
        for (int i = 0; i < favorites; ++i)
            user.favorites.append(GalleryContent::make(m_nextId++, QStringLiteral("otherartist"),
                                                       QStringLiteral("fav"), QStringLiteral("gif"),
                                                       QStringLiteral("Favorite %1").arg(i + 1)));
        content.addUser(user);
    }
    int nextId() { return m_nextId++; }

    template <typename T> T *control(const QString &name)
    {
        T *found = window().findChild<T *>(name);
        if (!found)
            throw std::runtime_error("no control " + name.toStdString());
        return found;
    }
    void setText(const QString &name, const QString &text)
    {
        control<QLineEdit>(name)->setText(text);
    }
    void tick(const QString &name, bool ticked) { control<QCheckBox>(name)->setChecked(ticked); }
    void click(const QString &name) { control<QPushButton>(name)->click(); }
    void setType(int entry, bool wanted)
    {
        control<QListWidget>(QStringLiteral("Lst_Types"))
            ->item(entry)
            ->setCheckState(wanted ? Qt::Checked : Qt::Unchecked);
    }
    void getFolders(const QString &user, bool gallery, bool scraps, bool favorites)
    {
        setText(QStringLiteral("Txt_Uniuser"), user);
        tick(QStringLiteral("Chk_Unigetgal"), gallery);
        tick(QStringLiteral("Chk_Unigetscraps"), scraps);
        tick(QStringLiteral("Chk_Unigetfavs"), favorites);
        click(QStringLiteral("Cmd_Get"));
    }

    // The log without the lines of the version check, which runs at its own pace.
    QStringList lines()
    {
        static const QStringList updateLines = {QStringLiteral("Checking for update..."),
                                                QStringLiteral("Could not check for updates"),
                                                QStringLiteral("No updates.")};
        QStringList result;
        for (int i = 0; i < log().lineCount(); ++i) {
            const QString text = log().lineText(i);
            if (!updateLines.contains(text) && !text.startsWith(QStringLiteral("New version: V.")))
                result.append(text);
        }
        return result;
    }
    int32_t colorOf(const QString &text)
    {
        for (int i = 0; i < log().lineCount(); ++i)
            if (log().lineText(i) == text)
                return log().lineColor(i);
        return -1;
    }
    QStringList errorReports()
    {
        QStringList result;
        for (const auto &shown : test.prompts.ofKind(QStringLiteral("error")))
            result.append(shown.title);
        return result;
    }

    // Pumps events until the condition holds or the deadline passes.
    static bool waitFor(const std::function<bool()> &condition, int timeoutMs = 20000)
    {
        return waitUntil(condition, timeoutMs);
    }
    bool waitForLine(const QString &text, int count = 1, int timeoutMs = 20000)
    {
        return waitFor([&] { return lines().count(text) >= count; }, timeoutMs);
    }

private:
    int m_nextId = 1000;
};
