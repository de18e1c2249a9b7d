#pragma once

#include "app/AppEnvironment.h"
#include "job/JobSettings.h"
#include "job/JobState.h"

#include <QWidget>

#include <memory>

class Downloader;
class ErrorReporter;
class EventLog;
class JobRunner;
class ListingClient;
class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;
class QTreeView;
class TcpClientSocket;
class UpdateChecker;
class UserList;
struct SettingsSnapshot;
struct StoredSettings;

// The program's one window (Form1). It owns the job state, the sockets, the
// log and every setting, which lives in its control and is read when needed.
class MainWindow final : public QWidget, public JobSettings, public JobDisplay
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    // Building the window runs the start-up: settings, user list, update check.
    explicit MainWindow(AppEnvironment environment, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Closes open files and saves the settings; runs once, when the window closes.
    void unload();

    JobState &state() { return m_state; }
    EventLog &eventLog() { return *m_log; }
    ErrorReporter &errors() { return *m_errors; }
    JobRunner &jobs() { return *m_jobs; }
    ListingClient &listing() { return *m_listing; }
    Downloader &downloader() { return *m_downloader; }
    UserList &userList() { return *m_userList; }
    const AppEnvironment &environment() const { return m_env; }
    QString settingsFilePath() const;

    void AddEvent(const QString &Texte, int32_t Couleur);
    void RaiseError(const QString &TxtErr);
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

    // JobDisplay
    void setStatusCaption(const QString &text) override;
    void setSpeedCaption(const QString &text) override;
    void setFileProgress(double percent) override;
    void setQueueProgress(double percent) override;
    void setWindowCaption(const QString &text) override;
    bool windowStateNotNormal() const override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void wireControls();
    void startUp();
    void onDelayChanged(int value);
    void onSaveSetsClicked();
    void browseSavePath();
    void browseFavPath();
    void showAbout();
    void placeProgressBars();
    void placeSizeBox();
    void applyStoredSettings(const StoredSettings &values);
    SettingsSnapshot snapshotSettings() const;

    AppEnvironment m_env;
    JobState m_state;
    bool m_unloaded = false;
    double m_fileProgress = 0;
    double m_queueProgress = 0;

    // Controls, named as the rest of the program knows them
    QLineEdit *Txt_Uniuser = nullptr;
    QCheckBox *Chk_Unigetgal = nullptr;
    QCheckBox *Chk_Unigetscraps = nullptr;
    QCheckBox *Chk_Unigetfavs = nullptr;
    QPushButton *Cmd_Get = nullptr;
    QListWidget *Lst_Names = nullptr;
    QPushButton *Cmd_Add = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Cmd_Sync = nullptr;
    QPushButton *Command2 = nullptr;
    QCheckBox *Chk_Syngetscraps = nullptr;
    QCheckBox *Chk_Syngetfavs = nullptr;
    QTreeView *ListView1 = nullptr;
    QFrame *Shape3 = nullptr;
    QFrame *Shape2 = nullptr;
    QFrame *Shape1 = nullptr;
    QLabel *Lbl_Status = nullptr;
    QLabel *Label12 = nullptr;
    QLineEdit *Txt_CookieA = nullptr;
    QLineEdit *Txt_CookieB = nullptr;
    QButtonGroup *Option1 = nullptr;
    QButtonGroup *Option2 = nullptr;
    QCheckBox *Chk_Commonfavs = nullptr;
    QListWidget *Lst_Types = nullptr;
    QCheckBox *Chk_Getgeneral = nullptr;
    QCheckBox *Chk_Getmature = nullptr;
    QCheckBox *Chk_Getadult = nullptr;
    QLabel *Label11 = nullptr;
    QLineEdit *Txt_Maxsize = nullptr;
    QCheckBox *Chk_urlfix = nullptr;
    QLabel *Lbl_Delay = nullptr;
    QScrollBar *Hscr_Delay = nullptr;
    QLineEdit *Txt_Path = nullptr;
    QPushButton *Cmd_Browsepath = nullptr;
    QLineEdit *Txt_Favpath = nullptr;
    QPushButton *Cmd_browsefavs = nullptr;
    QCheckBox *Chk_Shutdown = nullptr;
    QCheckBox *Chk_Savesets = nullptr;
    QPushButton *Cmd_About = nullptr;
    QLineEdit *Lbl_site = nullptr;

    // Parts, in the order they are built
    std::unique_ptr<EventLog> m_log;
    std::unique_ptr<ErrorReporter> m_errors;
    std::unique_ptr<TcpClientSocket> m_listSocket;
    std::unique_ptr<TcpClientSocket> m_dlSocket;
    std::unique_ptr<TcpClientSocket> m_updateSocket;
    std::unique_ptr<JobRunner> m_jobs;
    std::unique_ptr<ListingClient> m_listing;
    std::unique_ptr<Downloader> m_downloader;
    std::unique_ptr<UpdateChecker> m_update;
    std::unique_ptr<UserList> m_userList;
};
