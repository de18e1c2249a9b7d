#pragma once

#include "core/Prompts.h"

#include <QStringList>

// Prompts for a run nobody watches (the screenshot run): every question gets
// its safe answer at once and every text shown is kept, so nothing can hold
// the run on a modal window.
class UnattendedPrompts final : public Prompts
{
public:
    Answer message(Icon icon, const QString &title, const QString &text, bool yesNo) override;
    QString input(const QString &title, const QString &prompt, const QString &defaultText) override;
    QString chooseFolder(const QString &prompt) override;
    void errorReport(const QString &heading, const QString &invitation,
                     const QString &report) override;
    void firstStartNotice(const QString &notice) override;

    // Everything that would have been shown, in order.
    const QStringList &shown() const { return m_shown; }
    int errorReports() const { return m_errorReports; }

private:
    QStringList m_shown;
    int m_errorReports = 0;
};
