#include "listing/SubmissionFilters.h"
#include "job/JobSettings.h"
#include "log/LogColors.h"

#include <gtest/gtest.h>

#include <vector>

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
    return QStringLiteral("http://files.example") + QString::fromLatin1(path);
}

} // namespace

TEST(AddressRewriting, EachStepAloneAndTogether)
{
    const QString bob = QStringLiteral("bob");
    const QString scraps = QStringLiteral("scraps");
    const QString gallery = QStringLiteral("gallery");
    const std::vector<RewriteCase> cases = {
        {"nothing to do", f("/art/a/1.a.pic.png"), bob, scraps, true, f("/art/a/1.a.pic.png")},
        {"size mark", f("/art/a/12.a.pic.200.thumbnail.png"), bob, scraps, false,
         f("/art/a/12.a.pic.png")},
        {"no dot before the size mark: only thumbnail. goes", f("/art/a/12.picthumbnail.png"), bob,
         scraps, false, f("/art/a/12.picpng")},
        {"thumbnail. too near the start", QStringLiteral("ab.thumbnail.png"), bob, scraps, false,
         QStringLiteral("ab.png")},
        {"owner fix", f("/art/quillmere/12_ab_.quillmere.pic.200.thumbnail.png"), bob, scraps, true,
         f("/art/quillmere/12.quillmere.pic.png")},
        {"owner fix removes every occurrence", f("/q_x_/quillmere/12_x_.pic.200.thumbnail.png"),
         bob, scraps, true, f("/q/quillmere/12.pic.png")},
        {"owner fix off", f("/art/quillmere/12_ab_.quillmere.pic.200.thumbnail.png"), bob, scraps,
         false, f("/art/quillmere/12_ab_.quillmere.pic.png")},
        {"owner listing, any case", f("/art/quillmere/12_ab_.quillmere.pic.200.thumbnail.png"),
         QStringLiteral("QuillMere"), scraps, true, f("/art/quillmere/12_ab_.quillmere.pic.png")},
        {"owner fix needs the owner's name", f("/art/a/12_ab_.pic.200.thumbnail.png"), bob, scraps,
         true, f("/art/a/12_ab_.pic.png")},
        {"owner fix needs two underscores", f("/art/quillmere/12_ab.pic.200.thumbnail.png"), bob,
         scraps, true, f("/art/quillmere/12_ab.pic.png")},
        {"owner fix only after a size mark", f("/art/quillmere/12_ab_.picthumbnail.png"), bob,
         scraps, true, f("/art/quillmere/12_ab_.picpng")},
        {"double dots", f("/art/a/1..png"), bob, scraps, false, f("/art/a/1.png")},
        {"triple dots, one pass", f("/art/a/1...png"), bob, scraps, false, f("/art/a/1..png")},
        {"gallery owner mark", f("/art/someone/1234.picture.png"), QStringLiteral("someone"),
         gallery, false, f("/art/someone/1234.someone.picture.png")},
        {"owner mark everywhere the name occurs", f("/1.a.png/1.a.png"), QStringLiteral("someone"),
         gallery, false, f("/1.someone.a.png/1.someone.a.png")},
        {"owner mark not twice", f("/art/someone/1234.someone.picture.png"),
         QStringLiteral("someone"), gallery, false, f("/art/someone/1234.someone.picture.png")},
        {"owner mark is case-sensitive", f("/art/someone/1234.someone.picture.png"),
         QStringLiteral("SomeOne"), gallery, false,
         f("/art/someone/1234.SomeOne.someone.picture.png")},
        {"no owner mark outside the gallery", f("/art/someone/1234.picture.png"),
         QStringLiteral("someone"), QStringLiteral("favorites"), false,
         f("/art/someone/1234.picture.png")},
        {"text", f("/art/a/1.a.tale.txt.png"), bob, scraps, false, f("/art/a/1.a.tale.txt")},
        {"doc rtf swf", f("/art/a/1.a.x.doc.png"), bob, scraps, false, f("/art/a/1.a.x.doc")},
        {"music ending in .mp3 still loses four", f("/art/a/1.a.song.mp3"), bob, scraps, false,
         f("/art/a/1.a.song")},
        {".mp3 anywhere", f("/art/x.mp3/1.a.song.png"), bob, scraps, false,
         f("/art/x.mp3/1.a.song")},
        {"line break with indentation",
         QStringLiteral("http://files.example/art/a/1.a.\r\n      pic.png"), bob, scraps, false,
         f("/art/a/1.a.pic.png")},
        {"every occurrence of the break",
         QStringLiteral("http://files.example/\r\n\t\t\t\t\t\tart/1.a.\r\n\t\t\t\t\t\tpic.png"),
         bob, scraps, false, f("/art/1.a.pic.png")},
        {"break at the very end", f("/art/a/1.a.pic.png\r\n"), bob, scraps, false,
         f("/art/a/1.a.pic.png")},
        {"all together, picture", f("/art/someone/1234.picture.200.thumbnail.png"),
         QStringLiteral("someone"), gallery, true, f("/art/someone/1234.someone.picture.png")},
        {"all together, story", f("/art/someone/1234.story.txt.png"), QStringLiteral("someone"),
         gallery, true, f("/art/someone/1234.someone.story.txt")},
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
    const QString general = QStringLiteral("files/x.png\" /><span class=\"icon-image general\">");
    const QString adult = QStringLiteral("<span class=\"icon-image adult\"></span");
    const QString mature = QStringLiteral("icon-image mature");
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
        {"a/1.png", QStringLiteral("no class here"), choices({y, y, y, y}, {n, n, n}),
         SkipReason::None},
        {"a/1.png", adult, choices({n, y, y, y}, {y, y, n}), SkipReason::NoGfx},
    };
    for (const Case &c : cases)
        EXPECT_EQ(typeOrRatingSkip(QString::fromLatin1(c.url), c.stretch, c.choices), c.expected)
            << c.url << " " << c.stretch.toStdString();
}

TEST(SubmissionFilters, SkipLinesAndColours)
{
    const QString title = QStringLiteral("Night & Day");
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

namespace {

class ChoiceSettings final : public JobSettings
{
public:
    std::array<bool, 4> types{};
    std::array<bool, 3> ratings{};
    QString uniqueUserText() const override { return {}; }
    bool uniGetGallery() const override { return false; }
    bool uniGetScraps() const override { return false; }
    bool uniGetFavs() const override { return false; }
    bool shutdownTicked() const override { return false; }
    void untickShutdown() override {}
    QString cookieA() const override { return {}; }
    QString cookieB() const override { return {}; }
    int nameMode() const override { return 1; }
    int folderMode() const override { return 1; }
    bool commonFavs() const override { return false; }
    QString savePathText() const override { return {}; }
    void setSavePathText(const QString &) override {}
    QString favPathText() const override { return {}; }
    void setFavPathText(const QString &) override {}
    bool typeWanted(int entry) const override { return types.at(size_t(entry)); }
    bool ratingWanted(int rating) const override { return ratings.at(size_t(rating)); }
    bool urlFix() const override { return false; }
    QString maxSizeText() const override { return {}; }
};

} // namespace

TEST(SubmissionFilters, ChoicesComeFromTheWindowSettings)
{
    ChoiceSettings settings;
    settings.types = {true, false, true, false};
    settings.ratings = {false, true, false};
    const FilterChoices read = readFilterChoices(settings);
    EXPECT_EQ(read.types, settings.types);
    EXPECT_EQ(read.ratings, settings.ratings);
}
