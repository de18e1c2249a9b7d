#pragma once

#include <QString>

struct UserTable;

// The settings a job reads, at the moment it needs them, from the window's
// controls. The main window implements this; nothing here is cached.
class JobSettings
{
public:
    virtual ~JobSettings() = default;

    // "Get unique user" frame
    virtual QString uniqueUserText() const = 0;
    virtual bool uniGetGallery() const = 0;
    virtual bool uniGetScraps() const = 0;
    virtual bool uniGetFavs() const = 0;

    virtual bool shutdownTicked() const = 0;
    virtual void untickShutdown() = 0;

    virtual QString cookieA() const = 0;
    virtual QString cookieB() const = 0;

    // Selected member of the naming and folder groups, -1 when none is selected.
    virtual int nameMode() const = 0;
    virtual int folderMode() const = 0;
    virtual bool commonFavs() const = 0;

    // "Save to:" and "Favs folder:" texts; the folder code writes them back.
    virtual QString savePathText() const = 0;
    virtual void setSavePathText(const QString &text) = 0;
    virtual QString favPathText() const = 0;
    virtual void setFavPathText(const QString &text) = 0;

    // Type entries 0 GFX, 1 Text, 2 Music, 3 Flash; ratings 0 general, 1 mature, 2 adult.
    virtual bool typeWanted(int entry) const = 0;
    virtual bool ratingWanted(int rating) const = 0;
    virtual bool urlFix() const = 0;
    virtual QString maxSizeText() const = 0;

    // Held in variables rather than controls. The pause between files, in
    // seconds, and the hidden no-wait mode are read on every tick of the pause.
    virtual int delaySeconds() const = 0;
    virtual bool noWait() const = 0;
    // The archive's switches; off for settings that do not know them.
    virtual bool skipArchived() const { return false; }
    virtual bool quickSync() const { return false; }
    virtual bool resumeCutFiles() const = 0;
    // The users "Sync all" walks, read afresh at every step of a Sync.
    virtual const UserTable &userTable() const = 0;
};

// What a job shows besides the log.
class JobDisplay
{
public:
    virtual ~JobDisplay() = default;

    virtual void setStatusCaption(const QString &text) = 0;
    virtual void setSpeedCaption(const QString &text) = 0;
    // Bar widths in percent of the progress outline (0 to 100).
    virtual void setFileProgress(double percent) = 0;
    virtual void setQueueProgress(double percent) = 0;
    virtual void setWindowCaption(const QString &text) = 0;
    // Minimized or maximized windows get the short caption form.
    virtual bool windowStateNotNormal() const = 0;
};
