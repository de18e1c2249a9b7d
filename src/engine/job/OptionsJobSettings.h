#pragma once

#include "core/JobOptions.h"
#include "core/JobSettings.h"

#include <QtGlobal>

#include <functional>

// Answers the job's questions from a JobOptions taken afresh at every
// question, so that a change made while a job runs applies from the next one.
// Where the options live is the owner's: the window reads its controls, a run
// without a window holds them. The three texts the job writes back go to the
// one place concerned, nothing else is set again.
class OptionsJobSettings final : public JobSettings
{
    Q_DISABLE_COPY_MOVE(OptionsJobSettings)

public:
    struct Source
    {
        std::function<JobOptions()> read;
        std::function<void(const QString &)> writeSavePath;
        std::function<void(const QString &)> writeFavPath;
        std::function<void()> untickShutdown;
    };

    OptionsJobSettings(Source source, const UserTable &users);
    // Options held in place: read from and written back to held.
    OptionsJobSettings(JobOptions &held, const UserTable &users);

    QString uniqueUserText() const override { return options().uniqueUser; }
    bool uniGetGallery() const override { return options().getGallery; }
    bool uniGetScraps() const override { return options().getScraps; }
    bool uniGetFavs() const override { return options().getFavs; }
    bool shutdownTicked() const override { return options().shutdown; }
    void untickShutdown() override { m_source.untickShutdown(); }
    QString cookieA() const override { return options().cookieAText; }
    QString cookieB() const override { return options().cookieBText; }
    int nameMode() const override { return options().naming; }
    int folderMode() const override { return options().folderLayout; }
    bool commonFavs() const override { return options().allFavsTogether; }
    QString savePathText() const override { return options().savePath; }
    void setSavePathText(const QString &text) override { m_source.writeSavePath(text); }
    QString favPathText() const override { return options().favPath; }
    void setFavPathText(const QString &text) override { m_source.writeFavPath(text); }
    bool typeWanted(int entry) const override;
    bool ratingWanted(int rating) const override;
    bool urlFix() const override { return options().fixUrls; }
    QString maxSizeText() const override { return options().maxSize; }
    int delaySeconds() const override { return options().delay; }
    bool noWait() const override { return options().noWaitMode; }
    bool skipArchived() const override { return options().skipArchived; }
    bool quickSync() const override { return options().quickSync; }
    bool resumeCutFiles() const override { return options().resumeCutFiles; }
    const UserTable &userTable() const override { return m_users; }

private:
    JobOptions options() const { return m_source.read(); }

    Source m_source;
    const UserTable &m_users;
};
