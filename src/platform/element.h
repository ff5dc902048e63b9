#pragma once

#include "platform/element_store.h"

#include <QString>

#include <memory>
#include <optional>

// One element of an immutable document snapshot: a handle on its document's element store,
// which it keeps alive, so an element stays readable after its document is gone. Members
// are read as a browser's DOM hands them out: src and href absolute, background as written,
// every other attribute raw. A member that the element lacks reads as nothing.
class Element {
public:
    Element() = default;
    Element(std::shared_ptr<const ElementStore> store, ElementStore::Index index)
        : m_store(std::move(store)), m_index(index)
    {
    }
    // An element of its own. members: lower-case member name -> value ("src", "href",
    // "background", "type", "rel", "filesize", ... and, for engines that hold them as text,
    // "outerhtml" and "innerhtml"), each name taken once. markup/outer/inner let an engine
    // hand out outerHTML and innerHTML as slices of the document source instead of copies.
    Element(const QString& tagName, const ElementMembers& members,
            std::shared_ptr<const QString> markup = {}, MarkupSpan outer = {}, MarkupSpan inner = {});

    QString tagName() const { return m_store ? m_store->tagName(m_index) : QString(); } // e.g. "IMG"
    std::optional<QString> member(const QString& lowerCaseName) const
    {
        return m_store ? m_store->member(m_index, lowerCaseName) : std::nullopt;
    }
    // Calls visit(name, value) for every member, name a QString and value a QStringView
    // valid during the call, in no particular order, without copying.
    template <typename Visit>
    void forEachMember(Visit&& visit) const
    {
        if (m_store)
            m_store->forEachMember(m_index, std::forward<Visit>(visit));
    }

    std::optional<QString> src() const { return member(QStringLiteral("src")); }
    std::optional<QString> background() const { return member(QStringLiteral("background")); }
    std::optional<QString> type() const { return member(QStringLiteral("type")); }
    std::optional<QString> href() const { return member(QStringLiteral("href")); }
    std::optional<QString> rel() const { return member(QStringLiteral("rel")); }
    std::optional<QString> fileSize() const { return member(QStringLiteral("filesize")); }
    std::optional<QString> outerHTML() const { return m_store ? m_store->outerHTML(m_index) : std::nullopt; }
    std::optional<QString> innerHTML() const { return m_store ? m_store->innerHTML(m_index) : std::nullopt; }

private:
    std::shared_ptr<const ElementStore> m_store;
    ElementStore::Index m_index = 0;
};
