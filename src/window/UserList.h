#pragma once

#include <QObject>
#include <QString>

#include <functional>

class Prompts;
class QCheckBox;
class QLineEdit;
class QListWidget;
struct UserEntry;
struct UserTable;

// The row a user is shown as: "[", "S" or " ", "F" or " ", "]", then the name.
QString userRowText(const UserEntry &user);

// The controls the user list works on.
struct UserListWidgets
{
    QListWidget *names = nullptr;      // Lst_Names
    QCheckBox *syncScraps = nullptr;   // Chk_Syngetscraps
    QCheckBox *syncFavs = nullptr;     // Chk_Syngetfavs
    QCheckBox *uniqueScraps = nullptr; // Chk_Unigetscraps
    QCheckBox *uniqueFavs = nullptr;   // Chk_Unigetfavs
    QLineEdit *uniqueUser = nullptr;   // Txt_Uniuser
};

// The list of users that "Sync all" walks: shown with its [SF] marks, edited
// with Add and Remove and the two flag boxes, and the hidden no-wait word.
class UserList final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UserList)

public:
    UserList(UserTable &table, Prompts &prompts, const UserListWidgets &widgets,
             std::function<void()> saveSettings, QObject *parent = nullptr);

    void UpdateUserList();
    void Add();
    void Remove();
    // A key that produced this text was pressed in the list.
    void keyTyped(const QString &text);
    // The keys typed so far towards the hidden word.
    const QString &keyBuffer() const { return m_keyBuffer; }

signals:
    // The hidden word was typed: the pause between files is to be skipped.
    void hiddenWordTyped();

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void onSelectionChanged();
    void onSyncScrapsChanged();
    void onSyncFavsChanged();
    void selectionStep();
    // The selected row (a current row that is not selected does not count), or -1.
    int selectedRow() const;
    // The table slot a row stands for, or -1.
    int slotOfRow(int row) const;

    UserTable &m_table;
    Prompts &m_prompts;
    UserListWidgets m_widgets;
    std::function<void()> m_saveSettings;
    // The selection step sets the flag boxes, whose handlers redraw the list,
    // whose re-selection would run the step again: it never nests.
    bool m_inSelectionStep = false;
    QString m_keyBuffer; // KeyBuffer: the last keys typed in the list, up to eight
};
