#pragma once

#include <QStringView>

// Where "://" stands in an address, found by its colon: Qt finds a single character many at a
// time, while its substring search sets up for every call, and these run for every address
// a page names. -1 when there is none.
inline qsizetype indexOfSchemeSeparator(QStringView text, qsizetype from = 0)
{
    for (qsizetype colon = text.indexOf(u':', from); colon >= 0; colon = text.indexOf(u':', colon + 1)) {
        if (text.sliced(colon + 1).startsWith(u"//"))
            return colon;
    }
    return -1;
}

inline qsizetype lastIndexOfSchemeSeparator(QStringView text)
{
    for (qsizetype colon = text.lastIndexOf(u':'); colon >= 0; colon = colon > 0 ? text.lastIndexOf(u':', colon - 1) : -1) {
        if (text.sliced(colon + 1).startsWith(u"//"))
            return colon;
    }
    return -1;
}
