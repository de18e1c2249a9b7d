#include "ArchiveSwitches.h"

#include "core/JobOptions.h"
#include "settings/SwitchesFile.h"

#include <QAction>
#include <QDir>
#include <QWidget>

ArchiveSwitches::ArchiveSwitches(const QString &filePath, QWidget *menuOwner, QAction *before,
                                 QObject *parent)
    : QObject(parent), m_filePath(filePath), m_menuOwner(menuOwner), m_before(before)
{
    JobOptions stored;
    readSwitches(m_filePath, stored);
    auto *separator = new QAction(this);
    separator->setSeparator(true);
    m_menuOwner->insertAction(m_before, separator);
    m_skipArchived =
        addSwitch(QStringLiteral("S&kip what was fetched before"), stored.skipArchived);
    m_quickSync = addSwitch(QStringLiteral("&Quick sync"), stored.quickSync);
    m_resumeCutFiles = addSwitch(QStringLiteral("&Resume cut files"), stored.resumeCutFiles);
}

QAction *ArchiveSwitches::addSwitch(const QString &text, bool checked)
{
    auto *action = new QAction(text, this);
    action->setCheckable(true);
    action->setChecked(checked);
    m_menuOwner->insertAction(m_before, action);
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
