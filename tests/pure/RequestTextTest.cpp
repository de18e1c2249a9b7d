#include "core/RequestText.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(RequestText, ControlCharactersAreDropped)
{
    const std::pair<QString, QString> rows[] = {
        {u"abc; d=e"_s, u"abc; d=e"_s},
        {u"abc\r\n"_s, u"abc"_s},
        {u"a\tb\x1f\x7f\u00e9"_s, u"ab\u00e9"_s},
        {u"\0"_s, QString()},
        {QString(), QString()},
    };
    for (const auto &[in, clean] : rows) {
        EXPECT_EQ(withoutControlCharacters(in), clean) << in.toStdString();
        EXPECT_EQ(holdsControlCharacter(in), in != clean) << in.toStdString();
    }
}
