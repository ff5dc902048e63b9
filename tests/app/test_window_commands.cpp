#include "app/search_session.h"
#include "app/window/form1.h"
#include "app/window/info_links.h"
#include "build_info.h"
#include "lists/page_table.h"
#include "lists/picture_table.h"
#include "site/test_site.h"
#include "window_test_desktop.h"

#include <QFile>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

PictureRow pictureRow(const QString& address, const QString& fileName, const QString& size)
{
    PictureRow row;
    row.address = address;
    row.fileName = fileName;
    row.type = QStringLiteral("JPG");
    row.size = size;
    return row;
}

} // namespace

class TestWindowCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startAndStopDriveTheSession();
    void requeueAll_data();
    void requeueAll();
    void requeueFailed();
    void headerClicksSort_data();
    void headerClicksSort();
    void saveWritesTheTable();
    void saveReplacesAnOldFile();
    void saveFailureIsTold();
    void saveCancelled();
    void doubleClickOpensWebAddressesOnly_data();
    void doubleClickOpensWebAddressesOnly();
    void doubleClickWithoutSelection();
    void informationLinks_data();
    void informationLinks();
    void fitColumns();
    void fitColumnsOfAnEmptyList();

private:
    QPushButton* button(const char* name) { return m_form->findChild<QPushButton*>(name); }
    QTableView* pictureList() { return m_form->findChild<QTableView*>("ListView1"); }
    PictureTable& pictures() { return m_form->session().pictureTable(); }
    void showForm();
    void clickHeader(int section);
    QString order();

    TestDesktop::Shared m_answers;
    Form1* m_form = nullptr;
};

void TestWindowCommands::init()
{
    m_answers = {};
    m_form = new Form1(std::make_unique<TestDesktop>(m_answers));
}

void TestWindowCommands::cleanup()
{
    delete m_form;
    m_form = nullptr;
}

void TestWindowCommands::showForm()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form, 5000));
}

void TestWindowCommands::clickHeader(int section)
{
    QHeaderView* header = pictureList()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QString TestWindowCommands::order()
{
    QString letters;
    for (int row = 0; row < pictures().size(); ++row)
        letters += pictures().row(row).address.right(1);
    return letters;
}

void TestWindowCommands::startAndStopDriveTheSession()
{
    TestSite site;
    QVERIFY(site.listen());
    site.setRoute("/start.htm", TestRoute{200, "text/html", "<html><body>start</body></html>", {}, false});
    const QString address = site.url("/start.htm");
    // Two lines that name one page (scheme in capitals, a fragment): one row, as first typed.
    m_form->findChild<QPlainTextEdit*>("Text1")->setPlainText(address + "\n" + QString(address).replace("http:", "HTTP:") + "#top\n");
    QWidget* shape = m_form->findChild<QWidget*>("Shape1");

    button("Command3")->click();
    QVERIFY(m_form->session().isRunning());
    QCOMPARE(m_form->session().pageTable().size(), 1);
    QCOMPARE(m_form->session().pageTable().row(1).address, address);
    QCOMPARE(m_form->session().pageTable().row(1).title, QStringLiteral("[添加]"));
    // The first dispatch, a second later, lights the activity indicator.
    QTRY_COMPARE_WITH_TIMEOUT(shape->palette().color(QPalette::Window), QColor(192, 255, 192), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(site.hits("/start.htm"), 1, 5000);

    button("Command4")->click();
    QVERIFY(!m_form->session().isRunning());
    QCOMPARE(shape->palette().color(QPalette::Window), QColor(Qt::white));
    for (int slot = 0; slot < 3; ++slot)
        QCOMPARE(m_form->session().browser(slot)->locationURL(), QStringLiteral("about:blank"));
}

void TestWindowCommands::requeueAll_data()
{
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("expected");

    QTest::newRow("no keeps done") << false << int(PageStatus::Done) << int(PageStatus::Done);
    QTest::newRow("no keeps failed") << false << int(PageStatus::Failed) << int(PageStatus::Failed);
    QTest::newRow("yes requeues done") << true << int(PageStatus::Done) << int(PageStatus::Waiting);
    QTest::newRow("yes requeues loading") << true << int(PageStatus::Downloading) << int(PageStatus::Waiting);
}

void TestWindowCommands::requeueAll()
{
    QFETCH(bool, answerYes);
    QFETCH(int, status);
    QFETCH(int, expected);
    PageTable& pages = m_form->session().pageTable();
    pages.addRow(QStringLiteral("[添加]"), QStringLiteral("http://127.0.0.1:1/a.htm"));
    pages.setStatus(1, PageStatus(status));
    m_answers.answerYes = answerYes;

    button("Command6")->click();
    QCOMPARE(m_answers.questions,
             QStringList{QString::fromUtf8(BuildInfo::title) + "|重新提取可能要花费很多时间，要继续吗？"});
    QCOMPARE(int(pages.row(1).status), expected);
    QVERIFY(!m_form->session().isRunning());
}

void TestWindowCommands::requeueFailed()
{
    PageTable& pages = m_form->session().pageTable();
    pages.addRow(QStringLiteral("1"), QStringLiteral("http://127.0.0.1:1/a.htm"));
    pages.addRow(QStringLiteral("1"), QStringLiteral("http://127.0.0.1:1/b.htm"));
    pages.setStatus(1, PageStatus::Failed);
    pages.setStatus(2, PageStatus::Done);
    button("Command7")->click();
    QCOMPARE(pages.row(1).status, PageStatus::Waiting);
    QCOMPARE(pages.row(2).status, PageStatus::Done);
    QVERIFY(m_answers.questions.isEmpty());
}

void TestWindowCommands::headerClicksSort_data()
{
    QTest::addColumn<QList<int>>("sections");
    QTest::addColumn<QString>("expected");

    QTest::newRow("name descending") << QList<int>{0} << "cabd";
    QTest::newRow("name twice") << QList<int>{0, 0} << "dabc";
    QTest::newRow("size by value") << QList<int>{3} << "dabc";
    QTest::newRow("size twice, empty first") << QList<int>{3, 3} << "cbad";
    QTest::newRow("direction shared") << QList<int>{0, 3} << "cbad";
}

void TestWindowCommands::headerClicksSort()
{
    QFETCH(QList<int>, sections);
    QFETCH(QString, expected);
    pictures().addRow(pictureRow("http://h/a", "b.jpg", "10.000"));
    pictures().addRow(pictureRow("http://h/b", "B.jpg", "9.500"));
    pictures().addRow(pictureRow("http://h/c", "c.jpg", ""));
    pictures().addRow(pictureRow("http://h/d", "a.jpg", "1,234.568"));
    showForm();
    for (const int section : sections)
        clickHeader(section);
    QCOMPARE(order(), expected);
    // The view shows the model's order, and the size cells as they were written.
    QTableView* list = pictureList();
    for (int row = 0; row < pictures().size(); ++row) {
        QCOMPARE(list->model()->index(row, 1).data().toString(), pictures().row(row).address);
    }
    QCOMPARE(list->model()->index(expected.indexOf('d'), 3).data().toString(), QStringLiteral("1,234.568"));
}

void TestWindowCommands::saveWritesTheTable()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    PictureRow first = pictureRow("http://h/x/b.gif", "b.gif", "1,024.000");
    first.type = "GIF";
    first.title = "A\ttitle";
    first.source = "http://h/x/";
    PictureRow second = pictureRow("http://h/a.jpg", "a.jpg", "");
    second.width = "32";
    second.height = "16";
    second.downloadStatus = "下载完成";
    pictures().addRow(first);
    pictures().addRow(second);
    pictures().sortByColumnClick(2); // table order is what is written: b.gif first

    m_answers.file = dir.filePath("pictures.txt");
    button("Command2")->click();
    QCOMPARE(m_answers.dialogSuffix, QStringLiteral("txt"));
    QCOMPARE(m_answers.dialogFilters, QStringList{"*.txt"});
    QVERIFY(m_answers.dialogSaves);
    QVERIFY(m_answers.failures.isEmpty());

    QFile saved(*m_answers.file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray expected = QStringLiteral(
        "文件名\t网址\t类型\t大小[KB]\t标题\t来源\t宽度\t高度\t下载状态\n"
        "b.gif\thttp://h/x/b.gif\tGIF\t1,024.000\tA title\thttp://h/x/\t\t\t\n"
        "a.jpg\thttp://h/a.jpg\tJPG\t\t\t\t32\t16\t下载完成\n").toUtf8();
    QCOMPARE(saved.readAll(), expected);
}

void TestWindowCommands::saveReplacesAnOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    m_answers.file = dir.filePath("old.txt");
    QFile old(*m_answers.file);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(10000, 'x'));
    old.close();
    button("Command2")->click();
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QStringLiteral("文件名\t网址\t类型\t大小[KB]\t标题\t来源\t宽度\t高度\t下载状态\n").toUtf8());
}

void TestWindowCommands::saveFailureIsTold()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    m_answers.file = dir.filePath("missing/folder/pictures.txt");
    button("Command2")->click();
    QCOMPARE(m_answers.failures.size(), 1);
    QVERIFY(m_answers.failures.constFirst().contains(*m_answers.file));
    QVERIFY(!QFile::exists(*m_answers.file));
}

void TestWindowCommands::saveCancelled()
{
    m_answers.file.reset();
    button("Command2")->click();
    QVERIFY(m_answers.failures.isEmpty());
    QCOMPARE(m_answers.dialogSuffix, QStringLiteral("txt"));
}

void TestWindowCommands::doubleClickOpensWebAddressesOnly_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("opened");

    QTest::newRow("http") << "http://127.0.0.1/a.jpg" << true;
    QTest::newRow("https, capitals") << "HTTPS://www.example.com/b.png" << true;
    QTest::newRow("file") << "file:///etc/passwd" << false;
    QTest::newRow("javascript") << "javascript:alert(1)" << false;
    QTest::newRow("ftp") << "ftp://www.example.com/c.gif" << false;
    QTest::newRow("custom handler") << "ms-settings:network" << false;
    QTest::newRow("no host") << "http:///d.gif" << false;
}

void TestWindowCommands::doubleClickOpensWebAddressesOnly()
{
    QFETCH(QString, address);
    QFETCH(bool, opened);
    pictures().addRow(pictureRow(address, "x.jpg", ""));
    showForm();
    QTableView* list = pictureList();
    const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
    // The press of a double-click comes first, as from a real mouse.
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(m_answers.opened.size(), opened ? 1 : 0);
    if (opened)
        QCOMPARE(m_answers.opened.constFirst(), QUrl(address));
}

void TestWindowCommands::doubleClickWithoutSelection()
{
    pictures().addRow(pictureRow("http://127.0.0.1/a.jpg", "a.jpg", ""));
    showForm();
    QTableView* list = pictureList();
    list->clearSelection();
    emit list->doubleClicked(list->model()->index(0, 0));
    // Below the last row: nothing there to select.
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, list->viewport()->height() - 5));
    QVERIFY(m_answers.opened.isEmpty());
}

void TestWindowCommands::informationLinks_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("address");

    QTest::newRow("最新版本") << "Command11" << InfoLinks::programPage;
    QTest::newRow("定制软件") << "Command9" << InfoLinks::customSoftware;
    QTest::newRow("其他Brinvale") << "Command8" << InfoLinks::homePage;
    QTest::newRow("logo") << "Image1" << InfoLinks::homePage;
}

void TestWindowCommands::informationLinks()
{
    QFETCH(QString, control);
    QFETCH(QString, address);
    showForm();
    QWidget* widget = m_form->findChild<QWidget*>(control);
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    QCOMPARE(m_answers.opened, QList<QUrl>{QUrl(address)});
}

void TestWindowCommands::fitColumns()
{
    const QString longAddress = "http://127.0.0.1/" + QString(120, 'w') + ".jpg";
    pictures().addRow(pictureRow("http://127.0.0.1/a.jpg", "a.jpg", "1.000"));
    pictures().addRow(pictureRow(longAddress, "中文图片名字很长很长很长很长.jpg", "12,345.678"));
    showForm();
    QTableView* list = pictureList();
    QHeaderView* header = list->horizontalHeader();
    button("Command5")->click();

    const QFontMetrics metrics = list->fontMetrics();
    QVERIFY(header->sectionSize(1) >= metrics.horizontalAdvance(longAddress));
    QVERIFY(header->sectionSize(1) < metrics.horizontalAdvance(longAddress) + 40);
    QVERIFY(header->sectionSize(0) >= metrics.horizontalAdvance(pictures().row(1).fileName));
    for (int column = 0; column < header->count(); ++column)
        QVERIFY(header->sectionSize(column) >= header->sectionSizeHint(column));
    // "类型" holds "JPG" only: narrower than its design width.
    QCOMPARE(header->sectionSize(2), header->sectionSizeHint(2));
    int total = 0;
    for (int column = 0; column < header->count(); ++column)
        total += header->sectionSize(column);
    QVERIFY(total >= list->viewport()->width());
}

void TestWindowCommands::fitColumnsOfAnEmptyList()
{
    showForm();
    QTableView* list = pictureList();
    QHeaderView* header = list->horizontalHeader();
    button("Command5")->click();
    int others = 0;
    for (int column = 0; column + 1 < header->count(); ++column) {
        QCOMPARE(header->sectionSize(column), header->sectionSizeHint(column));
        others += header->sectionSize(column);
    }
    // The last column takes the rest of the width.
    QCOMPARE(header->sectionSize(header->count() - 1), list->viewport()->width() - others);
}

QTEST_MAIN(TestWindowCommands)
#include "test_window_commands.moc"
