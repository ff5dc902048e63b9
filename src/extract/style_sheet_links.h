#pragma once

#include <QStringList>

class Document;
class Element;

// A LINK names a style sheet when its type is text/css, or when it has no type and its rel
// holds the word stylesheet.
bool namesStyleSheet(const Element& link);

// The absolute addresses of the style sheets that the document links, in LINK order; an
// entry is empty where the address did not resolve. A document without an address links none.
QStringList getStyleSheetLinks(const Document& document);
