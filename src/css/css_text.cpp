#include "css/css_text.h"

qsizetype skipCssComment(QStringView text, qsizetype at)
{
    const qsizetype close = text.indexOf(u"*/", at + 2);
    return close < 0 ? text.size() : close + 2;
}

qsizetype readCssString(QStringView text, qsizetype at, QStringView& content)
{
    const QChar quote = text[at];
    qsizetype end = at + 1;
    while (end < text.size() && text[end] != quote && text[end] != u'\n') {
        if (text[end] == u'\\' && end + 1 < text.size())
            ++end;
        ++end;
    }
    content = text.sliced(at + 1, end - at - 1);
    return end < text.size() ? end + 1 : end;
}
