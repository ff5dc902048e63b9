#pragma once

#include "platform/element_store.h"

#include <QStringView>

class BaseAddress;

// What the light pass may add to one page, past the snapshot's own elements.
namespace LightPassBounds {
// Pictures and links past the element cap: a page of a million links keeps them all.
inline constexpr qsizetype kMaxElements = 1'000'000;
// Attributes of those elements together; each tag keeps at most ParseBounds::kMaxAttributes.
inline constexpr qsizetype kMaxAttributes = 2'000'000;
} // namespace LightPassBounds

// Reads the markup from `from` on, past what the snapshot keeps, for pictures and links only:
// each IMG, A and AREA start tag becomes an element of the store, with its attributes as the
// snapshot gives them (lower-case names, entities decoded, src and href absolute against
// base) and its start tag as outerHTML; an A or AREA with an href is a link. Comments, raw
// text (scripts, style blocks and the like) and what follows PLAINTEXT are passed over as
// the HTML tokenizer passes them. Gives the number of elements added.
qsizetype readPastTheCap(QStringView markup, qsizetype from, const BaseAddress& base, ElementStore& store,
                         qsizetype maxElements = LightPassBounds::kMaxElements,
                         qsizetype maxAttributes = LightPassBounds::kMaxAttributes);
