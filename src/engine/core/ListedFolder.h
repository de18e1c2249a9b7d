#pragma once

#include <QList>
#include <QString>

#include <cstdint>

// One submission waiting in the queue of a folder.
struct QueuedSubmission
{
    QString Url;   // "http://" + file host + path
    QString Title; // the name as the listing page shows it, decoded once
    // For the archive: the number of its /view/N/ link (0 when the link has
    // none) and its rating as the page tells it.
    qint64 Number = 0;
    QString Rating{};
};

// More than a queue ever holds: its counter is 16 bits wide.
inline constexpr int QueueSlots = 32769;

// A folder as its listing found it: whose folder it is, the submissions queued
// from its pages, and where their files go. The listing client fills it and
// hands it over with the work; the downloader takes it from there.
struct ListedFolder
{
    QString CurrentUser;
    QString CurrentFolder;
    QList<QueuedSubmission> SubmissionQueue;
    int16_t QueueCount = 0;
    QString DownloadFolder; // planned (and made) once the folder is listed
};
