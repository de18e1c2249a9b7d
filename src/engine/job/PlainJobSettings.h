#pragma once

#include "core/JobOptions.h"
#include "core/UserTable.h"
#include "job/OptionsJobSettings.h"

// Options and users held in plain fields, for a job run without a window.
struct PlainJobSettings final : public JobOptions
{
    Q_DISABLE_COPY_MOVE(PlainJobSettings)

    PlainJobSettings() = default;

    UserTable users;
    // What the job asks; it answers from the fields above.
    JobSettings &answers() { return m_answers; }

private:
    OptionsJobSettings m_answers{*this, users};
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
