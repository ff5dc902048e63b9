#include "platform/element_store.h"

#include <algorithm>
#include <limits>

ElementStore::Span ElementStore::narrow(MarkupSpan span)
{
    constexpr qsizetype kMax = std::numeric_limits<qint32>::max();
    if (!span.isValid() || span.begin < 0 || span.begin > kMax || span.length > kMax - span.begin)
        return {};
    return {qint32(span.begin), qint32(span.length)};
}

quint32 ElementStore::nameId(const QString& name)
{
    const auto found = m_nameIds.constFind(name);
    if (found != m_nameIds.constEnd())
        return found.value();
    const auto id = quint32(m_names.size());
    m_names.append(name);
    m_nameIds.insert(name, id);
    return id;
}

quint32 ElementStore::nameId(QUtf8StringView name)
{
    // Looked up without a copy of the name; most pages repeat a few names many times.
    const auto found = m_utf8NameIds.constFind(QByteArray::fromRawData(name.data(), name.size()));
    if (found != m_utf8NameIds.constEnd())
        return found.value();
    const quint32 id = nameId(name.toString());
    m_utf8NameIds.insert(QByteArray(name.data(), name.size()), id);
    return id;
}

quint32 ElementStore::valueId(QStringView value)
{
    const auto id = quint32(m_values.size());
    const auto found = m_valueIds.findOrInsert(HashedIndex::hashOf(value), id,
                                               [&](quint32 each) { return valueText(each) == value; });
    if (found)
        return *found;
    m_values.push_back({m_text.size(), value.size()});
    m_text.append(value);
    return id;
}

QStringView ElementStore::valueText(quint32 value) const
{
    const Value& range = m_values[value];
    return QStringView(m_text).sliced(range.offset, range.length);
}

ElementStore::Index ElementStore::appendElement(const QString& tagName, MarkupSpan outer, MarkupSpan inner)
{
    Record record;
    record.tag = nameId(tagName);
    record.firstMember = quint32(m_members.size());
    record.outer = narrow(outer);
    record.inner = narrow(inner);
    m_records.push_back(record);
    return size() - 1;
}

ElementStore::Index ElementStore::append(const QString& tagName, const ElementMembers& members,
                                         MarkupSpan outer, MarkupSpan inner)
{
    const Index element = appendElement(tagName, outer, inner);
    for (const auto& [name, value] : members)
        addMember(element, name, value);
    return element;
}

void ElementStore::addMember(Index element, const QString& name, QStringView value)
{
    addMemberWithId(element, nameId(name), value);
}

void ElementStore::addMember(Index element, QUtf8StringView name, QStringView value)
{
    addMemberWithId(element, nameId(name), value);
}

void ElementStore::addMemberWithId(Index element, quint32 id, QStringView value)
{
    Record& record = m_records[size_t(element)];
    const auto begin = m_members.begin() + record.firstMember;
    const auto end = begin + record.memberCount;
    if (std::any_of(begin, end, [id](const Member& each) { return each.name == id; }))
        return;
    // Members of one element stand together: one added to an earlier element moves its
    // members after all the others.
    if (size_t(record.firstMember) + record.memberCount != m_members.size()) {
        const std::vector<Member> moved(begin, end);
        record.firstMember = quint32(m_members.size());
        m_members.insert(m_members.end(), moved.begin(), moved.end());
    }
    m_members.push_back({id, valueId(value)});
    ++record.memberCount;
}

void ElementStore::addLink(Index element)
{
    m_links.push_back(quint32(element));
}

void ElementStore::squeeze()
{
    m_valueIds = {};
    m_utf8NameIds = {};
    m_records.shrink_to_fit();
    m_members.shrink_to_fit();
    m_values.shrink_to_fit();
    m_links.shrink_to_fit();
    m_text.squeeze();
}

std::vector<quint32> ElementStore::elementsNamed(const QString& upperTagName) const
{
    std::vector<quint32> found;
    const auto id = m_nameIds.constFind(upperTagName);
    if (id == m_nameIds.constEnd())
        return found;
    for (size_t i = 0; i < m_records.size(); ++i) {
        if (m_records[i].tag == id.value())
            found.push_back(quint32(i));
    }
    return found;
}

std::optional<QString> ElementStore::member(Index element, QStringView name) const
{
    const Record& record = m_records[size_t(element)];
    for (quint32 i = 0; i < record.memberCount; ++i) {
        const Member& each = m_members[size_t(record.firstMember) + i];
        if (m_names.at(each.name) == name)
            return valueText(each.value).toString();
    }
    return std::nullopt;
}

std::optional<QString> ElementStore::slice(Span span) const
{
    if (!m_markup || span.length < 0 || qsizetype(span.begin) + span.length > m_markup->size())
        return std::nullopt;
    return m_markup->mid(span.begin, span.length);
}

std::optional<QString> ElementStore::outerHTML(Index element) const
{
    if (auto text = member(element, u"outerhtml"))
        return text;
    return slice(m_records[size_t(element)].outer);
}

std::optional<QString> ElementStore::innerHTML(Index element) const
{
    if (auto text = member(element, u"innerhtml"))
        return text;
    return slice(m_records[size_t(element)].inner);
}
