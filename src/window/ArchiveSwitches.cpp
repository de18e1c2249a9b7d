#include "ArchiveSwitches.h"

#include "core/JobOptions.h"
#include "settings/SwitchesFile.h"

#include <QAction>
#include <QDir>
#include <QWidget>

ArchiveSwitches::ArchiveSwitches(const QString &filePath, QWidget *menuOwner, QObject *parent)
    : QObject(parent), m_filePath(filePath)
{
    JobOptions stored;
    readSwitches(m_filePath, stored);
    auto *separator = new QAction(this);
    separator->setSeparator(true);
    menuOwner->addAction(separator);
    m_skipArchived =
        addSwitch(QStringLiteral("S&kip what was fetched before"), stored.skipArchived, menuOwner);
    m_quickSync = addSwitch(QStringLiteral("&Quick sync"), stored.quickSync, menuOwner);
    m_resumeCutFiles =
        addSwitch(QStringLiteral("&Resume cut files"), stored.resumeCutFiles, menuOwner);
}

QAction *ArchiveSwitches::addSwitch(const QString &text, bool checked, QWidget *menuOwner)
{
    auto *action = new QAction(text, this);
    action->setCheckable(true);
    action->setChecked(checked);
    menuOwner->addAction(action);
    // Connected after the stored state is shown: only a change is saved.
    connect(action, &QAction::toggled, this, &ArchiveSwitches::save);
    return action;
}

void ArchiveSwitches::applyTo(JobOptions &options) const
{
    options.skipArchived = m_skipArchived->isChecked();
    options.quickSync = m_quickSync->isChecked();
    options.resumeCutFiles = m_resumeCutFiles->isChecked();
}

void ArchiveSwitches::save()
{
    JobOptions options;
    applyTo(options);
    QString error;
    if (!writeSwitches(m_filePath, options, &error))
        emit saveFailed(QStringLiteral("Could not save the switches to %1: %2")
                            .arg(QDir::toNativeSeparators(m_filePath), error));
}
