#include "css/sheet_scan.h"

#include "css/css_image_set.h"
#include "css/css_imports.h"
#include "css/css_urls.h"

#include <QStringDecoder>

SheetScan scanSheet(const QString& text)
{
    return SheetScan{cssUrlReferences(text), imageSetStrings(text), importReferences(text)};
}

QString decodeCachedText(const QByteArray& bytes)
{
    const auto encoding = QStringConverter::encodingForData(bytes).value_or(QStringConverter::Utf8);
    QStringDecoder decode(encoding); // skips the byte-order mark
    return QString(decode(bytes));
}
