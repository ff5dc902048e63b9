#pragma once

#include "base/hashed_index.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>
#include <QUtf8StringView>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Where an element's markup stands inside its document's source text.
struct MarkupSpan {
    qsizetype begin = 0;
    qsizetype length = -1;
    bool isValid() const { return length >= 0; }
};

// An element's members as (lower-case name, value), in the order the engine gives them.
using ElementMembers = QList<std::pair<QString, QString>>;

// The elements of one document, held compactly, for pages of hundreds of thousands of
// elements: each element a small record in one array, its members a range of one flat
// member array, tag and member names in one table of names, each distinct value once in
// one text, outerHTML and innerHTML as spans of the document's markup. Elements are kept
// in document order; the links are a list of their indices.
class ElementStore {
public:
    using Index = qsizetype;

    // The text that outerHTML and innerHTML spans are read from.
    void setMarkup(std::shared_ptr<const QString> markup) { m_markup = std::move(markup); }
    const std::shared_ptr<const QString>& markup() const { return m_markup; }

    // Adds an element after the others; its members follow with addMember.
    Index appendElement(const QString& tagName, MarkupSpan outer = {}, MarkupSpan inner = {});
    // The same with its members, each name taken once.
    Index append(const QString& tagName, const ElementMembers& members, MarkupSpan outer = {},
                 MarkupSpan inner = {});
    // Adds a member to an element; a name the element has already keeps its first value.
    void addMember(Index element, const QString& name, QStringView value);
    // The same for a name given in UTF-8, as parsers hand them out.
    void addMember(Index element, QUtf8StringView name, QStringView value);
    // The element is one of the document's links; links are listed in the order of the calls.
    void addLink(Index element);
    // Frees what only adding elements needs, and spare capacity.
    void squeeze();

    qsizetype size() const { return qsizetype(m_records.size()); }
    const std::vector<quint32>& links() const { return m_links; }
    // Index must be below size().
    QString tagName(Index element) const { return m_names.at(m_records[size_t(element)].tag); }
    // The elements whose upper-case tag name this is, in document order.
    std::vector<quint32> elementsNamed(const QString& upperTagName) const;
    std::optional<QString> member(Index element, QStringView name) const;
    // Calls visit(name, value) for every member of the element, in the order they were added.
    template <typename Visit>
    void forEachMember(Index element, Visit&& visit) const
    {
        const Record& record = m_records[size_t(element)];
        for (quint32 i = 0; i < record.memberCount; ++i) {
            const Member& each = m_members[size_t(record.firstMember) + i];
            visit(m_names.at(each.name), valueText(each.value));
        }
    }
    std::optional<QString> outerHTML(Index element) const;
    std::optional<QString> innerHTML(Index element) const;

private:
    // Spans as 32-bit positions: a markup text longer than that leaves them unread.
    struct Span {
        qint32 begin = 0;
        qint32 length = -1;
    };
    struct Record {
        quint32 tag = 0; // into m_names
        quint32 firstMember = 0;
        quint32 memberCount = 0;
        Span outer;
        Span inner;
    };
    struct Member {
        quint32 name = 0;  // into m_names
        quint32 value = 0; // into m_values
    };
    struct Value {
        qsizetype offset = 0; // into m_text
        qsizetype length = 0;
    };

    static Span narrow(MarkupSpan span);
    quint32 nameId(const QString& name);
    quint32 nameId(QUtf8StringView name);
    void addMemberWithId(Index element, quint32 name, QStringView value);
    quint32 valueId(QStringView value);
    QStringView valueText(quint32 value) const;
    std::optional<QString> slice(Span span) const;

    std::shared_ptr<const QString> m_markup;
    std::vector<Record> m_records;
    std::vector<Member> m_members;
    std::vector<Value> m_values;
    std::vector<quint32> m_links;
    QString m_text; // every distinct value, one after the other
    QStringList m_names;
    QHash<QString, quint32> m_nameIds;
    QHash<QByteArray, quint32> m_utf8NameIds;
    HashedIndex m_valueIds; // values by their text, without a node per value
};
