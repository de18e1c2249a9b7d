#pragma once

#include "core/FolderNames.h"

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>

class JobSettings;

// The site owner's user name: addresses of the owner's files carry an extra
// "_..._" part that has to go.
inline const QString SiteOwnerName = QStringLiteral("quillmere");

// Turns a thumbnail address taken from a listing page into the address of the
// submission's own file.
QString rewriteAddress(const QString &linkUrl, const QString &currentUser,
                       const QString &currentFolder, bool urlFix);

enum class SkipReason
{
    None,
    NoGfx,
    NoText,
    NoMusic,
    NoFlash,
    NoGeneral,
    NoMature,
    NoAdult,
    AlreadyExists,
    UnusableAddress, // a control character is left in the address after the rewriting
    InArchive,       // the download archive holds its number
};

// The type and rating choices of the window, read for one submission.
struct FilterChoices
{
    std::array<bool, TypeCount> types{true, true, true, true}; // GFX, Text, Music, Flash
    std::array<bool, RatingCount> ratings{true, true, true};   // general, mature, adult
};

FilterChoices readFilterChoices(const JobSettings &settings);

// The first type or rating filter that refuses the submission, or None.
SkipReason typeOrRatingSkip(const QString &url, QStringView ratingStretch,
                            const FilterChoices &choices);

// The rating the stretch names: "general", "mature", "adult", or empty.
QString ratingName(QStringView ratingStretch);

// "Skipping \"name\": reason", and its colour (green for a file already on disk or in the archive,
// red for an address that cannot be requested).
QString skipLine(const QString &title, SkipReason reason);
int32_t skipColor(SkipReason reason);
