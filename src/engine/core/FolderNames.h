#pragma once

#include <QString>

// The three folders of a user, by the names the site, the log and the folder
// tree all use.
namespace FolderNames {
inline const QString Gallery = QStringLiteral("gallery");
inline const QString Scraps = QStringLiteral("scraps");
inline const QString Favorites = QStringLiteral("favorites");
} // namespace FolderNames

// File types (GFX, Text, Music, Flash) and ratings (general, mature, adult).
inline constexpr int TypeCount = 4;
inline constexpr int RatingCount = 3;
