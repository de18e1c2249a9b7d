#pragma once

#include "archive/ArchiveRow.h"
#include "core/AppEnvironment.h"
#include "core/JobContext.h"
#include "core/ListedFolder.h"
#include "download/FileStore.h"
#include "download/KeptPart.h"
#include "http/HttpExchange.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <optional>

class TcpClientSocket;

// Hands the queued submissions of a listed folder out one at a time with the
// pause between files, fetches each into the temporary file and stores it
// under its name.
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
    Downloader(const JobContext &context, TcpClientSocket &socket, const SiteConfig &site,
               const Timeouts &timeouts, const QString &temporaryFolder, QObject *parent = nullptr);

    // Works through the folder's queue from its first entry. errorsSoFar: the
    // job has had errors before this folder (its summary line tells).
    void retrieveFolder(const ListedFolder &folder, bool errorsSoFar);
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
    // The temporary file is the part of a cut file, kept to be resumed.
    bool holdsKeptPart() const { return m_partKept; }
    bool isPausing() const { return m_pausing; }
    // The name of the file fetched last (the error report tells it).
    QString fileName() const { return m_state.FileName; }

signals:
    // The folder's queue is worked through; withErrors: the job has had errors so far.
    void queueFinished(bool withErrors);
    // This many files of the queue were given up (retries used, refused, not storable).
    void filesGivenUp(int count);
    // A file has its final name: what the archive records of it.
    void fileStored(const ArchiveRow &row);

private:
    // The queue's next entry, after the pause.
    void Retrieve();
    void TerminateFile();
    void finishQueue();
    void pauseTick();
    void connectForFile();
    void resetTransfer();

    // DLSocket events
    void onConnected();
    void onFailed(const HttpFailure &failure);
    void onClose();
    void onError(int number, const QString &description);
    void onHandshakeFailed(const QString &line);
    void onReplyTimeout();
    void onTooSlow();

    void onHeader(const ReplyHeader &header, const QByteArray &received);
    void onBody(const HttpBodyPiece &piece);
    void handleBodyChunk(const HttpBodyPiece &chunk);
    void beginFile(const HttpBodyPiece &firstBodyBytes);
    // Hashes the kept part from its start; the file stays open at its end.
    bool hashPart();
    // Body bytes as received: counted against the limit, written, and the file
    // completed when its end has come.
    void takeBody(const HttpBodyPiece &received, bool showProgress);
    // The names the finished file may be stored under: never the temporary
    // file, and never a file stored earlier from this queue.
    StoreNames storeNames(const QString &wanted) const;
    bool writeBody(const QByteArray &bytes);
    void showFileProgress();

    // Ways a file ends
    // A cut transfer keeps its part when resuming is on and its reply allows it.
    bool keepPart();
    void resumeFailed(const QString &why);
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

    // The downloader's own variables: the folder handed over, how far its
    // queue has come, and the file being fetched.
    struct DownloadState : ListedFolder
    {
        int16_t QueueIndex = 0;
        bool DownloadErrors = false; // the job's, up to this queue's end
        QString FileName;
        int32_t FileSize = 0;
        bool InBody = false;
        QString FilePath;
        QString FileRequest;
        double TransferStart = 0;
        double LastFileEnd = 0; // clock seconds; 0 until the first file of the run ends
    };

    DownloadState m_state;
    JobSettings &m_settings;
    JobDisplay &m_display;
    EventLog &m_log;
    ErrorReporter &m_errors;
    HttpExchange m_exchange;
    SiteConfig m_site;
    Timeouts m_timeouts;
    QString m_temporaryFolder;

    QTimer m_pauseTimer;
    bool m_pausing = false;
    bool m_pauseCaptionShown = false;
    // Changes whenever a transfer is dropped or replaced, so that code resuming
    // after a modal report can tell that its file is no longer the current one.
    quint64 m_token = 0;
    int m_failures = 0; // failed attempts at the current queue entry

    QFile m_file; // the temporary download file
    bool m_headerDone = false;
    bool m_bodyStarts = false; // the header passed: the next body piece is the file's first
    qint64 m_expected = -1;    // body size from Content-Length; -1 read until the host closes
    qint64 m_written = 0;
    QCryptographicHash m_hash{QCryptographicHash::Sha256}; // of the bytes written so far
    bool m_chunked = false;          // the body comes in chunks, and ends with the last one
    QSet<QString> m_storedThisQueue; // final paths, as cleaned absolute paths

    // Resuming: the current file's reply allows it (bytes: those of the
    // temporary file), the request asked for the rest, the reply continues.
    KeptPart m_kept;
    std::optional<ResumeRecord> m_part;
    bool m_resumed = false;
    bool m_continuing = false;
    qint64 m_resumedFrom = 0; // bytes the file held before this transfer
    bool m_partKept = false;
};
