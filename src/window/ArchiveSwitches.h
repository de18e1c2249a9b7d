#pragma once

#include <QObject>
#include <QString>

class QAction;
class QWidget;
struct JobOptions;

// The switches kept in the second settings file, as checkable items of a
// widget's menu (the log's), each saved to that file as soon as it changes.
// Nothing of the window's layout moves for them.
class ArchiveSwitches final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ArchiveSwitches)

public:
    // The items go into menuOwner's actions before the action before.
    ArchiveSwitches(const QString &filePath, QWidget *menuOwner, QAction *before,
                    QObject *parent = nullptr);

    // The switches as ticked, over the other options.
    void applyTo(JobOptions &options) const;

signals:
    // The file could not be written; line says so.
    void saveFailed(const QString &line);

private:
    QAction *addSwitch(const QString &text, bool checked);
    void save();

    QString m_filePath;
    QWidget *m_menuOwner;
    QAction *m_before;
    QAction *m_skipArchived = nullptr;
    QAction *m_quickSync = nullptr;
    QAction *m_resumeCutFiles = nullptr;
};
