#pragma once

#include "core/Prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Answers every prompt without a person and records what was asked.
class ScriptedPrompts final : public Prompts
{
public:
    struct Shown
    {
        QString kind; // "message", "input", "folder", "error", "notice"
        Icon icon = Icon::Information;
        QString title;
        QString text;   // message text, input prompt, folder prompt, error heading, notice
        QString detail; // error report text, or the invitation for errors
        bool yesNo = false;
    };

    QList<Shown> shown;
    QList<Answer> answers; // taken in order for yes/no questions; default Yes
    QStringList inputs;    // taken in order for input boxes; default "" (cancel)
    std::function<void(const Shown &)> onErrorReport; // runs while the report is "open"

    Answer message(Icon icon, const QString &title, const QString &text, bool yesNo) override
    {
        shown.append({QStringLiteral("message"), icon, title, text, {}, yesNo});
        return !yesNo ? Answer::Ok : answers.isEmpty() ? Answer::Yes : answers.takeFirst();
    }
    QString input(const QString &title, const QString &prompt, const QString &) override
    {
        shown.append({QStringLiteral("input"), Icon::Information, title, prompt, {}, false});
        return inputs.isEmpty() ? QString() : inputs.takeFirst();
    }
    QString chooseFolder(const QString &prompt) override
    {
        shown.append({QStringLiteral("folder"), Icon::Information, {}, prompt, {}, false});
        return {};
    }
    void errorReport(const QString &heading, const QString &invitation,
                     const QString &report) override
    {
        Shown entry{QStringLiteral("error"), Icon::Exclamation, heading, report, invitation, false};
        shown.append(entry);
        if (onErrorReport)
            onErrorReport(entry);
    }
    void firstStartNotice(const QString &notice) override
    {
        shown.append({QStringLiteral("notice"), Icon::Information, {}, notice, {}, false});
    }

    QList<Shown> ofKind(const QString &kind) const
    {
        QList<Shown> result;
        std::copy_if(shown.begin(), shown.end(), std::back_inserter(result),
                     [&](const Shown &entry) { return entry.kind == kind; });
        return result;
    }
};
