#include "extract/link_harvest.h"
#include "links/site_scope.h"
#include "lists/page_table.h"

#include <QTest>

namespace {

DocumentPtr linkPage(const QString& url, const QStringList& hrefs, QList<DocumentPtr> frames = {},
                     bool isHtml = true)
{
    DocumentData data;
    data.url = url;
    data.isHtml = isHtml;
    for (const QString& href : hrefs)
        data.elements.addLink(data.elements.append(QStringLiteral("A"), {{QStringLiteral("href"), href}}));
    data.frames = std::move(frames);
    return std::make_shared<const Document>(std::move(data));
}

QStringList addresses(const PageTable& pages)
{
    QStringList all;
    for (int position = 1; position <= pages.size(); ++position)
        all.append(pages.row(position).address);
    return all;
}

} // namespace

class TestLinkHarvest : public QObject {
    Q_OBJECT

private slots:
    void framesDepthFirstWithoutRefusedOnesThenTheRest()
    {
        const DocumentPtr inner = linkPage(QStringLiteral("inner"), {});
        const DocumentPtr first = linkPage(QStringLiteral("first"), {}, {inner});
        const DocumentPtr second = linkPage(QStringLiteral("second"), {});
        const DocumentPtr top = linkPage(QStringLiteral("top"), {}, {first, nullptr, second})
                                    ->withRestOfPage(linkPage(QStringLiteral("rest"), {}));
        QStringList order;
        for (const DocumentPtr& document : collectDocuments(top))
            order.append(document->URL());
        QCOMPARE(order, (QStringList{"top", "first", "inner", "second", "rest"}));
        QVERIFY(collectDocuments(nullptr).isEmpty());
    }

    void linkWithoutHrefGivesItsInnerHtml()
    {
        DocumentData data;
        const ElementMembers inner{{QStringLiteral("href"), QString()}, {QStringLiteral("innerhtml"), QStringLiteral("http://h.com/inner.htm")}};
        data.elements.addLink(data.elements.append(QStringLiteral("A"), inner));
        data.elements.addLink(data.elements.append(QStringLiteral("AREA"), {{QStringLiteral("href"), QStringLiteral("http://h.com/area.htm")}}));
        data.elements.addLink(data.elements.append(QStringLiteral("A"), {}));
        QStringList links{QStringLiteral("kept")};
        collectLinks(Document(data), links);
        QCOMPARE(links, (QStringList{"kept", "http://h.com/inner.htm", "http://h.com/area.htm"}));
    }

    void addsInSiteWebPagesOnce_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("added"); // empty: no row
        QTest::newRow("page") << "http://a.h.com/x.htm" << "http://a.h.com/x.htm";
        QTest::newRow("trailing #") << "http://a.h.com/x.htm#" << "http://a.h.com/x.htm";
        QTest::newRow("https") << "https://a.h.com/s.htm" << "https://a.h.com/s.htm";
        QTest::newRow("archive") << "http://a.h.com/f.zip" << "";
        QTest::newRow("other site") << "http://b.com/x.htm" << "";
        QTest::newRow("script") << "javascript:open1(3)" << "";
        QTest::newRow("known in other case") << "HTTP://WWW.H.COM/" << "";
        QTest::newRow("known with a fragment") << "http://www.h.com/#top" << "";
        QTest::newRow("picture") << "http://a.h.com/big.png" << "";
        QTest::newRow("path trap") << "http://a.h.com/a/a/a/a/" << "";
    }
    void addsInSiteWebPagesOnce()
    {
        QFETCH(QString, link);
        QFETCH(QString, added);
        PageTable pages;
        SiteList sites;
        sites.addStartSite(QStringLiteral("http://www.h.com/"));
        pages.addRow(QStringLiteral("[添加]"), QStringLiteral("http://www.h.com/"));
        harvestPageLinks(linkPage(QStringLiteral("http://www.h.com/"), {link}), pages, sites);
        QStringList expected{"http://www.h.com/"};
        if (!added.isEmpty())
            expected.append(added);
        QCOMPARE(addresses(pages), expected);
        QCOMPARE(pages.row(pages.size()).status, PageStatus::Waiting);
        QCOMPARE(pages.row(pages.size()).title, added.isEmpty() ? QStringLiteral("[添加]") : QStringLiteral("1"));
    }

    void rowsAreOneStepDeeperThanTheirPage_data()
    {
        QTest::addColumn<int>("pageDepth");
        QTest::addColumn<int>("maxDepth"); // -1: none
        QTest::addColumn<int>("maxPages"); // -1: none
        QTest::addColumn<QList<int>>("depths"); // of the rows after the start row
        QTest::newRow("start page") << 0 << -1 << -1 << QList<int>{1, 1};
        QTest::newRow("deeper page") << 4 << -1 << -1 << QList<int>{5, 5};
        QTest::newRow("depth limit reached") << 4 << 4 << -1 << QList<int>{};
        QTest::newRow("page limit") << 0 << -1 << 2 << QList<int>{1};
    }
    void rowsAreOneStepDeeperThanTheirPage()
    {
        QFETCH(int, pageDepth);
        QFETCH(int, maxDepth);
        QFETCH(int, maxPages);
        QFETCH(QList<int>, depths);
        SiteList sites;
        sites.addStartSite(QStringLiteral("http://h.com/"));
        PageTable pages;
        pages.addRow(QStringLiteral("[添加]"), QStringLiteral("http://h.com/"));
        CrawlLimits limits;
        if (maxDepth >= 0)
            limits.maxDepth = maxDepth;
        if (maxPages >= 0)
            limits.maxPages = maxPages;
        harvestPageLinks(linkPage(QStringLiteral("http://h.com/"), {QStringLiteral("http://h.com/a.htm"), QStringLiteral("http://h.com/b.htm")}),
                         pages, sites, pageDepth, limits);
        QList<int> found;
        for (int position = 2; position <= pages.size(); ++position)
            found.append(pages.row(position).depth);
        QCOMPARE(found, depths);
        QCOMPARE(pages.row(1).depth, 0);
    }

    void harvestsFramesButNotOtherDocuments()
    {
        SiteList sites;
        sites.addStartSite(QStringLiteral("http://h.com/"));
        const DocumentPtr frame = linkPage(QStringLiteral("http://h.com/f.htm"), {QStringLiteral("http://h.com/from-frame.htm")});
        PageTable pages;
        harvestPageLinks(linkPage(QStringLiteral("http://h.com/"), {QStringLiteral("http://h.com/top.htm")}, {frame}), pages, sites);
        QCOMPARE(addresses(pages), (QStringList{"http://h.com/top.htm", "http://h.com/from-frame.htm"}));

        PageTable none;
        harvestPageLinks(linkPage(QStringLiteral("http://h.com/a.txt"), {QStringLiteral("http://h.com/x.htm")}, {}, false), none, sites);
        harvestPageLinks(nullptr, none, sites);
        QCOMPARE(none.size(), 0);
    }

    // A query page is counted once however often it is linked, and only when it is added.
    void queryPagesCountAddedRows()
    {
        SiteList sites;
        sites.addStartSite(QStringLiteral("http://h.com/"));
        PageTable pages;
        QueryPages queryPages;
        const QString page = QStringLiteral("http://h.com/p?n=1");
        加入选择显示列表({page, page + QStringLiteral("#x"), QStringLiteral("http://h.com/p?n=2")}, pages, sites, 3, {}, &queryPages);
        加入选择显示列表({page}, pages, sites, 7, {}, &queryPages);
        QCOMPARE(queryPages.path(page).value_or(QueryPages::Path{}).pages, 2);
        QCOMPARE(queryPages.path(page).value_or(QueryPages::Path{}).firstDepth, 3);
    }
};

QTEST_GUILESS_MAIN(TestLinkHarvest)
#include "test_link_harvest.moc"
