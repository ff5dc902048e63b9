#include "extract/lazy_attributes.h"

namespace {

constexpr LazyAttribute kLazyAttributes[] = {
    {u"data-src", LazyForm::Address},
    {u"data-srcset", LazyForm::Srcset},
    {u"data-original", LazyForm::Address},
    {u"data-lazy", LazyForm::Address},
    {u"data-lazy-src", LazyForm::Address},
    {u"data-bg", LazyForm::Address},
    {u"data-background", LazyForm::Address},
    {u"data-background-image", LazyForm::Address},
};

} // namespace

std::span<const LazyAttribute> lazyAttributes()
{
    return kLazyAttributes;
}

std::optional<qsizetype> lazyAttributeIndex(QStringView lowerCaseName)
{
    for (qsizetype i = 0; i < qsizetype(std::size(kLazyAttributes)); ++i) {
        if (kLazyAttributes[i].name == lowerCaseName)
            return i;
    }
    return std::nullopt;
}
