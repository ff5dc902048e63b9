#include "css/css_image_set.h"

#include "css/css_text.h"

QStringList imageSetStrings(const QString& text)
{
    QStringList addresses;
    const QStringView view = text;
    const QStringView function = u"image-set(";
    qsizetype at = 0;
    int depth = 0; // parentheses open inside the current image-set(), 0 outside one
    while (at < view.size()) {
        const QChar c = view[at];
        if (c == u'/' && view.sliced(at).startsWith(u"/*")) {
            at = skipCssComment(view, at);
        } else if (depth > 0 && (c == u'"' || c == u'\'')) {
            QStringView content;
            at = readCssString(view, at, content);
            if (depth == 1 && !content.trimmed().isEmpty())
                addresses.append(content.trimmed().toString());
        } else if (depth == 0 && (c == u'i' || c == u'I')
                   && view.sliced(at).startsWith(function, Qt::CaseInsensitive)) {
            depth = 1;
            at += function.size();
        } else {
            if (depth > 0 && c == u'(')
                ++depth;
            else if (depth > 0 && c == u')')
                --depth;
            ++at;
        }
    }
    return addresses;
}
