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

    // Controls, named as the rest of the program knows them
    QLineEdit *Txt_Uniuser = nullptr;
    QCheckBox *Chk_Unigetgal = nullptr;
    QCheckBox *Chk_Unigetscraps = nullptr;
    QCheckBox *Chk_Unigetfavs = nullptr;
    QPushButton *Cmd_Get = nullptr;
    QListWidget *Lst_Names = nullptr;
    QPushButton *Cmd_Add = nullptr;
    QPushButton *Command5 = nullptr; // "Remove" the selected user
    QPushButton *Cmd_Sync = nullptr;
    QPushButton *Command2 = nullptr; // "Watchlist"
    QCheckBox *Chk_Syngetscraps = nullptr;
    QCheckBox *Chk_Syngetfavs = nullptr;
    EventLogView *ListView1 = nullptr;
    QFrame *Shape3 = nullptr;        // outline of the two progress bars
    ProgressShape *Shape2 = nullptr; // file progress bar
    ProgressShape *Shape1 = nullptr; // queue progress bar
    QLabel *Lbl_Status = nullptr;
    QLabel *Label12 = nullptr; // transfer speed
    QLineEdit *Txt_CookieA = nullptr;
    QLineEdit *Txt_CookieB = nullptr;
    QButtonGroup *Option1 = nullptr; // "File naming" choice
    QButtonGroup *Option2 = nullptr; // "Folder structure" choice
    QCheckBox *Chk_Commonfavs = nullptr;
    QListWidget *Lst_Types = nullptr;
    QCheckBox *Chk_Getgeneral = nullptr;
    QCheckBox *Chk_Getmature = nullptr;
    QCheckBox *Chk_Getadult = nullptr;
    QLabel *Label11 = nullptr; // "Size limit: ... MB" caption around the size box
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
};
