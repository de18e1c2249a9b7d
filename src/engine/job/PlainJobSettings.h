#pragma once

#include "core/FolderNames.h"
#include "core/JobSettings.h"
#include "core/UserTable.h"

#include <array>

// Settings held in plain fields, for a job run without a window. The
// defaults are those of a window on its first start.
struct PlainJobSettings final : public JobSettings
{
    QString uniqueUser;
    bool getGallery = true, getScraps = false, getFavs = false;
    bool shutdown = false;
    QString cookieAText, cookieBText;
    int naming = 1;       // Title only
    int folderLayout = 1; // ./username-folder/
    bool allFavsTogether = true;
    QString savePath, favPath;
    std::array<bool, TypeCount> types{true, true, true, true};
    std::array<bool, RatingCount> ratings{true, true, true};
    bool fixUrls = false;
    QString maxSize = QStringLiteral("0");
    UserTable users;
    int delay = 0;
    bool noWaitMode = false;

    QString uniqueUserText() const override { return uniqueUser; }
    bool uniGetGallery() const override { return getGallery; }
    bool uniGetScraps() const override { return getScraps; }
    bool uniGetFavs() const override { return getFavs; }
    bool shutdownTicked() const override { return shutdown; }
    void untickShutdown() override { shutdown = false; }
    QString cookieA() const override { return cookieAText; }
    QString cookieB() const override { return cookieBText; }
    int nameMode() const override { return naming; }
    int folderMode() const override { return folderLayout; }
    bool commonFavs() const override { return allFavsTogether; }
    QString savePathText() const override { return savePath; }
    void setSavePathText(const QString &text) override { savePath = text; }
    QString favPathText() const override { return favPath; }
    void setFavPathText(const QString &text) override { favPath = text; }
    bool typeWanted(int entry) const override
    {
        return entry >= 0 && entry < TypeCount && types[size_t(entry)];
    }
    bool ratingWanted(int rating) const override
    {
        return rating >= 0 && rating < RatingCount && ratings[size_t(rating)];
    }
    bool urlFix() const override { return fixUrls; }
    QString maxSizeText() const override { return maxSize; }
    int delaySeconds() const override { return delay; }
    bool noWait() const override { return noWaitMode; }
    const UserTable &userTable() const override { return users; }
};

// A display that keeps what it was last shown.
struct PlainJobDisplay final : public JobDisplay
{
    QString status, speed, caption;
    double fileProgress = 0, queueProgress = 0;

    void setStatusCaption(const QString &text) override { status = text; }
    void setSpeedCaption(const QString &text) override { speed = text; }
    void setFileProgress(double percent) override { fileProgress = percent; }
    void setQueueProgress(double percent) override { queueProgress = percent; }
    void setWindowCaption(const QString &text) override { caption = text; }
    bool windowStateNotNormal() const override { return false; }
};
