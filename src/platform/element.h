#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

// Where an element's markup stands inside its document's source text.
struct MarkupSpan {
    qsizetype begin = 0;
    qsizetype length = -1;
    bool isValid() const { return length >= 0; }
};

// An element's members as (lower-case name, value), in the order the engine gives them.
using ElementMembers = QList<std::pair<QString, QString>>;

// One element of an immutable document snapshot. Members are read as a browser's DOM
// hands them out: src and href absolute, background as written, every other attribute
// raw. A member that the element lacks reads as nothing.
class Element {
public:
    Element() = default;
    // members: lower-case member name -> value ("src", "href", "background", "type",
    // "rel", "filesize", ... and, for engines that hold them as text, "outerhtml" and
    // "innerhtml"). markup/outer/inner let an engine hand out outerHTML and innerHTML as
    // slices of the document source instead of copies.
    Element(QString tagName, const QHash<QString, QString>& members,
            std::shared_ptr<const QString> markup = {}, MarkupSpan outer = {},
            MarkupSpan inner = {});
    // The same from a list that names each member once (attributes as written, for one).
    static Element withMembers(QString tagName, ElementMembers members,
                               std::shared_ptr<const QString> markup = {}, MarkupSpan outer = {},
                               MarkupSpan inner = {});

    QString tagName() const { return m_tagName; } // upper case, e.g. "IMG"
    std::optional<QString> member(const QString& lowerCaseName) const;
    // Every member as (lower-case name, value), in no particular order.
    ElementMembers members() const { return m_members; }
    // Calls visit(name, value) for every member, in no particular order, without copying.
    template <typename Visit>
    void forEachMember(Visit&& visit) const
    {
        for (const auto& [name, value] : m_members)
            visit(name, value);
    }

    std::optional<QString> src() const { return member(QStringLiteral("src")); }
    std::optional<QString> background() const { return member(QStringLiteral("background")); }
    std::optional<QString> type() const { return member(QStringLiteral("type")); }
    std::optional<QString> href() const { return member(QStringLiteral("href")); }
    std::optional<QString> rel() const { return member(QStringLiteral("rel")); }
    std::optional<QString> fileSize() const { return member(QStringLiteral("filesize")); }
    std::optional<QString> outerHTML() const;
    std::optional<QString> innerHTML() const;

private:
    QString m_tagName;
    // A list, not a hash: elements have a few members, and a list is read and walked
    // faster and holds them in far less memory.
    ElementMembers m_members;
    std::shared_ptr<const QString> m_markup;
    MarkupSpan m_outer;
    MarkupSpan m_inner;
};
