#pragma once

#include <QByteArray>

// The HTML parser spends time in proportion to the depth of open elements on every start
// tag, so a page of many thousands of unclosed elements would hold the program for
// minutes. This blanks out the "<" of every start tag that would open an element deeper
// than maxDepth, so that the tag reads as text; no byte moves, so source positions stay
// valid. Pages that nest less deeply are left as they are.
void limitNesting(QByteArray& html, int maxDepth = 512);
