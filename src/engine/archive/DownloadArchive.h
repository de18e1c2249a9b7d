#pragma once

#include "archive/ArchiveRow.h"

#include <QCryptographicHash>
#include <QFile>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSqlDatabase>
#include <QTimer>

#include <functional>
#include <memory>

class QSqlQuery;

// The record of every stored submission, an SQLite file beside the settings
// file. Each archive object has a connection of its own, removed with it.
//
// Rows recorded during one turn of the event loop share a transaction, which
// commits as soon as control returns to the loop. A row is never written
// before its file has its final name (or, for a file found on disk, before it
// was read whole), so a crash leaves at worst a file without its row.
class DownloadArchive final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadArchive)

public:
    explicit DownloadArchive(QString path, QObject *parent = nullptr);
    ~DownloadArchive() override;

    enum class Mode
    {
        ReadWrite, // created when missing; a damaged file is moved aside for a new one
        ReadOnly,  // a dry run: a missing file stays missing, nothing is written
    };
    // True once open. A file that cannot be used never stops a job: in
    // ReadWrite it is moved aside and a new one started. notice gets the line
    // to log when something was wrong, empty otherwise. Once open, the numbers
    // are read again: another program may have added some since.
    bool open(Mode mode, QString *notice);
    bool isOpen() const { return m_db.isOpen(); }

    // The numbers are held in memory, read in one query when the archive opens:
    // an SQL look-up for each submission made the listing half again as slow.
    bool contains(qint64 id) const;
    // Records the row, replacing an earlier one of the same number.
    bool record(const ArchiveRow &row);
    // Records a file found on disk once its size and checksum are read. The
    // reading goes a piece per turn of the event loop, so a big collection
    // keeps the window responsive. What is still waiting when the archive
    // closes or is dropped is recorded by a later Sync instead: closing never
    // waits on a big collection.
    void recordExisting(const ArchiveRow &row);
    bool isReading() const { return !m_waiting.isEmpty(); }
    void dropWaiting();
    // Commits the open transaction now.
    void commit();
    // Every row, oldest first; false when the archive cannot be read.
    bool forEachRow(const std::function<void(const ArchiveRow &)> &visit) const;

signals:
    // The last file waiting was read (not sent when they are dropped).
    void readingDone();

private:
    bool openDatabase(bool readOnly, QString *error);
    void closeDatabase();
    bool moveAside(QString *aside);
    bool loadKnown();
    // Reads the next piece of the first file waiting; records it when done.
    void hashStep();

    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
    QSet<qint64> m_known; // every number the archive holds
    std::unique_ptr<QSqlQuery> m_insert;
    bool m_readOnly = false;
    bool m_inTransaction = false;
    QTimer m_commitTimer;
    QList<ArchiveRow> m_waiting; // files found on disk, the first one being read
    QFile m_reading;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    QTimer m_hashTimer;
};
