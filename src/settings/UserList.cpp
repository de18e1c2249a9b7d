#include "settings/UserList.h"

#include <QEvent>

// Placeholder: the user list is being written.
UserList::UserList(JobState &state, Prompts &prompts, const UserListWidgets &widgets,
                   std::function<void()> saveSettings, QWidget *owner, QObject *parent)
    : QObject(parent), m_state(state), m_prompts(prompts), m_widgets(widgets),
      m_saveSettings(std::move(saveSettings)), m_owner(owner)
{
}
void UserList::UpdateUserList() {}
void UserList::Add() {}
void UserList::Remove() {}
void UserList::keyTyped(const QString &) {}
bool UserList::eventFilter(QObject *watched, QEvent *event) { return QObject::eventFilter(watched, event); }
void UserList::onSelectionChanged() {}
void UserList::onSyncScrapsChanged() {}
void UserList::onSyncFavsChanged() {}
