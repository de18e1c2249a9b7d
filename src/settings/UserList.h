#pragma once

#include <QObject>

#include <functional>

class Prompts;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QWidget;
struct JobState;

// The controls the user list works on.
struct UserListWidgets
{
    QListWidget *names = nullptr;        // Lst_Names
    QCheckBox *syncScraps = nullptr;     // Chk_Syngetscraps
    QCheckBox *syncFavs = nullptr;       // Chk_Syngetfavs
    QCheckBox *uniqueScraps = nullptr;   // Chk_Unigetscraps
    QCheckBox *uniqueFavs = nullptr;     // Chk_Unigetfavs
    QLineEdit *uniqueUser = nullptr;     // Txt_Uniuser
};

// The list of users that "Sync all" walks: shown with its [SF] marks, edited
// with Add and Remove and the two flag boxes, and the hidden no-wait word.
class UserList final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UserList)

public:
    UserList(JobState &state, Prompts &prompts, const UserListWidgets &widgets,
             std::function<void()> saveSettings, QWidget *owner, QObject *parent = nullptr);

    void UpdateUserList();
    void Add();
    void Remove();
    // A key that produced this text was pressed in the list.
    void keyTyped(const QString &text);

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void onSelectionChanged();
    void onSyncScrapsChanged();
    void onSyncFavsChanged();

    JobState &m_state;
    Prompts &m_prompts;
    UserListWidgets m_widgets;
    std::function<void()> m_saveSettings;
    QWidget *m_owner;
};
