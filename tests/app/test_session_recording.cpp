#include "app/search_session.h"
#include "app/session_recorder.h"
#include "app/session_restore.h"
#include "fake_browser.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// Never fires by itself.
constexpr int handDriven = 100'000'000;
constexpr int writeBoundMs = 5000;

// Long enough for a write that was due to have happened.
void passWriteDelay()
{
    QTest::qWait(3 * SessionRecorder::writeDelayMs);
}

// Keeps every batch it is given; fails every write once told to.
class RecordingStore final : public SearchStore {
public:
    std::variant<StoredSearch, QString> read() const override { return StoredSearch{}; }
    std::optional<QString> write(const StoreBatch& batch) override
    {
        if (failing)
            return QStringLiteral("disk full");
        batches.append(batch);
        return std::nullopt;
    }
    std::optional<QString> clear() override { return std::nullopt; }

    QList<StoreBatch> batches;
    bool failing = false;
};

PictureRow picture(const QString& address)
{
    PictureRow row;
    row.fileName = address.section(u'/', -1);
    row.address = address;
    return row;
}

} // namespace

class TestSessionRecording : public QObject {
    Q_OBJECT

private:
    FakeClock clock;
    QList<FakeBrowser*> browsers;
    std::unique_ptr<SearchSession> session;
    RecordingStore store;

    PageTable& pages() { return session->pageTable(); }
    PictureTable& pictures() { return session->pictureTable(); }

private slots:
    void init()
    {
        browsers = {new FakeBrowser, new FakeBrowser, new FakeBrowser};
        session = std::make_unique<SearchSession>(QList<Browser*>(browsers.begin(), browsers.end()), clock,
                                                  nullptr, SearchPace{3, handDriven, 10, 60});
        store = {};
    }
    void cleanup()
    {
        session.reset();
        qDeleteAll(browsers);
    }

    void changesShareOneTransaction()
    {
        SessionRecorder recorder(*session, store);
        session->addStartPages("http://a.com/\r\nhttp://b.com/x\r\n");
        for (int i = 0; i < 50; ++i)
            pictures().addRow(picture(QStringLiteral("http://a.com/%1.gif").arg(i)));
        QCOMPARE(store.batches.size(), 0); // nothing while the event is handled
        QTRY_COMPARE_WITH_TIMEOUT(store.batches.size(), 1, writeBoundMs);
        const StoreBatch& first = store.batches.at(0);
        QCOMPARE(first.pages.keys(), QList<int>({1, 2}));
        QCOMPARE(first.pictures.size(), 50);
        QCOMPARE(first.siteList, std::optional<QString>("|a.com|b.com"));
        QCOMPARE(first.endedCleanly, std::optional<bool>(false));

        pages().setStatus(2, PageStatus::Done);
        pictures().setCell(7, PictureTable::Width, "32");
        QTRY_COMPARE_WITH_TIMEOUT(store.batches.size(), 2, writeBoundMs);
        const StoreBatch& second = store.batches.at(1);
        QCOMPARE(second.pages.keys(), QList<int>({2}));
        QCOMPARE(second.pages[2].status, "提取完成");
        QCOMPARE(second.pictures.keys(), QList<int>({7}));
        QCOMPARE(second.pictures[7].width, "32");
        QVERIFY(!second.siteList && !second.titles && !second.endedCleanly); // unchanged

        passWriteDelay(); // no changes, no write
        QCOMPARE(store.batches.size(), 2);
    }

    void sortingRewritesThePictureOrder()
    {
        for (const char* name : {"b", "c", "a"})
            pictures().addRow(picture(QStringLiteral("http://a.com/%1.gif").arg(QLatin1String(name))));
        SessionRecorder recorder(*session, store);
        QTRY_COMPARE_WITH_TIMEOUT(store.batches.size(), 1, writeBoundMs);
        pictures().sortByColumnClick(1);
        QTRY_COMPARE_WITH_TIMEOUT(store.batches.size(), 2, writeBoundMs);
        const StoreBatch& sorted = store.batches.constLast();
        QVERIFY(sorted.picturesReplaced);
        QStringList stored;
        QStringList shown;
        for (const PictureRow& row : sorted.pictures)
            stored << row.fileName;
        for (int index = 0; index < pictures().size(); ++index)
            shown << pictures().row(index).fileName;
        QCOMPARE(stored, shown);
        QCOMPARE(QSet<QString>(shown.begin(), shown.end()), QSet<QString>({"a.gif", "b.gif", "c.gif"}));
        QVERIFY(shown != QStringList({"b.gif", "c.gif", "a.gif"}));
    }

    void finishMarksACleanEnd()
    {
        SessionRecorder recorder(*session, store);
        session->setExtractTitles(true);
        QCOMPARE(recorder.finish(), std::nullopt);
        QCOMPARE(store.batches.size(), 1);
        QCOMPARE(store.batches.at(0).endedCleanly, std::optional<bool>(true));
        QCOMPARE(store.batches.at(0).titles, std::optional<bool>(true));
    }

    void aFailingStoreIsToldOnceAndTheSearchGoesOn()
    {
        store.failing = true;
        SessionRecorder recorder(*session, store);
        QSignalSpy failed(&recorder, &SessionRecorder::failed);
        session->addStartPages("http://a.com/\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, writeBoundMs);
        pages().setStatus(1, PageStatus::Downloading);
        passWriteDelay();
        QVERIFY(recorder.finish().has_value());
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(0).toString(), "disk full");
        QCOMPARE(pages().size(), 1);
    }

    void resumeRules_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<PageStatus>("resumed");
        QTest::newRow("waiting stays waiting") << "" << PageStatus::Waiting;
        QTest::newRow("loading waits again") << "正在下载" << PageStatus::Waiting;
        QTest::newRow("finished stays finished") << "提取完成" << PageStatus::Done;
        QTest::newRow("failed stays failed") << "下载出错" << PageStatus::Failed;
        QTest::newRow("unknown text waits") << "downloading" << PageStatus::Waiting;
    }
    void resumeRules()
    {
        QFETCH(QString, stored);
        QFETCH(PageStatus, resumed);
        StoredSearch search;
        search.pages = {{"[添加]", "http://a.com/", "提取完成"}, {"1", "http://a.com/p", stored}};
        restoreSearch(*session, search);
        QCOMPARE(pages().size(), 2);
        QCOMPARE(pages().row(1).status, PageStatus::Done);
        QCOMPARE(pages().row(2).status, resumed);
        QCOMPARE(pages().row(2).title, "1");
        QCOMPARE(pages().waitingCount(), resumed == PageStatus::Waiting ? 1 : 0);
        QCOMPARE(pages().downloadingCount(), 0);
        QVERIFY(!session->isRunning());
    }

    void restoreKeepsOrderSiteListAndOptions()
    {
        // The site list as start addresses made it comes back entry for entry.
        SearchSession original({}, clock, nullptr);
        original.addStartPages("http://www.A.com/\r\nhttp://web.b.com.cn/x\r\nhttp://127.0.0.1:8080/\r\n"
                               "https://localhost:99/p\r\nhttp://plain/\r\n");
        StoredSearch search;
        search.pages = {{"[添加]", "http://www.A.com/", "提取完成"}, {"1", "http://www.a.com/x", ""}};
        search.pictures = {picture("http://a.com/z.gif"), picture("http://a.com/a.gif")};
        search.siteList = original.siteList().text();
        search.titles = true;
        restoreSearch(*session, search);
        QCOMPARE(session->siteList().text(), search.siteList);
        QCOMPARE(pages().row(1).address, "http://www.A.com/");
        QCOMPARE(pictures().row(0).fileName, "z.gif");
        QCOMPARE(pictures().row(1).fileName, "a.gif");
        QVERIFY(session->extractTitles());
        QVERIFY(!session->extractSources());
        // A start address of a restored site adds no second entry.
        session->addStartPages("http://web.b.com.cn/\r\n");
        QCOMPARE(session->siteList().text(), search.siteList);
    }
};

QTEST_GUILESS_MAIN(TestSessionRecording)
#include "test_session_recording.moc"
