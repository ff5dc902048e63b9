#pragma once

#include "base/hashed_index.h"

#include <QList>
#include <QString>

// Texts that repeat down a column (type, title, source, ...) kept once each; a row holds a
// number. Number 0 is the empty text.
class TextPool {
public:
    TextPool();

    quint32 intern(const QString& text);
    // The number of text, when the pool holds it already. Not const: it remembers the text it
    // found, and a pool is used from one thread, the one of the table that holds it.
    std::optional<quint32> find(const QString& text);
    const QString& text(quint32 id) const { return m_texts.at(id); }
    quint32 count() const { return quint32(m_texts.size()); }
    // For each number, the place of its text among all texts of the pool ordered as the
    // table sorts: letter case ignored. Equal texts share a place.
    QList<quint32> ranks() const;

private:
    QList<QString> m_texts;
    HashedIndex m_ids;  // number by text
    quint32 m_last = 0; // rows arrive page by page, so the last text is the likeliest next
};
