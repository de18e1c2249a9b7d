#pragma once

#include <array>

// The exit statuses of vorpaline-sync, each with the words that --help prints.
// The manual page and the README list the same words (a test compares them).
namespace ExitStatus {

inline constexpr int Succeeded = 0;
inline constexpr int Failed = 1;
inline constexpr int CannotRun = 2;
// Nothing failed, but a user does not exist: a timer keeps it apart from 1, so
// that a closed account does not make every night's run count as failed.
inline constexpr int UsersMissing = 3;

struct Meaning
{
    const char *statuses;
    const char *text;
};

inline constexpr std::array<Meaning, 5> Meanings{{
    {"0", "every folder was retrieved or had nothing new; the user list was changed"},
    {"1", "something failed: a file, a page, a listed name, a reported error, a write"},
    {"2", "nothing was done: a usage error, unusable settings, the lock held, a refused name"},
    {"3", "nothing failed, but a user does not exist"},
    {"129, 130, 143", "stopped by SIGHUP, SIGINT or SIGTERM"},
}};

} // namespace ExitStatus
