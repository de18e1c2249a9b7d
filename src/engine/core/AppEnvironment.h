#pragma once

#include "core/ProgramFolders.h"
#include "core/SiteConfig.h"
#include "platform/Endpoint.h"
#include "platform/Shutdown.h"

#include <QString>

#include <optional>

class Prompts;

// Waiting limits. The defaults are the program's own; tests shorten them.
struct Timeouts
{
    int connectMs = 20000;    // a connection attempt that gets no answer
    int listStallMs = 30000;  // a listing page that stops arriving
    int listRetries = 3;      // a lost listing page is asked for again this many times
    int listRetryMs = 1000;   // the wait before a lost listing page is asked for again
    int replyMs = 5000;       // a file request that gets no reply
    int fileAttempts = 5;     // attempts at one file before it is given up
    int pauseTickMs = 200;    // how often the pause between files re-reads its settings
    int pauseSecondMs = 1000; // how long one second of the pause between files lasts
    // A page or file that brings fewer than lowSpeedBytes a second over a
    // whole window of lowSpeedWindowMs has timed out, however often it trickles.
    int lowSpeedBytes = 1024;
    int lowSpeedWindowMs = 60000;
    qint64 pageBytes = 64 * 1024 * 1024; // a listing page larger than this is given up
};

// Everything the main window gets from outside.
struct AppEnvironment
{
    SiteConfig site;
    EndpointResolver resolver = resolveUnchanged;
    // The portable layout: settings, temporary file and first downloads in this folder.
    QString programFolder;
    // Set by a program that chose its layout: these folders instead.
    std::optional<ProgramFolders> folders;
    Prompts *prompts = nullptr;
    ShutdownRequest shutdown;
    Timeouts timeouts;
    // Off in builds for distributions that bring updates themselves.
    bool updateCheck = true;
    // Lists and filters, and logs each file instead of fetching it; writes nothing.
    bool dryRun = false;

    ProgramFolders fileFolders() const
    {
        return folders ? *folders : portableFolders(programFolder);
    }
};
