#include "archive/DownloadArchive.h"

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
}

DownloadArchive::~DownloadArchive()
{
    commit();
    closeDatabase();
}

bool DownloadArchive::open(Mode mode, QString *notice)
{
    notice->clear();
    if (isOpen())
        return true;
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
    m_query = std::make_unique<QSqlQuery>(m_db);
    if (!m_query->prepare(QStringLiteral("SELECT 1 FROM submissions WHERE id = ?")))
        return fail(m_query->lastError().text());
    m_insert = std::make_unique<QSqlQuery>(m_db);
    if (!readOnly && !m_insert->prepare(QStringLiteral(
                         "INSERT OR REPLACE INTO submissions (id, user, folder, rating, title, "
                         "url, path, size, sha256, stored) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")))
        return fail(m_insert->lastError().text());
    return true;
}

void DownloadArchive::closeDatabase()
{
    m_query.reset();
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
    if (!isOpen())
        return false;
    m_query->bindValue(0, id);
    const bool found = m_query->exec() && m_query->next();
    m_query->finish();
    return found;
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
    return done;
}

bool DownloadArchive::recordExisting(ArchiveRow row)
{
    if (!isOpen() || m_readOnly || !fileChecksum(row.path, &row.size, &row.sha256))
        return false;
    row.stored = QFileInfo(row.path).lastModified();
    return record(row);
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

bool fileChecksum(const QString &path, qint64 *size, QString *sha256)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    constexpr qint64 Piece = 1 << 20;
    qint64 total = 0;
    for (;;) {
        const QByteArray piece = file.read(Piece);
        if (piece.isEmpty())
            break;
        hash.addData(piece);
        total += piece.size();
    }
    if (file.error() != QFileDevice::NoError)
        return false;
    *size = total;
    *sha256 = QString::fromLatin1(hash.result().toHex());
    return true;
}
