#include "archive/DownloadArchive.h"

#include "platform/LocalFiles.h"

#include <QAtomicInteger>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

QAtomicInteger<quint64> connectionCount;

const QString CreateTable = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS submissions (id INTEGER PRIMARY KEY, user TEXT NOT NULL, "
    "folder TEXT NOT NULL, rating TEXT NOT NULL, title TEXT NOT NULL, url TEXT NOT NULL, "
    "path TEXT NOT NULL, size INTEGER NOT NULL, sha256 TEXT NOT NULL, stored TEXT NOT NULL)");

QString nowStamp()
{
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

} // namespace

DownloadArchive::DownloadArchive(QString path, QObject *parent)
    : QObject(parent), m_path(std::move(path)),
      m_connection(
          QStringLiteral("vorpaline-archive-%1").arg(connectionCount.fetchAndAddOrdered(1)))
{
    m_commitTimer.setSingleShot(true);
    m_commitTimer.setInterval(0);
    connect(&m_commitTimer, &QTimer::timeout, this, &DownloadArchive::commit);
    m_hashTimer.setSingleShot(true);
    m_hashTimer.setInterval(0);
    connect(&m_hashTimer, &QTimer::timeout, this, &DownloadArchive::hashStep);
}

DownloadArchive::~DownloadArchive()
{
    m_waiting.clear();
    m_reading.close();
    commit();
    closeDatabase();
}

bool DownloadArchive::open(Mode mode, QString *notice)
{
    notice->clear();
    if (isOpen())
        return loadKnown();
    const QString file = QDir::toNativeSeparators(m_path);
    QString error;
    if (mode == Mode::ReadOnly) {
        // Nothing is known of a missing archive, and nothing is created.
        if (!QFileInfo::exists(m_path))
            return false;
        if (openDatabase(true, &error))
            return true;
        *notice = QStringLiteral("The download archive %1 cannot be read (%2): nothing is "
                                 "taken from it.")
                      .arg(file, error);
        return false;
    }
    if (openDatabase(false, &error))
        return true;
    QString aside;
    if (!moveAside(&aside)) {
        *notice = QStringLiteral("The download archive %1 cannot be used (%2) nor moved aside: "
                                 "nothing is recorded.")
                      .arg(file, error);
        return false;
    }
    QString again;
    if (!openDatabase(false, &again)) {
        *notice = QStringLiteral("The download archive %1 cannot be created: %2").arg(file, again);
        return false;
    }
    *notice = QStringLiteral("The download archive %1 was damaged (%2): it is moved aside to %3 "
                             "and a new one is started.")
                  .arg(file, error, QDir::toNativeSeparators(aside));
    return true;
}

bool DownloadArchive::openDatabase(bool readOnly, QString *error)
{
    m_readOnly = readOnly;
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(m_path);
    // A busy archive (another program reading it) is waited for a moment, not forever.
    m_db.setConnectOptions(readOnly
                               ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000")
                               : QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    const auto fail = [this, error](const QString &reason) {
        *error = reason;
        closeDatabase();
        return false;
    };
    if (!m_db.open())
        return fail(m_db.lastError().text());
    QSqlQuery query(m_db);
    // quick_check reads every page once: a damaged file shows here rather
    // than halfway through a job.
    if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next())
        return fail(query.lastError().text());
    if (query.value(0).toString() != QLatin1String("ok"))
        return fail(query.value(0).toString());
    if (!readOnly) {
        if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
            !query.exec(QStringLiteral("PRAGMA synchronous=NORMAL")) || !query.exec(CreateTable))
            return fail(query.lastError().text());
    }
    if (!loadKnown())
        return fail(m_db.lastError().text());
    // A page may name no rating, a file no time: stored empty, never NULL.
    m_insert = std::make_unique<QSqlQuery>(m_db);
    if (!readOnly &&
        !m_insert->prepare(QStringLiteral(
            "INSERT OR REPLACE INTO submissions (id, user, folder, rating, title, "
            "url, path, size, sha256, stored) VALUES (?, IFNULL(?, ''), IFNULL(?, ''), "
            "IFNULL(?, ''), IFNULL(?, ''), IFNULL(?, ''), IFNULL(?, ''), ?, "
            "IFNULL(?, ''), IFNULL(?, ''))")))
        return fail(m_insert->lastError().text());
    return true;
}

void DownloadArchive::closeDatabase()
{
    m_known.clear();
    m_insert.reset();
    if (m_db.isOpen())
        m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
    m_inTransaction = false;
}

bool DownloadArchive::moveAside(QString *aside)
{
    *aside = m_path + QStringLiteral(".damaged-") + nowStamp();
    if (!QFile::exists(m_path))
        return true;
    if (!QFile::rename(m_path, *aside))
        return false;
    // The journal of the old file belongs to it, not to the new one.
    for (const char *suffix : {"-wal", "-shm"})
        if (QFile::exists(m_path + suffix))
            QFile::rename(m_path + suffix, *aside + suffix);
    return true;
}

bool DownloadArchive::contains(qint64 id) const
{
    return m_known.contains(id);
}

bool DownloadArchive::loadKnown()
{
    commit();
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    m_known.clear();
    if (!query.exec(QStringLiteral("SELECT id FROM submissions")))
        return false;
    while (query.next())
        m_known.insert(query.value(0).toLongLong());
    return true;
}

bool DownloadArchive::record(const ArchiveRow &row)
{
    if (!isOpen() || m_readOnly)
        return false;
    if (!m_inTransaction) {
        m_inTransaction = m_db.transaction();
        m_commitTimer.start();
    }
    const QVariantList values{
        row.id,  row.user, row.folder, row.rating, row.title,
        row.url, row.path, row.size,   row.sha256, row.stored.toUTC().toString(Qt::ISODate)};
    for (int i = 0; i < values.size(); ++i)
        m_insert->bindValue(i, values.at(i));
    const bool done = m_insert->exec();
    m_insert->finish();
    if (done)
        m_known.insert(row.id);
    return done;
}

void DownloadArchive::recordExisting(const ArchiveRow &row)
{
    if (!isOpen() || m_readOnly)
        return;
    m_waiting.append(row);
    m_hashTimer.start();
}

void DownloadArchive::hashStep()
{
    if (m_waiting.isEmpty())
        return;
    ArchiveRow &row = m_waiting.first();
    if (!m_reading.isOpen()) {
        m_hash.reset();
        row.size = 0;
        LocalFiles::openRegularFile(m_reading, row.path);
    }
    constexpr qint64 Piece = 1 << 20;
    const QByteArray piece = m_reading.isOpen() ? m_reading.read(Piece) : QByteArray();
    m_hash.addData(piece);
    row.size += piece.size();
    if (piece.size() == Piece) {
        m_hashTimer.start();
        return;
    }
    // A file that cannot be read to its end is left for a later Sync.
    if (m_reading.isOpen() && m_reading.error() == QFileDevice::NoError) {
        row.sha256 = QString::fromLatin1(m_hash.result().toHex());
        row.stored = m_reading.fileTime(QFileDevice::FileModificationTime);
        record(row);
    }
    m_reading.close();
    m_waiting.removeFirst();
    if (!m_waiting.isEmpty())
        m_hashTimer.start();
    else
        emit readingDone();
}

void DownloadArchive::dropWaiting()
{
    m_hashTimer.stop();
    m_reading.close();
    m_waiting.clear();
}

void DownloadArchive::commit()
{
    m_commitTimer.stop();
    if (m_inTransaction)
        m_db.commit();
    m_inTransaction = false;
}

bool DownloadArchive::forEachRow(const std::function<void(const ArchiveRow &)> &visit) const
{
    if (!isOpen())
        return false;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT id, user, folder, rating, title, url, path, size, "
                                   "sha256, stored FROM submissions ORDER BY stored, id")))
        return false;
    while (query.next()) {
        ArchiveRow row;
        row.id = query.value(0).toLongLong();
        row.user = query.value(1).toString();
        row.folder = query.value(2).toString();
        row.rating = query.value(3).toString();
        row.title = query.value(4).toString();
        row.url = query.value(5).toString();
        row.path = query.value(6).toString();
        row.size = query.value(7).toLongLong();
        row.sha256 = query.value(8).toString();
        row.stored = QDateTime::fromString(query.value(9).toString(), Qt::ISODate);
        visit(row);
    }
    return query.lastError().type() == QSqlError::NoError;
}
