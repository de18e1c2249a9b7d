#pragma once

#include "core/JobSettings.h"

#include <QString>

#include <cstdint>
#include <cstdio>

// Where a run without a window shows its log: every line on standard output,
// error reports and notices on standard error. On a terminal, green and red
// lines are coloured and the status caption is one line that keeps being
// rewritten below the log; otherwise only the plain lines are written, so
// that a journal or a file gets exactly the window's log.
//
// Each line may carry a prefix for whoever reads it later: its priority when
// standard output is the journal (sd-daemon's "<3>" for red lines, "<5>" for
// green, "<6>" for the others), then the local time. Quiet runs show only the
// red lines and the summary.
class ConsoleOutput final : public JobDisplay
{
    Q_DISABLE_COPY_MOVE(ConsoleOutput)

public:
    ConsoleOutput(FILE *out, FILE *err);

    void setTimestamps(bool on) { m_timestamps = on; }
    void setQuiet(bool on) { m_quiet = on; }
    // The journal reads standard output when JOURNAL_STREAM names that very
    // file ("device:inode"), as systemd sets it for a service.
    static bool isJournal(FILE *stream, const QByteArray &journalStream);

    void logLine(const QString &text, int32_t color);
    // The run's last line, shown even when quiet: green, or red when something failed.
    void summary(const QString &text, bool failed);
    // Error reports and notices: each line of the text, CR LF or LF separated.
    void notice(const QString &text);
    // Removes the status line from the terminal (the run ends).
    void finish();

    // JobDisplay: only the status caption is shown.
    void setStatusCaption(const QString &text) override;
    void setSpeedCaption(const QString &) override {}
    void setFileProgress(double) override {}
    void setQueueProgress(double) override {}
    void setWindowCaption(const QString &) override {}
    bool windowStateNotNormal() const override { return false; }

private:
    void clearStatus();
    void drawStatus();
    int terminalWidth() const;
    void writeLine(const QString &text, int32_t color);

    FILE *m_out;
    FILE *m_err;
    bool m_terminal;
    bool m_colors;
    bool m_journal;
    bool m_timestamps = false;
    bool m_quiet = false;
    QString m_status;
    bool m_statusShown = false;
};
