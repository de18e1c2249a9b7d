#pragma once

#include "core/AppEnvironment.h"
#include "download/FileStore.h"
#include "platform/ChunkedDecoder.h"
#include "platform/LowSpeedWatch.h"

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <optional>

class ErrorReporter;
class EventLog;
class JobDisplay;
class JobSettings;
class TcpClientSocket;
struct JobState;
struct QueuedSubmission;

// Hands the queued submissions out one at a time with the pause between
// files, fetches each into the temporary file and stores it under its name.
//
// Every wait is a timer: the pause between files ticks and re-reads the delay
// and the no-wait mode, and a file request that stays silent is given up and
// tried again. A file is tried a bounded number of times before the queue
// moves on.
class Downloader final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Downloader)

public:
    Downloader(JobState &state, JobSettings &settings, JobDisplay &display, EventLog &log,
               ErrorReporter &errors, TcpClientSocket &socket, const SiteConfig &site,
               const Timeouts &timeouts, const QString &temporaryFolder, QObject *parent = nullptr);

    void Retrieve();
    void TerminateFile();
    // Stops the transfer and the pause and closes the temporary file (a new job starts).
    void abort();
    // As abort(), and the temporary file is deleted and the progress display
    // cleared: the job was stopped, not replaced.
    void discard();
    // Closes and deletes the temporary file if a transfer left it open (the
    // program is closing).
    void closeOpenFiles();
    // The delay or the no-wait mode changed: a running pause looks again at once.
    void pauseSettingsChanged();

    QString temporaryFilePath() const;
    bool isPausing() const { return m_pausing; }

signals:
    // The folder's queue is worked through.
    void queueFinished();

private:
    void finishQueue();
    void pauseTick();
    void connectForFile();
    void resetTransfer();

    // DLSocket events
    void onConnected();
    void onDataArrival();
    void onClose();
    void onError(int number, const QString &description);
    void onHandshakeFailed(const QString &line);
    void onReplyTimeout();
    void onTooSlow();

    void handleHeaderBytes(const QByteArray &chunk);
    void handleBodyChunk(const QByteArray &chunk);
    void beginFile(const QByteArray &firstBodyBytes);
    // Body bytes as received: decoded, counted against the limit, written, and
    // the file completed when its end has come.
    void takeBody(const QByteArray &received, bool showProgress);
    // The names the finished file may be stored under: never the temporary
    // file, and never a file stored earlier from this queue.
    StoreNames storeNames(const QString &wanted) const;
    bool writeBody(const QByteArray &bytes);
    void showFileProgress();

    // Ways a file ends
    void refuse(const QString &line);
    void skipForSize(qint64 size);
    // A reply without a usable size: true when the bytes so far pass the limit.
    bool pastSizeLimit(qint64 received);
    void overLong();
    void failedAttempt(const QString &retryLine, const QString &reason);
    void emptyReply();
    void storageFailed(const QString &line);
    void advanceQueue();

    bool currentEntryValid() const;
    bool dropIfStale();
    const QueuedSubmission &currentEntry() const;
    // In whole bytes, compared exactly: a file of exactly the limit passes.
    std::optional<qint64> sizeLimit() const;

    JobState &m_state;
    JobSettings &m_settings;
    JobDisplay &m_display;
    EventLog &m_log;
    ErrorReporter &m_errors;
    TcpClientSocket &m_socket;
    SiteConfig m_site;
    Timeouts m_timeouts;
    QString m_temporaryFolder;

    QTimer m_pauseTimer;
    QTimer m_replyTimer;
    LowSpeedWatch m_speedWatch;
    bool m_pausing = false;
    bool m_pauseCaptionShown = false;
    // Changes whenever a transfer is dropped or replaced, so that code resuming
    // after a modal report can tell that its file is no longer the current one.
    quint64 m_token = 0;
    int m_failures = 0; // failed attempts at the current queue entry

    QFile m_file;        // the temporary download file
    QByteArray m_header; // reply bytes gathered until the header's blank line
    bool m_headerDone = false;
    qint64 m_expected = -1; // body size from Content-Length; -1 read until the host closes
    qint64 m_written = 0;
    bool m_chunked = false; // the body comes in chunks, and ends with the last one
    ChunkedDecoder m_chunks;
    QSet<QString> m_storedThisQueue; // final paths, as cleaned absolute paths
};
