#include "app/search_session.h"
#include "fake_browser.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// With --interval 0 the timers' work runs when something changes and when a deadline is due,
// never on every pass of the event loop.

namespace {

constexpr int boundMs = 5000;

struct Search {
    SteadyClock clock;
    QList<FakeBrowser*> browsers{new FakeBrowser, new FakeBrowser, new FakeBrowser};
    std::unique_ptr<SearchSession> session;

    Search(double holdSeconds, double pageTimeout)
    {
        SearchPace pace;
        pace.intervalMs = 0;
        pace.holdSeconds = holdSeconds;
        pace.pageTimeout = pageTimeout;
        pace.finishGrace = 0.1; // these browsers never complete when told to finish
        session = std::make_unique<SearchSession>(QList<Browser*>(browsers.cbegin(), browsers.cend()),
                                                  clock, nullptr, pace);
    }
    ~Search()
    {
        session.reset();
        qDeleteAll(browsers);
    }

    // Starts n pages, then plays the actions: "complete <slot>" or "stop".
    void play(int pages, const QStringList& actions)
    {
        QStringList lines;
        for (int i = 1; i <= pages; ++i)
            lines.append(QStringLiteral("http://www.h.com/p%1.htm").arg(i));
        if (pages > 0)
            session->startSearch(lines.join(QStringLiteral("\r\n")));
        for (const QString& action : actions) {
            QTest::qWait(20); // let the woken work dispatch first
            if (action == QLatin1String("stop"))
                session->stopSearch();
            else
                browsers.at(action.section(QLatin1Char(' '), 1).toInt())->complete();
        }
    }
    QStringList statuses() const
    {
        QStringList all;
        for (int position = 1; position <= session->pageTable().size(); ++position)
            all.append(pageStatusText(session->pageTable().row(position).status));
        return all;
    }
    int freeSlots() const
    {
        int free = 0;
        for (const FakeBrowser* b : browsers)
            free += b->locationURL() == QLatin1String("about:blank");
        return free;
    }
};

} // namespace

class TestEventDrivenTimers : public QObject {
    Q_OBJECT

private slots:
    void changesWakeTheTimerWork_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<double>("hold");
        QTest::addColumn<double>("timeout");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<int>("freeSlots");
        QTest::newRow("start fills every slot at once")
            << 4 << 60.0 << 60.0 << QStringList{} << QStringList{"正在下载", "正在下载", "正在下载", ""} << 0;
        QTest::newRow("completion without hold hands the slot the next row")
            << 4 << 0.0 << 60.0 << QStringList{"complete 0"} << QStringList{"提取完成", "正在下载", "正在下载", "正在下载"} << 0;
        QTest::newRow("hold runs out")
            << 1 << 0.2 << 60.0 << QStringList{"complete 0"} << QStringList{"提取完成"} << 3;
        QTest::newRow("page time-out fails the row and frees the slot")
            << 1 << 0.0 << 0.2 << QStringList{} << QStringList{"下载出错"} << 3;
        QTest::newRow("stop leaves loading rows to the watchdog")
            << 2 << 0.0 << 0.3 << QStringList{"stop"} << QStringList{"下载出错", "下载出错"} << 3;
    }
    void changesWakeTheTimerWork()
    {
        QFETCH(int, pages);
        QFETCH(double, hold);
        QFETCH(double, timeout);
        QFETCH(QStringList, actions);
        QFETCH(QStringList, statuses);
        QFETCH(int, freeSlots);
        Search search(hold, timeout);
        search.play(pages, actions);
        QTRY_COMPARE_WITH_TIMEOUT(search.statuses(), statuses, boundMs);
        QTRY_COMPARE_WITH_TIMEOUT(search.freeSlots(), freeSlots, boundMs);
        QTRY_COMPARE_WITH_TIMEOUT(search.session->statusPanel(2), QStringLiteral("网页总数：%1").arg(pages), boundMs);
    }

    void idleSearchDoesNoTimerWork_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("actions");
        QTest::newRow("never started") << 0 << QStringList{};
        QTest::newRow("every page done") << 1 << QStringList{"complete 0"};
        QTest::newRow("stopped, rows wait for the watchdog") << 2 << QStringList{"stop"};
        QTest::newRow("all slots loading") << 3 << QStringList{};
    }
    void idleSearchDoesNoTimerWork()
    {
        QFETCH(int, pages);
        QFETCH(QStringList, actions);
        Search search(0, 60);
        search.play(pages, actions);
        QSignalSpy work(search.session.get(), &SearchSession::timerWorkDone);
        // Let the work these changes woke run out; a loop that never rests ends at the bound.
        QElapsedTimer waited;
        waited.start();
        do {
            work.clear();
            QTest::qWait(200);
        } while (!work.isEmpty() && waited.elapsed() < boundMs);
        work.clear();
        QTest::qWait(500);
        QCOMPARE(work.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestEventDrivenTimers)
#include "test_event_driven_timers.moc"
