#include "text/download_file_name.h"

#include "text/picture_types.h"
#include "text/safe_file_name.h"
#include "text/scheme_separator.h"

#include <QByteArray>
#include <QStringDecoder>

#include <algorithm>

namespace {

// The text with its percent-encoding decoded, or as it is when the bytes are not UTF-8.
QString decoded(QStringView text)
{
    if (!text.contains(u'%'))
        return text.toString();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString result = utf8(QByteArray::fromPercentEncoding(text.toUtf8()));
    return utf8.hasError() ? text.toString() : result;
}

// The extension a file of this Content-Type is given, with its dot; empty for a type that is
// no picture.
QString extensionOfMediaType(const QString& contentType)
{
    QString type = pictureTypeOfMediaType(contentType);
    if (type == QLatin1String("jpeg"))
        type = QStringLiteral("jpg");
    else if (type == QLatin1String("tiff"))
        type = QStringLiteral("tif");
    return isPictureMediaType(contentType) && isPictureType(type) ? QLatin1Char('.') + type : QString();
}

} // namespace

QString downloadFileName(const QString& address, const QString& contentType)
{
    QStringView rest = address;
    if (const qsizetype hash = rest.indexOf(u'#'); hash >= 0)
        rest = rest.first(hash);
    QStringView query;
    if (const qsizetype question = rest.indexOf(u'?'); question >= 0) {
        query = rest.sliced(question + 1);
        rest = rest.first(question);
    }
    // The host is no part of the path: "http://example.com" has no file name.
    if (const qsizetype separator = indexOfSchemeSeparator(rest); separator >= 0) {
        const qsizetype path = rest.indexOf(u'/', separator + 3);
        rest = path >= 0 ? rest.sliced(path) : QStringView();
    }
    // Separators are looked for before decoding, so that "%2F" stays inside the name.
    const qsizetype slash = std::max(rest.lastIndexOf(u'/'), rest.lastIndexOf(u'\\'));
    QString stem = decoded(rest.sliced(slash + 1));

    QString extension;
    const qsizetype dot = stem.lastIndexOf(u'.');
    if (dot >= 0 && isPictureType(stem.sliced(dot + 1))) {
        extension = stem.sliced(dot);
        stem.truncate(dot);
    }
    if (!query.isEmpty())
        stem += (stem.isEmpty() ? QString() : QStringLiteral("_")) + decoded(query);
    if (extension.isEmpty()) {
        extension = extensionOfMediaType(contentType);
        if (stem.endsWith(extension, Qt::CaseInsensitive)) // "view?f=a.jpg"
            extension.clear();
    }
    return safeFileName(stem + extension);
}
