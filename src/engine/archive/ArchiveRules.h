#pragma once

#include "archive/ArchiveRow.h"

#include <QList>
#include <QStringView>

#include <optional>

// The submission number N of an entry whose text follows "href=\"/view/":
// the digits up to the next "/". None for anything else, or a number that
// does not fit.
std::optional<qint64> submissionNumber(QStringView afterView);

// How a quick Sync sees one entry of a listing page.
enum class EntryStanding
{
    Filtered, // refused by the type or rating filters: neither known nor new
    Known,    // in the archive or on disk
    New,      // anything else, an unreadable entry included
};

// A folder lists newest first: once a page holds at least one known entry and
// every entry that passed the filters is known, the pages after it hold
// nothing new either.
bool pageEndsQuickListing(const QList<EntryStanding> &page);

// One line of the export: a compact JSON object, the time in UTC ISO 8601.
QByteArray exportLine(const ArchiveRow &row);
