#pragma once

class ErrorReporter;
class EventLog;
class JobDisplay;
class JobSettings;

// What every part of a job reads its settings from, shows its progress on,
// logs to and raises its error reports through: the same for each part.
struct JobContext
{
    JobSettings &settings;
    JobDisplay &display;
    EventLog &log;
    ErrorReporter &errors;
};
