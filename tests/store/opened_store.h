#pragma once

#include "store/search_store.h"

#include <QtGlobal>

#include <limits>
#include <memory>

// The search store at path, or null with the reason given as a warning.
inline std::unique_ptr<SearchStore> openStore(const QString& path)
{
    auto opened = openSearchStore(path);
    if (const QString* reason = std::get_if<QString>(&opened)) {
        qWarning("%s", qPrintable(*reason));
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<SearchStore>>(opened));
}

// Everything the store holds; a failed read ends the test program.
inline StoredSearch readAll(const SearchStore& store)
{
    auto read = store.read(std::numeric_limits<int>::max());
    if (const QString* reason = std::get_if<QString>(&read))
        qFatal("read failed: %s", qPrintable(*reason));
    return std::get<StoredSearch>(read);
}
