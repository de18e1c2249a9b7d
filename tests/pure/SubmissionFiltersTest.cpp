#include "listing/SubmissionFilters.h"
#include "log/LogColors.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct RewriteCase
{
    const char *what;
    QString url;
    QString user;
    QString folder;
    bool urlFix;
    QString expected;
};

QString f(const char *path)
{
    return u"http://files.example"_s + QString::fromLatin1(path);
}

} // namespace

TEST(AddressRewriting, EachStepAloneAndTogether)
{
    const QString bob = u"bob"_s, someone = u"someone"_s;
    const QString scraps = u"scraps"_s, gallery = u"gallery"_s;
    const std::vector<RewriteCase> cases = {
        {"nothing to do", f("/art/a/1.a.pic.png"), bob, scraps, true, f("/art/a/1.a.pic.png")},
        {"size mark", f("/art/a/12.a.pic.200.thumbnail.png"), bob, scraps, false,
         f("/art/a/12.a.pic.png")},
        {"no dot before the size mark: only thumbnail. goes", f("/art/a/12.picthumbnail.png"), bob,
         scraps, false, f("/art/a/12.picpng")},
        {"thumbnail. too near the start", u"ab.thumbnail.png"_s, bob, scraps, false, u"ab.png"_s},
        {"owner fix", f("/art/quillmere/12_ab_.quillmere.pic.200.thumbnail.png"), bob, scraps, true,
         f("/art/quillmere/12.quillmere.pic.png")},
        {"owner fix removes every occurrence", f("/q_x_/quillmere/12_x_.pic.200.thumbnail.png"),
         bob, scraps, true, f("/q/quillmere/12.pic.png")},
        {"owner fix off", f("/art/quillmere/12_ab_.quillmere.pic.200.thumbnail.png"), bob, scraps,
         false, f("/art/quillmere/12_ab_.quillmere.pic.png")},
        {"owner listing, any case", f("/art/quillmere/12_ab_.quillmere.pic.200.thumbnail.png"),
         u"QuillMere"_s, scraps, true, f("/art/quillmere/12_ab_.quillmere.pic.png")},
        {"owner fix needs the owner's name", f("/art/a/12_ab_.pic.200.thumbnail.png"), bob, scraps,
         true, f("/art/a/12_ab_.pic.png")},
        {"owner fix needs two underscores", f("/art/quillmere/12_ab.pic.200.thumbnail.png"), bob,
         scraps, true, f("/art/quillmere/12_ab.pic.png")},
        {"owner fix only after a size mark", f("/art/quillmere/12_ab_.picthumbnail.png"), bob,
         scraps, true, f("/art/quillmere/12_ab_.picpng")},
        {"double dots", f("/art/a/1..png"), bob, scraps, false, f("/art/a/1.png")},
        {"triple dots, one pass", f("/art/a/1...png"), bob, scraps, false, f("/art/a/1..png")},
        {"gallery owner mark", f("/art/someone/1234.picture.png"), someone, gallery, false,
         f("/art/someone/1234.someone.picture.png")},
        {"owner mark everywhere the name occurs", f("/1.a.png/1.a.png"), someone, gallery, false,
         f("/1.someone.a.png/1.someone.a.png")},
        {"owner mark not twice", f("/art/someone/1234.someone.picture.png"), someone, gallery,
         false, f("/art/someone/1234.someone.picture.png")},
        {"owner mark is case-sensitive", f("/art/someone/1234.someone.picture.png"), u"SomeOne"_s,
         gallery, false, f("/art/someone/1234.SomeOne.someone.picture.png")},
        {"no owner mark outside the gallery", f("/art/someone/1234.picture.png"), someone,
         u"favorites"_s, false, f("/art/someone/1234.picture.png")},
        {"text", f("/art/a/1.a.tale.txt.png"), bob, scraps, false, f("/art/a/1.a.tale.txt")},
        {"doc rtf swf", f("/art/a/1.a.x.doc.png"), bob, scraps, false, f("/art/a/1.a.x.doc")},
        {"music ending in .mp3 still loses four", f("/art/a/1.a.song.mp3"), bob, scraps, false,
         f("/art/a/1.a.song")},
        {".mp3 anywhere", f("/art/x.mp3/1.a.song.png"), bob, scraps, false,
         f("/art/x.mp3/1.a.song")},
        {"line break with indentation", u"http://files.example/art/a/1.a.\r\n      pic.png"_s, bob,
         scraps, false, f("/art/a/1.a.pic.png")},
        {"every occurrence of the break",
         u"http://files.example/\r\n\t\t\t\t\t\tart/1.a.\r\n\t\t\t\t\t\tpic.png"_s, bob, scraps,
         false, f("/art/1.a.pic.png")},
        {"break at the very end", f("/art/a/1.a.pic.png\r\n"), bob, scraps, false,
         f("/art/a/1.a.pic.png")},
        {"all together, picture", f("/art/someone/1234.picture.200.thumbnail.png"), someone,
         gallery, true, f("/art/someone/1234.someone.picture.png")},
        {"all together, story", f("/art/someone/1234.story.txt.png"), someone, gallery, true,
         f("/art/someone/1234.someone.story.txt")},
    };
    for (const RewriteCase &c : cases)
        EXPECT_EQ(rewriteAddress(c.url, c.user, c.folder, c.urlFix), c.expected) << c.what;
}

namespace {

FilterChoices choices(std::array<bool, 4> types, std::array<bool, 3> ratings)
{
    FilterChoices result;
    result.types = types;
    result.ratings = ratings;
    return result;
}

} // namespace

TEST(SubmissionFilters, TypesThenRatingsFirstRefusalWins)
{
    constexpr bool y = true, n = false;
    const QString general = u"files/x.png\" /><span class=\"icon-image general\">"_s;
    const QString adult = u"<span class=\"icon-image adult\"></span"_s;
    const QString mature = u"icon-image mature"_s;
    struct Case
    {
        const char *url;
        QString stretch;
        FilterChoices choices;
        SkipReason expected;
    };
    const std::vector<Case> cases = {
        {"a/1.png", general, choices({y, y, y, y}, {y, y, y}), SkipReason::None},
        {"a/1.png", general, choices({n, y, y, y}, {y, y, y}), SkipReason::NoGfx},
        {"a/1.jpg", general, choices({n, y, y, y}, {y, y, y}), SkipReason::NoGfx},
        {"a/1.gif", general, choices({n, y, y, y}, {y, y, y}), SkipReason::NoGfx},
        {"a/1.jpeg", general, choices({n, n, n, n}, {y, y, y}), SkipReason::None},
        {"a/1.pdf", general, choices({n, n, n, n}, {y, y, y}), SkipReason::None},
        {"a/1.doc", general, choices({y, n, y, y}, {y, y, y}), SkipReason::NoText},
        {"a/1.txt", general, choices({y, n, y, y}, {y, y, y}), SkipReason::NoText},
        {"a/1.rtf", general, choices({y, n, y, y}, {y, y, y}), SkipReason::NoText},
        {"a/1.mp3", general, choices({y, y, n, y}, {y, y, y}), SkipReason::NoMusic},
        {"a/1.swf", general, choices({y, y, y, n}, {y, y, y}), SkipReason::NoFlash},
        {"a.png/1.txt", general, choices({n, n, y, y}, {y, y, y}), SkipReason::NoGfx},
        {"a/1.png", general, choices({y, y, y, y}, {n, y, y}), SkipReason::NoGeneral},
        {"a/1.png", mature, choices({y, y, y, y}, {y, n, y}), SkipReason::NoMature},
        {"a/1.png", adult, choices({y, y, y, y}, {y, y, n}), SkipReason::NoAdult},
        {"a/1.png", adult, choices({y, y, y, y}, {n, n, y}), SkipReason::None},
        {"a/1.png", u"no class here"_s, choices({y, y, y, y}, {n, n, n}), SkipReason::None},
        {"a/1.png", adult, choices({n, y, y, y}, {y, y, n}), SkipReason::NoGfx},
    };
    for (const Case &c : cases)
        EXPECT_EQ(typeOrRatingSkip(QString::fromLatin1(c.url), c.stretch, c.choices), c.expected)
            << c.url << " " << c.stretch.toStdString();
}

TEST(SubmissionFilters, SkipLinesAndColours)
{
    const QString title = u"Night & Day"_s;
    const std::vector<std::pair<SkipReason, const char *>> cases = {
        {SkipReason::NoGfx, "Skipping \"Night & Day\": No GFX"},
        {SkipReason::NoText, "Skipping \"Night & Day\": No text"},
        {SkipReason::NoMusic, "Skipping \"Night & Day\": No music"},
        {SkipReason::NoFlash, "Skipping \"Night & Day\": No flash"},
        {SkipReason::NoGeneral, "Skipping \"Night & Day\": No general subs"},
        {SkipReason::NoMature, "Skipping \"Night & Day\": No mature subs"},
        {SkipReason::NoAdult, "Skipping \"Night & Day\": No adult subs"},
        {SkipReason::AlreadyExists, "Skipping \"Night & Day\": Already exists"},
    };
    for (const auto &[reason, line] : cases) {
        EXPECT_EQ(skipLine(title, reason), QString::fromLatin1(line));
        EXPECT_EQ(skipColor(reason), reason == SkipReason::AlreadyExists ? LogGreen : LogBlack);
    }
}
