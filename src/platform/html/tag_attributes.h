#pragma once

#include "platform/html/thinned_markup.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <gumbo.h>

#include <optional>

// An element's attributes as the page holds them: the parser's, with the values it was given
// cut short read from the page, or the page's own where it was given the start tag bare.
class TagAttributes {
public:
    TagAttributes(const GumboElement& element, const ThinnedMarkup& parsed, const QByteArray& input)
        : m_element(element), m_parsed(parsed)
    {
        const char* tag = element.original_tag.data;
        if (tag && tag >= input.constData() && tag < input.constData() + input.size())
            m_bare = parsed.bareTagAttributes(tag - input.constData());
    }

    std::optional<QByteArrayView> find(QByteArrayView name) const
    {
        if (m_bare) {
            for (size_t i = 0; i < m_bare->size(); ++i) {
                if (const ThinnedMarkup::PageAttribute attribute = (*m_bare)[i]; attribute.name == name)
                    return attribute.value;
            }
            return std::nullopt;
        }
        for (unsigned i = 0; i < m_element.attributes.length; ++i) {
            const auto* attribute = static_cast<const GumboAttribute*>(m_element.attributes.data[i]);
            if (QByteArrayView(attribute->name) == name)
                return valueOf(*attribute);
        }
        return std::nullopt;
    }

    // visit(name, value, xlink) for each attribute, in the page's order.
    template <typename Visit>
    void forEach(Visit&& visit) const
    {
        if (m_bare) {
            for (size_t i = 0; i < m_bare->size(); ++i) {
                const ThinnedMarkup::PageAttribute attribute = (*m_bare)[i];
                visit(attribute.name, attribute.value, false);
            }
            return;
        }
        for (unsigned i = 0; i < m_element.attributes.length; ++i) {
            const auto* attribute = static_cast<const GumboAttribute*>(m_element.attributes.data[i]);
            visit(QByteArrayView(attribute->name), valueOf(*attribute), attribute->attr_namespace == GUMBO_ATTR_NAMESPACE_XLINK);
        }
    }

    std::optional<QString> text(QByteArrayView name) const
    {
        const std::optional<QByteArrayView> value = find(name);
        return value ? std::optional(QString::fromUtf8(*value)) : std::nullopt;
    }

private:
    QByteArrayView valueOf(const GumboAttribute& attribute) const
    {
        const QByteArrayView quoted(attribute.original_value.data, qsizetype(attribute.original_value.length));
        return m_parsed.cutValue(quoted).value_or(QByteArrayView(attribute.value));
    }

    const GumboElement& m_element;
    const ThinnedMarkup& m_parsed;
    std::optional<ThinnedMarkup::BareAttributes> m_bare;
};
