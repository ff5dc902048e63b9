#include "links/sitemap_reader.h"

#include <QXmlStreamReader>

namespace {

// An internal entity may stand for at most this many characters in all, so a file of
// nested entities cannot grow in memory.
constexpr int kEntityExpansionLimit = 1024;

} // namespace

SitemapContents readSitemap(QByteArrayView xml)
{
    SitemapContents contents;
    if (xml.size() > SitemapContents::kMaxBytes) {
        xml = xml.first(SitemapContents::kMaxBytes);
        contents.cut = true;
    }
    QXmlStreamReader reader(xml.toByteArray());
    reader.setEntityExpansionLimit(kEntityExpansionLimit);
    // The element that holds a <loc>: url in a urlset, sitemap in an index.
    QStringView entry;
    int depth = 0;
    bool inEntry = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (--depth == 1)
                inEntry = false;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        const QStringView name = reader.name();
        if (depth == 1) {
            if (name == u"urlset") {
                contents.kind = SitemapContents::Kind::UrlSet;
                entry = u"url";
            } else if (name == u"sitemapindex") {
                contents.kind = SitemapContents::Kind::Index;
                entry = u"sitemap";
            } else {
                return contents;
            }
        } else if (depth == 2) {
            inEntry = name == entry;
        } else if (depth == 3 && inEntry && name == u"loc") {
            const QString address = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            --depth; // readElementText has read the end of <loc>
            if (reader.hasError())
                break; // a text the file never closed is no address
            if (address.isEmpty())
                continue;
            if (contents.addresses.size() == SitemapContents::kMaxAddresses) {
                contents.cut = true;
                return contents;
            }
            contents.addresses.append(address);
        }
    }
    if (reader.hasError())
        contents.cut = true;
    return contents;
}
