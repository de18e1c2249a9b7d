#pragma once

#include "core/FolderNames.h"

#include <QString>

#include <array>

// Every option a job reads, as plain values: what the window's controls and
// variables show, or what vorpaline-sync and the tests hold. The defaults are
// those of a window on its first start. The user table travels beside it.
struct JobOptions
{
    // "Get unique user" frame
    QString uniqueUser;
    bool getGallery = true, getScraps = false, getFavs = false;
    bool shutdown = false;
    QString cookieAText, cookieBText;
    // Selected member of the naming and folder groups, -1 when none is selected.
    int naming = 1;       // Title only
    int folderLayout = 1; // ./username-folder/
    bool allFavsTogether = true;
    QString savePath, favPath;
    std::array<bool, TypeCount> types{true, true, true, true}; // GFX, Text, Music, Flash
    std::array<bool, RatingCount> ratings{true, true, true};   // general, mature, adult
    bool fixUrls = false;
    QString maxSize = QStringLiteral("0");
    // Held in variables rather than controls: the pause between files in
    // seconds, and the hidden no-wait mode.
    int delay = 0;
    bool noWaitMode = false;
    // Kept in the second settings file, all off unless chosen.
    bool skipArchived = false; // skip a submission the download archive holds
    bool quickSync = false;    // stop a folder's listing at its first page of known entries
    // A file cut off (a lost connection, a stopped job) keeps its part and
    // asks only for the rest, where its host allows it.
    bool resumeCutFiles = false;
};
