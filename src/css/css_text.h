#pragma once

#include <QStringView>

// Small readers shared by the style-text scanners. Each takes the text and a position and
// gives the position after what it read.

// Past a comment that starts at `at` ("/*" up to "*/", or to the end when none closes it).
qsizetype skipCssComment(QStringView text, qsizetype at);

// Past a quoted string that starts at `at` (its quote), the closing quote included; the end
// of the text when it is not closed. The content, without quotes, goes to content.
qsizetype readCssString(QStringView text, qsizetype at, QStringView& content);
