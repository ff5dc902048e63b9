#include "app/browser_events.h"
#include "app/crawl_timers.h"
#include "app/search_session.h"
#include "app/status_panels.h"
#include "fake_browser.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// Never fires by itself: the tests tick the timers by hand on the fake clock.
constexpr int handDriven = 100'000'000;

class Answer : public YesNoQuestion {
public:
    explicit Answer(bool yes) : m_yes(yes) {}
    bool ask(const QString& text) override
    {
        asked = text;
        return m_yes;
    }
    QString asked;

private:
    bool m_yes;
};

DocumentPtr page(const QString& url, const QStringList& pictures, const QStringList& links)
{
    DocumentData data;
    data.url = url;
    data.location = url;
    data.title = QStringLiteral("T");
    for (const QString& src : pictures)
        data.elements.append(QStringLiteral("IMG"), {{QStringLiteral("src"), src}});
    for (const QString& href : links)
        data.elements.addLink(data.elements.append(QStringLiteral("A"), {{QStringLiteral("href"), href}}));
    return std::make_shared<const Document>(std::move(data));
}

} // namespace

class TestScheduler : public QObject {
    Q_OBJECT

private:
    FakeClock clock;
    QList<FakeBrowser*> browsers;
    std::unique_ptr<SearchSession> session;

    FakeBrowser& browser(int slot) { return *browsers.at(slot); }
    QString status(int position) { return pageStatusText(session->pageTable().row(position).status); }
    QStringList statuses()
    {
        QStringList all;
        for (int position = 1; position <= session->pageTable().size(); ++position)
            all.append(status(position));
        return all;
    }
    // Starts a search of n pages of h.com, without dispatching.
    void start(int n)
    {
        QStringList lines;
        for (int i = 1; i <= n; ++i)
            lines.append(QStringLiteral("http://www.h.com/p%1.htm").arg(i));
        session->startSearch(lines.join(QStringLiteral("\r\n")));
    }
    void tickAt(double time)
    {
        clock.time = time;
        session->timer1Tick();
        session->timer2Tick();
        session->timer3Tick();
    }

private slots:
    void init()
    {
        clock.time = 1000;
        browsers = {new FakeBrowser, new FakeBrowser, new FakeBrowser};
        SearchPace pace;
        pace.intervalMs = handDriven;
        session = std::make_unique<SearchSession>(QList<Browser*>(browsers.cbegin(), browsers.cend()),
                                                  clock, nullptr, pace);
    }
    void cleanup()
    {
        session.reset();
        qDeleteAll(browsers);
        browsers.clear();
    }

    void startUpResetsEverySlot()
    {
        for (FakeBrowser* b : browsers)
            QCOMPARE(b->navigations, QStringList{QStringLiteral("about:blank")});
        QVERIFY(!session->isRunning());
        QVERIFY(session->isIdle());
        for (int panel = 1; panel <= 5; ++panel)
            QCOMPARE(session->statusPanel(panel), QString());
        session->timer1Tick();
        QCOMPARE(session->statusPanel(1), QStringLiteral("图片总数：0"));
        QCOMPARE(session->statusPanel(2), QStringLiteral("网页总数：0"));
        QCOMPARE(session->statusPanel(5), QStringLiteral("总进度：0%"));
    }

    void onePagePerTickInTableOrderAtMostThree()
    {
        start(5);
        QVERIFY(session->isRunning());
        session->timer3Tick();
        QCOMPARE(statuses(), (QStringList{"正在下载", "", "", "", ""}));
        session->timer3Tick();
        session->timer3Tick();
        session->timer3Tick(); // every slot busy
        QCOMPARE(statuses(), (QStringList{"正在下载", "正在下载", "正在下载", "", ""}));
        for (int slot = 0; slot < 3; ++slot)
            QCOMPARE(browser(slot).navigations.last(), QStringLiteral("http://www.h.com/p%1.htm").arg(slot + 1));
        QCOMPARE(session->pageTable().row(2).tag, std::optional<double>(1000));
        QVERIFY(!session->isIdle());
    }

    void freedSlotTakesTheNextWaitingRow()
    {
        start(4);
        for (int i = 0; i < 3; ++i)
            session->timer3Tick();
        browser(1).complete(page(browser(1).location, {}, {}));
        QCOMPARE(status(2), QStringLiteral("提取完成"));
        tickAt(1010.5); // released 10 s after its completion, then row 4 goes to slot 1
        QCOMPARE(browser(1).navigations.mid(1), (QStringList{"http://www.h.com/p2.htm", "about:blank", "http://www.h.com/p4.htm"}));
        QCOMPARE(status(4), QStringLiteral("正在下载"));
    }

    void releaseAfterHold_data()
    {
        QTest::addColumn<double>("later");
        QTest::addColumn<bool>("released");
        QTest::newRow("at the hold") << 10.0 << false;
        QTest::newRow("past the hold") << 10.01 << true;
    }
    void releaseAfterHold()
    {
        QFETCH(double, later);
        QFETCH(bool, released);
        start(1);
        session->timer3Tick();
        clock.time = 1003;
        browser(0).complete(page(browser(0).location, {}, {}));
        clock.time = 1003 + later;
        session->timer2Tick();
        QCOMPARE(browser(0).locationURL() == QLatin1String("about:blank"), released);
        QCOMPARE(session->isIdle(), released);
    }

    void slotAndRowWatchdogs_data()
    {
        QTest::addColumn<QList<double>>("ticks"); // seconds after the dispatch
        QTest::addColumn<bool>("completes");      // when told to finish, after the first tick
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("rowStatus");
        QTest::addColumn<int>("finishNowCalls");
        const QString p1 = QStringLiteral("http://www.h.com/p1.htm");
        const double pastGrace = 60.5 + kFinishGraceSeconds + 0.1;
        QTest::newRow("within the time-out") << QList<double>{60.0} << false << p1 << "正在下载" << 0;
        QTest::newRow("past the time-out, told to finish once")
            << QList<double>{60.5, 61.5} << false << p1 << "正在下载" << 1;
        QTest::newRow("finished page gives its rows")
            << QList<double>{60.5, 61.5} << true << "about:blank" << "提取完成" << 1;
        QTest::newRow("no completion within the grace")
            << QList<double>{60.5, pastGrace} << false << "about:blank" << "下载出错" << 1;
    }
    void slotAndRowWatchdogs()
    {
        QFETCH(QList<double>, ticks);
        QFETCH(bool, completes);
        QFETCH(QString, location);
        QFETCH(QString, rowStatus);
        QFETCH(int, finishNowCalls);
        start(1);
        session->timer3Tick();
        for (qsizetype i = 0; i < ticks.size(); ++i) {
            clock.time = 1000 + ticks.at(i);
            session->timer1Tick();
            if (i == 0 && completes && browser(0).finishNowCalls > 0) {
                browser(0).complete(page(browser(0).location, {"http://www.h.com/a.gif"}, {}));
                QTRY_COMPARE_WITH_TIMEOUT(session->pictureTable().size(), 1, 5000);
            }
        }
        QCOMPARE(browser(0).locationURL(), location);
        QCOMPARE(status(1), rowStatus);
        QCOMPARE(browser(0).finishNowCalls, finishNowCalls);
    }

    void slotMovesOnWhileItsPageIsStillApplied()
    {
        start(4);
        for (int i = 0; i < 3; ++i)
            session->timer3Tick();
        // Pictures enough for several turns of the event loop.
        QStringList pictures;
        for (int i = 0; i < 3 * kReadingPerTurn; ++i)
            pictures.append(QStringLiteral("http://www.h.com/%1.gif").arg(i));
        browser(1).complete(page(browser(1).location, pictures, {}));
        QVERIFY(session->pictureTable().size() < pictures.size());
        tickAt(1010.5);
        QCOMPARE(browser(1).navigations.last(), QStringLiteral("http://www.h.com/p4.htm"));
        QCOMPARE(statuses(), (QStringList{"正在下载", "正在下载", "正在下载", "正在下载"}));
        // The page read late marks its own row, not the one its slot has taken since.
        QTRY_COMPARE_WITH_TIMEOUT(session->pictureTable().size(), pictures.size(), 5000);
        QCOMPARE(statuses(), (QStringList{"正在下载", "提取完成", "正在下载", "正在下载"}));
        QVERIFY(!session->isIdle());
    }

    void eleventhCompletionResetsTheSlot()
    {
        start(1);
        session->timer3Tick();
        const QString address = browser(0).location;
        for (int i = 1; i <= 10; ++i) {
            // Every handled completion extracts the page again; its new pictures count.
            browser(0).complete(page(address, {QStringLiteral("http://www.h.com/%1.gif").arg(i)}, {}));
            QCOMPARE(browser(0).locationURL(), address);
        }
        QCOMPARE(session->pictureTable().size(), 10);
        QCOMPARE(status(1), QStringLiteral("提取完成"));
        browser(0).complete(page(address, {QStringLiteral("http://www.h.com/11.gif")}, {}));
        QCOMPARE(browser(0).locationURL(), QStringLiteral("about:blank"));
        QCOMPARE(session->pictureTable().size(), 10);
        // The reset's own completion counts as the first after it, not as the twelfth.
        const qsizetype navigations = browser(0).navigations.size();
        browser(0).complete();
        QCOMPARE(browser(0).navigations.size(), navigations);
    }

    void completionExtractsPicturesAndInSiteLinks()
    {
        session->setExtractTitles(true);
        start(1);
        session->timer3Tick();
        browser(0).complete(page(QStringLiteral("http://www.h.com/p1.htm"),
                                 {QStringLiteral("http://www.h.com/a.JPG"), QStringLiteral("http://www.h.com/show.php")},
                                 {QStringLiteral("http://www.h.com/next.htm"), QStringLiteral("http://other.com/x.htm")}));
        QCOMPARE(session->pictureTable().size(), 1);
        const PictureRow& picture = session->pictureTable().row(0);
        QCOMPARE(picture.fileName, QStringLiteral("a.JPG"));
        QCOMPARE(picture.type, QStringLiteral("JPG"));
        QCOMPARE(picture.title, QStringLiteral("T"));
        QCOMPARE(session->pageTable().size(), 2);
        QCOMPARE(session->pageTable().row(2).title, QStringLiteral("1"));
        QCOMPARE(session->pageTable().row(2).address, QStringLiteral("http://www.h.com/next.htm"));
        QCOMPARE(statuses(), (QStringList{"提取完成", ""}));
    }

    void failedNavigationMarksTheRowAndExtractsNothing()
    {
        start(1);
        session->timer3Tick();
        browser(0).complete(page(browser(0).location, {QStringLiteral("http://www.h.com/a.gif")},
                                 {QStringLiteral("http://www.h.com/next.htm")}),
                            true);
        QCOMPARE(statuses(), QStringList{"下载出错"});
        QCOMPARE(session->pictureTable().size(), 0);
        session->requeueFailed();
        QCOMPARE(statuses(), QStringList{""});
    }

    void completionAfterRequeueLeavesTheRowWaiting()
    {
        start(1);
        session->timer3Tick();
        Answer yes(true);
        session->requeueAll(yes);
        QCOMPARE(yes.asked, QStringLiteral("重新提取可能要花费很多时间，要继续吗？"));
        browser(0).complete(page(browser(0).location, {}, {}));
        QCOMPARE(statuses(), QStringList{""});
        session->timer3Tick();
        QCOMPARE(statuses(), QStringList{"正在下载"});
        QCOMPARE(browser(1).navigations.last(), QStringLiteral("http://www.h.com/p1.htm"));
    }

    void requeueAll_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("no") << false << QStringList{"提取完成", "正在下载", "下载出错", ""};
        QTest::newRow("yes") << true << QStringList{"", "", "", ""};
    }
    void requeueAll()
    {
        QFETCH(bool, yes);
        QFETCH(QStringList, after);
        start(4);
        session->timer3Tick();
        browser(0).complete(page(browser(0).location, {}, {}));
        session->timer3Tick();
        session->timer3Tick();
        browser(2).complete({}, true);
        QCOMPARE(statuses(), (QStringList{"提取完成", "正在下载", "下载出错", ""}));
        Answer answer(yes);
        session->requeueAll(answer);
        QCOMPARE(statuses(), after);
    }

    void stopResetsSlotsAndTheWatchdogFailsLoadingRows()
    {
        start(3);
        session->timer3Tick();
        session->timer3Tick();
        QCOMPARE(session->activityColour(), ActivityColour::LightGreen);
        session->stopSearch();
        QVERIFY(!session->isRunning());
        QCOMPARE(session->activityColour(), ActivityColour::White);
        for (FakeBrowser* b : browsers)
            QCOMPARE(b->locationURL(), QStringLiteral("about:blank"));
        QCOMPARE(statuses(), (QStringList{"正在下载", "正在下载", ""}));
        clock.time = 1061 + kFinishGraceSeconds;
        session->timer1Tick();
        QCOMPARE(statuses(), (QStringList{"下载出错", "下载出错", ""}));
        session->requeueFailed();
        QCOMPARE(statuses(), (QStringList{"", "", ""}));
    }

    void activityColour()
    {
        QSignalSpy changes(session.get(), &SearchSession::activityColourChanged);
        start(2);
        session->timer3Tick();
        QCOMPARE(session->activityColour(), ActivityColour::LightGreen);
        clock.time = 1030;
        session->timer3Tick(); // a second dispatch restarts the time
        clock.time = 1090;
        session->timer1Tick();
        QCOMPARE(session->activityColour(), ActivityColour::LightGreen);
        clock.time = 1090.5;
        session->timer1Tick();
        QCOMPARE(session->activityColour(), ActivityColour::White);
        QCOMPARE(changes.size(), 2);
    }

    void overallProgressPanel_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("dispatched");
        QTest::addColumn<QString>("text");
        QTest::newRow("row 1 of 3") << 3 << 1 << "总进度：33%";
        QTest::newRow("row 3 of 3") << 3 << 3 << "总进度：100%";
        QTest::newRow("29 of 100 is not 28") << 100 << 29 << "总进度：29%";
        QTest::newRow("none dispatched") << 2 << 0 << "总进度：0%";
    }
    void overallProgressPanel()
    {
        QFETCH(int, rows);
        QFETCH(int, dispatched);
        QFETCH(QString, text);
        start(rows);
        for (int i = 0; i < dispatched; ++i) {
            session->timer3Tick();
            session->stopSearch(); // frees every slot, rows stay in their status
            session->startSearch(QString());
        }
        session->timer1Tick();
        QCOMPARE(session->statusPanel(5), text);
        QCOMPARE(session->statusPanel(2), QStringLiteral("网页总数：%1").arg(rows));
    }

    void loadProgressPanel_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QString>("text");
        QTest::newRow("half of 200 in slot 2") << 2 << 50 << 200 << "进度：25% -2";
        QTest::newRow("unknown progress") << 1 << -1 << 100 << "进度：0% -1";
        QTest::newRow("past the maximum") << 0 << 300 << 200 << "进度：100% -0";
        QTest::newRow("no maximum keeps the panel") << 0 << 5 << 0 << "before";
    }
    void loadProgressPanel()
    {
        QFETCH(int, slot);
        QFETCH(int, progress);
        QFETCH(int, maximum);
        QFETCH(QString, text);
        emit browser(0).progressChange(1, 1);
        emit browser(0).statusTextChange(QStringLiteral("before"));
        QCOMPARE(session->statusPanel(3), QStringLiteral("before"));
        QCOMPARE(session->statusPanel(4), QStringLiteral("进度：100% -0"));
        emit browser(slot).progressChange(progress, maximum);
        QCOMPARE(session->statusPanel(4), maximum > 0 ? text : QStringLiteral("进度：100% -0"));
    }

    void overtakenResetCompletionIsIgnored()
    {
        start(1);
        session->timer3Tick();
        emit browser(0).documentComplete(QStringLiteral("about:blank")); // from the start-up reset
        QCOMPARE(statuses(), QStringList{"正在下载"});
    }

    void startTwiceAddsNothingMore()
    {
        session->startSearch(QStringLiteral("http://www.H.com/a#top\r\nhttp://www.h.com/a\r\n  \r\n"));
        session->startSearch(QStringLiteral("http://www.h.com/a\r\n"));
        QVERIFY(session->isRunning());
        QCOMPARE(session->pageTable().size(), 1);
        QCOMPARE(session->pageTable().row(1).address, QStringLiteral("http://www.H.com/a"));
        QCOMPARE(session->pageTable().row(1).title, QStringLiteral("[添加]"));
        QVERIFY(session->siteList().inScope(QStringLiteral("http://img.h.com/x.htm")));
    }
};

QTEST_GUILESS_MAIN(TestScheduler)
#include "test_scheduler.moc"
