#pragma once

#include <QStringList>
#include <QStringView>

// The addresses of a srcset text, parsed as the HTML standard parses a srcset attribute:
// candidates split at commas that follow whitespace or end an address, descriptors read up
// to a comma outside parentheses, and a candidate whose descriptors are invalid (an unknown
// one, two widths, a width with a density, a height without a width, a zero width) dropped.
// Every address is given as written, in order; which one a browser would pick is not asked.
QStringList parseSrcset(QStringView text);
