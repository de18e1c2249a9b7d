#pragma once

#include <QString>

class EventLogView;
class ProgressShape;
class QPalette;
class QButtonGroup;
class QCheckBox;
class QFont;
class QFrame;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QObject;
class QPushButton;
class QScrollBar;
class QVBoxLayout;
class QWidget;

// Told wherever a job is started or watched.
inline const QString StopKeyHint = QStringLiteral("Esc stops a running job");

// The main window's controls, built and laid out in one place; the window
// itself only gives them behaviour. Each control also has its form name
// (Txt_Uniuser, Cmd_Get, Shape1, ...) as its objectName, set from the one
// table in nameControls(); the tests and the demo find the controls by it.
struct MainWindowControls
{
    // Builds every control inside window. resizeWatcher gets the resize events
    // of the progress outline and the size-limit label, which place their
    // contents by hand.
    void buildControls(QWidget *window, QObject *resizeWatcher, const QString &webHost);
    // Bar widths in percent of the progress outline.
    void placeProgressBars(double filePercent, double queuePercent);
    void placeSizeBox();
    // Colours the rating captions and the progress bars so that their texts
    // read under this theme.
    void applyThemeColors(const QPalette &theme);

    // "Get unique user"
    QGroupBox *uniqueUserFrame = nullptr;
    QLabel *userNameLabel = nullptr;
    QLineEdit *userNameBox = nullptr;
    QCheckBox *uniqueGalleryBox = nullptr;
    QCheckBox *uniqueScrapsBox = nullptr;
    QCheckBox *uniqueFavsBox = nullptr;
    QPushButton *getButton = nullptr;
    // "Get multiple users"
    QGroupBox *userListFrame = nullptr;
    QListWidget *userListBox = nullptr;
    QPushButton *addButton = nullptr;
    QPushButton *removeButton = nullptr;
    QPushButton *syncButton = nullptr;
    QPushButton *watchlistButton = nullptr;
    QLabel *selectionLabel = nullptr;
    QCheckBox *syncScrapsBox = nullptr;
    QCheckBox *syncFavsBox = nullptr;
    // The log, and the status and speed over the two bars of the progress outline
    EventLogView *logView = nullptr;
    QFrame *progressOutline = nullptr;
    ProgressShape *fileProgressBar = nullptr;
    ProgressShape *queueProgressBar = nullptr;
    QLabel *statusLabel = nullptr;
    QLabel *speedLabel = nullptr;
    // "Settings", with its frames
    QGroupBox *settingsFrame = nullptr;
    QGroupBox *cookieFrame = nullptr;
    QLabel *cookieALabel = nullptr;
    QLineEdit *cookieABox = nullptr;
    QLabel *cookieBLabel = nullptr;
    QLineEdit *cookieBBox = nullptr;
    QGroupBox *namingFrame = nullptr;
    QButtonGroup *namingGroup = nullptr; // its ids are the naming modes
    QGroupBox *folderFrame = nullptr;
    QButtonGroup *folderGroup = nullptr; // its ids are the folder modes
    QCheckBox *commonFavsBox = nullptr;
    QGroupBox *filterFrame = nullptr;
    QListWidget *typeList = nullptr;
    QCheckBox *generalBox = nullptr;
    QCheckBox *matureBox = nullptr;
    QCheckBox *adultBox = nullptr;
    QLabel *sizeLimitLabel = nullptr; // "Size limit: ... MB" caption around the size box
    QLineEdit *sizeLimitBox = nullptr;
    QCheckBox *urlFixBox = nullptr;
    QLabel *delayLabel = nullptr;
    QScrollBar *delayBar = nullptr;
    QLabel *savePathLabel = nullptr;
    QLineEdit *savePathBox = nullptr;
    QPushButton *browseSaveButton = nullptr;
    QLabel *favPathLabel = nullptr;
    QLineEdit *favPathBox = nullptr;
    QPushButton *browseFavsButton = nullptr;
    QCheckBox *shutdownBox = nullptr;
    QCheckBox *saveSettingsBox = nullptr;
    // The bottom row
    QPushButton *aboutButton = nullptr;
    QLineEdit *webPageBox = nullptr;

private:
    // One builder per part of the window, in the order the controls are made.
    QGroupBox *buildUniqueUserFrame(QWidget *window, const QFont &fixed);
    QGroupBox *buildUserListFrame(QWidget *window, const QFont &fixed);
    void buildLogAndProgress(QWidget *window, QObject *resizeWatcher, const QFont &fixed);
    void buildSettingsFrame(QWidget *window, QObject *resizeWatcher, const QFont &fixed);
    QGroupBox *buildCookieFrame(QWidget *settings, const QFont &fixed);
    QLayout *buildModeFrames(QWidget *settings);
    QGroupBox *buildFilterFrame(QWidget *settings, QObject *resizeWatcher);
    QVBoxLayout *buildOptionColumn(QWidget *settings);
    QLayout *buildFolderRows(QWidget *settings);
    void addEndOfJobBoxes(QWidget *settings, QVBoxLayout *column);
    QLayout *buildBottomRow(QWidget *window, const QString &webHost);
    void orderTabs();
    // The one table of the form names, set as objectNames.
    void nameControls();
};
