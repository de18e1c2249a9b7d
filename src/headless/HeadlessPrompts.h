#pragma once

#include "core/Prompts.h"

class ConsoleOutput;

// Nobody is there to answer: messages and error reports are written to
// standard error, every question gets its safe answer (No, or nothing chosen),
// and nothing waits.
class HeadlessPrompts final : public Prompts
{
    Q_DISABLE_COPY_MOVE(HeadlessPrompts)

public:
    explicit HeadlessPrompts(ConsoleOutput &output);

    Answer message(Icon icon, const QString &title, const QString &text,
                   bool yesNo = false) override;
    QString input(const QString &title, const QString &prompt, const QString &defaultText) override;
    QString chooseFolder(const QString &prompt) override;
    void errorReport(const QString &heading, const QString &invitation,
                     const QString &report) override;
    void firstStartNotice(const QString &notice) override;

    int errorReports() const { return m_errorReports; }

private:
    ConsoleOutput &m_output;
    int m_errorReports = 0;
};
