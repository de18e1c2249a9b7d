#pragma once

#include "windows/Prompts.h"

// The real windows: message boxes, the input box, the folder chooser and the
// two report windows, shown modally.
class WidgetPrompts final : public Prompts
{
public:
    Answer message(QWidget *owner, Icon icon, const QString &title, const QString &text,
                   bool yesNo) override;
    QString input(QWidget *owner, const QString &title, const QString &prompt,
                  const QString &defaultText) override;
    QString chooseFolder(QWidget *owner, const QString &prompt) override;
    void errorReport(QWidget *owner, const QString &heading, const QString &invitation,
                     const QString &report) override;
    void firstStartNotice(QWidget *owner, const QString &notice) override;
};
