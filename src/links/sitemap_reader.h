#pragma once

#include <QByteArrayView>
#include <QStringList>

// The addresses a sitemap lists (sitemaps.org): the pages of a urlset, or the sitemaps of a
// sitemapindex. Bytes must be unpacked already.
struct SitemapContents {
    enum class Kind { UrlSet, Index, NotSitemap };
    // The protocol's limits for one file.
    static constexpr qsizetype kMaxAddresses = 50'000;
    static constexpr qsizetype kMaxBytes = 50 * 1000 * 1000;

    Kind kind = Kind::NotSitemap;
    QStringList addresses; // each <loc>, trimmed, in file order, at most kMaxAddresses
    bool cut = false;      // addresses past the limit, bytes past the limit, or broken XML, were left
};

SitemapContents readSitemap(QByteArrayView xml);
