#include "ScriptedPrompts.h"
#include "TestTools.h"

#include "UserList.h"
#include "core/UserTable.h"
#include "naming/UserNames.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The user list on its own widgets, with these users in the table.
struct ListFixture
{
    UserTable state;
    ScriptedPrompts prompts;
    QListWidget names;
    QCheckBox syncScraps, syncFavs, uniScraps, uniFavs;
    QLineEdit uniUser;
    int saves = 0, noWaits = 0;
    UserList list{state, prompts,
                  UserListWidgets{&names, &syncScraps, &syncFavs, &uniScraps, &uniFavs, &uniUser},
                  [this] { ++saves; }};

    explicit ListFixture(const QList<UserEntry> &users = {})
    {
        QObject::connect(&list, &UserList::hiddenWordTyped, [this] { ++noWaits; });
        for (const UserEntry &user : users)
            state.Users[size_t(state.UserCount++)] = user;
        list.UpdateUserList();
    }
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < names.count(); ++i)
            texts << names.item(i)->text();
        return texts;
    }
    int selectedRow() const
    {
        const QListWidgetItem *item = names.currentItem();
        return item && item->isSelected() ? names.row(item) : -1;
    }
    // Both frames show the user of this row, and the rows are unchanged.
    void expectFramesShow(int row, const QStringList &allRows)
    {
        const UserEntry &u = state.Users[size_t(names.item(row)->data(Qt::UserRole).toInt())];
        EXPECT_EQ(selectedRow(), row);
        EXPECT_EQ(syncScraps.isChecked(), u.Scraps);
        EXPECT_EQ(uniScraps.isChecked(), u.Scraps);
        EXPECT_EQ(syncFavs.isChecked(), u.Favs);
        EXPECT_EQ(uniFavs.isChecked(), u.Favs);
        EXPECT_EQ(uniUser.text(), u.Name);
        EXPECT_EQ(rows(), allRows);
    }
};

} // namespace

// The chain of selection, flag boxes and redraw ends, changes no flag, and a
// row deselected by a ctrl-click fills the frames again when re-selected.
TEST(UserList, SelectingARowFillsBothFrames)
{
    ListFixture f(
        {{u"ann"_s, true, true}, {u"bob"_s}, {u"a_name_longer_than_twenty_two"_s, false, true}});
    const QStringList rows = {"[SF]ann", "[  ]bob", "[ F]a_name_longer_than_twenty_two"};
    EXPECT_EQ(f.rows(), rows);
    EXPECT_EQ(f.selectedRow(), -1);
    for (int row : {0, 1, 2, 1, 0, 2}) {
        f.names.setCurrentRow(row);
        f.expectFramesShow(row, rows);
    }
    f.names.item(2)->setSelected(false);
    f.uniUser.clear();
    f.names.item(2)->setSelected(true);
    f.expectFramesShow(2, rows);
    EXPECT_EQ(f.saves, 0);
}

// The hidden word must fill one group of eight keys; a key giving several
// characters counts each, and can never overfill the buffer.
TEST(UserList, HiddenWordFillsOneGroupOfEightKeys)
{
    const QList<std::pair<QString, bool>> cases = {
        {"skipnaps", true},       {"abcskipnaps", false},     {"abcdefghskipnaps", true},
        {"abcdeskipnaps", false}, {"abcdeabcskipnaps", true}, {"SKIPNAPS", false},
    };
    for (const auto &[keys, noWait] : cases) {
        SCOPED_TRACE(keys.toStdString());
        ListFixture f({{u"ann"_s}});
        QTest::keyClicks(&f.names, keys);
        EXPECT_EQ(f.noWaits, noWait ? 1 : 0);
        EXPECT_EQ(f.prompts.ofKind(u"message"_s).size(), noWait ? 1 : 0);
        EXPECT_LT(f.list.keyBuffer().size(), 8);
    }
    ListFixture f;
    f.list.keyTyped(u"xyzskipnapsabcdefghijk"_s);
    EXPECT_EQ(f.noWaits, 0);
    EXPECT_LT(f.list.keyBuffer().size(), 8);
    f.list.keyTyped(u"abskipnaps"_s);
    EXPECT_EQ(f.noWaits, 1);
}

// Add takes the scraps box of the "Get unique user" frame, never favorites; a
// name already listed, or one that would leave the download folders, is refused.
TEST(UserList, AddTakesTheUniqueScrapsBox)
{
    ListFixture f({{u"ann"_s}});
    f.uniScraps.setChecked(true);
    f.uniFavs.setChecked(true);
    f.prompts.inputs = QStringList{u"../x"_s, u"e\r\nve"_s, u"eve"_s};
    for (int i = 0; i < 3; ++i)
        f.list.Add();
    EXPECT_EQ(f.rows(), (QStringList{"[  ]ann", "[S ]eve"}));
    EXPECT_EQ(f.state.UserCount, 2);
    const auto messages = f.prompts.ofKind(u"message"_s);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(std::pair(messages[0].icon, messages[0].text),
              std::pair(Prompts::Icon::Exclamation, userNameProblem(u"../x"_s)));
    EXPECT_EQ(messages[1].text, u"\"eve\" is already in the userlist."_s);
    f.expectFramesShow(1, f.rows());
    EXPECT_EQ(f.saves, 1);
}

// Removed users leave their slots empty, so rows and slots part ways.
TEST(UserList, RemoveClearsTheSlotOfTheSelectedRow)
{
    ListFixture f({{u"ann"_s}, {u"bob"_s}, {u"cy"_s, true}, {u"dee"_s}});
    for (const int row : {1, 1, 0}) {
        f.names.setCurrentRow(row);
        f.list.Remove();
    }
    EXPECT_EQ(f.rows(), QStringList{"[  ]dee"});
    EXPECT_EQ(f.state.Users[3].Name, u"dee"_s);
    EXPECT_EQ(f.saves, 3);
}

// The Sync frame's boxes change the flags of the selected user alone.
TEST(UserList, SyncBoxesSetTheSelectedUsersFlags)
{
    ListFixture f({{u"ann"_s}, {u"bob"_s}});
    f.names.setCurrentRow(1);
    f.syncFavs.click();
    EXPECT_EQ(f.rows(), (QStringList{"[  ]ann", "[ F]bob"}));
    f.syncScraps.click();
    f.syncFavs.click();
    f.expectFramesShow(1, {"[  ]ann", "[S ]bob"});
}
