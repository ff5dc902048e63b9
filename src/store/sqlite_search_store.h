#pragma once

#include "lists/picture_archive.h"
#include "store/search_store.h"

#include <QLockFile>
#include <QSqlQuery>
#include <QString>

#include <memory>
#include <vector>

// The search file as an SQLite database in WAL mode: tables pages, pictures and settings,
// marked by its application id and schema version. Commits are atomic; a kill at any
// moment leaves the last commit readable. It is also the archive of the picture rows a table
// does not hold; it sorts them in SQLite, whose sorter spills to temporary files, so that
// memory stays bounded however many there are.
class SqliteSearchStore final : public SearchStore, public PictureArchive {
public:
    // Takes a lock held for the store's life and a connection already open and checked.
    SqliteSearchStore(std::unique_ptr<QLockFile> lock, QString connectionName);
    ~SqliteSearchStore() override;

    std::variant<StoredSearch, QString> read(int picturesAtMost) const override;
    std::optional<QString> write(const StoreBatch& batch) override;
    std::optional<QString> clear() override;
    PictureArchive* pictureArchive() override { return this; }

    std::optional<std::vector<PictureRow>> archivedRows(std::span<const quint32> records) const override;
    std::optional<std::vector<std::pair<quint32, QString>>> recordsWithKeyHash(qint64 keyHash) const override;
    bool readKeyHashes(quint32 first, quint32 end, const std::function<void(qint64)>& take) const override;
    std::optional<std::vector<quint32>> orderedRecords(int column, bool descending, quint32 records,
                                                       const std::vector<quint32>& rowOfRecord) const override;

private:
    QSqlDatabase database() const;

    std::unique_ptr<QLockFile> m_lock;
    QString m_connectionName;
    // Prepared once: a table asks it about most rows it is given.
    mutable QSqlQuery m_byKeyHash;
    mutable bool m_keyHashesIndexed = false;
    // The table order quorvane_prior_row reads, there only while orderedRecords sorts; the
    // function holds this member's address for the connection's life.
    mutable const std::vector<quint32>* m_priorRows = nullptr;
};
