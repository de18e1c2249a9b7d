#include "UserList.h"

#include "core/Prompts.h"
#include "core/RequestText.h"
#include "core/UserTable.h"
#include "naming/UserNames.h"
#include "report/ReportTexts.h"

#include <QCheckBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

namespace {

const QString HiddenWord = QStringLiteral("skipnaps");
constexpr qsizetype KeyBufferLength = 8;

} // namespace

QString userRowText(const UserEntry &user)
{
    return u'[' + QString(user.Scraps ? u'S' : u' ') + QString(user.Favs ? u'F' : u' ') + u']' +
           user.Name;
}

UserList::UserList(UserTable &table, Prompts &prompts, const UserListWidgets &widgets,
                   std::function<void()> saveSettings, QObject *parent)
    : QObject(parent), m_table(table), m_prompts(prompts), m_widgets(widgets),
      m_saveSettings(std::move(saveSettings))
{
    m_widgets.names->installEventFilter(this);
    connect(m_widgets.names, &QListWidget::itemSelectionChanged, this,
            &UserList::onSelectionChanged);
    // toggled: a user's click and a change made by the selection step both count;
    // setting a box to the state it has runs nothing.
    connect(m_widgets.syncScraps, &QCheckBox::toggled, this, &UserList::onSyncScrapsChanged);
    connect(m_widgets.syncFavs, &QCheckBox::toggled, this, &UserList::onSyncFavsChanged);
}

int UserList::selectedRow() const
{
    const QListWidgetItem *item = m_widgets.names->currentItem();
    return item && item->isSelected() ? m_widgets.names->row(item) : -1;
}

int UserList::slotOfRow(int row) const
{
    const QListWidgetItem *item = m_widgets.names->item(row);
    if (!item)
        return -1;
    bool ok = false;
    const int slot = item->data(Qt::UserRole).toInt(&ok);
    return ok && slot >= 0 && slot < UserSlots ? slot : -1;
}

void UserList::UpdateUserList()
{
    QListWidget *names = m_widgets.names;
    const int remembered = selectedRow();
    {
        // Emptying the list and putting the selection back are not selections of their own.
        const QSignalBlocker blocker(names);
        names->clear();
        const int last = std::min<int>(m_table.UserCount, UserSlots - 1);
        for (int slot = 0; slot <= last; ++slot) {
            const UserEntry &user = m_table.Users[size_t(slot)];
            if (user.Name.isEmpty())
                continue;
            auto *item = new QListWidgetItem(userRowText(user));
            item->setData(Qt::UserRole, slot);
            names->addItem(item);
        }
        if (remembered >= 0 && remembered < names->count())
            names->setCurrentRow(remembered);
    }
    if (selectedRow() >= 0)
        selectionStep();
}

void UserList::onSelectionChanged()
{
    selectionStep();
}

void UserList::selectionStep()
{
    if (m_inSelectionStep)
        return;
    const int slot = slotOfRow(selectedRow());
    if (slot < 0)
        return;
    m_inSelectionStep = true;
    // A copy: the box handlers below redraw the list while this runs.
    const UserEntry user = m_table.Users[size_t(slot)];
    m_widgets.syncScraps->setChecked(user.Scraps);
    m_widgets.uniqueScraps->setChecked(user.Scraps);
    m_widgets.syncFavs->setChecked(user.Favs);
    m_widgets.uniqueFavs->setChecked(user.Favs);
    m_widgets.uniqueUser->setText(user.Name);
    m_inSelectionStep = false;
}

void UserList::onSyncScrapsChanged()
{
    const int slot = slotOfRow(selectedRow());
    if (slot >= 0)
        m_table.Users[size_t(slot)].Scraps = m_widgets.syncScraps->isChecked();
    UpdateUserList();
}

void UserList::onSyncFavsChanged()
{
    const int slot = slotOfRow(selectedRow());
    if (slot >= 0)
        m_table.Users[size_t(slot)].Favs = m_widgets.syncFavs->isChecked();
    UpdateUserList();
}

void UserList::Add()
{
    if (m_table.UserCount >= MaxUsers) {
        m_prompts.message(Prompts::Icon::Exclamation, ProductName,
                          QStringLiteral("User list is full (1024 entries)."));
        return;
    }
    // A pasted line break is never part of a name.
    const QString name = withoutControlCharacters(m_prompts.input(
        QStringLiteral("Add new user"), QStringLiteral("Enter username:"), QString()));
    // Slot UserCount is always free, so an empty answer (a cancel) ends here too.
    const int last = std::min<int>(m_table.UserCount, UserSlots - 1);
    for (int slot = 0; slot <= last; ++slot) {
        if (m_table.Users[size_t(slot)].Name == name) {
            m_prompts.message(Prompts::Icon::Information, ProductName,
                              u'"' + name + QStringLiteral("\" is already in the userlist."));
            return;
        }
    }
    // The name becomes a folder and part of file names.
    if (const QString problem = userNameProblem(name); !problem.isEmpty()) {
        m_prompts.message(Prompts::Icon::Exclamation, ProductName, problem);
        return;
    }
    UserEntry &entry = m_table.Users[size_t(m_table.UserCount)];
    entry.Name = name;
    entry.Scraps = m_widgets.uniqueScraps->isChecked();
    entry.Favs = false;
    ++m_table.UserCount;
    UpdateUserList();
    m_widgets.names->setCurrentRow(m_widgets.names->count() - 1);
    if (m_saveSettings)
        m_saveSettings();
}

void UserList::Remove()
{
    const int slot = slotOfRow(selectedRow());
    if (slot < 0)
        return;
    // The slot stays used until the next start; the file is compact again then.
    m_table.Users[size_t(slot)].Name.clear();
    UpdateUserList();
    if (m_saveSettings)
        m_saveSettings();
}

void UserList::keyTyped(const QString &text)
{
    for (const QChar c : text) {
        m_keyBuffer += c;
        if (m_keyBuffer.contains(HiddenWord)) {
            m_prompts.message(Prompts::Icon::Exclamation, ProductName, QStringLiteral("Gotcha :)"));
            emit hiddenWordTyped();
            m_keyBuffer.clear();
        }
        // Counted in groups of eight presses: the word must fill one group.
        if (m_keyBuffer.size() >= KeyBufferLength)
            m_keyBuffer.clear();
    }
}

bool UserList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_widgets.names && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->text().isEmpty())
            keyTyped(key->text());
    }
    // The list still handles the key itself (moving the selection).
    return QObject::eventFilter(watched, event);
}
