#include "naming/FileNames.h"

#include <QFile>

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Builds a text from single-byte character codes, as the site's bytes arrive.
QString codes(std::initializer_list<int> values)
{
    QString text;
    for (const int value : values)
        text += QChar(value);
    return text;
}

const QString Address = u"http://files.test.invalid/x/y/nightday.png"_s;
const QString User = u"mossfern"_s;

} // namespace

TEST(FileNames, StripHTMLDecodesOneLevelInItsOwnOrder)
{
    const struct
    {
        QString in, out;
    } rows[] = {
        {u"Night &amp; Day: 1/2 &lt;WIP&gt;?"_s, u"Night & Day: 1/2 WIP>?"_s},
        // The removals bring an entity together, which the later steps decode.
        {u"&&lt;quot;"_s, u"\""_s},
        {u"&&quot;lt;"_s, QString()},
        // Doubled "&lt;" removal: the second pass catches what the first joined.
        {u"&l&lt;t;x"_s, u"x"_s},
        // "&amp;" goes last: one level of decoding per call.
        {u"&amp;gt;"_s, u"&gt;"_s},
        {u"&amp;amp;"_s, u"&amp;"_s},
        // Case-sensitive, and unknown entities stay.
        {u"&LT;&nbsp;&#39;"_s, u"&LT;&nbsp;&#39;"_s},
    };
    for (const auto &row : rows)
        EXPECT_EQ(StripHTML(row.in), row.out) << row.in.toStdString();
}

// The queued title was decoded once; naming decodes it again, the same for
// the listing and the transfer.
TEST(FileNames, SecondDecodingRemovesAnEscapedLessThan)
{
    EXPECT_EQ(StripHTML(StripHTML(u"&amp;lt;"_s)), QString());
    EXPECT_EQ(MakeFileName(Address, StripHTML(u"Cat &amp;lt;3"_s), 1, User), u"Cat 3.png"_s);
    const QString title = StripHTML("Dusk &amp;amp; dawn " + codes({195, 169}));
    EXPECT_EQ(MakeFileName(Address, title, 1, User), "Dusk & dawn " + codes({169}) + ".png");
}

TEST(FileNames, MakeFileNameBuildsTheStoredNames)
{
    const QString exampleTitle = u"Night &amp; Day: 1/2 &lt;WIP&gt;?"_s;
    const struct
    {
        const char *what;
        QString full, title;
        int mode;
        QString out;
    } rows[] = {
        {"example, original", Address, exampleTitle, 0, u"nightday.png"_s},
        {"example, title only", Address, exampleTitle, 1, u"Night & Day 12 WIP.png"_s},
        {"example, author", Address, exampleTitle, 2, u"mossfern - Night & Day 12 WIP.png"_s},
        {"only removed characters", Address, u"???"_s, 1, u".png"_s},
        {"no extension still gets the dot", u"http://f/x.y/nightday"_s, u"Night"_s, 1, u"Night."_s},
        {"trimmed before removal keeps the space", Address, u"Hello ?"_s, 1, u"Hello .png"_s},
        {"leading removed character keeps the space", Address, u"? Hello"_s, 1, u" Hello.png"_s},
        {"the nine characters", Address, u"a?b\\c:d*e|f/g>h<i\"j"_s, 1, u"abcdefghij.png"_s},
        {"decoded characters are removed too", Address, u"a&gt;b&amp;c"_s, 1, u"ab&c.png"_s},
        {"extension is the site's, case kept", u"http://f/x/Pic.JPG"_s, u"Pic"_s, 1, u"Pic.JPG"_s},
    };
    for (const auto &row : rows)
        EXPECT_EQ(MakeFileName(row.full, row.title, row.mode, User), row.out) << row.what;
}

TEST(FileNames, ControlAndHighCharactersInOneForwardPass)
{
    const QString abc = u"abc"_s;
    const struct
    {
        const char *what;
        QString title, out;
    } rows[] = {
        // The 169 shifts into the examined position and is not looked at again.
        {"195 then 169", abc + codes({195, 169}), abc + codes({169}) + u".png"_s},
        {"127 and 128 stay", abc + codes({127, 128}), abc + codes({127, 128}) + ".png"},
        {"129 goes", abc + codes({129}), abc + ".png"},
        {"31 goes", abc + codes({31}) + abc, abc + abc + ".png"},
        {"tab is not trimmed but removed", u" \tHi "_s, u"Hi.png"_s},
        // The pass skips shifted characters, but no control character survives.
        {"two controls at the start", codes({1, 2}), u".png"_s},
        {"NUL shifted into place", codes({1, 0}) + "x" + codes({0}), u"x.png"_s},
        {"shifted character removed at a later position", codes({1, 2}) + "a" + codes({2}),
         u"a.png"_s},
    };
    for (const auto &row : rows)
        EXPECT_EQ(MakeFileName(Address, row.title, 1, User), row.out) << row.what;
}

TEST(FileNames, EveryNameCanBeStored)
{
    const QString bare = u"http://f/x/nightday"_s;
    const QString long300 = QString(300, u'a');
    const struct
    {
        const char *what;
        QString full, title;
        int mode;
        QString user, out; // out "" when only checked for being storable
    } rows[] = {
        {"dot falls back to the address", bare, u"???"_s, 1, User, u"nightday"_s},
        {"dot dot falls back to the address", bare, u"."_s, 1, User, u"nightday"_s},
        {"address name is filtered", u"http://f/x/"_s + codes({1}) + "n", u"?"_s, 1, User, u"n"_s},
        {"user name adds no folder", Address, u"Pic"_s, 2, u"../x"_s, u"..x - Pic.png"_s},
        {"user name loses controls", Address, u"Pic"_s, 2, "a\\b\r\nc", u"abc - Pic.png"_s},
        {"fits exactly", Address, QString(251, u'a'), 1, User, QString(251, u'a') + ".png"},
        {"original ending in /", u"http://f/x/"_s, u"T"_s, 0, User, QString()},
        {"original dot dot", u"http://f/x/.."_s, u"T"_s, 0, User, QString()},
        {"too long", Address, long300, 1, User, QString()},
        {"too long in two-byte characters", Address, QString(200, QChar(169)), 1, User, QString()},
        {"too long extension", u"http://f/x/a."_s + long300, u"T"_s, 1, User, QString()},
    };
    for (const auto &row : rows) {
        const QString name = MakeFileName(row.full, row.title, row.mode, row.user);
        EXPECT_EQ(name, MakeFileName(row.full, row.title, row.mode, row.user)) << row.what;
        if (!row.out.isEmpty()) {
            EXPECT_EQ(name, row.out) << row.what;
        }
        EXPECT_LE(QFile::encodeName(name).size(), 255) << row.what;
        EXPECT_FALSE(name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') ||
                     name.contains(QChar::ReplacementCharacter))
            << row.what;
    }
    // Shortened names keep their extension and stay apart when only their ends differ.
    const QString cut = MakeFileName(Address, long300, 1, User);
    EXPECT_TRUE(cut.startsWith(QString(200, u'a')) && cut.endsWith(u".png"_s)) << cut.toStdString();
    EXPECT_NE(cut, MakeFileName(Address, long300 + u'b', 1, User));
    EXPECT_NE(MakeFileName(u"http://f/x/"_s, {}, 0, User),
              MakeFileName(u"http://f/y/"_s, {}, 0, User));
}
