#pragma once

#include <QString>

struct JobOptions;

// The switches that vorpl.dat has no place for, in a small INI file beside it:
// skipping what the archive holds, the quick Sync, resuming cut files. A
// missing or unreadable file leaves them off.
inline const QString SwitchesFileName = QStringLiteral("vorpaline.ini");

void readSwitches(const QString &path, JobOptions &options);
// False with the reason when the file cannot be written.
bool writeSwitches(const QString &path, const JobOptions &options, QString *error);
