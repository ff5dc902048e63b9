#include "app/search_session.h"
#include "app/session_recorder.h"
#include "app/session_restore.h"
#include "fake_browser.h"
#include "store/opened_store.h"

#include <QSignalSpy>
#include <QTemporaryDir>
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
    std::variant<StoredSearch, QString> read(int) const override { return StoredSearch{}; }
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

// One column of the table, in the order shown.
QStringList shownNames(const PictureTable& table, PictureTable::Column column = PictureTable::FileName)
{
    QStringList names;
    for (int row = 0; row < table.size(); ++row)
        names << table.cellText(row, column);
    return names;
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
        QCOMPARE(second.pages[2].status, PageStatus::Done);
        QCOMPARE(second.pictures.keys(), QList<int>({7}));
        QCOMPARE(second.pictures[7].width, "32");
        QVERIFY(!second.siteList && !second.titles && !second.endedCleanly); // unchanged

        passWriteDelay(); // no changes, no write
        QCOMPARE(store.batches.size(), 2);
    }

    // A click writes its own step, never the rows.
    void aClickWritesOneStep()
    {
        for (const char* name : {"b", "c", "a"})
            pictures().addRow(picture(QStringLiteral("http://a.com/%1.gif").arg(QLatin1String(name))));
        SessionRecorder recorder(*session, store);
        QTRY_COMPARE_WITH_TIMEOUT(store.batches.size(), 1, writeBoundMs);
        const QList<std::pair<int, PictureSort>> clicks = {
            {0, {PictureTable::FileName, Qt::DescendingOrder, 3}},
            {0, {PictureTable::FileName, Qt::AscendingOrder, 3}}, // the same column: its step again
            {1, {PictureTable::Type, Qt::DescendingOrder, 3}},
        };
        for (const auto& [step, click] : clicks) {
            pictures().sortByColumnClick(click.column + 1);
            QVERIFY(recorder.flush() == std::nullopt);
            const StoreBatch& batch = store.batches.constLast();
            QCOMPARE(batch.sorts, (QMap<int, PictureSort>{{step, click}}));
            QVERIFY(batch.pictures.isEmpty() && batch.pages.isEmpty() && !batch.replacesRows);
        }
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
        QTest::addColumn<PageStatus>("stored");
        QTest::addColumn<PageStatus>("resumed");
        QTest::newRow("loading waits again") << PageStatus::Downloading << PageStatus::Waiting;
        QTest::newRow("finished stays finished") << PageStatus::Done << PageStatus::Done;
        QTest::newRow("failed stays failed") << PageStatus::Failed << PageStatus::Failed;
    }
    void resumeRules()
    {
        QFETCH(PageStatus, stored);
        QFETCH(PageStatus, resumed);
        StoredSearch search;
        search.pages = {{"[添加]", "http://a.com/", PageStatus::Done, 0}, {"1", "http://a.com/p", stored, 4}};
        QCOMPARE(restoreSearch(*session, search), Restored::AsStored);
        QCOMPARE(pages().size(), 2);
        QCOMPARE(pages().row(1).status, PageStatus::Done);
        QCOMPARE(pages().row(2).status, resumed);
        QCOMPARE(pages().row(2).title, "1");
        QCOMPARE(pages().row(2).depth, 4);
        QCOMPARE(pages().waitingCount(), resumed == PageStatus::Waiting ? 1 : 0);
        QCOMPARE(pages().downloadingCount(), 0);
        QVERIFY(!session->isRunning());
    }

    // Rows added, changed and clicked, recorded to a file and restored: the same rows in
    // the same order, and the next click orders both alike. "a" and "b" add a row of that
    // type (ties), "w" changes the first row's width, a digit clicks that column.
    void clicksComeBackInTheirOrder_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("ties keep the order of the click before") << "bbaab1ab3";
        QTest::newRow("a row changed after a click") << "bab11wa1w";
        QTest::newRow("a click on an empty table sets the direction") << "3ba";
    }
    void clicksComeBackInTheirOrder()
    {
        QFETCH(QString, script);
        QTemporaryDir dir;
        const QString path = dir.filePath("search.sqlite");
        {
            auto store = openStore(path);
            QVERIFY(store);
            SessionRecorder recorder(*session, *store);
            int added = 0;
            for (const QChar step : script) { // each step an event of its own, written when handled
                if (step.isDigit()) {
                    pictures().sortByColumnClick(step.digitValue());
                } else if (step == u'w') {
                    pictures().setCell(0, PictureTable::Width, QString::number(added));
                } else {
                    // File names from the end of the alphabet down: a click on them reorders.
                    PictureRow row = picture(QStringLiteral("http://a.com/%1.gif").arg(QChar(u'z' - added++)));
                    row.type = step;
                    pictures().addRow(row);
                }
                QCOMPARE(recorder.flush(), std::nullopt);
            }
            QCOMPARE(recorder.finish(), std::nullopt);
        }
        auto store = openStore(path);
        QVERIFY(store);
        auto restored = std::make_unique<SearchSession>(QList<Browser*>(), clock, nullptr, SearchPace{3, handDriven, 10, 60});
        QCOMPARE(restoreSearch(*restored, readAll(*store)), Restored::AsStored);
        QCOMPARE(shownNames(restored->pictureTable(), PictureTable::Width), shownNames(pictures(), PictureTable::Width));
        QCOMPARE(shownNames(restored->pictureTable()), shownNames(pictures()));
        QCOMPARE(restored->pictureTable().sorts(), pictures().sorts());
        pictures().sortByColumnClick(3);
        restored->pictureTable().sortByColumnClick(3);
        QCOMPARE(shownNames(restored->pictureTable()), shownNames(pictures()));
    }

    // Two stored rows under one key (a file written by a program whose keys differed): the
    // tables keep one, and the file is written anew so that later writes land on the
    // rows they mean.
    void aRestoreThatDropsRowsRewritesTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("search.sqlite");
        auto store = openStore(path);
        QVERIFY(store);
        StoreBatch stored;
        stored.pages.insert(1, {"[添加]", "http://a.com/", PageStatus::Done, 0});
        stored.pages.insert(2, {"1", "http://A.com/", PageStatus::Done, 1});
        stored.pages.insert(3, {"1", "http://a.com/p", PageStatus::Waiting, 1});
        for (const char* address : {"http://a.com/z.gif", "http://A.com/z.gif", "http://a.com/y.gif"})
            stored.pictures.insert(int(stored.pictures.size()), picture(QString::fromLatin1(address)));
        stored.sorts.insert(0, {PictureTable::FileName, Qt::AscendingOrder, 3});
        QCOMPARE(store->write(stored), std::nullopt);

        QCOMPARE(restoreSearch(*session, readAll(*store)), Restored::Renumbered);
        QCOMPARE(pages().size(), 2);
        QCOMPARE(shownNames(pictures()), QStringList({"y.gif", "z.gif"}));
        SessionRecorder recorder(*session, *store);
        recorder.rewriteWhole();
        pictures().setCell(1, PictureTable::Width, "7"); // z.gif, now record 0
        QCOMPARE(recorder.flush(), std::nullopt);

        const StoredSearch search = readAll(*store);
        QCOMPARE(search.pages.size(), 2);
        QCOMPARE(search.pages.at(1).address, "http://a.com/p");
        QCOMPARE(search.pictures.size(), 2);
        QCOMPARE(search.pictures.at(0).width, "7");
        QCOMPARE(search.pictures.at(1).fileName, "y.gif");
        QCOMPARE(search.sorts, QList<PictureSort>({{PictureTable::FileName, Qt::AscendingOrder, 2}}));
    }

    void restoreKeepsOrderSiteListAndOptions()
    {
        // The site list as start addresses made it comes back entry for entry.
        SearchSession original({}, clock, nullptr);
        original.addStartPages("http://www.A.com/\r\nhttp://web.b.com.cn/x\r\nhttp://127.0.0.1:8080/\r\n"
                               "https://localhost:99/p\r\nhttp://plain/\r\n");
        StoredSearch search;
        search.pages = {{"[添加]", "http://www.A.com/", PageStatus::Done, 0}, {"1", "http://www.a.com/x", PageStatus::Waiting, 1}};
        search.pictures = {picture("http://a.com/z.gif"), picture("http://a.com/a.gif")};
        search.siteList = original.siteList().text();
        search.titles = true;
        QCOMPARE(restoreSearch(*session, search), Restored::AsStored);
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
