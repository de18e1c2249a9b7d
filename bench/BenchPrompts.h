#pragma once

#include "core/Prompts.h"

// Prompts for a run nobody watches: every question gets its safe answer at
// once, so no modal window can hold a timed run up.
class BenchPrompts final : public Prompts
{
public:
    Answer message(Icon, const QString &, const QString &, bool yesNo) override
    {
        return yesNo ? Answer::No : Answer::Ok;
    }
    QString input(const QString &, const QString &, const QString &) override { return {}; }
    QString chooseFolder(const QString &) override { return {}; }
    void errorReport(const QString &, const QString &, const QString &) override {}
    void firstStartNotice(const QString &) override {}
};
