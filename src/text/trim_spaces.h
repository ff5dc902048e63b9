#pragma once

#include <QString>
#include <QStringView>

// Addresses are trimmed of spaces (code 32) only: a tab or line feed at either end is part
// of the text, unlike QString::trimmed.
inline QString trimSpaces(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.sliced(first, last - first).toString();
}
