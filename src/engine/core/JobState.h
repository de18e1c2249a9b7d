#pragma once

#include "core/FolderNames.h"

#include <QString>

#include <array>
#include <cstdint>

// One submission waiting in the queue of the folder being worked on.
struct QueuedSubmission
{
    QString Url;   // "http://" + file host + path
    QString Title; // the name as the listing page shows it, decoded once
};

inline constexpr int QueueSlots = 32769;

// Everything a running job shares. There is no job object: a job is the
// current values of these variables, advanced by the handlers of the window.
struct JobState
{
    // Application-wide
    QString ErrorText;
    QString CurrentUser;
    int16_t PageNumber = 0;
    QString FileName;
    bool Synching = false;
    QString CurrentFolder;

    // Listing and queue
    QString FileRequest;
    std::array<QueuedSubmission, QueueSlots> SubmissionQueue;
    QString PageBuffer;
    int16_t QueueCount = 0;
    int16_t QueueIndex = 0;
    QString LinkUrl;
    QString LinkTitle;

    // The file being downloaded
    int32_t FileSize = 0;
    bool InBody = false;
    QString FilePath;
    double LastFileEnd = 0; // clock seconds; 0 until the first file of the run ends
    double TransferStart = 0;
    bool DownloadErrors = false;
    QString DownloadFolder;

    int16_t CurrentUserIndex = 0;
};
