#include "ScriptedPrompts.h"
#include "TestTools.h"

#include "UserList.h"
#include "core/JobState.h"

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
    JobState state;
    ScriptedPrompts prompts;
    QListWidget names;
    QCheckBox syncScraps, syncFavs, uniScraps, uniFavs;
    QLineEdit uniUser;
    int saves = 0;
    UserList list{state, prompts,
                  UserListWidgets{&names, &syncScraps, &syncFavs, &uniScraps, &uniFavs, &uniUser},
                  [this] { ++saves; }};

    explicit ListFixture(const QList<UserEntry> &users = {})
    {
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
        EXPECT_EQ(f.state.NoWait, noWait);
        EXPECT_EQ(f.prompts.ofKind(u"message"_s).size(), noWait ? 1 : 0);
        EXPECT_LT(f.state.KeyBuffer.size(), 8);
    }
    ListFixture f;
    f.list.keyTyped(u"xyzskipnapsabcdefghijk"_s);
    EXPECT_FALSE(f.state.NoWait);
    EXPECT_LT(f.state.KeyBuffer.size(), 8);
    f.list.keyTyped(u"abskipnaps"_s);
    EXPECT_TRUE(f.state.NoWait);
}
