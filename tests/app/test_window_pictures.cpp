#include "app/downloads/picture_downloads.h"
#include "app/search_session.h"
#include "app/window/form1.h"
#include "app/window/picture_actions.h"
#include "app/window/picture_grid.h"
#include "app/window/shown_pictures.h"
#include "app/window/thumbnail_cache.h"
#include "lists/picture_table.h"
#include "platform/url_cache.h"
#include "site/picture_bytes.h"
#include "window_test_desktop.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <set>

namespace {

PictureRow row(const QString& address, const QString& type, const QString& width = {}, const QString& height = {})
{
    PictureRow picture;
    picture.address = address;
    picture.fileName = address.section(QLatin1Char('/'), -1);
    picture.type = type;
    picture.width = width;
    picture.height = height;
    return picture;
}

QStringList shownAddresses(const QAbstractItemModel& model)
{
    QStringList addresses;
    for (int r = 0; r < model.rowCount(); ++r)
        addresses.append(model.index(r, PictureTable::Address).data().toString());
    return addresses;
}

// The rows of the grid whose cells can be seen.
std::set<int> cellsInView(const PictureGrid& grid)
{
    // Near the top left cell: a viewport holds far fewer than a hundred cells.
    const int near = std::max(0, grid.indexAt(QPoint(2, 2)).row());
    std::set<int> rows;
    for (int r = std::max(0, near - 100); r < std::min(grid.model()->rowCount(), near + 200); ++r) {
        if (grid.visualRect(grid.model()->index(r, 0)).intersects(grid.viewport()->rect()))
            rows.insert(r);
    }
    return rows;
}

// Every cell in view has its thumbnail, or knows it has none.
bool allReady(const PictureGrid& grid, const ThumbnailCache& thumbnails)
{
    const std::set<int> cells = cellsInView(grid);
    if (cells.empty())
        return false; // not laid out yet
    for (const int r : cells) {
        const QString address = grid.model()->index(r, PictureTable::Address).data().toString();
        if (thumbnails.state(address) == ThumbnailCache::State::Missing)
            return false;
    }
    return true;
}

// Pictures whose bytes the URL cache holds, so the grid never fetches.
void addCachedPictures(PictureTable& table, UrlCache& cache, int count)
{
    const QByteArray picture = pngPicture(300, 200, 200);
    std::vector<PictureRow> rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back(row(QStringLiteral("http://127.0.0.1:9/p/%1.png").arg(i), QStringLiteral("png")));
        cache.store(rows.back().address, picture);
    }
    table.addRows(rows);
}

// Runs the event loop until ready says so, at most a few seconds.
bool waitFor(const std::function<bool()>& ready)
{
    QElapsedTimer clock;
    clock.start();
    while (!ready()) {
        if (clock.elapsed() > 5'000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace

class TestWindowPictures : public QObject {
    Q_OBJECT

private:
    TestDesktop::Shared m_answers;
    Form1* m_form = nullptr;

    PictureTable& table() { return m_form->session().pictureTable(); }
    void setInputs(const QString& text, const QString& minWidth, const QString& minHeight, int type)
    {
        m_form->findChild<QLineEdit*>(QStringLiteral("FilterText"))->setText(text);
        m_form->findChild<QLineEdit*>(QStringLiteral("FilterMinWidth"))->setText(minWidth);
        m_form->findChild<QLineEdit*>(QStringLiteral("FilterMinHeight"))->setText(minHeight);
        m_form->findChild<QComboBox*>(QStringLiteral("FilterType"))->setCurrentIndex(type);
        QTRY_VERIFY(!m_form->shownPictures().isJudging());
    }

private slots:
    void init()
    {
        m_answers = {};
        m_form = new Form1(std::make_unique<TestDesktop>(m_answers));
        const QList<PictureRow> rows = {
            row(QStringLiteral("http://a.test/img/big.jpg"), QStringLiteral("jpg"), QStringLiteral("800"), QStringLiteral("600")),
            row(QStringLiteral("http://a.test/b.png"), QStringLiteral("png"), QStringLiteral("100"), QStringLiteral("100")),
            row(QStringLiteral("http://a.test/img/wide.jpeg"), QStringLiteral("jpeg"), QStringLiteral("1000"), QStringLiteral("50")),
            row(QStringLiteral("http://a.test/d.gif"), QStringLiteral("gif")),
            row(QStringLiteral("http://a.test/logo-small.png"), QStringLiteral("png"), QStringLiteral("20"), QStringLiteral("20")),
        };
        for (const PictureRow& picture : rows)
            table().addRow(picture);
    }
    void cleanup()
    {
        delete m_form;
        m_form = nullptr;
    }

    void filterShowsThePassingRows_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("minWidth");
        QTest::addColumn<QString>("minHeight");
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("shown"); // file names, in the table's order
        QTest::newRow("text in the file name, any case") << "LOGO" << "" << "" << 0 << QStringList{"logo-small.png"};
        QTest::newRow("text in the address") << "img/" << "" << "" << 0 << QStringList{"big.jpg", "wide.jpeg"};
        QTest::newRow("regular expression") << "/\\.(png|gif)$" << "" << "" << 0
                                            << QStringList{"b.png", "d.gif", "logo-small.png"};
        QTest::newRow("unfinished expression keeps all") << "/(" << "" << "" << 0
                                                         << QStringList{"big.jpg", "b.png", "wide.jpeg", "d.gif", "logo-small.png"};
        QTest::newRow("least width, unknown width hidden") << "" << "500" << "" << 0 << QStringList{"big.jpg", "wide.jpeg"};
        QTest::newRow("least width and height") << "" << "500" << "500" << 0 << QStringList{"big.jpg"};
        QTest::newRow("jpg takes jpeg") << "" << "" << "" << 1 << QStringList{"big.jpg", "wide.jpeg"};
    }
    void filterShowsThePassingRows()
    {
        QFETCH(QString, text);
        QFETCH(QString, minWidth);
        QFETCH(QString, minHeight);
        QFETCH(int, type);
        QFETCH(QStringList, shown);
        setInputs(text, minWidth, minHeight, type);
        auto* list = m_form->findChild<QTableView*>(QStringLiteral("ListView1"));
        auto* grid = m_form->findChild<PictureGrid*>(QStringLiteral("PictureGrid"));
        QStringList names;
        for (int r = 0; r < list->model()->rowCount(); ++r)
            names.append(list->model()->index(r, PictureTable::FileName).data().toString());
        QCOMPARE(names, shown);
        QCOMPARE(grid->model(), list->model());
        const auto* count = m_form->findChild<QLabel*>(QStringLiteral("ShownCount"));
        // Said only while rows are hidden.
        QCOMPARE(count->isHidden() ? QString() : count->text(),
                 shown.size() < 5 ? QStringLiteral("显示 %1 / 5").arg(shown.size()) : QString());
        QCOMPARE(table().size(), 5); // the table keeps every row
    }

    void filterFollowsSortAddsAndMeasures()
    {
        // Enough rows that judging takes several slices; rows come and a sort falls meanwhile.
        PictureTable table;
        std::vector<PictureRow> rows;
        for (int i = 0; i < 60'000; ++i)
            rows.push_back(row(QStringLiteral("http://a.test/%1/p%2.png").arg(i % 7).arg(i), QStringLiteral("png"),
                               QString::number(i % 1000)));
        table.addRows(rows);
        ShownPictures shown(table);
        PictureFilter filter;
        filter.text = QStringLiteral("/3/");
        filter.minWidth = 500;
        shown.setFilter(filter);
        QVERIFY(shown.isJudging());
        table.addRow(row(QStringLiteral("http://a.test/3/late.png"), QStringLiteral("png"), QStringLiteral("900")));
        table.sortByColumnClick(2);
        table.addRow(row(QStringLiteral("http://a.test/3/later.png"), QStringLiteral("png"), QStringLiteral("900")));
        QTRY_VERIFY(!shown.isJudging());
        // A picture measured after judging comes into view; one shrunk leaves it.
        const int measured = *table.rowOfAddress(QStringLiteral("http://a.test/3/p3.png"));
        table.setFigures(measured, {std::nullopt, 700, 10});
        table.addRow(row(QStringLiteral("http://a.test/3/small.png"), QStringLiteral("png"), QStringLiteral("9")));

        QStringList expected;
        for (int r = 0; r < table.size(); ++r) {
            if (filter.judge(table.row(r)) == PictureFilter::Verdict::Pass)
                expected.append(table.row(r).address);
        }
        QVERIFY(expected.contains(QStringLiteral("http://a.test/3/p3.png")));
        QCOMPARE(shownAddresses(shown), expected);
    }

    void gridDecodesOnlyCellsInView()
    {
        UrlCache cache;
        PictureTable table;
        addCachedPictures(table, cache, 2'000);
        ShownPictures shown(table);
        ThumbnailCache thumbnails(&cache, nullptr);
        PictureGrid grid(shown, thumbnails);
        grid.resize(864, 423);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QTRY_VERIFY(allReady(grid, thumbnails));
        const std::set<int> first = cellsInView(grid);
        QVERIFY(!first.empty() && first.size() < 100);
        QCOMPARE(thumbnails.decodesBegun(), int(first.size()));
        const QImage thumbnail = thumbnails.thumbnail(shown.index(*first.begin(), PictureTable::Address).data().toString());
        QCOMPARE(thumbnail.size(), QSize(128, 85)); // 300 x 200 fitted into 128

        // Straight to the end: nothing between is decoded.
        grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
        QTRY_VERIFY(allReady(grid, thumbnails));
        QCOMPARE(thumbnails.decodesBegun(), int(first.size() + cellsInView(grid).size()));
    }

    void undecodablePictureShowsItsType()
    {
        UrlCache cache;
        PictureTable table;
        table.addRow(row(QStringLiteral("http://127.0.0.1:9/broken.webp"), QStringLiteral("webp")));
        cache.store(QStringLiteral("http://127.0.0.1:9/broken.webp"), QByteArray("RIFF....not a picture"));
        table.addRow(row(QStringLiteral("file:///etc/passwd.png"), QStringLiteral("png")));
        ShownPictures shown(table);
        ThumbnailCache thumbnails(&cache, nullptr);
        thumbnails.want(QStringLiteral("http://127.0.0.1:9/broken.webp"));
        thumbnails.want(QStringLiteral("file:///etc/passwd.png")); // never read from disk
        QTRY_COMPARE(thumbnails.state(QStringLiteral("http://127.0.0.1:9/broken.webp")), ThumbnailCache::State::Undecodable);
        QTRY_COMPARE(thumbnails.state(QStringLiteral("file:///etc/passwd.png")), ThumbnailCache::State::Undecodable);
    }

    void thumbnailCacheKeepsItsBoundWhileScrolling()
    {
        UrlCache cache;
        PictureTable table;
        addCachedPictures(table, cache, 20'000);
        ShownPictures shown(table);
        constexpr qint64 budget = 2 * 1024 * 1024; // about 50 thumbnails
        ThumbnailCache thumbnails(&cache, nullptr, budget);
        PictureGrid grid(shown, thumbnails);
        grid.resize(864, 900);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QScrollBar* bar = grid.verticalScrollBar();
        qint64 most = 0;
        for (int value = 0;; value += bar->pageStep()) {
            bar->setValue(value);
            QVERIFY(waitFor([&] { return allReady(grid, thumbnails); }));
            most = std::max(most, thumbnails.bytesHeld());
            QVERIFY2(thumbnails.bytesHeld() <= budget, qPrintable(QString::number(thumbnails.bytesHeld())));
            if (value >= bar->maximum())
                break;
        }
        QVERIFY(most > budget - 64 * 1024); // the bound was reached, not merely respected
        QVERIFY(thumbnails.decodesBegun() > 1000);
    }

    void contextActionsOnASelection()
    {
        // Sorted, then picked out of order: the copy follows the view.
        table().addRow(row(QStringLiteral("ftp://a.test/f.png"), QStringLiteral("png")));
        table().sortByColumnClick(2);
        auto* list = m_form->findChild<QTableView*>(QStringLiteral("ListView1"));
        QStringList viewOrder = shownAddresses(*list->model());
        QItemSelectionModel* selection = list->selectionModel();
        for (const int r : {4, 0, 5})
            selection->select(list->model()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);

        list->findChild<QAction*>(QStringLiteral("copyAddresses"))->trigger();
        const QString copied = viewOrder.at(0) + '\n' + viewOrder.at(4) + '\n' + viewOrder.at(5) + '\n';
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
        QGuiApplication::clipboard()->clear();
        m_form->show();
        QApplication::setActiveWindow(m_form);
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);

        list->findChild<QAction*>(QStringLiteral("openPictures"))->trigger();
        QCOMPARE(m_answers.opened.size(), 2); // ftp: is refused
        for (const QUrl& url : std::as_const(m_answers.opened))
            QCOMPARE(url.scheme(), QStringLiteral("http"));
    }

    void openingIsBounded()
    {
        for (int i = 0; i < PictureActions::kMaxOpened + 5; ++i)
            table().addRow(row(QStringLiteral("http://a.test/many/%1.png").arg(i), QStringLiteral("png")));
        auto* list = m_form->findChild<QTableView*>(QStringLiteral("ListView1"));
        list->selectAll();
        list->findChild<QAction*>(QStringLiteral("openPictures"))->trigger();
        QCOMPARE(m_answers.opened.size(), PictureActions::kMaxOpened);
    }

    void downloadAllTakesTheRowsShown()
    {
        QTemporaryDir dir;
        m_answers.folder = dir.path();
        setInputs(QStringLiteral("img/"), {}, {}, 0);
        m_form->findChild<QPushButton*>(QStringLiteral("Command12"))->click();
        for (int r = 0; r < table().size(); ++r) {
            const bool shown = table().cellText(r, PictureTable::Address).contains(QStringLiteral("img/"));
            QCOMPARE(!table().cellText(r, PictureTable::DownloadStatus).isEmpty(), shown);
        }
        m_form->downloader().stop();
    }

    void viewChoiceRaisesTheTabs()
    {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        auto* tabs = m_form->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
        const QPoint middle = tabs->geometry().center();
        m_form->showPictureView(Form1::PictureViewChoice::Tabs);
        QVERIFY(tabs->isAncestorOf(m_form->childAt(middle)) || m_form->childAt(middle) == tabs);
        QVERIFY(m_form->findChild<PictureGrid*>(QStringLiteral("PictureGrid"))->isHidden());
        m_form->showPictureView(Form1::PictureViewChoice::Grid);
        QCOMPARE(m_form->childAt(middle)->parentWidget(), m_form->findChild<PictureGrid*>(QStringLiteral("PictureGrid")));
        QVERIFY(m_form->findChild<QTableView*>(QStringLiteral("ListView1"))->isHidden());
    }
};

QTEST_MAIN(TestWindowPictures)
#include "test_window_pictures.moc"
