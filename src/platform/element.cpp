#include "platform/element.h"

namespace {

std::shared_ptr<const ElementStore> storeOfOne(const QString& tagName, const ElementMembers& members,
                                               std::shared_ptr<const QString> markup, MarkupSpan outer,
                                               MarkupSpan inner)
{
    auto store = std::make_shared<ElementStore>();
    store->setMarkup(std::move(markup));
    store->append(tagName, members, outer, inner);
    store->squeeze();
    return store;
}

} // namespace

Element::Element(const QString& tagName, const ElementMembers& members, std::shared_ptr<const QString> markup,
                 MarkupSpan outer, MarkupSpan inner)
    : m_store(storeOfOne(tagName, members, std::move(markup), outer, inner))
{
}
