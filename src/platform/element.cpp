#include "platform/element.h"

Element::Element(QString tagName, QHash<QString, QString> members,
                 std::shared_ptr<const QString> markup, MarkupSpan outer, MarkupSpan inner)
    : m_tagName(std::move(tagName)), m_members(std::move(members)), m_markup(std::move(markup)),
      m_outer(outer), m_inner(inner)
{
}

std::optional<QString> Element::member(const QString& lowerCaseName) const
{
    const auto it = m_members.constFind(lowerCaseName);
    if (it == m_members.constEnd())
        return std::nullopt;
    return *it;
}

QList<std::pair<QString, QString>> Element::members() const
{
    QList<std::pair<QString, QString>> all;
    all.reserve(m_members.size());
    for (auto it = m_members.constBegin(); it != m_members.constEnd(); ++it)
        all.append({it.key(), it.value()});
    return all;
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
