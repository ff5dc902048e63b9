#include "formats/picture_svg.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// A length in CSS pixels: a plain number, px or an absolute unit; nothing for percent, em
// and the like, which only a layout can resolve.
std::optional<double> svgLength(QStringView text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([-+]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][-+]?[0-9]+)?)(px|in|cm|mm|pt|pc)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString unit = match.captured(2).toLower();
    const double scale = unit == u"in" ? 96 : unit == u"cm" ? 96 / 2.54 : unit == u"mm" ? 96 / 25.4
                         : unit == u"pt" ? 96.0 / 72 : unit == u"pc" ? 16 : 1;
    const double value = match.capturedView(1).toDouble() * scale;
    if (!std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

// Rounded as a browser rounds a picture's natural size; anything out of range is 0.
qint64 toPixels(double value)
{
    return value > 0 && value < double(kPictureMaxPixels) ? qint64(std::floor(value + 0.5)) : 0;
}

PictureHeader svgSize(const PictureBytes& r, const QXmlStreamAttributes& attributes)
{
    const auto width = svgLength(attributes.value(QLatin1String("width")));
    const auto height = svgLength(attributes.value(QLatin1String("height")));
    if (width && height)
        return r.known(toPixels(*width), toPixels(*height));
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    const QStringList box = attributes.value(QLatin1String("viewBox")).toString().trimmed().split(separators);
    if (box.size() != 4)
        return {};
    bool widthOk = false;
    bool heightOk = false;
    const double boxWidth = box.at(2).toDouble(&widthOk);
    const double boxHeight = box.at(3).toDouble(&heightOk);
    if (!widthOk || !heightOk || !(boxWidth > 0) || !(boxHeight > 0) || !std::isfinite(boxWidth * boxHeight))
        return {};
    // One figure given: the other follows from the viewBox's aspect ratio.
    if (width)
        return r.known(toPixels(*width), toPixels(*width * boxHeight / boxWidth));
    if (height)
        return r.known(toPixels(*height * boxWidth / boxHeight), toPixels(*height));
    return r.known(toPixels(boxWidth), toPixels(boxHeight));
}

} // namespace

PictureHeader readSvgHeader(const PictureBytes& r)
{
    const qint64 readable = std::min(r.size(), kPictureHeaderMaxBytes);
    QXmlStreamReader xml(r.bytes().first(readable).toByteArray());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        return xml.name() == u"svg" ? svgSize(r, xml.attributes()) : PictureHeader{};
    }
    return xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && readable == r.size() ? r.wants(0)
                                                                                                : PictureHeader{};
}
