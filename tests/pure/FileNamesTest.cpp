#include "naming/FileNames.h"

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
        // The bound is the length before the pass: the last shifted character
        // falls beyond it and stays.
        {"two controls at the start", codes({1, 2}), codes({2}) + ".png"},
        {"shifted character removed at a later position", codes({1, 2}) + "a" + codes({2}),
         u"a.png"_s},
    };
    for (const auto &row : rows)
        EXPECT_EQ(MakeFileName(Address, row.title, 1, User), row.out) << row.what;
}
