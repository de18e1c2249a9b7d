#pragma once

#include <QString>

struct JobOptions;
struct SettingsSnapshot;
struct StoredSettings;
struct UserTable;

// The one mapping between the settings file and the job's options, the same
// with or without a window.

// Only the keys the file holds change an option. The users go into the table
// in file order with the last slot left free (every walk of the table looks
// one slot past UserCount). Box states count as ticked when they are 1.
void applyStoredSettings(const StoredSettings &values, JobOptions &options, UserTable &users);
// What is written: the options as they are, the users of the used slots.
SettingsSnapshot settingsSnapshot(const JobOptions &options, const UserTable &users);
// What the start-up makes of the options once the file is read: empty folder
// texts get the defaults below the program's save folder, a pause below 5
// seconds becomes 10, and the no-wait mode is off.
void applyStartUpDefaults(const QString &saveFolder, JobOptions &options);
