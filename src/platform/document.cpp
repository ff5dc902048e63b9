#include "platform/document.h"

namespace {

std::shared_ptr<const ElementStore> sealed(ElementStore& elements, std::shared_ptr<const QString> markup)
{
    elements.setMarkup(std::move(markup));
    elements.squeeze();
    return std::make_shared<const ElementStore>(std::move(elements));
}

} // namespace

Document::Document(DocumentData data) : d(std::move(data)), m_elements(sealed(d.elements, d.markup))
{
}

DocumentPtr Document::withRestOfPage(DocumentPtr rest) const
{
    auto whole = std::make_shared<Document>(*this);
    whole->d.restOfPage = std::move(rest);
    return whole;
}

QList<Element> Document::handles(const std::vector<quint32>& indices) const
{
    QList<Element> elements;
    elements.reserve(qsizetype(indices.size()));
    for (const quint32 index : indices)
        elements.append(Element(m_elements, index));
    return elements;
}

QList<Element> Document::getElementsByTagName(const QString& tag) const
{
    return handles(m_elements->elementsNamed(tag.toUpper()));
}

QList<Element> Document::allElements() const
{
    QList<Element> elements;
    elements.reserve(m_elements->size());
    for (qsizetype i = 0; i < m_elements->size(); ++i)
        elements.append(Element(m_elements, i));
    return elements;
}

QList<Element> Document::links() const
{
    return handles(m_elements->links());
}
