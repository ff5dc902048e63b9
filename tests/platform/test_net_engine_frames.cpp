// The net engine's frames: same-origin frames are loaded, nested at most eight deep; frames
// of another origin and frames that would hold an enclosing page read as nothing.

#include "net_test_support.h"

#include <QTest>

namespace {

TestRoute html(const QString& body, int status = 200)
{
    TestRoute route;
    route.status = status;
    route.body = body.toUtf8();
    return route;
}

} // namespace

class TestNetEngineFrames : public QObject {
    Q_OBJECT

private:
    NetFixture f;
    QString at(const QString& path) const { return f.site.url(path); }

private slots:
    void initTestCase()
    {
        QVERIFY(f.site.listen());
        // A chain of twelve pages, each framing the next.
        for (int i = 0; i < 12; ++i) {
            f.site.setRoute(QStringLiteral("/deep/%1.htm").arg(i),
                            html(QStringLiteral("<title>%1</title><iframe src=\"%2.htm\"></iframe>").arg(i).arg(i + 1)));
        }
        f.site.setRoute("/mutual/a.htm", html("<title>A</title><frameset><frame src=\"b.htm\"></frameset>"));
        f.site.setRoute("/mutual/b.htm", html("<title>B</title><frameset><frame src=\"a.htm#again\"></frameset>"));
        f.site.setRoute("/odd/frames.htm", html("<title>Odd</title><iframe></iframe><iframe src=\"gone.htm\"></iframe>"
                                                "<iframe src=\"../notes\"></iframe><iframe src=\"javascript:void(0)\"></iframe>"
                                                "<iframe src=\"away.htm\"></iframe>"));
        f.site.setRoute("/odd/gone.htm", html("<title>Gone</title>", 404));
        f.site.setRoute("/odd/away.htm", [this] {
            TestRoute route = html(QString(), 302);
            route.headers.append({"Location", f.site.otherHostUrl("/frame_a.htm").toLatin1()});
            return route;
        }());
    }

    void frameTrees_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("tree");

        QTest::newRow("no frames") << "/pictures.htm" << "Pictures[]";
        QTest::newRow("frameset") << "/frames.htm" << "Frames[Frame A[],Frame B[]]";
        QTest::newRow("nested") << "/nested.htm" << "Nested frames[Nested 1[Nested 2[]]]";
        QTest::newRow("frame holding itself") << "/self_frame.htm" << "Self frame[-]";
        QTest::newRow("frames holding each other") << "/mutual/a.htm" << "A[B[-]]";
        QTest::newRow("another origin") << "/cross_frame.htm" << "Cross frame[-,Frame B[]]";
        // Empty, 404, not HTML, a script address, redirected to another origin.
        QTest::newRow("odd frames") << "/odd/frames.htm" << "Odd[[],-,[],-,-]";
        QTest::newRow("eight deep at most") << "/deep/0.htm" << "0[1[2[3[4[5[6[7[8[-]]]]]]]]]";
    }
    void frameTrees()
    {
        QFETCH(QString, path);
        QFETCH(QString, tree);
        const DocumentPtr document = loadPage(*f.browser, at(path));
        QVERIFY(document);
        QCOMPARE(frameTree(document), tree);
    }

    void framesAreNotFetchedBeyondTheRules()
    {
        f.site.clearLog();
        QVERIFY(loadPage(*f.browser, at("/cross_frame.htm")));
        QVERIFY(loadPage(*f.browser, at("/self_frame.htm")));
        QVERIFY(loadPage(*f.browser, at("/deep/0.htm")));
        for (const QString& request : f.site.requestLog())
            QVERIFY2(request.startsWith(QStringLiteral("127.0.0.1:")), qPrintable(request));
        QCOMPARE(f.site.hits("/self_frame.htm"), 1);
        QCOMPARE(f.site.hits("/deep/8.htm"), 1);
        QCOMPARE(f.site.hits("/deep/9.htm"), 0);
    }

    void frameDocuments()
    {
        const DocumentPtr document = loadPage(*f.browser, at("/frames.htm"));
        QVERIFY(document && document->frames().size() == 2);
        const DocumentPtr frame = document->frames().at(0);
        QVERIFY(frame);
        QCOMPARE(frame->URL(), at("/frame_a.htm"));
        QCOMPARE(frame->links().at(0).href(), at("/frame_b.htm"));
        // The frame's pictures are loaded before the page completes.
        const QList<Element> images = frame->getElementsByTagName("img");
        QCOMPARE(images.size(), 1);
        QCOMPARE(images.at(0).fileSize(), QStringLiteral("1024"));
        // The top document alone raises the completion.
        QSignalSpy completed(f.browser.get(), &Browser::documentComplete);
        QVERIFY(loadPage(*f.browser, at("/nested.htm")));
        QTest::qWait(100);
        QCOMPARE(completed.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestNetEngineFrames)
#include "test_net_engine_frames.moc"
