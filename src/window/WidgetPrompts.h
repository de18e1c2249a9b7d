#pragma once

#include "core/Prompts.h"

#include <QPointer>
#include <QWidget>

// The real windows: message boxes, the input box, the folder chooser and the
// two report windows, shown modally.
class WidgetPrompts final : public Prompts
{
public:
    // The window the dialogs belong to; they are centred on it.
    void setOwner(QWidget *owner) { m_owner = owner; }

    Answer message(Icon icon, const QString &title, const QString &text, bool yesNo) override;
    QString input(const QString &title, const QString &prompt, const QString &defaultText) override;
    QString chooseFolder(const QString &prompt) override;
    void errorReport(const QString &heading, const QString &invitation,
                     const QString &report) override;
    void firstStartNotice(const QString &notice) override;

private:
    QPointer<QWidget> m_owner;
};
