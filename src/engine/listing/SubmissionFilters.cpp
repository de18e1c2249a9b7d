#include "listing/SubmissionFilters.h"

#include "core/JobSettings.h"
#include "log/LogColors.h"
#include "naming/FileNames.h"

#include <QStringList>

namespace {

const QString ThumbnailMark = QStringLiteral("thumbnail.");

struct TypeRule
{
    QStringList extensions;
    SkipReason reason;
};

const std::array<TypeRule, TypeCount> &typeRules()
{
    static const std::array<TypeRule, TypeCount> rules{{
        {{QStringLiteral(".png"), QStringLiteral(".jpg"), QStringLiteral(".gif")},
         SkipReason::NoGfx},
        {{QStringLiteral(".doc"), QStringLiteral(".txt"), QStringLiteral(".rtf")},
         SkipReason::NoText},
        {{QStringLiteral(".mp3")}, SkipReason::NoMusic},
        {{QStringLiteral(".swf")}, SkipReason::NoFlash},
    }};
    return rules;
}

struct RatingRule
{
    QString classText;
    SkipReason reason;
};

const std::array<RatingRule, RatingCount> &ratingRules()
{
    static const std::array<RatingRule, RatingCount> rules{{
        {QStringLiteral("icon-image general"), SkipReason::NoGeneral},
        {QStringLiteral("icon-image mature"), SkipReason::NoMature},
        {QStringLiteral("icon-image adult"), SkipReason::NoAdult},
    }};
    return rules;
}

bool containsAny(const QString &text, const QStringList &needles)
{
    for (const QString &needle : needles)
        if (text.contains(needle))
            return true;
    return false;
}

// The owner's files carry "_..._" between their first two underscores.
void fixOwnerAddress(QString &url, const QString &currentUser, bool urlFix)
{
    if (currentUser.toLower() == SiteOwnerName || !urlFix || !url.contains(SiteOwnerName))
        return;
    const qsizetype u1 = url.indexOf(u'_');
    if (u1 < 0)
        return;
    const qsizetype u2 = url.indexOf(u'_', u1 + 1);
    if (u2 < 0)
        return;
    url.replace(url.mid(u1, u2 - u1 + 1), QString());
}

} // namespace

QString rewriteAddress(const QString &linkUrl, const QString &currentUser,
                       const QString &currentFolder, bool urlFix)
{
    QString url = linkUrl;

    // The size mark sits between a dot and "thumbnail.": "x.200.thumbnail.png".
    const qsizetype t = url.indexOf(ThumbnailMark);
    if (t >= 5 && url.at(t - 5) == u'.') {
        url.remove(t - 4, 4);
        fixOwnerAddress(url, currentUser, urlFix);
    }

    url.replace(ThumbnailMark, QString());
    url.replace(QStringLiteral(".."), QStringLiteral("."));

    // In a gallery the file name carries its owner's name after the number.
    // The site writes names in lower case in file addresses, whatever the case
    // of the name the user listed.
    if (currentFolder == QLatin1String("gallery")) {
        const QString name = FName(url);
        if (!name.isEmpty() && !name.contains(currentUser, Qt::CaseInsensitive)) {
            QString marked = name;
            const qsizetype dot = marked.indexOf(u'.');
            if (dot >= 0) {
                marked.replace(dot, 1, u'.' + currentUser.toLower() + u'.');
                url.replace(name, marked);
            }
        }
    }

    // Other types show a picture thumbnail: "x.txt.png" stands for "x.txt".
    static const QStringList others = {QStringLiteral(".doc"), QStringLiteral(".txt"),
                                       QStringLiteral(".rtf"), QStringLiteral(".swf"),
                                       QStringLiteral(".mp3")};
    if (containsAny(url, others))
        url.chop(4);

    // A line break inside the address comes with the page's indentation: drop both.
    const qsizetype br = url.indexOf(QStringLiteral("\r\n"));
    if (br >= 0)
        url.replace(url.mid(br, 8), QString());

    return url;
}

FilterChoices readFilterChoices(const JobSettings &settings)
{
    FilterChoices choices;
    for (int i = 0; i < TypeCount; ++i)
        choices.types[size_t(i)] = settings.typeWanted(i);
    for (int i = 0; i < RatingCount; ++i)
        choices.ratings[size_t(i)] = settings.ratingWanted(i);
    return choices;
}

SkipReason typeOrRatingSkip(const QString &url, QStringView ratingStretch,
                            const FilterChoices &choices)
{
    for (size_t i = 0; i < typeRules().size(); ++i)
        if (!choices.types[i] && containsAny(url, typeRules()[i].extensions))
            return typeRules()[i].reason;
    for (size_t i = 0; i < ratingRules().size(); ++i)
        if (!choices.ratings[i] && ratingStretch.contains(ratingRules()[i].classText))
            return ratingRules()[i].reason;
    return SkipReason::None;
}

QString ratingName(QStringView ratingStretch)
{
    static const std::array<QString, RatingCount> names{
        QStringLiteral("general"), QStringLiteral("mature"), QStringLiteral("adult")};
    for (size_t i = 0; i < ratingRules().size(); ++i)
        if (ratingStretch.contains(ratingRules()[i].classText))
            return names[i];
    return QString();
}

QString skipLine(const QString &title, SkipReason reason)
{
    QString why;
    switch (reason) {
    case SkipReason::None:
        return QString();
    case SkipReason::NoGfx:
        why = QStringLiteral("No GFX");
        break;
    case SkipReason::NoText:
        why = QStringLiteral("No text");
        break;
    case SkipReason::NoMusic:
        why = QStringLiteral("No music");
        break;
    case SkipReason::NoFlash:
        why = QStringLiteral("No flash");
        break;
    case SkipReason::NoGeneral:
        why = QStringLiteral("No general subs");
        break;
    case SkipReason::NoMature:
        why = QStringLiteral("No mature subs");
        break;
    case SkipReason::NoAdult:
        why = QStringLiteral("No adult subs");
        break;
    case SkipReason::AlreadyExists:
        why = QStringLiteral("Already exists");
        break;
    case SkipReason::UnusableAddress:
        why = QStringLiteral("Its address holds a line break or control character");
        break;
    case SkipReason::InArchive:
        why = QStringLiteral("In the archive");
        break;
    }
    return QStringLiteral("Skipping \"") + title + QStringLiteral("\": ") + why;
}

int32_t skipColor(SkipReason reason)
{
    if (reason == SkipReason::UnusableAddress)
        return LogRed;
    return reason == SkipReason::AlreadyExists || reason == SkipReason::InArchive ? LogGreen
                                                                                  : LogBlack;
}
