#include "text/file_names.h"

#include "text/scheme_separator.h"
#include "text/trim_spaces.h"

#include <QStringView>

namespace {

// Where a file name ends: a fragment, control characters that end a line or a field, a port
// or drive colon, characters no file name holds, and the start of a query.
bool endsFileName(QChar c)
{
    switch (c.unicode()) {
    case u'#': case 8: case 9: case 10: case 13: case u':': case u'*': case u'<': case u'>':
    case u'|': case u'"': case u'\'': case u'=': case u'?':
        return true;
    default:
        return false;
    }
}

} // namespace

QString getFileType(const QString& address)
{
    QStringView s = address;
    if (const qsizetype first = indexOfSchemeSeparator(s); first >= 0) {
        const qsizetype afterFirst = first + 3;
        const qsizetype second = indexOfSchemeSeparator(s, afterFirst);
        // An address carried in the query is not the one whose type is asked for.
        s = second > afterFirst ? s.sliced(afterFirst, second - afterFirst) : s.sliced(afterFirst);
    }
    qsizetype nameStart = 0;
    for (qsizetype i = s.size() - 1; i >= 0; --i) {
        if (s[i] == u'/' || s[i] == u'\\') {
            nameStart = i + 1;
            break;
        }
    }
    s = s.sliced(nameStart);
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (endsFileName(s[i])) {
            s = s.first(i);
            break;
        }
    }
    const qsizetype dot = s.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    const QString type = trimSpaces(s.sliced(dot + 1));
    return type.size() > 6 ? QString() : type;
}

QString getFileName(const QString& path, bool dropExtension)
{
    QString name = path;
    name.replace(u'/', u'\\');
    if (const qsizetype separator = name.lastIndexOf(u'\\'); separator >= 0)
        name = trimSpaces(QStringView(name).sliced(separator + 1));
    if (!dropExtension)
        return name;
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 ? trimSpaces(QStringView(name).first(dot)) : name;
}
