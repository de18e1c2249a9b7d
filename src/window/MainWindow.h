#pragma once

#include "MainWindowControls.h"
#include "core/AppEnvironment.h"
#include "core/JobSettings.h"
#include "core/UserTable.h"
#include "job/OptionsJobSettings.h"

#include <QMainWindow>

#include <memory>

class ArchiveSwitches;
class EventLog;
class QAction;
class RunLock;
class Session;
class UserList;
struct JobOptions;

// The program's one window (Form1): it builds the controls, holds every
// setting in its control, runs the start-up and the unload, and hands the
// clicks of Get and Sync to the engine it owns, which reads the options from
// the controls at every question. A QMainWindow, so that assistive tools list
// it as a top-level window.
class MainWindow final : public QMainWindow, private MainWindowControls, public JobDisplay
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    // Building the window runs the start-up: settings, user list, update check.
    explicit MainWindow(AppEnvironment environment, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Closes open files and saves the settings; runs once, when the window closes.
    void unload();

    QString settingsFilePath() const;
    // The log the window shows.
    const EventLog &eventLog() const;
    // What the job asks, answered from the controls.
    const JobSettings &jobSettings() const { return m_jobSettings; }

    void AddEvent(const QString &text, int32_t color);
    void RaiseError(const QString &errorText);
    void LoadSettings();
    void SaveSettings();

    // Bar positions in percent, as last set.
    double fileProgress() const { return m_fileProgress; }
    double queueProgress() const { return m_queueProgress; }

    // JobDisplay
    void setStatusCaption(const QString &text) override;
    void setSpeedCaption(const QString &text) override;
    void setFileProgress(double percent) override;
    void setQueueProgress(double percent) override;
    void setWindowCaption(const QString &text) override;
    bool windowStateNotNormal() const override;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void wireControls();
    void startUp();
    void onDelayChanged(int value);
    void onSaveSetsClicked();
    void browseSavePath();
    void browseFavPath();
    void showAbout();
    // The options as the controls and the held variables show them, and back.
    JobOptions optionsFromControls() const;
    // As the job reads them, the request texts cleaned.
    JobOptions optionsForJob() const;
    void showOptions(const JobOptions &options);

    // The user table, the pause and the hidden no-wait mode: settings the
    // window holds in variables rather than in controls.
    struct HeldSettings : UserTable
    {
        int16_t Delay = 0;
        bool NoWait = false;
    };

    AppEnvironment m_env;
    HeldSettings m_held;
    OptionsJobSettings m_jobSettings;
    bool m_unloaded = false;
    double m_fileProgress = 0;
    double m_queueProgress = 0;
    QAction *m_stop = nullptr; // Esc and the log's "Stop": enabled while a job runs

    // Held from a Get or Sync until its job ends, or until the window closes.
    std::unique_ptr<RunLock> m_runLock;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<UserList> m_userList;
    ArchiveSwitches *m_switches = nullptr; // the log menu's switches of the second settings file
};
