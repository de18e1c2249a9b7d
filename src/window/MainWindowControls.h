#pragma once

#include <QString>

class EventLogView;
class ProgressShape;
class QPalette;
class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QObject;
class QPushButton;
class QScrollBar;
class QWidget;

// The main window's controls, built and laid out in one place; the window
// itself only gives them behaviour.
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

    // The controls; each keeps its described name as its objectName.
    QLineEdit *userNameBox = nullptr;
    QCheckBox *uniqueGalleryBox = nullptr;
    QCheckBox *uniqueScrapsBox = nullptr;
    QCheckBox *uniqueFavsBox = nullptr;
    QPushButton *getButton = nullptr;
    QListWidget *userListBox = nullptr;
    QPushButton *addButton = nullptr;
    QPushButton *removeButton = nullptr;
    QPushButton *syncButton = nullptr;
    QPushButton *watchlistButton = nullptr;
    QCheckBox *syncScrapsBox = nullptr;
    QCheckBox *syncFavsBox = nullptr;
    EventLogView *logView = nullptr;
    QFrame *progressOutline = nullptr; // outline of the two progress bars
    ProgressShape *fileProgressBar = nullptr;
    ProgressShape *queueProgressBar = nullptr;
    QLabel *statusLabel = nullptr;
    QLabel *speedLabel = nullptr;
    QLineEdit *cookieABox = nullptr;
    QLineEdit *cookieBBox = nullptr;
    QButtonGroup *namingGroup = nullptr; // "File naming" choice
    QButtonGroup *folderGroup = nullptr; // "Folder structure" choice
    QCheckBox *commonFavsBox = nullptr;
    QListWidget *typeList = nullptr;
    QCheckBox *generalBox = nullptr;
    QCheckBox *matureBox = nullptr;
    QCheckBox *adultBox = nullptr;
    QLabel *sizeLimitLabel = nullptr; // "Size limit: ... MB" caption around the size box
    QLineEdit *sizeLimitBox = nullptr;
    QCheckBox *urlFixBox = nullptr;
    QLabel *delayLabel = nullptr;
    QScrollBar *delayBar = nullptr;
    QLineEdit *savePathBox = nullptr;
    QPushButton *browseSaveButton = nullptr;
    QLineEdit *favPathBox = nullptr;
    QPushButton *browseFavsButton = nullptr;
    QCheckBox *shutdownBox = nullptr;
    QCheckBox *saveSettingsBox = nullptr;
    QPushButton *aboutButton = nullptr;
    QLineEdit *webPageBox = nullptr;
};
