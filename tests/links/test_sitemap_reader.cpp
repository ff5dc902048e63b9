#include "links/sitemap_reader.h"
#include "platform/http/gunzip.h"

#include <QTest>

#include <zlib.h>

namespace {

QByteArray urlset(int count)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">";
    for (int i = 0; i < count; ++i)
        xml += "<url><loc> http://a/p" + QByteArray::number(i) + ".htm </loc><lastmod>2026-01-01</lastmod></url>";
    return xml + "</urlset>";
}

QByteArray gzipped(const QByteArray& bytes)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray packed(int(deflateBound(&stream, uLong(bytes.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = uInt(packed.size());
    deflate(&stream, Z_FINISH);
    packed.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return packed;
}

} // namespace

class TestSitemapReader : public QObject {
    Q_OBJECT

private slots:
    void reads_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<bool>("cut");

        QTest::newRow("urlset, locs trimmed") << urlset(2) << int(SitemapContents::Kind::UrlSet)
                                              << QStringList{"http://a/p0.htm", "http://a/p1.htm"} << false;
        QTest::newRow("index") << QByteArray("<sitemapindex><sitemap><loc>http://a/s1.xml</loc></sitemap>"
                                             "<sitemap><loc>http://a/s2.xml.gz</loc></sitemap></sitemapindex>")
                               << int(SitemapContents::Kind::Index) << QStringList{"http://a/s1.xml", "http://a/s2.xml.gz"} << false;
        QTest::newRow("loc of an image extension is not a page")
            << QByteArray("<urlset><url><loc>http://a/x</loc><image:image xmlns:image=\"i\"><image:loc>http://a/i.jpg</image:loc>"
                          "</image:image></url></urlset>")
            << int(SitemapContents::Kind::UrlSet) << QStringList{"http://a/x"} << false;
        QTest::newRow("a page, not a sitemap") << QByteArray("<html><body><loc>http://a/x</loc></body></html>")
                                               << int(SitemapContents::Kind::NotSitemap) << QStringList{} << false;
        QTest::newRow("broken after the first entry")
            << QByteArray("<urlset><url><loc>http://a/1</loc></url><url><loc>http://a/2</url></urlset>")
            << int(SitemapContents::Kind::UrlSet) << QStringList{"http://a/1"} << true;
        QTest::newRow("entity bomb")
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE urlset [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
                          "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                          "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>"
                          "<urlset><url><loc>&e;</loc></url></urlset>")
            << int(SitemapContents::Kind::UrlSet) << QStringList{} << true;
    }
    void reads()
    {
        QFETCH(QByteArray, xml);
        QFETCH(int, kind);
        QFETCH(QStringList, addresses);
        QFETCH(bool, cut);
        const SitemapContents contents = readSitemap(xml);
        QCOMPARE(int(contents.kind), kind);
        QCOMPARE(contents.addresses, addresses);
        QCOMPARE(contents.cut, cut);
    }

    void sixtyThousandAddressesStopAtTheLimit()
    {
        const SitemapContents contents = readSitemap(urlset(60'000));
        QCOMPARE(contents.addresses.size(), SitemapContents::kMaxAddresses);
        QCOMPARE(contents.addresses.last(), QString("http://a/p49999.htm"));
        QVERIFY(contents.cut);
    }

    void gunzip_data()
    {
        QTest::addColumn<QByteArray>("packed");
        QTest::addColumn<qsizetype>("maxBytes");
        QTest::addColumn<bool>("unpacked");
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<bool>("cut");
        const QByteArray sitemap = urlset(100);
        QTest::newRow("whole") << gzipped(sitemap) << qsizetype(1 << 20) << true << sitemap.size() << false;
        QTest::newRow("bomb stops at the bound") << gzipped(QByteArray(8 << 20, '\0')) << qsizetype(1 << 20) << true
                                                 << qsizetype(1 << 20) << true;
        QTest::newRow("truncated gives what it had") << gzipped(sitemap).first(200) << qsizetype(1 << 20) << true
                                                     << qsizetype(-1) << true;
        QTest::newRow("not gzip") << sitemap << qsizetype(1 << 20) << false << qsizetype(0) << false;
    }
    void gunzip()
    {
        QFETCH(QByteArray, packed);
        QFETCH(qsizetype, maxBytes);
        QFETCH(bool, unpacked);
        QFETCH(qsizetype, size);
        QFETCH(bool, cut);
        const std::optional<Gunzipped> result = ::gunzip(packed, maxBytes);
        QCOMPARE(result.has_value(), unpacked);
        if (!result)
            return;
        if (size >= 0)
            QCOMPARE(result->bytes.size(), size);
        QCOMPARE(result->cut, cut);
    }
};

QTEST_GUILESS_MAIN(TestSitemapReader)
#include "test_sitemap_reader.moc"
