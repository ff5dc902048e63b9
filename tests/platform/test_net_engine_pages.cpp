// The net engine against the loopback site: what the snapshot of each page holds, and how
// navigations complete and fail.

#include "net_test_support.h"
#include "site/script_routes.h"

#include <QTcpServer>
#include <QTest>

class TestNetEnginePages : public QObject {
    Q_OBJECT

private:
    NetFixture f;
    QString at(const QString& path) const { return f.site.url(path); }

private slots:
    void initTestCase() { QVERIFY(f.site.listen()); }

    void elementMembers_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("expected"); // "@/x" stands for the site's address of /x

        QTest::newRow("embed src absolute") << "/pictures.htm" << "EMBED" << 0 << "src" << "@/img/anim.gif";
        QTest::newRow("embed type") << "/pictures.htm" << "embed" << 0 << "type" << "image/gif";
        QTest::newRow("td background raw") << "/pictures.htm" << "TD" << 0 << "background" << "img/cell.gif";
        QTest::newRow("td without background") << "/pictures.htm" << "TD" << 1 << "background" << "<none>";
        QTest::newRow("td outerHTML") << "/pictures.htm" << "TD" << 0 << "outerhtml"
                                      << "<td background=\"img/cell.gif\">cell</td>";
        QTest::newRow("td innerHTML") << "/pictures.htm" << "TD" << 0 << "innerhtml" << "cell";
        QTest::newRow("input image") << "/pictures.htm" << "INPUT" << 0 << "src" << "@/img/button.gif";
        QTest::newRow("input submit has no src") << "/pictures.htm" << "INPUT" << 1 << "src" << "<none>";
        QTest::newRow("input type raw") << "/pictures.htm" << "INPUT" << 1 << "type" << "submit";
        QTest::newRow("img src") << "/pictures.htm" << "IMG" << 0 << "src" << "@/img/photo.png";
        QTest::newRow("img size") << "/pictures.htm" << "IMG" << 0 << "filesize" << "5000";
        QTest::newRow("img size 2") << "/pictures.htm" << "IMG" << 1 << "filesize" << "2048";
        QTest::newRow("missing picture has no size") << "/pictures.htm" << "IMG" << 2 << "filesize" << "<none>";
        QTest::newRow("img without src") << "/pictures.htm" << "IMG" << 3 << "src" << "<none>";
        QTest::newRow("img outerHTML") << "/pictures.htm" << "IMG" << 1 << "outerhtml"
                                       << "<img src=\"img/logo.gif\" alt=\"logo\">";
        QTest::newRow("link href") << "/pictures.htm" << "LINK" << 0 << "href" << "@/css/site.css";
        QTest::newRow("link rel") << "/pictures.htm" << "LINK" << 1 << "rel" << "stylesheet";
        QTest::newRow("link without type") << "/pictures.htm" << "LINK" << 1 << "type" << "<none>";
        QTest::newRow("base href") << "/sub/base.htm" << "IMG" << 0 << "src" << "@/img/logo.gif";
        QTest::newRow("base href for links") << "/sub/base.htm" << "A" << 0 << "href" << "@/links.htm";
        QTest::newRow("after a redirect") << "/redirect.htm" << "IMG" << 0 << "src" << "@/img/logo.gif";
        QTest::newRow("frame src") << "/frames.htm" << "FRAME" << 1 << "src" << "@/frame_b.htm";
        QTest::newRow("gbk page") << "/gbk.htm" << "IMG" << 0 << "outerhtml"
                                  << "<img src=\"img/logo.gif\" alt=\"标志\">";
        QTest::newRow("big5 page") << "/big5.htm" << "P" << 0 << "innerhtml" << "繁體中文網頁";
        QTest::newRow("shift_jis page") << "/sjis.htm" << "P" << 0 << "innerhtml" << "日本語のページ";
    }
    void elementMembers()
    {
        QFETCH(QString, path);
        QFETCH(QString, tag);
        QFETCH(int, index);
        QFETCH(QString, member);
        QFETCH(QString, expected);
        if (expected.startsWith(QLatin1Char('@')))
            expected = at(expected.mid(1));
        const DocumentPtr document = loadPage(*f.browser, at(path));
        QVERIFY(document);
        const QList<Element> elements = document->getElementsByTagName(tag);
        QVERIFY(index < elements.size());
        QCOMPARE(memberText(elements.at(index), member), expected);
    }

    void documentMembers_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("finalPath");
        QTest::addColumn<QString>("bodyBackground");

        QTest::newRow("home") << "/" << "Quorvane test site" << "/" << "img/bg.gif";
        QTest::newRow("pictures") << "/pictures.htm" << "Pictures" << "/pictures.htm" << "img/bg.gif";
        QTest::newRow("no body background") << "/links.htm" << "Links" << "/links.htm" << "<none>";
        QTest::newRow("gbk by meta gb2312") << "/gbk.htm" << "图片测试：镕" << "/gbk.htm" << "<none>";
        QTest::newRow("big5 by header") << "/big5.htm" << "圖片搜尋測試" << "/big5.htm" << "<none>";
        QTest::newRow("shift_jis by http-equiv") << "/sjis.htm" << "画像検索テスト" << "/sjis.htm" << "<none>";
        QTest::newRow("redirect") << "/redirect.htm" << "Redirect target" << "/redirected/target.htm" << "<none>";
        QTest::newRow("fragment") << "/links.htm#top" << "Links" << "/links.htm#top" << "<none>";
    }
    void documentMembers()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QFETCH(QString, finalPath);
        QFETCH(QString, bodyBackground);
        QSignalSpy navigated(f.browser.get(), &Browser::navigateComplete2);
        QSignalSpy completed(f.browser.get(), &Browser::documentComplete);
        const DocumentPtr document = loadPage(*f.browser, at(path));
        QVERIFY(document);
        QVERIFY(document->isHtml());
        QVERIFY(!f.browser->navigationFailed());
        QCOMPARE(document->title(), title);
        QCOMPARE(document->URL(), at(finalPath));
        QCOMPARE(document->location(), at(finalPath));
        QCOMPARE(document->bodyBackground().value_or(QStringLiteral("<none>")), bodyBackground);
        QCOMPARE(navigated.size(), 1);
        QCOMPARE(navigated.at(0).at(0).toString(), at(finalPath));
        QCOMPARE(completed.at(0).at(0).toString(), at(finalPath));
        QCOMPARE(f.browser->locationURL(), at(finalPath));
    }

    void links()
    {
        const DocumentPtr document = loadPage(*f.browser, at("/links.htm"));
        QVERIFY(document);
        QStringList hrefs;
        for (const Element& link : document->links())
            hrefs.append(link.href().value_or(QStringLiteral("<none>")));
        const QStringList expected{at("/pictures.htm"), at("/frames.htm"), at("/nested.htm"),
                                   at("/links.htm#top"), "javascript:open1(3)",
                                   "mailto:someone@example.invalid", at("/files/archive.zip"),
                                   at("/sub/base.htm"), f.site.otherHostUrl("/away.htm")};
        QCOMPARE(hrefs, expected);
        QCOMPARE(document->links().at(0).innerHTML(), QStringLiteral("relative"));
        QCOMPARE(document->links().at(7).tagName(), QStringLiteral("AREA"));
    }

    void markupIsThePageText()
    {
        const DocumentPtr document = loadPage(*f.browser, at("/gbk.htm"));
        QVERIFY(document);
        const QString markup = document->documentElementOuterHTML();
        QVERIFY(markup.startsWith(QStringLiteral("<html><head><meta charset=\"gb2312\">")));
        QVERIFY(markup.contains(QStringLiteral("<p>中文网页</p>")));
    }

    void notHtml()
    {
        const DocumentPtr document = loadPage(*f.browser, at("/notes"));
        QVERIFY(document);
        QVERIFY(!document->isHtml());
        QVERIFY(!f.browser->navigationFailed());
        QCOMPARE(document->URL(), at("/notes"));
        QVERIFY(document->documentElementOuterHTML().isEmpty());
    }

    void failedNavigations_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("responded");

        QTest::newRow("404") << at("/missing.htm") << true;
        QTest::newRow("500") << at("/error.htm") << true;
        QTest::newRow("redirect loop") << at("/loop.htm") << true;
        QTest::newRow("body over 32 MiB") << at("/huge.htm") << true;
        QTest::newRow("TLS to a plain server") << QStringLiteral("https://127.0.0.1:%1/").arg(f.site.port()) << false;
        QTest::newRow("not a web address") << QStringLiteral("file:///etc/hostname") << false;
        QTest::newRow("nobody listening") << QString() << false;
    }
    void failedNavigations()
    {
        QFETCH(QString, address);
        QFETCH(bool, responded);
        if (address.isEmpty()) {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            address = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
        }
        QSignalSpy navigated(f.browser.get(), &Browser::navigateComplete2);
        QSignalSpy completed(f.browser.get(), &Browser::documentComplete);
        const DocumentPtr document = loadPage(*f.browser, address, 30'000);
        QVERIFY(document);
        QVERIFY(f.browser->navigationFailed());
        QCOMPARE(completed.size(), 1);
        QCOMPARE(navigated.size(), responded ? 1 : 0);
        // A failed page is an empty document: nothing of it is read.
        QVERIFY(document->isHtml());
        QVERIFY(document->title().isEmpty());
        QVERIFY(document->getElementsByTagName(QStringLiteral("IMG")).isEmpty());
        QVERIFY(document->frames().isEmpty());
    }

    void aboutBlank()
    {
        QSignalSpy navigated(f.browser.get(), &Browser::navigateComplete2);
        QSignalSpy completed(f.browser.get(), &Browser::documentComplete);
        f.browser->navigate(QStringLiteral("ABOUT:BLANK"));
        QCOMPARE(f.browser->locationURL(), QStringLiteral("ABOUT:BLANK"));
        QCOMPARE(completed.size(), 0); // never from inside navigate
        QVERIFY(completed.wait(5000));
        QCOMPARE(navigated.size(), 1);
        QVERIFY(!f.browser->navigationFailed());
        const DocumentPtr document = f.browser->document();
        QVERIFY(document);
        QVERIFY(document->isHtml());
        QCOMPARE(document->URL(), QStringLiteral("about:blank"));
        QVERIFY(document->title().isEmpty());
    }

    // A page's pop-ups never open: nothing here runs its scripts or follows its links.
    void popUpsNeverLoad()
    {
        addScriptRoutes(f.site);
        QVERIFY(loadPage(*f.browser, at(QStringLiteral("/js/dialogs.htm"))));
        QCOMPARE(f.site.hits(QStringLiteral("/js/popup.htm")), 0);
    }

    void eventOrder()
    {
        // A cache of its own, so the page's pictures are all fetched here.
        NetFixture fresh;
        QVERIFY(fresh.site.listen());
        QStringList events;
        Browser* browser = fresh.browser.get();
        connect(browser, &Browser::statusTextChange, this, [&](const QString& text) { events << "status " + text; });
        connect(browser, &Browser::navigateComplete2, this, [&](const QString&) { events << "navigated"; });
        connect(browser, &Browser::documentComplete, this, [&](const QString&) { events << "complete"; });
        QList<QPair<int, int>> progress;
        connect(browser, &Browser::progressChange, this, [&](int done, int known) { progress.append({done, known}); });

        const QString address = fresh.site.url("/pictures.htm");
        browser->navigate(address);
        QCOMPARE(browser->locationURL(), address);
        QVERIFY(events.isEmpty() && progress.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(events.contains("complete"), 15'000);
        disconnect(browser, nullptr, this, nullptr);

        QVERIFY(events.first().startsWith("status ") && events.first().contains(address));
        QVERIFY(events.indexOf("navigated") > 0);
        QCOMPARE(events.mid(events.size() - 2), QStringList({"status 完成", "complete"}));
        QVERIFY(!progress.isEmpty());
        for (int i = 1; i < progress.size(); ++i) {
            QVERIFY(progress.at(i).first >= progress.at(i - 1).first);
            QVERIFY(progress.at(i).first <= progress.at(i).second);
        }
        QCOMPARE(progress.last().first, progress.last().second);
        // A report as the document and each resource are done, one as the page's sheets and
        // one as its pictures become known: not one more for each resource.
        QVERIFY(progress.last().second > 3);
        QVERIFY(progress.size() <= progress.last().second + 3);
    }

    // A handler that navigates elsewhere hears nothing more of the page it left.
    void handlerNavigatesElsewhere()
    {
        Browser* browser = f.browser.get();
        QStringList completed;
        connect(browser, &Browser::documentComplete, this, [&](const QString& address) { completed << address; });
        connect(browser, &Browser::statusTextChange, this, [&](const QString& text) {
            if (text == QStringLiteral("完成") && completed.isEmpty())
                browser->navigate(QStringLiteral("about:blank"));
        });
        browser->navigate(at("/links.htm"));
        QTRY_VERIFY_WITH_TIMEOUT(!completed.isEmpty(), 15'000);
        QTest::qWait(100);
        disconnect(browser, nullptr, this, nullptr);
        QCOMPARE(completed, QStringList{QStringLiteral("about:blank")});
        QCOMPARE(browser->document()->URL(), QStringLiteral("about:blank"));
    }

    // A navigation started while another loads: nothing of the first reaches the caller.
    void newNavigationReplacesTheOld()
    {
        QSignalSpy navigated(f.browser.get(), &Browser::navigateComplete2);
        QSignalSpy completed(f.browser.get(), &Browser::documentComplete);
        f.browser->navigate(at("/pictures.htm"));
        f.browser->navigate(at("/frames.htm"));
        QVERIFY(completed.wait(15'000));
        QTest::qWait(200);
        QCOMPARE(completed.size(), 1);
        QCOMPARE(completed.at(0).at(0).toString(), at("/frames.htm"));
        QCOMPARE(navigated.size(), 1);
        QCOMPARE(f.browser->document()->title(), QStringLiteral("Frames"));
    }
};

QTEST_GUILESS_MAIN(TestNetEnginePages)
#include "test_net_engine_pages.moc"
