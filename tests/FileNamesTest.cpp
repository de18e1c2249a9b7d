#include "naming/FileNames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Builds a text from single-byte character codes, as the site's bytes arrive.
QString codes(std::initializer_list<int> values)
{
    QString text;
    for (const int value : values)
        text += QChar(value);
    return text;
}

const QString Address = QStringLiteral("http://files.test.invalid/x/y/nightday.png");
const QString User = QStringLiteral("mossfern");

} // namespace

TEST(FileNames, FNameTakesTheLastComponent)
{
    const struct
    {
        QString in, out;
    } rows[] = {
        {QStringLiteral("a/b/c.png"), QStringLiteral("c.png")},
        {QStringLiteral("a/b/"), QString()},
        {QStringLiteral("/"), QString()},
        {QStringLiteral("c.png"), QStringLiteral("c.png")},
        {QString(), QString()},
        {QStringLiteral("http://files.test.invalid/x/y/a%20b~c.png"),
         QStringLiteral("a%20b~c.png")},
        {QStringLiteral("a\\b\\c.png"), QStringLiteral("a\\b\\c.png")},
    };
    for (const auto &row : rows)
        EXPECT_EQ(FName(row.in), row.out) << row.in.toStdString();
}

TEST(FileNames, StripHTMLDecodesOneLevelInItsOwnOrder)
{
    const struct
    {
        QString in, out;
    } rows[] = {
        {QStringLiteral("Night &amp; Day: 1/2 &lt;WIP&gt;?"),
         QStringLiteral("Night & Day: 1/2 WIP>?")},
        {QStringLiteral("&quot;quoted&quot;"), QStringLiteral("quoted")},
        {QStringLiteral("a &lt;b&gt; c"), QStringLiteral("a b> c")},
        // The removals bring an entity together, which the later steps decode.
        {QStringLiteral("&&lt;quot;"), QStringLiteral("\"")},
        {QStringLiteral("&&lt;gt;"), QStringLiteral(">")},
        {QStringLiteral("&&quot;lt;"), QString()},
        {QStringLiteral("&&lt;lt;"), QString()},
        // Doubled "&lt;" removal: the second pass catches what the first joined.
        {QStringLiteral("&l&lt;t;x"), QStringLiteral("x")},
        // "&amp;" goes last: one level of decoding per call.
        {QStringLiteral("&amp;gt;"), QStringLiteral("&gt;")},
        {QStringLiteral("&amp;lt;"), QStringLiteral("&lt;")},
        {QStringLiteral("&amp;amp;"), QStringLiteral("&amp;")},
        // Case-sensitive, and unknown entities stay.
        {QStringLiteral("&LT;&nbsp;&#39;"), QStringLiteral("&LT;&nbsp;&#39;")},
        {QString(), QString()},
    };
    for (const auto &row : rows)
        EXPECT_EQ(StripHTML(row.in), row.out) << row.in.toStdString();
}

TEST(FileNames, SecondDecodingRemovesAnEscapedLessThan)
{
    const QString once = StripHTML(QStringLiteral("&amp;lt;"));
    EXPECT_EQ(once, QStringLiteral("&lt;"));
    EXPECT_EQ(StripHTML(once), QString());
    // The queued title was decoded once; naming decodes it again.
    const QString queued = StripHTML(QStringLiteral("Cat &amp;lt;3"));
    EXPECT_EQ(MakeFileName(Address, queued, 1, User), QStringLiteral("Cat 3.png"));
}

TEST(FileNames, MakeFileNameBuildsTheStoredNames)
{
    const QString exampleTitle = QStringLiteral("Night &amp; Day: 1/2 &lt;WIP&gt;?");
    const struct
    {
        const char *what;
        QString full, title;
        int mode;
        QString out;
    } rows[] = {
        {"example, original", Address, exampleTitle, 0, QStringLiteral("nightday.png")},
        {"example, title only", Address, exampleTitle, 1, QStringLiteral("Night & Day 12 WIP.png")},
        {"example, author", Address, exampleTitle, 2,
         QStringLiteral("mossfern - Night & Day 12 WIP.png")},
        {"none selected acts as title only", Address, exampleTitle, -1,
         QStringLiteral("Night & Day 12 WIP.png")},
        {"original keeps every character", QStringLiteral("http://f/x/a%20b~c (1).png"),
         QStringLiteral("ignored"), 0, QStringLiteral("a%20b~c (1).png")},
        {"original of an address ending in /", QStringLiteral("http://f/x/"), QStringLiteral("T"),
         0, QString()},
        {"only removed characters", Address, QStringLiteral("???"), 1, QStringLiteral(".png")},
        {"only removed characters, author", Address, QStringLiteral("???"), 2,
         QStringLiteral("mossfern - .png")},
        {"no extension still gets the dot", QStringLiteral("http://f/x.y/nightday"),
         QStringLiteral("Night"), 1, QStringLiteral("Night.")},
        {"no extension, author", QStringLiteral("http://f/x/nightday"), QStringLiteral("Night"), 2,
         QStringLiteral("mossfern - Night.")},
        {"empty title", Address, QString(), 1, QStringLiteral(".png")},
        {"trimmed before removal keeps the space", Address, QStringLiteral("Hello ?"), 1,
         QStringLiteral("Hello .png")},
        {"leading removed character keeps the space", Address, QStringLiteral("? Hello"), 1,
         QStringLiteral(" Hello.png")},
        {"only spaces are trimmed", Address, QStringLiteral("  Hi  "), 1, QStringLiteral("Hi.png")},
        {"the nine characters", Address, QStringLiteral("a?b\\c:d*e|f/g>h<i\"j"), 1,
         QStringLiteral("abcdefghij.png")},
        {"decoded characters are removed too", Address, QStringLiteral("a&gt;b&amp;c"), 1,
         QStringLiteral("ab&c.png")},
        {"extension is the site's, case kept", QStringLiteral("http://f/x/Pic.JPG"),
         QStringLiteral("Pic"), 1, QStringLiteral("Pic.JPG")},
        {"user name as stored", Address, QStringLiteral("Pic"), 2,
         QStringLiteral("mossfern - Pic.png")},
    };
    for (const auto &row : rows)
        EXPECT_EQ(MakeFileName(row.full, row.title, row.mode, User), row.out) << row.what;
}

TEST(FileNames, ControlAndHighCharactersInOneForwardPass)
{
    const QString abc = QStringLiteral("abc");
    const struct
    {
        const char *what;
        QString title, out;
    } rows[] = {
        // The 169 shifts into the examined position and is not looked at again.
        {"195 then 169", abc + codes({195, 169}), abc + codes({169}) + QStringLiteral(".png")},
        {"same high character twice", abc + codes({233, 233}) + abc, abc + abc + ".png"},
        {"high character repeated later", codes({233}) + abc + codes({233}), abc + ".png"},
        {"127 and 128 stay", abc + codes({127, 128}), abc + codes({127, 128}) + ".png"},
        {"129 goes", abc + codes({129}), abc + ".png"},
        {"31 goes", abc + codes({31}) + abc, abc + abc + ".png"},
        {"0 and 255 go", codes({0}) + abc + codes({255}), abc + ".png"},
        {"tab is not trimmed but removed", QStringLiteral(" \tHi "), QStringLiteral("Hi.png")},
        // The bound is the length before the pass: the last shifted character
        // falls beyond it and stays.
        {"two controls at the start", codes({1, 2}), codes({2}) + ".png"},
        {"shifted character removed at a later position", codes({1, 2}) + "a" + codes({2}),
         QStringLiteral("a.png")},
        {"three different highs", codes({200, 201, 202}), codes({201}) + ".png"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(MakeFileName(Address, row.title, 1, User), row.out) << row.what;
}

TEST(FileNames, ListingAndTransferAgreeOnTheName)
{
    // Same inputs, same name, whichever side asks and how often.
    const QString title = StripHTML(QStringLiteral("Dusk &amp;amp; dawn ") + codes({195, 169}));
    for (const int mode : {-1, 0, 1, 2})
        EXPECT_EQ(MakeFileName(Address, title, mode, User),
                  MakeFileName(Address, title, mode, User));
    EXPECT_EQ(MakeFileName(Address, title, 1, User),
              QStringLiteral("Dusk & dawn ") + codes({169}) + ".png");
}
