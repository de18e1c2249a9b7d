#pragma once

#include "MainWindowControls.h"
#include "core/AppEnvironment.h"
#include "core/JobSettings.h"
#include "core/UserTable.h"

#include <QMainWindow>

#include <memory>

class EventLog;
class QAction;
class RunLock;
class Session;
class UserList;
struct SettingsSnapshot;
struct StoredSettings;

// The program's one window (Form1): it builds the controls, holds every
// setting in its control, runs the start-up and the unload, and hands the
// clicks of Get and Sync to the engine it owns. A QMainWindow, so that
// assistive tools list it as a top-level window.
class MainWindow final : public QMainWindow,
                         private MainWindowControls,
                         public JobSettings,
                         public JobDisplay
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

    void AddEvent(const QString &text, int32_t color);
    void RaiseError(const QString &errorText);
    void LoadSettings();
    void SaveSettings();

    // Bar positions in percent, as last set.
    double fileProgress() const { return m_fileProgress; }
    double queueProgress() const { return m_queueProgress; }

    // JobSettings
    QString uniqueUserText() const override;
    bool uniGetGallery() const override;
    bool uniGetScraps() const override;
    bool uniGetFavs() const override;
    bool shutdownTicked() const override;
    void untickShutdown() override;
    QString cookieA() const override;
    QString cookieB() const override;
    int nameMode() const override;
    int folderMode() const override;
    bool commonFavs() const override;
    QString savePathText() const override;
    void setSavePathText(const QString &text) override;
    QString favPathText() const override;
    void setFavPathText(const QString &text) override;
    bool typeWanted(int entry) const override;
    bool ratingWanted(int rating) const override;
    bool urlFix() const override;
    QString maxSizeText() const override;
    int delaySeconds() const override;
    bool noWait() const override;
    const UserTable &userTable() const override;

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
    void applyStoredSettings(const StoredSettings &values);
    SettingsSnapshot snapshotSettings() const;

    // The user table, the pause and the hidden no-wait mode: settings the
    // window holds in variables rather than in controls.
    struct HeldSettings : UserTable
    {
        int16_t Delay = 0;
        bool NoWait = false;
    };
    HeldSettings &state();
    const HeldSettings &state() const;

    AppEnvironment m_env;
    HeldSettings m_held;
    bool m_unloaded = false;
    double m_fileProgress = 0;
    double m_queueProgress = 0;
    QAction *m_stop = nullptr; // Esc and the log's "Stop": enabled while a job runs

    // Held from a Get or Sync until its job ends, or until the window closes.
    std::unique_ptr<RunLock> m_runLock;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<UserList> m_userList;
};
