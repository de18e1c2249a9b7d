#pragma once

#include "archive/ArchiveRow.h"

#include <QObject>
#include <QSqlDatabase>
#include <QTimer>

#include <functional>
#include <memory>

class QSqlQuery;

// The record of every stored submission, an SQLite file beside the settings
// file. Each archive object has a connection of its own, removed with it.
//
// Rows recorded during one turn of the event loop share a transaction, which
// commits as soon as control returns to the loop: a page's worth of files
// found on disk costs one commit, and a row is never written before its file
// has its final name, so a crash leaves at worst a file without its row.
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
    // to log when something was wrong, empty otherwise.
    bool open(Mode mode, QString *notice);
    bool isOpen() const { return m_query != nullptr; }
    QString path() const { return m_path; }

    // One indexed look-up.
    bool contains(qint64 id) const;
    // Records the row, replacing an earlier one of the same number.
    bool record(const ArchiveRow &row);
    // Records a file found on disk: its size and checksum are read from it.
    bool recordExisting(ArchiveRow row);
    // Commits the open transaction now.
    void commit();
    // Every row, oldest first; false when the archive cannot be read.
    bool forEachRow(const std::function<void(const ArchiveRow &)> &visit) const;

private:
    bool openDatabase(bool readOnly, QString *error);
    void closeDatabase();
    bool moveAside(QString *aside);

    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
    std::unique_ptr<QSqlQuery> m_query; // the prepared look-up
    std::unique_ptr<QSqlQuery> m_insert;
    bool m_readOnly = false;
    bool m_inTransaction = false;
    QTimer m_commitTimer;
};

// The size and SHA-256 of a file's bytes, read in bounded pieces; false when
// it cannot be read.
bool fileChecksum(const QString &path, qint64 *size, QString *sha256);
