#pragma once

#include "store/search_store.h"

#include <QLockFile>
#include <QString>

#include <memory>

// The search file as an SQLite database in WAL mode: tables pages, pictures and settings,
// marked by its application id and schema version. Commits are atomic; a kill at any
// moment leaves the last commit readable.
class SqliteSearchStore final : public SearchStore {
public:
    // Takes a lock held for the store's life and a connection already open and checked.
    SqliteSearchStore(std::unique_ptr<QLockFile> lock, QString connectionName);
    ~SqliteSearchStore() override;

    std::variant<StoredSearch, QString> read() const override;
    std::optional<QString> write(const StoreBatch& batch) override;
    std::optional<QString> clear() override;

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_connectionName;
};
