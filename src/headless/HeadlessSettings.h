#pragma once

#include <QString>

struct PlainJobSettings;
struct StoredSettings;

// The settings file applied the way the window's start-up applies it: the
// four file types ticked before the file is read, the user table filled with
// the last slot left free, then the defaults for the folders and the delay.
// A run without a window never shuts the machine down, whatever the file says.
void applyStoredSettings(const StoredSettings &values, PlainJobSettings &settings);
void applyStartUpDefaults(const QString &saveFolder, PlainJobSettings &settings);
