// The Chromium engine's guard: pages raise every kind of dialog and pop-up and ask for every
// permission, and nothing shows, blocks or opens; a page that never settles still completes.

#include "chromium_test_support.h"
#include "engine_snapshot_table.h"

#include <QElapsedTimer>

class TestChromiumEngineGuard : public QObject {
    Q_OBJECT

private:
    ChromiumFixture f;
    int popUps = 0;
    int closings = 0;
    EngineSnapshotProbe pages{*f.browser, f.site, 30'000};

private slots:
    void initTestCase()
    {
        QVERIFY(f.listen());
        connect(f.browser.get(), &Browser::newWindow2, this, [this](bool& cancel) {
            ++popUps;
            cancel = false; // even a pop-up that the handler lets through never opens
        });
        connect(f.browser.get(), &Browser::windowClosing, this, [this](bool, bool&) { ++closings; });
    }

    void answers_data()
    {
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QString>("expected");
        // Had a dialog blocked, the page would not have written its answers.
        QTest::newRow("dialogs answered at once") << "BODY[0].data-dialogs" << "false,";
        QTest::newRow("permissions denied") << "BODY[0].data-permissions"
                                            << "camera:denied geolocation:denied notification:denied";
        QTest::newRow("the page is still the page") << "title" << "Dialogs";
    }
    void answers()
    {
        QFETCH(QString, probe);
        QFETCH(QString, expected);
        QCOMPARE(pages.answer(QStringLiteral("/js/dialogs.htm"), probe), expected);
    }

    void popUpsAndClosingRefused()
    {
        QCOMPARE(popUps, 2); // window.open and a click on a target=_blank link
        QCOMPARE(closings, 1);
        QCOMPARE(f.site.hits(QStringLiteral("/js/popup.htm")), 0);
    }

    // The page asks to stay when it is left; it is left all the same.
    void leavingIsNotHeldUp()
    {
        QVERIFY(loadPage(*f.browser, f.site.url("/js/dialogs.htm"), 30'000));
        const DocumentPtr next = loadPage(*f.browser, f.site.url("/links.htm"), 30'000);
        QVERIFY(next);
        QCOMPARE(next->title(), QStringLiteral("Links"));
    }

    void restlessPageCompletesWithinItsBudget()
    {
        const SettleBudget budget = testBudget();
        QElapsedTimer clock;
        clock.start();
        const DocumentPtr document = loadPage(*f.browser, f.site.url("/js/restless.htm"), 30'000);
        QVERIFY(document);
        QVERIFY(clock.elapsed() < budget.loadMs + budget.scrollMs + budget.quietLimitMs);
        QVERIFY(!f.browser->navigationFailed());
        // It was scrolled, and grew each time.
        QVERIFY(document->getElementsByTagName(QStringLiteral("DIV")).size() > 3);
    }
};

QUORVANE_CHROMIUM_TEST_MAIN(TestChromiumEngineGuard)
#include "test_chromium_engine_guard.moc"
