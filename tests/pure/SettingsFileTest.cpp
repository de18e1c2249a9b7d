#include "settings/SettingsFile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
SettingsRead readLines(const QStringList &lines)
{
    return readSettingsText((lines.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
}
} // namespace

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
    const SettingsRead read = readLines(file);
    ASSERT_EQ(read.values.users.size(), MaxUsers);
    EXPECT_EQ(read.values.users.last().Name, u"user1023"_s);
    for (const UserEntry &user : read.values.users)
        ASSERT_FALSE(user.Scraps || user.Favs) << user.Name.toStdString();
}

// The size limit is stored as the number it begins with.
TEST(SettingsText, SizeLimitKeepsItsLeadingNumber)
{
    const QList<std::pair<QString, QString>> numbers = {
        {"10", "10"}, {"10MB", "10"}, {" 2.50", "2.5"}, {"3.5x", "3.5"}, {"", "0"},    {"MB", "0"},
        {"0", "0"},   {"-4", "-4"},   {".5", "0.5"},    {"1,5", "1"},    {"007", "7"}, {"-0", "0"},
    };
    for (const auto &[text, number] : numbers)
        EXPECT_EQ(leadingNumberText(text), number) << text.toStdString();
}
