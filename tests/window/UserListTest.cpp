#include "TestWindow.h"

#include "settings/SettingsFile.h"
#include "settings/UserList.h"
#include "windows/ReportTexts.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

UserEntry user(const char *name, bool scraps = false, bool favs = false)
{
    return UserEntry{QString::fromUtf8(name), scraps, favs};
}

// A window whose settings file lists these users.
struct ListFixture
{
    TestWindow test;
    MainWindow *window = nullptr;
    QListWidget *names = nullptr;
    QCheckBox *syncScraps = nullptr;
    QCheckBox *syncFavs = nullptr;
    QCheckBox *uniScraps = nullptr;
    QCheckBox *uniFavs = nullptr;
    QLineEdit *uniUser = nullptr;

    explicit ListFixture(const QList<UserEntry> &users = {})
    {
        SettingsSnapshot snapshot;
        snapshot.nameMode = 1;
        snapshot.folderMode = 1;
        snapshot.users = users;
        QFile file(test.path(SettingsFileName));
        if (file.open(QIODevice::WriteOnly))
            file.write(settingsText(snapshot));
        file.close();
        window = &test.open();
        names = control<QListWidget>(*window, "Lst_Names");
        syncScraps = control<QCheckBox>(*window, "Chk_Syngetscraps");
        syncFavs = control<QCheckBox>(*window, "Chk_Syngetfavs");
        uniScraps = control<QCheckBox>(*window, "Chk_Unigetscraps");
        uniFavs = control<QCheckBox>(*window, "Chk_Unigetfavs");
        uniUser = control<QLineEdit>(*window, "Txt_Uniuser");
    }

    JobState &state() { return window->state(); }
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < names->count(); ++i)
            texts << names->item(i)->text();
        return texts;
    }
    int slotOf(int row) const { return names->item(row)->data(Qt::UserRole).toInt(); }
    int selectedRow() const
    {
        const QListWidgetItem *item = names->currentItem();
        return item && item->isSelected() ? names->row(item) : -1;
    }
    void add(const QString &name)
    {
        test.prompts.inputs << name;
        control<QPushButton>(*window, "Cmd_Add")->click();
    }
    void remove() { control<QPushButton>(*window, "Command5")->click(); }
    QList<ScriptedPrompts::Shown> messages() const { return test.prompts.ofKind(u"message"_s); }
    QByteArray saved() const
    {
        QFile file(window->settingsFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Both frames show the user of this row.
    void expectFramesShow(int row)
    {
        const UserEntry &u = state().Users[size_t(slotOf(row))];
        ASSERT_EQ(selectedRow(), row);
        EXPECT_EQ(syncScraps->isChecked(), u.Scraps);
        EXPECT_EQ(uniScraps->isChecked(), u.Scraps);
        EXPECT_EQ(syncFavs->isChecked(), u.Favs);
        EXPECT_EQ(uniFavs->isChecked(), u.Favs);
        EXPECT_EQ(uniUser->text(), u.Name);
    }
};

const QByteArray LongName = "a_name_longer_than_twenty_two";
const QStringList ThreeRows = {"[SF]ann", "[  ]bob", "[ F]" + QString::fromLatin1(LongName)};

} // namespace

TEST(UserList, RowTextCarriesTheFourPrefixes)
{
    const QList<std::tuple<bool, bool, QString>> cases = {{true, true, "[SF]ann"},
                                                          {true, false, "[S ]ann"},
                                                          {false, true, "[ F]ann"},
                                                          {false, false, "[  ]ann"}};
    for (const auto &[scraps, favs, text] : cases)
        EXPECT_EQ(userRowText(user("ann", scraps, favs)), text);
}

TEST(UserList, SelectingRowsFillsBothFramesAndChangesNoFlags)
{
    ListFixture f({user("ann", true, true), user("bob"), user(LongName.constData(), false, true)});
    // It comes up with every user and no selection.
    EXPECT_EQ(f.rows(), ThreeRows);
    EXPECT_EQ(f.selectedRow(), -1);
    EXPECT_EQ(f.slotOf(2), 2);
    EXPECT_EQ(f.state().UserCount, 3);
    EXPECT_TRUE(f.uniUser->text().isEmpty());

    // Back and forth between users with different flags, by mouse and by code:
    // the chain of selection, boxes and redraw must end and leave every flag
    // as it was. A long name reaches the Get frame whole.
    f.window->show();
    for (int row : {0, 1, 2, 1, 0, 2}) {
        const QRect rect = f.names->visualItemRect(f.names->item(row));
        ASSERT_FALSE(rect.isEmpty());
        QTest::mouseClick(f.names->viewport(), Qt::LeftButton, {}, rect.center());
        f.expectFramesShow(row);
    }
    for (int round = 0; round < 3; ++round)
        for (int row : {0, 1, 2, 0, 2, 1}) {
            f.names->setCurrentRow(row);
            f.expectFramesShow(row);
        }
    EXPECT_EQ(f.rows(), ThreeRows);
}

TEST(UserList, FlagBoxesChangeTheSelectedUserOnly)
{
    ListFixture f({user("ann"), user("bob")});
    // Without a selection a box only redraws.
    f.syncScraps->click();
    EXPECT_FALSE(f.state().Users[0].Scraps);
    EXPECT_FALSE(f.state().Users[1].Scraps);
    EXPECT_EQ(f.rows(), (QStringList{"[  ]ann", "[  ]bob"}));
    EXPECT_EQ(f.selectedRow(), -1);

    f.names->setCurrentRow(1);
    f.syncScraps->click();
    EXPECT_TRUE(f.state().Users[1].Scraps);
    EXPECT_FALSE(f.state().Users[0].Scraps);
    EXPECT_EQ(f.selectedRow(), 1);
    EXPECT_TRUE(f.uniScraps->isChecked());
    const QList<std::pair<QCheckBox *, QString>> clicks = {
        {nullptr, "[S ]bob"}, {f.syncFavs, "[SF]bob"}, {f.syncScraps, "[ F]bob"}};
    for (const auto &[box, row] : clicks) {
        if (box)
            box->click();
        EXPECT_EQ(f.rows(), (QStringList{"[  ]ann", row}));
    }
    // Flags reach the file only at the final save.
    EXPECT_FALSE(f.saved().contains("getfavs=True"));
    f.window->unload();
    EXPECT_TRUE(f.saved().contains("username=bob\r\ngetscraps=False\r\ngetfavs=True\r\n"));
}

TEST(UserList, AddAsksRejectsDuplicatesStoresSelectsAndSaves)
{
    ListFixture f({user("ann", true, false)});
    const QByteArray before = f.saved();
    f.add(u"ann"_s);
    f.add(QString()); // cancelled
    const auto shown = f.messages();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].text, u"\"ann\" is already in the userlist."_s);
    EXPECT_EQ(shown[1].text, u"\"\" is already in the userlist."_s);
    for (const auto &message : shown) {
        EXPECT_EQ(message.icon, Prompts::Icon::Information);
        EXPECT_EQ(message.title, ProductName);
    }
    EXPECT_EQ(f.rows(), QStringList{"[S ]ann"});
    EXPECT_EQ(f.saved(), before);

    f.names->setCurrentRow(0); // ticks the single-user scraps box
    f.add(u"bob"_s);
    const auto inputs = f.test.prompts.ofKind(u"input"_s);
    ASSERT_EQ(inputs.size(), 3);
    EXPECT_EQ(inputs.last().title, u"Add new user"_s);
    EXPECT_EQ(inputs.last().text, u"Enter username:"_s);
    EXPECT_EQ(f.state().UserCount, 2);
    EXPECT_EQ(f.rows().last(), u"[S ]bob"_s);
    EXPECT_EQ(f.selectedRow(), 1);
    EXPECT_EQ(f.uniUser->text(), u"bob"_s);
    EXPECT_TRUE(f.saved().contains("username=bob\r\ngetscraps=True\r\ngetfavs=False\r\n"));

    f.uniScraps->setChecked(false);
    f.add(u"Bob"_s); // letter case makes another user
    EXPECT_EQ(f.rows().last(), u"[  ]Bob"_s);
    EXPECT_EQ(f.messages().size(), 2);
}

TEST(UserList, AddFillsTheTableToItsLastUserAndStopsCountingRemovedSlots)
{
    ListFixture f;
    for (int slot = 0; slot < MaxUsers - 1; ++slot)
        f.state().Users[size_t(slot)].Name = u"u%1"_s.arg(slot);
    f.state().UserCount = MaxUsers - 1;
    f.add(u"last"_s);
    EXPECT_EQ(f.state().UserCount, MaxUsers);
    EXPECT_EQ(f.state().Users[size_t(MaxUsers - 1)].Name, u"last"_s);
    EXPECT_EQ(f.names->count(), MaxUsers);

    const qsizetype inputs = f.test.prompts.ofKind(u"input"_s).size();
    f.add(u"more"_s);
    f.state().Users[5].Name.clear(); // removed earlier in this run: still counted
    f.add(u"late"_s);
    const auto shown = f.messages();
    ASSERT_EQ(shown.size(), 2);
    for (const auto &message : shown) {
        EXPECT_EQ(message.text, u"User list is full (1024 entries)."_s);
        EXPECT_EQ(message.icon, Prompts::Icon::Exclamation);
        EXPECT_EQ(message.title, ProductName);
    }
    EXPECT_EQ(f.test.prompts.ofKind(u"input"_s).size(), inputs); // nothing asked
    EXPECT_EQ(f.state().UserCount, MaxUsers);
    EXPECT_TRUE(f.state().Users[size_t(MaxUsers)].Name.isEmpty());
}

TEST(UserList, RemoveEmptiesTheSlotAndSelectsTheNextRow)
{
    ListFixture f({user("ann"), user("bob", true), user("cid", false, true)});
    f.names->setCurrentRow(1);
    f.remove();
    EXPECT_TRUE(f.state().Users[1].Name.isEmpty());
    EXPECT_EQ(f.state().UserCount, 3);
    EXPECT_EQ(f.rows(), (QStringList{"[  ]ann", "[ F]cid"}));
    EXPECT_EQ(f.slotOf(1), 2);
    f.expectFramesShow(1);
    EXPECT_EQ(f.uniUser->text(), u"cid"_s);
    const QByteArray saved = f.saved();
    EXPECT_FALSE(saved.contains("username=bob"));
    EXPECT_TRUE(saved.contains("username=ann\r\ngetscraps=False\r\ngetfavs=False\r\n"
                               "username=cid\r\ngetscraps=False\r\ngetfavs=True\r\ndelay="));

    // With an empty slot below it, the row still acts on its own user.
    f.syncScraps->click();
    EXPECT_TRUE(f.state().Users[2].Scraps);
    EXPECT_FALSE(f.state().Users[0].Scraps);
    EXPECT_EQ(f.rows().at(1), u"[SF]cid"_s);

    // Removing the last row leaves nothing selected.
    f.remove();
    EXPECT_EQ(f.rows(), QStringList{"[  ]ann"});
    EXPECT_EQ(f.selectedRow(), -1);
}

TEST(UserList, RemoveNeedsASelectionAndAddAfterItTakesAFreshSlot)
{
    ListFixture f({user("ann")});
    const QByteArray before = f.saved();
    f.remove();
    EXPECT_EQ(f.names->count(), 1);
    EXPECT_TRUE(f.test.prompts.shown.isEmpty());
    EXPECT_EQ(f.saved(), before);

    f.names->setCurrentRow(0);
    f.remove();
    EXPECT_EQ(f.names->count(), 0);
    EXPECT_EQ(f.selectedRow(), -1);
    EXPECT_EQ(f.uniUser->text(), u"ann"_s);
    EXPECT_FALSE(f.saved().contains("username="));
    // An empty list still allows Add, into a fresh slot; Remove does nothing.
    f.remove();
    EXPECT_TRUE(f.test.prompts.shown.isEmpty());
    f.add(u"bob"_s);
    EXPECT_EQ(f.rows(), QStringList{"[  ]bob"});
    EXPECT_EQ(f.state().UserCount, 2);
    EXPECT_EQ(f.slotOf(0), 1);

    // After a restart the table is compact again.
    TestWindow again;
    QFile::copy(f.window->settingsFilePath(), again.path(SettingsFileName));
    MainWindow &window = again.open();
    EXPECT_EQ(window.state().UserCount, 1);
    EXPECT_EQ(window.state().Users[0].Name, u"bob"_s);
}

TEST(UserList, ClickingADeselectedCurrentRowSelectsItAgain)
{
    ListFixture f({user("ann", true), user("bob")});
    f.names->setCurrentRow(0);
    f.names->item(0)->setSelected(false); // a ctrl-click on the selected row
    ASSERT_EQ(f.selectedRow(), -1);
    f.uniUser->clear();
    f.names->item(0)->setSelected(true);
    EXPECT_EQ(f.uniUser->text(), u"ann"_s);
    EXPECT_TRUE(f.syncScraps->isChecked());
    // Without a selected row, Remove leaves the current row alone.
    f.names->item(0)->setSelected(false);
    f.remove();
    EXPECT_EQ(f.names->count(), 2);
}

TEST(UserList, HiddenWordFillsOneGroupOfEightKeys)
{
    const QList<std::pair<QString, bool>> cases = {
        {"skipnaps", true},       {"abcskipnaps", false},     {"abcdefghskipnaps", true},
        {"abcdeskipnaps", false}, {"abcdeabcskipnaps", true}, {"SKIPNAPS", false},
        {"skipnap", false},
    };
    for (const auto &[keys, noWait] : cases) {
        SCOPED_TRACE(keys.toStdString());
        ListFixture f({user("ann"), user("bob")});
        QTest::keyClicks(f.names, keys);
        EXPECT_EQ(f.state().NoWait, noWait);
        const auto shown = f.messages();
        ASSERT_EQ(shown.size(), noWait ? 1 : 0);
        if (noWait) {
            EXPECT_EQ(shown[0].text, u"Gotcha :)"_s);
            EXPECT_EQ(shown[0].icon, Prompts::Icon::Exclamation);
            EXPECT_EQ(shown[0].title, ProductName);
            EXPECT_TRUE(f.state().KeyBuffer.isEmpty());
        }
        EXPECT_LT(f.state().KeyBuffer.size(), 8);
    }
}

TEST(UserList, KeysMoveTheSelectionAndEveryTypedCharacterCounts)
{
    ListFixture f({user("ann"), user("bob")});
    f.names->setFocus();
    f.names->setCurrentRow(0);
    QTest::keyClick(f.names, Qt::Key_Down);
    f.expectFramesShow(1);

    // A key text of several characters counts each one.
    f.window->userList().keyTyped(u"xyzskipnapsabcdefghijk"_s);
    EXPECT_FALSE(f.state().NoWait);
    EXPECT_LT(f.state().KeyBuffer.size(), 8);
    f.window->userList().keyTyped(u"abskipnaps"_s);
    EXPECT_TRUE(f.state().NoWait);

    // Only a change of the slider's value switches the mode off.
    auto *slider = control<QScrollBar>(*f.window, "Hscr_Delay");
    slider->setValue(slider->value());
    EXPECT_TRUE(f.state().NoWait);
    slider->setValue(slider->value() + 1);
    EXPECT_FALSE(f.state().NoWait);
}
