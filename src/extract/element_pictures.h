#pragma once

#include "css/candidate_list.h"
#include "platform/element.h"

#include <QString>

class PageScripts;

// Appends the pictures that one element names beyond the elements read of older pages, as
// a browser or a page's scripts would show them, each resolved against base with an empty
// size and the given title and source, in this order: every srcset candidate of IMG and
// SOURCE; META og:image and twitter:image; LINK icons, image_src and image preloads (href,
// then imagesrcset); VIDEO poster; OBJECT data unless its type is no picture's; SVG image
// href or xlink:href; A and AREA whose href has a picture type; the lazy-loading data-*
// attributes and url(...) in any other data-* value; image-set() strings of a style
// attribute. Style blocks and style sheets are the document walk's.
// scripts resolve "javascript:" references with the page's own functions.
void appendElementPictures(const Element& element, const QString& base, CandidateList& candidates,
                           const QString& title, const QString& source,
                           PageScripts* scripts = nullptr);
