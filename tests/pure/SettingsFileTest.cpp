#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(SettingsText, ValuesCannotBreakIntoLinesOfTheirOwn)
{
    // A pasted cookie or name with a line break must not turn into a setting of its own.
    SettingsSnapshot snapshot;
    snapshot.cookieA = u"abc\r\nshutdown=1"_s;
    snapshot.users = {UserEntry{u"eve\nusername=mallory"_s, false, false}};
    const SettingsRead read = readSettingsText(settingsText(snapshot));
    ASSERT_EQ(read.status, SettingsStatus::Loaded);
    EXPECT_EQ(read.values.cookieA, u"abcshutdown=1"_s);
    ASSERT_EQ(read.values.users.size(), 1);
    EXPECT_EQ(read.values.users[0].Name, u"eveusername=mallory"_s);
    EXPECT_EQ(read.values.shutdown, 0);
}

TEST(SettingsText, UsersPastTheTableEndAreDropped)
{
    QStringList file{u"130"_s};
    for (int i = 0; i < 1100; ++i) {
        file << u"username=user%1"_s.arg(i);
        // Only the surplus names carry flags: none may land on a stored user.
        if (i >= MaxUsers)
            file << u"getscraps=True"_s << u"getfavs=True"_s;
    }
    const SettingsRead read = readSettingsText((file.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
    ASSERT_EQ(read.values.users.size(), MaxUsers);
    EXPECT_EQ(read.values.users.last().Name, u"user1023"_s);
    for (const UserEntry &user : read.values.users)
        ASSERT_FALSE(user.Scraps || user.Favs) << user.Name.toStdString();
}
