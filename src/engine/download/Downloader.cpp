#include "download/Downloader.h"

#include "core/JobSettings.h"
#include "core/SizeLimit.h"
#include "download/DownloadTexts.h"
#include "download/FileRequest.h"
#include "download/FileStore.h"
#include "download/ResumeRules.h"
#include "http/ReplyHeader.h"
#include "log/EventLog.h"
#include "log/LogColors.h"
#include "naming/DownloadFolders.h"
#include "naming/FileNames.h"
#include "platform/Clock.h"
#include "platform/LocalFiles.h"
#include "report/ErrorReporter.h"
#include "report/ReportTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString BadFileName = QStringLiteral("Badfilename");

int32_t clampToInt32(qint64 value)
{
    return int32_t(std::clamp<qint64>(value, 0, std::numeric_limits<int32_t>::max()));
}

QString pathKey(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

Downloader::Downloader(const JobContext &context, TcpClientSocket &socket, const SiteConfig &site,
                       const Timeouts &timeouts, const QString &temporaryFolder, QObject *parent)
    : QObject(parent), m_settings(context.settings), m_display(context.display), m_log(context.log),
      m_errors(context.errors),
      m_exchange(socket, timeouts.lowSpeedBytes, timeouts.lowSpeedWindowMs), m_site(site),
      m_timeouts(timeouts), m_temporaryFolder(temporaryFolder), m_kept(temporaryFolder)
{
    m_pauseTimer.setSingleShot(true);
    m_pauseTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pauseTimer, &QTimer::timeout, this, &Downloader::pauseTick);

    connect(&m_exchange, &HttpExchange::connected, this, &Downloader::onConnected);
    connect(&m_exchange, &HttpExchange::headerArrived, this, &Downloader::onHeader);
    connect(&m_exchange, &HttpExchange::bodyArrived, this, &Downloader::onBody);
    connect(&m_exchange, &HttpExchange::failed, this, &Downloader::onFailed);
}

QString Downloader::temporaryFilePath() const
{
    return QDir(m_temporaryFolder).filePath(TemporaryFileName);
}

bool Downloader::currentEntryValid() const
{
    return m_state.QueueIndex >= 0 && m_state.QueueIndex < m_state.QueueCount &&
           m_state.QueueIndex < m_state.SubmissionQueue.size();
}

const QueuedSubmission &Downloader::currentEntry() const
{
    return m_state.SubmissionQueue[size_t(m_state.QueueIndex)];
}

std::optional<qint64> Downloader::sizeLimit() const
{
    return sizeLimitBytes(m_settings.maxSizeText());
}

// The driver

void Downloader::retrieveFolder(const ListedFolder &folder, bool errorsSoFar)
{
    static_cast<ListedFolder &>(m_state) = folder;
    m_state.QueueIndex = 0;
    m_state.DownloadErrors = errorsSoFar;
    Retrieve();
}

void Downloader::Retrieve()
{
    ++m_token;
    m_pauseTimer.stop();
    m_pausing = false;
    // Whatever connection is left belongs to an earlier attempt: nothing of it
    // may reach the handlers during the pause.
    m_exchange.close();
    resetTransfer();

    if (!currentEntryValid()) {
        finishQueue();
        return;
    }

    const QueuedSubmission &entry = currentEntry();
    m_log.AddEvent(retrievingLine(FName(entry.Url), m_state.QueueIndex, m_state.QueueCount),
                   LogBlack);
    const int percent = queuePercent(m_state.QueueIndex, m_state.QueueCount);
    m_display.setWindowCaption(queueCaption(m_state.CurrentUser, m_state.CurrentFolder, percent,
                                            m_display.windowStateNotNormal()));
    m_display.setQueueProgress(percent);

    // Nothing has ended yet in this run, or the hidden no-wait mode is on.
    if (m_state.LastFileEnd <= 0 || m_settings.noWait()) {
        connectForFile();
        return;
    }
    m_pausing = true;
    m_pauseCaptionShown = false;
    pauseTick();
}

void Downloader::pauseTick()
{
    if (!m_pausing)
        return;
    // The delay and the no-wait mode are read afresh on every tick: the slider
    // or the user list may change them during the pause.
    const int delay = m_settings.delaySeconds();
    const double secondMs = std::max(1, m_timeouts.pauseSecondMs);
    const double elapsed = (clockSeconds() - m_state.LastFileEnd) * 1000.0 / secondMs;
    const bool over = elapsed > double(delay) || m_settings.noWait();
    // Shown at least once; the tick that ends a running pause leaves the last
    // count up rather than showing 0.
    if (!over || !m_pauseCaptionShown) {
        m_display.setStatusCaption(waitingCaption(delay, elapsed));
        m_pauseCaptionShown = true;
    }
    if (over) {
        m_pausing = false;
        m_pauseTimer.stop();
        connectForFile();
        return;
    }
    // Wake at the next tick, or just after the pause runs out if that is sooner.
    const double leftMs = (double(delay) - elapsed) * secondMs;
    const int interval =
        int(std::min<double>(std::max(1, m_timeouts.pauseTickMs), std::ceil(leftMs) + 1.0));
    m_pauseTimer.start(std::max(1, interval));
}

void Downloader::pauseSettingsChanged()
{
    if (m_pausing)
        pauseTick();
}

void Downloader::finishQueue()
{
    m_display.setStatusCaption(QString());
    m_display.setQueueProgress(0);
    m_display.setFileProgress(0);
    const bool withErrors = m_state.DownloadErrors;
    m_log.AddEvent(folderDoneLine(m_state.QueueCount, withErrors), withErrors ? LogRed : LogGreen);
    m_display.setWindowCaption(
        folderDoneCaption(m_state.CurrentUser, m_state.CurrentFolder, withErrors));
    // Closed before the next step, which may start the next folder at once.
    m_exchange.close();
    m_failures = 0;
    m_storedThisQueue.clear();
    emit queueFinished(withErrors);
}

void Downloader::resetTransfer()
{
    m_exchange.stopWatching();
    m_chunked = false;
    m_state.InBody = false;
    m_headerDone = false;
    m_bodyStarts = false;
    m_expected = -1;
    m_written = 0;
    m_resumed = false;
    m_continuing = false;
    m_resumedFrom = 0;
}

void Downloader::connectForFile()
{
    resetTransfer();
    m_exchange.open(m_site.fileHost, m_site.fileTransport);
}

void Downloader::abort()
{
    ++m_token;
    m_pauseTimer.stop();
    m_pausing = false;
    keepPart();
    resetTransfer();
    m_exchange.close();
    m_file.close();
    m_failures = 0;
    m_storedThisQueue.clear();
    // Nothing of the queue may be fetched any more.
    m_state.SubmissionQueue.clear();
    m_state.QueueCount = 0;
}

void Downloader::discard()
{
    abort();
    if (!m_partKept)
        QFile::remove(temporaryFilePath());
    m_display.setStatusCaption(QString());
    m_display.setFileProgress(0);
    m_display.setQueueProgress(0);
    m_display.setWindowCaption(ProductName);
}

void Downloader::closeOpenFiles()
{
    // Open only between a file's first bytes and its store: what it holds is
    // partial and would only be fetched again.
    if (!m_file.isOpen() || keepPart())
        return;
    m_file.close();
    QFile::remove(temporaryFilePath());
}

// The file connection

void Downloader::onConnected()
{
    if (!currentEntryValid())
        return;
    m_state.FilePath = fileRequestPath(currentEntry().Url, m_site.fileHost);
    m_state.FileRequest = fileRequestText(m_state.FilePath, m_site.fileHost);
    if (!m_exchange.isConnected())
        return;
    m_partKept = false;
    m_part = m_settings.resumeCutFiles() ? m_kept.take(currentEntry().Url, m_file) : std::nullopt;
    if (m_part) {
        m_resumed = true;
        m_written = m_part->bytes;
        m_state.FileRequest =
            resumedRequestText(m_state.FileRequest, m_part->bytes, m_part->validator);
    }
    // One request per connection: a silent host is dropped and reconnected.
    m_state.TransferStart = clockSeconds();
    m_exchange.send(m_state.FileRequest, {m_timeouts.replyMs});
}

void Downloader::onFailed(const HttpFailure &failure)
{
    switch (failure.reason) {
    case HttpFailure::Reason::Closed:
        onClose();
        return;
    case HttpFailure::Reason::LostInData:
        if (dropIfStale())
            return;
        failedAttempt(QStringLiteral("Disconnected in Data DataArrival."),
                      QStringLiteral("disconnected"));
        return;
    case HttpFailure::Reason::Silent:
        onReplyTimeout();
        return;
    case HttpFailure::Reason::TooSlow:
        onTooSlow();
        return;
    case HttpFailure::Reason::TooLarge: // files have a size limit of their own
        return;
    case HttpFailure::Reason::SocketError:
        onError(failure.number, failure.description);
        return;
    case HttpFailure::Reason::Unverified:
        onHandshakeFailed(failure.description);
        return;
    }
}

bool Downloader::dropIfStale()
{
    if (currentEntryValid())
        return false;
    // The queue changed under a running transfer (a new job took over).
    m_exchange.close();
    resetTransfer();
    return true;
}

void Downloader::onReplyTimeout()
{
    if (dropIfStale())
        return;
    failedAttempt(QStringLiteral("Timed out, trying again."), QStringLiteral("timed out"));
}

void Downloader::onTooSlow()
{
    if (dropIfStale())
        return;
    failedAttempt(
        QStringLiteral("Timed out, trying again."),
        QStringLiteral("timed out below %1 bytes a second").arg(m_timeouts.lowSpeedBytes));
}

void Downloader::onClose()
{
    if (dropIfStale())
        return;
    // A reply without a size ends when the host closes; one that brought
    // nothing is a failed attempt, never an empty file. A chunked body has not
    // come whole without its last chunk.
    if (m_headerDone && m_state.InBody && m_chunked) {
        failedAttempt(QStringLiteral("Data socket disconnected. Retry..."),
                      QStringLiteral("disconnected"));
        return;
    }
    if (m_headerDone && m_state.InBody && m_expected < 0 && m_written > 0) {
        m_state.FileSize = clampToInt32(m_written);
        TerminateFile();
        return;
    }
    if (m_headerDone && m_state.InBody && m_expected < 0) {
        emptyReply();
        return;
    }
    failedAttempt(QStringLiteral("Data socket disconnected. Retry..."),
                  QStringLiteral("disconnected"));
}

void Downloader::onError(int number, const QString &description)
{
    if (dropIfStale())
        return;
    // After a socket error nothing more arrives on this connection.
    failedAttempt(QStringLiteral("Data socket error %1: ").arg(number) + description +
                      QStringLiteral(". Retry..."),
                  QStringLiteral("error %1: ").arg(number) + description);
}

void Downloader::onHandshakeFailed(const QString &line)
{
    if (dropIfStale())
        return;
    resetTransfer();
    m_log.AddEvent(line, LogRed);
    m_state.DownloadErrors = true;
    m_state.LastFileEnd = clockSeconds();
    if (m_state.QueueIndex < m_state.QueueCount)
        emit filesGivenUp(m_state.QueueCount - m_state.QueueIndex);
    // Every file of the queue comes from the same host and would meet the same
    // certificate: the rest of the folder is given up at once, not tried file
    // by file. The next folder connects afresh.
    m_failures = 0;
    m_state.QueueIndex = m_state.QueueCount;
    Retrieve();
}

void Downloader::onHeader(const ReplyHeader &header, const QByteArray &received)
{
    if (dropIfStale())
        return;
    if (header.status == ReplyHeader::Status::Malformed) {
        failedAttempt(QStringLiteral("Unreadable reply on ") + m_state.FilePath +
                          QStringLiteral(". Retry..."),
                      QStringLiteral("unreadable reply"));
        return;
    }

    m_headerDone = true;

    // The size belongs to this reply only: a reply without one is read until
    // the host closes.
    m_expected = header.contentLength.value_or(-1);
    if (m_resumed) {
        const RangeVerdict verdict = rangeReplyVerdict(header, *m_part);
        if (verdict.kind == RangeVerdict::Kind::Mismatch) {
            resumeFailed(verdict.why);
            return;
        }
        // The size that completes the file is the whole file's.
        m_continuing = verdict.kind == RangeVerdict::Kind::Continue;
        if (m_continuing)
            m_expected = m_part->total;
    }
    m_state.FileSize = clampToInt32(std::max<qint64>(m_expected, 0));
    if (m_expected >= 0 && exceedsSizeLimit(sizeLimit(), m_expected)) {
        skipForSize(m_expected);
        return;
    }

    // Refusals are recognised anywhere in what has come so far, in any case.
    const QByteArray lower = received.toLower();
    if (lower.contains("400 bad request")) {
        refuse(QStringLiteral("GS said 400 bad request on ") + m_state.FilePath);
        return;
    }
    if (lower.contains("404 not found")) {
        refuse(QStringLiteral("GS said 404 not found on ") + m_state.FilePath);
        return;
    }
    if (!isSuccessStatus(header.statusCode)) {
        // An error page is never stored as the submission: it would stand for
        // the real file in every later sync.
        const QString line = refusalLine(header.statusCode, header.reason, m_state.FilePath);
        if (header.statusCode == 429 || header.statusCode == 503) {
            // The host asks us to come back later: a failed attempt, after the pause.
            m_log.AddEvent(line, LogRed);
            failedAttempt(QString(), line);
        } else {
            refuse(line);
        }
        return;
    }
    if (!header.foreignCoding.isEmpty()) {
        // Compressed or otherwise coded bytes are not the submission's file.
        refuse(QStringLiteral("GS sent ") + m_state.FilePath + QStringLiteral(" in the ") +
               header.foreignCoding + QStringLiteral(" coding: not stored."));
        return;
    }
    m_chunked = header.chunked;
    if (!m_continuing && m_settings.resumeCutFiles()) {
        const QString validator = resumeValidator(header);
        m_part = std::nullopt;
        if (!validator.isEmpty() && m_expected > 0)
            m_part = ResumeRecord{currentEntry().Url, validator, m_expected, 0, {}};
    }
    // The file begins with the body bytes that came with the header.
    m_bodyStarts = true;
}

void Downloader::onBody(const HttpBodyPiece &piece)
{
    if (dropIfStale())
        return;
    if (std::exchange(m_bodyStarts, false))
        beginFile(piece);
    else
        handleBodyChunk(piece);
}

void Downloader::beginFile(const HttpBodyPiece &firstBodyBytes)
{
    if (m_expected == 0) {
        emptyReply();
        return;
    }
    if (!m_chunked && pastSizeLimit(firstBodyBytes.received.size()))
        return;
    const QueuedSubmission &entry = currentEntry();
    m_state.FileName =
        MakeFileName(entry.Url, entry.Title, m_settings.nameMode(), m_state.CurrentUser);
    if (m_continuing) {
        // The part is open at its end: the rest goes after it. The archive's
        // checksum covers the whole file, so the part's bytes are hashed first.
        if (!hashPart()) {
            storageFailed(QStringLiteral("Could not read ") +
                          QDir::toNativeSeparators(temporaryFilePath()));
            return;
        }
        m_resumedFrom = m_written;
        m_state.InBody = true;
        m_log.AddEvent(
            QStringLiteral("Resuming from byte %1 of %2.").arg(m_written).arg(m_expected),
            LogBlack);
        takeBody(firstBodyBytes, true);
        return;
    }
    m_file.close();
    m_kept.forget();
    m_partKept = false;
    const QString path = temporaryFilePath();
    // Whatever has that name goes, a link included: nothing is ever written
    // through it to where it points. Unbuffered: a full disk shows at the
    // write that hits it.
    QString error;
    if (!LocalFiles::createFresh(m_file, path, &error)) {
        storageFailed(QStringLiteral("Could not write ") + QDir::toNativeSeparators(path) +
                      QStringLiteral(": ") + error);
        return;
    }
    m_written = 0;
    m_hash.reset();
    m_state.InBody = true;
    // Bytes that came with the header count as much as any later chunk.
    takeBody(firstBodyBytes, true);
}

bool Downloader::hashPart()
{
    m_hash.reset();
    if (!m_file.seek(0))
        return false;
    for (qint64 left = m_written; left > 0;) {
        const QByteArray block = m_file.read(qMin<qint64>(left, qint64(1) << 20));
        if (block.isEmpty())
            return false;
        m_hash.addData(block);
        left -= block.size();
    }
    return m_file.pos() == m_written;
}

void Downloader::handleBodyChunk(const HttpBodyPiece &chunk)
{
    if (!m_state.InBody)
        return;
    // A size header inside the body still runs the size limit; the size that
    // completes this file stays the one of the reply's own header.
    if (const std::optional<qint64> size = contentLengthInChunk(chunk.received);
        size && exceedsSizeLimit(sizeLimit(), *size)) {
        skipForSize(*size);
        return;
    }
    takeBody(chunk, true);
}

void Downloader::takeBody(const HttpBodyPiece &received, bool showProgress)
{
    const ChunkedDecoder::Status chunks = received.status;
    if (chunks == ChunkedDecoder::Status::Malformed) {
        failedAttempt(QStringLiteral("Unreadable reply on ") + m_state.FilePath +
                          QStringLiteral(". Retry..."),
                      QStringLiteral("unreadable reply"));
        return;
    }
    // The limit and the progress count the file's own bytes, not the framing.
    const QByteArray &body = received.data;
    if (pastSizeLimit(m_written + body.size()))
        return;
    if (!writeBody(body))
        return;
    if (showProgress)
        showFileProgress();
    if (chunks == ChunkedDecoder::Status::Done) {
        if (m_written == 0) {
            emptyReply();
            return;
        }
        m_state.FileSize = clampToInt32(m_written);
        TerminateFile();
        return;
    }
    if (m_expected >= 0 && m_written > m_expected) {
        overLong();
        return;
    }
    if (m_expected >= 0 && m_written == m_expected)
        TerminateFile();
}

bool Downloader::writeBody(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return true;
    QString error;
    if (!LocalFiles::writeAll(m_file, bytes, &error)) {
        storageFailed(QStringLiteral("Could not write ") +
                      QDir::toNativeSeparators(temporaryFilePath()) + QStringLiteral(": ") + error);
        return false;
    }
    m_written += bytes.size();
    m_hash.addData(bytes);
    return true;
}

void Downloader::showFileProgress()
{
    const int percent = filePercent(m_written, m_expected);
    const qint64 shownSize = m_expected >= 0 ? m_expected : m_written;
    m_display.setStatusCaption(fileProgressCaption(percent, currentEntry().Title, shownSize));
    m_display.setFileProgress(percent);
}

// How a file ends

void Downloader::TerminateFile()
{
    m_state.InBody = false;
    m_exchange.stopWatching();
    // A resumed file is stored only whole: the size its reply gave.
    if (m_continuing && m_written != m_expected) {
        resumeFailed(QStringLiteral("%1 of the %2 bytes").arg(m_written).arg(m_expected));
        return;
    }

    // Stored from the open file: another run sharing the temporary folder may
    // have put a file of its own at the temporary file's name meanwhile.
    const QString wanted = m_state.FileName;
    StoreOutcome outcome = storeFile(m_file, m_written, m_state.DownloadFolder, storeNames(wanted));
    if (outcome.result == StoreOutcome::Result::Stored && outcome.name != wanted)
        m_log.AddEvent(wanted + QStringLiteral(" is taken: saving as ") + outcome.name, LogBlack);
    if (outcome.result == StoreOutcome::Result::NameRefused && outcome.name != BadFileName) {
        // Stored once under a name every file system takes, but never over
        // whatever an earlier refused name left there.
        const QString refused = outcome.error;
        outcome = storeFile(m_file, m_written, m_state.DownloadFolder, {BadFileName});
        if (outcome.result == StoreOutcome::Result::Taken)
            outcome.error = refused + QStringLiteral(", and ") + BadFileName +
                            QStringLiteral(" already holds another file");
    }
    m_file.close();
    if (std::exchange(m_part, std::nullopt))
        m_kept.forget(); // no part any more: what the record named is gone
    m_state.FileName = outcome.name;
    if (outcome.result != StoreOutcome::Result::Stored) {
        storageFailed(
            QStringLiteral("Could not save ") +
            QDir::toNativeSeparators(storedFilePath(m_state.DownloadFolder, m_state.FileName)) +
            QStringLiteral(": ") + outcome.error);
        return;
    }

    m_storedThisQueue.insert(pathKey(storedFilePath(m_state.DownloadFolder, m_state.FileName)));
    m_log.AddEvent(QStringLiteral("Saved as ") + m_state.FileName, LogGreen);
    if (const QueuedSubmission &entry = currentEntry(); entry.Number > 0)
        emit fileStored(ArchiveRow{
            entry.Number, m_state.CurrentUser, m_state.CurrentFolder, entry.Rating, entry.Title,
            entry.Url, QDir::cleanPath(storedFilePath(m_state.DownloadFolder, m_state.FileName)),
            m_written, QString::fromLatin1(m_hash.result().toHex()),
            QDateTime::currentDateTimeUtc()});
    m_display.setSpeedCaption(
        speedCaption(m_written - m_resumedFrom, clockSeconds() - m_state.TransferStart));
    m_display.setStatusCaption(bytesDownloadedCaption(m_written));
    m_exchange.close();
    m_state.LastFileEnd = clockSeconds();
    advanceQueue();
    Retrieve();
}

StoreNames Downloader::storeNames(const QString &wanted) const
{
    const QString &folder = m_state.DownloadFolder;
    // Passed over without asking the disk: files stored earlier from this
    // queue, and the temporary file, which the next file overwrites.
    const auto reserved = [this, folder](const QString &candidate) {
        return m_storedThisQueue.contains(pathKey(storedFilePath(folder, candidate))) ||
               nameBesideTemporaryFile(folder, candidate, m_temporaryFolder) != candidate;
    };
    // A queue is never longer than this: some number is free for every file.
    return {nameBesideTemporaryFile(folder, wanted, m_temporaryFolder), QueueSlots + 1, reserved};
}

bool Downloader::keepPart()
{
    if (!m_part || !m_file.isOpen() || !m_settings.resumeCutFiles())
        return false;
    ResumeRecord record = *std::exchange(m_part, std::nullopt);
    record.bytes = m_written;
    m_partKept = record.bytes > 0 && record.bytes < record.total && m_kept.keep(m_file, record);
    if (!m_partKept)
        m_kept.forget();
    m_file.close();
    return m_partKept;
}

void Downloader::resumeFailed(const QString &why)
{
    // The part goes: the next attempt asks for the whole file.
    m_part = std::nullopt;
    m_file.close();
    m_kept.forget();
    failedAttempt(QStringLiteral("Could not resume ") + m_state.FilePath + QStringLiteral(" (") +
                      why + QStringLiteral("). Retry..."),
                  why);
}

void Downloader::refuse(const QString &line)
{
    m_exchange.close();
    m_log.AddEvent(line, LogRed);
    m_state.DownloadErrors = true;
    emit filesGivenUp(1);
    advanceQueue();
    m_state.LastFileEnd = clockSeconds();
    Retrieve();
}

void Downloader::skipForSize(qint64 size)
{
    m_exchange.close();
    const QString point = QLocale().decimalPoint();
    m_log.AddEvent(sizeLimitLine(size, point.isEmpty() ? QChar(u'.') : point.at(0)), LogBlack);
    // Not an error, and not a file that ended: the next one does not wait for it.
    advanceQueue();
    Retrieve();
}

bool Downloader::pastSizeLimit(qint64 received)
{
    if (m_expected >= 0 || !exceedsSizeLimit(sizeLimit(), received))
        return false;
    // Counted before the bytes are written, so that the disk never holds more
    // than the limit; what was written so far goes with the transfer.
    m_file.close();
    QFile::remove(temporaryFilePath());
    resetTransfer();
    skipForSize(received);
    return true;
}

void Downloader::overLong()
{
    // The report is modal and lets events through: nothing more of this
    // connection may arrive meanwhile.
    m_exchange.close();
    m_state.InBody = false;
    const quint64 token = m_token;
    m_errors.RaiseError(overLongText(m_expected, m_written, currentEntry().Title));
    if (token != m_token)
        return; // another job or file took over while the report was open
    failedAttempt(QString(), QStringLiteral("more data than expected"));
}

void Downloader::emptyReply()
{
    // An empty file would stand for the submission on every later Sync.
    failedAttempt(QStringLiteral("Empty reply on ") + m_state.FilePath +
                      QStringLiteral(". Retry..."),
                  QStringLiteral("empty reply"));
}

void Downloader::failedAttempt(const QString &retryLine, const QString &reason)
{
    keepPart();
    m_exchange.close();
    resetTransfer();
    if (!currentEntryValid()) {
        Retrieve();
        return;
    }
    // Politeness holds for retries too: the next request, of this file or of
    // the one after a given-up file, waits the pause counted from the failure.
    m_state.LastFileEnd = clockSeconds();
    ++m_failures;
    if (m_failures >= std::max(1, m_timeouts.fileAttempts)) {
        m_log.AddEvent(QStringLiteral("Could not retrieve ") + FName(currentEntry().Url) +
                           QStringLiteral(" (") + reason +
                           QStringLiteral("), giving up after %1 attempts.").arg(m_failures),
                       LogRed);
        m_state.DownloadErrors = true;
        emit filesGivenUp(1);
        advanceQueue();
    } else if (!retryLine.isEmpty()) {
        m_log.AddEvent(retryLine, LogRed);
    }
    Retrieve();
}

void Downloader::storageFailed(const QString &line)
{
    m_exchange.close();
    m_file.close();
    resetTransfer();
    m_log.AddEvent(line, LogRed);
    m_state.DownloadErrors = true;
    emit filesGivenUp(1);
    m_state.LastFileEnd = clockSeconds();
    advanceQueue();
    Retrieve();
}

void Downloader::advanceQueue()
{
    m_failures = 0;
    if (m_state.QueueIndex < std::numeric_limits<int16_t>::max())
        ++m_state.QueueIndex;
}
