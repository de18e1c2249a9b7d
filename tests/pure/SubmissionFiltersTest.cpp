#include "listing/SubmissionFilters.h"

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
        {"owner fix", f("/art/quillmere/12_ab_.quillmere.pic.200.thumbnail.png"), bob, scraps, true,
         f("/art/quillmere/12.quillmere.pic.png")},
        {"owner listing, any case", f("/art/quillmere/12_ab_.quillmere.pic.200.thumbnail.png"),
         u"QuillMere"_s, scraps, true, f("/art/quillmere/12_ab_.quillmere.pic.png")},
        {"owner fix needs the owner's name", f("/art/a/12_ab_.pic.200.thumbnail.png"), bob, scraps,
         true, f("/art/a/12_ab_.pic.png")},
        {"double dots", f("/art/a/1..png"), bob, scraps, false, f("/art/a/1.png")},
        {"triple dots, one pass", f("/art/a/1...png"), bob, scraps, false, f("/art/a/1..png")},
        {"gallery owner mark", f("/art/someone/1234.picture.png"), someone, gallery, false,
         f("/art/someone/1234.someone.picture.png")},
        {"owner mark not twice", f("/art/someone/1234.someone.picture.png"), someone, gallery,
         false, f("/art/someone/1234.someone.picture.png")},
        {"no owner mark outside the gallery", f("/art/someone/1234.picture.png"), someone,
         u"favorites"_s, false, f("/art/someone/1234.picture.png")},
        {"text", f("/art/a/1.a.tale.txt.png"), bob, scraps, false, f("/art/a/1.a.tale.txt")},
        {"music ending in .mp3 still loses four", f("/art/a/1.a.song.mp3"), bob, scraps, false,
         f("/art/a/1.a.song")},
        {".mp3 anywhere", f("/art/x.mp3/1.a.song.png"), bob, scraps, false,
         f("/art/x.mp3/1.a.song")},
        {"line break with indentation", u"http://files.example/art/a/1.a.\r\n      pic.png"_s, bob,
         scraps, false, f("/art/a/1.a.pic.png")},
        {"all together, picture", f("/art/someone/1234.picture.200.thumbnail.png"), someone,
         gallery, true, f("/art/someone/1234.someone.picture.png")},
        {"all together, story", f("/art/someone/1234.story.txt.png"), someone, gallery, true,
         f("/art/someone/1234.someone.story.txt")},
    };
    for (const RewriteCase &c : cases)
        EXPECT_EQ(rewriteAddress(c.url, c.user, c.folder, c.urlFix), c.expected) << c.what;
}
