#include "lists/text_pool.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

// Equal code units; a plain memory comparison is several times faster than QString's.
bool sameText(const QString& a, const QString& b)
{
    return a.size() == b.size()
        && (a.constData() == b.constData() || std::memcmp(a.constData(), b.constData(), size_t(a.size()) * 2) == 0);
}

} // namespace

TextPool::TextPool()
{
    m_texts.append(QString());
}

quint32 TextPool::intern(const QString& text)
{
    if (const std::optional<quint32> known = find(text))
        return *known;
    const auto next = quint32(m_texts.size());
    const std::optional<quint32> id = m_ids.findOrInsert(HashedIndex::hashOf(text), next,
                                                         [&](quint32 id) { return sameText(m_texts.at(id), text); });
    // A copy of its own: the pool's texts then lie close together in memory, rather than
    // wherever the row that brought each one first had put it.
    if (!id)
        m_texts.append(QString(text.constData(), text.size()));
    return m_last = id.value_or(next);
}

std::optional<quint32> TextPool::find(const QString& text)
{
    if (text.isEmpty())
        return 0;
    if (sameText(m_texts.at(m_last), text))
        return m_last;
    const std::optional<quint32> id =
        m_ids.find(HashedIndex::hashOf(text), [&](quint32 id) { return sameText(m_texts.at(id), text); });
    if (id)
        m_last = *id;
    return id;
}

QList<quint32> TextPool::ranks() const
{
    std::vector<QString> folded(m_texts.size());
    for (qsizetype id = 0; id < m_texts.size(); ++id)
        folded[id] = m_texts.at(id).toCaseFolded();
    std::vector<quint32> byText(m_texts.size());
    std::iota(byText.begin(), byText.end(), 0u);
    std::sort(byText.begin(), byText.end(), [&](quint32 a, quint32 b) { return folded[a] < folded[b]; });
    QList<quint32> rank(m_texts.size());
    quint32 place = 0;
    for (size_t i = 0; i < byText.size(); ++i) {
        if (i > 0 && folded[byText[i]] != folded[byText[i - 1]])
            ++place;
        rank[byText[i]] = place;
    }
    return rank;
}
