#include "platform/element.h"

Element::Element(QString tagName, const QHash<QString, QString>& members,
                 std::shared_ptr<const QString> markup, MarkupSpan outer, MarkupSpan inner)
    : m_tagName(std::move(tagName)), m_markup(std::move(markup)), m_outer(outer), m_inner(inner)
{
    m_members.reserve(members.size());
    for (auto it = members.constBegin(); it != members.constEnd(); ++it)
        m_members.append({it.key(), it.value()});
}

Element Element::withMembers(QString tagName, ElementMembers members,
                             std::shared_ptr<const QString> markup, MarkupSpan outer, MarkupSpan inner)
{
    Element element;
    element.m_tagName = std::move(tagName);
    element.m_members = std::move(members);
    element.m_markup = std::move(markup);
    element.m_outer = outer;
    element.m_inner = inner;
    return element;
}

std::optional<QString> Element::member(const QString& lowerCaseName) const
{
    for (const auto& [name, value] : m_members) {
        if (name == lowerCaseName)
            return value;
    }
    return std::nullopt;
}

static std::optional<QString> slice(const std::shared_ptr<const QString>& markup, MarkupSpan span)
{
    if (!markup || !span.isValid() || span.begin < 0 || span.begin + span.length > markup->size())
        return std::nullopt;
    return markup->mid(span.begin, span.length);
}

std::optional<QString> Element::outerHTML() const
{
    if (auto text = member(QStringLiteral("outerhtml")))
        return text;
    return slice(m_markup, m_outer);
}

std::optional<QString> Element::innerHTML() const
{
    if (auto text = member(QStringLiteral("innerhtml")))
        return text;
    return slice(m_markup, m_inner);
}
