#pragma once

#include <QStringView>

#include <optional>
#include <span>

// How a lazy-loading attribute names its picture.
enum class LazyForm {
    Address, // one address, or url(...) references
    Srcset,  // a srcset text
};

struct LazyAttribute {
    QStringView name; // lower case
    LazyForm form;
};

// The data-* attributes that lazy-loading scripts read a picture's address from (data-src,
// data-srcset, data-original, ...), in the order an element's pictures are read. This is
// the one list of them.
std::span<const LazyAttribute> lazyAttributes();

// The place of a lower-case attribute name in that list, or nothing.
std::optional<qsizetype> lazyAttributeIndex(QStringView lowerCaseName);
