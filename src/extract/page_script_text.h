#pragma once

#include "platform/document.h"

#include <QString>

// The text in which a document's script functions are looked up: its SCRIPT elements'
// text in document order, then the values of its event-handler attributes (onclick and the
// like), one per line. Ordinary markup stays out, so a word of the page ("<div id=...>")
// is never taken for a use of a function's parameter.
QString pageScriptText(const Document& document);
