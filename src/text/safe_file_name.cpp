#include "text/safe_file_name.h"

#include <QFileInfo>
#include <QStringList>

namespace {

constexpr int maxExtensionBytes = 32;

bool isForbidden(char32_t c)
{
    switch (c) {
    case U'/': case U'\\': case U'<': case U'>': case U':': case U'"': case U'|': case U'*':
    case U'?':
        return true;
    default:
        break;
    }
    // Control and format characters (bidirectional overrides, zero-width marks) would hide
    // what the name really says.
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

int utf8Size(const QString& text)
{
    return int(text.toUtf8().size());
}

void trimEnd(QString& text)
{
    while (!text.isEmpty() && (text.back() == QLatin1Char('.') || text.back().isSpace()))
        text.chop(1);
}

void trimStart(QString& text)
{
    qsizetype from = 0;
    while (from < text.size() && (text.at(from) == QLatin1Char('.') || text.at(from).isSpace()))
        ++from;
    text.remove(0, from);
}

// Windows refuses these as a file's name, whatever extension follows.
bool isReservedName(QString stem)
{
    static const QStringList reserved = [] {
        QStringList names = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                             QStringLiteral("NUL"), QStringLiteral("CONIN$"),
                             QStringLiteral("CONOUT$")};
        const QString digits = QStringLiteral("123456789\u00B9\u00B2\u00B3");
        for (const QChar digit : digits) {
            names << QStringLiteral("COM") + digit << QStringLiteral("LPT") + digit;
        }
        return names;
    }();
    const qsizetype dot = stem.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        stem.truncate(dot);
    while (!stem.isEmpty() && stem.back().isSpace())
        stem.chop(1);
    return reserved.contains(stem, Qt::CaseInsensitive);
}

struct NameParts {
    QString stem;
    QString extension; // with its dot, or empty
};

NameParts splitExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1)
        return {name, {}};
    return {name.left(dot), name.mid(dot)};
}

} // namespace

QString safeFileName(const QString& name)
{
    QString cleaned;
    cleaned.reserve(name.size());
    for (const char32_t c : QStringView(name).toUcs4()) {
        if (isForbidden(c)) {
            cleaned += QLatin1Char('_');
        } else if (c == U'.' && cleaned.endsWith(QLatin1Char('.'))) {
            continue; // no ".." anywhere
        } else {
            cleaned += QString::fromUcs4(&c, 1);
        }
    }
    trimEnd(cleaned);
    while (!cleaned.isEmpty() && cleaned.front().isSpace())
        cleaned.remove(0, 1);

    NameParts parts = splitExtension(cleaned);
    if (cleaned.startsWith(QLatin1Char('.')) && !cleaned.mid(1).contains(QLatin1Char('.')))
        parts = {QString(), cleaned}; // ".jpg" is an extension without a name
    if (utf8Size(parts.extension) > maxExtensionBytes) {
        parts.stem += parts.extension;
        parts.extension.clear();
    }
    trimStart(parts.stem); // no hidden files
    trimEnd(parts.stem);

    const int room = maxFileNameBytes - utf8Size(parts.extension);
    if (utf8Size(parts.stem) > room) {
        QString kept;
        int bytes = 0;
        for (const char32_t c : QStringView(parts.stem).toUcs4()) {
            const QString one = QString::fromUcs4(&c, 1);
            bytes += utf8Size(one);
            if (bytes > room)
                break;
            kept += one;
        }
        parts.stem = kept;
        trimEnd(parts.stem);
    }
    if (parts.stem.isEmpty())
        parts.stem = QString::fromLatin1(fallbackFileName);
    if (isReservedName(parts.stem))
        parts.stem.prepend(QLatin1Char('_'));
    return parts.stem + parts.extension;
}

QString freeFileName(const QDir& folder, const QString& name)
{
    const auto taken = [&folder](const QString& candidate) {
        const QFileInfo info(folder.filePath(candidate));
        return info.exists() || info.isSymLink();
    };
    if (!taken(name))
        return name;
    const NameParts parts = splitExtension(name);
    for (qint64 number = 1;; ++number) {
        const QString candidate =
            QStringLiteral("%1 (%2)%3").arg(parts.stem).arg(number).arg(parts.extension);
        if (!taken(candidate))
            return candidate;
    }
}
