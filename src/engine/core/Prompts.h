#pragma once

#include <QString>

// Every modal question or window the program shows goes through here, so that
// tests and the demo can answer without a person.
class Prompts
{
public:
    enum class Icon
    {
        Information,
        Exclamation,
        Question
    };
    enum class Answer
    {
        Ok,
        Yes,
        No
    };

    virtual ~Prompts() = default;

    // A standard message box; yesNo chooses Yes/No buttons instead of OK.
    virtual Answer message(Icon icon, const QString &title, const QString &text,
                           bool yesNo = false) = 0;
    // An input box; cancelling gives the empty string.
    virtual QString input(const QString &title, const QString &prompt,
                          const QString &defaultText) = 0;
    // The folder chooser; cancelling gives the empty string.
    virtual QString chooseFolder(const QString &prompt) = 0;
    // The modal error report window; returns when it is closed.
    virtual void errorReport(const QString &heading, const QString &invitation,
                             const QString &report) = 0;
    // The modal first-start security notice.
    virtual void firstStartNotice(const QString &notice) = 0;
};
