#include "app/search_session.h"
#include "app/window/browser_view.h"
#include "app/window/form1.h"
#include "app/window/shown_pictures.h"
#include "app/window/logo_image.h"
#include "app/window/twips.h"
#include "window_test_desktop.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QAbstractProxyModel>
#include <QTest>

class TestWindowStartup : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void caption();
    void fixedCentredWindow();
    void controls_data();
    void controls();
    void labelsSizedToText();
    void initialState();
    void tabs();
    void tabContentsFillTheirTabs_data();
    void tabContentsFillTheirTabs();
    void pictureColumns();
    void statusPanelsWaitForTheWatchdog();
    void closingStopsTheSearch();

private:
    TestDesktop::Shared m_answers;
    Form1* m_form = nullptr;
};

void TestWindowStartup::init()
{
    m_answers = {};
    m_form = new Form1(std::make_unique<TestDesktop>(m_answers));
}

void TestWindowStartup::cleanup()
{
    delete m_form;
    m_form = nullptr;
}

void TestWindowStartup::caption()
{
    const QRegularExpression shape(QStringLiteral("^Quorvane V\\d+\\.\\d+\\.\\d+ - Brinvale$"));
    QVERIFY2(shape.match(m_form->windowTitle()).hasMatch(), qPrintable(m_form->windowTitle()));
}

void TestWindowStartup::fixedCentredWindow()
{
    QCOMPARE(m_form->size(), QSize(883, 637));
    QCOMPARE(m_form->minimumSize(), QSize(883, 637));
    QCOMPARE(m_form->maximumSize(), QSize(883, 637));
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(m_form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(m_form->windowFlags() & Qt::WindowCloseButtonHint);
    const QRect screen = m_form->screen()->availableGeometry();
    QVERIFY(qAbs(m_form->geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(m_form->geometry().center().y() - screen.center().y()) <= 1);
}

void TestWindowStartup::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QString>("caption");

    QTest::newRow("Text1") << "Text1" << "Form1" << "";
    QTest::newRow("Command3") << "Command3" << "Form1" << "开始搜索";
    QTest::newRow("Command4") << "Command4" << "Form1" << "停止搜索";
    QTest::newRow("Shape1") << "Shape1" << "Form1" << "";
    QTest::newRow("Command7") << "Command7" << "Form1" << "重新搜索出错项";
    QTest::newRow("Command6") << "Command6" << "Form1" << "全部重新搜索";
    QTest::newRow("Image1") << "Image1" << "Form1" << "";
    QTest::newRow("Command11") << "Command11" << "Form1" << "最新版本";
    QTest::newRow("Command8") << "Command8" << "Form1" << "其他Brinvale";
    QTest::newRow("Command9") << "Command9" << "Form1" << "定制软件";
    QTest::newRow("Command1") << "Command1" << "Form1" << "加入下载";
    QTest::newRow("Frame1") << "Frame1" << "Form1" << "";
    QTest::newRow("SSTab1") << "SSTab1" << "Form1" << "";
    QTest::newRow("StatusBar1") << "StatusBar1" << "Form1" << "";
    QTest::newRow("Check1") << "Check1" << "Frame1" << "提取标题";
    QTest::newRow("Check2") << "Check2" << "Frame1" << "提取来源";
    QTest::newRow("Command5") << "Command5" << "Frame1" << "等宽显示";
    QTest::newRow("Command2") << "Command2" << "Frame1" << "另存为";
    QTest::newRow("Command12") << "Command12" << "Frame1" << "下载全部";
    QTest::newRow("Command13") << "Command13" << "Frame1" << "停止下载";
    QTest::newRow("ListView1") << "ListView1" << "Frame1" << "";
}

// Each control is where its parent shows it whole: the window has a fixed size, so a
// control that reaches past its parent's edge is cut off for good.
void TestWindowStartup::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QString, caption);
    auto* control = m_form->findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->parentWidget()->objectName(), parentName);
    QVERIFY(!control->geometry().isEmpty());
    QVERIFY2(control->parentWidget()->rect().contains(control->geometry()),
             qPrintable(QStringLiteral("%1 %2,%3 %4x%5").arg(name).arg(control->x()).arg(control->y())
                            .arg(control->width()).arg(control->height())));
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        QCOMPARE(button->text(), caption);
}

void TestWindowStartup::labelsSizedToText()
{
    auto* label1 = m_form->findChild<QLabel*>("Label1");
    auto* label2 = m_form->findChild<QLabel*>("Label2");
    QVERIFY(label1 && label2);
    QCOMPARE(label1->text(), QStringLiteral("待搜索网站清单："));
    QCOMPARE(label1->pos(), QPoint(twipsToPixels(135), twipsToPixels(75)));
    QCOMPARE(label1->size(), label1->sizeHint());
    QCOMPARE(label2->text(), QStringLiteral("全智能化搜索！整站彻底搜索！"));
    QCOMPARE(label2->pos(), QPoint(twipsToPixels(2640), twipsToPixels(45)));
    QCOMPARE(label2->palette().color(QPalette::WindowText), QColor(Qt::red));
}

void TestWindowStartup::initialState()
{
    QCOMPARE(m_form->startText(), QStringLiteral("http://www.example.com/\r\nhttp://www.example.org/\r\n"));
    QVERIFY(m_form->findChild<QWidget*>("Command1")->isHidden());
    QVERIFY(!m_form->findChild<QCheckBox*>("Check1")->isChecked());
    QVERIFY(!m_form->findChild<QCheckBox*>("Check2")->isChecked());
    QCOMPARE(m_form->findChild<QWidget*>("Shape1")->palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(!m_form->session().isRunning());
    QCOMPARE(m_form->session().pictureTable().size(), 0);
    QCOMPARE(m_form->session().pageTable().size(), 0);

    auto* list = m_form->findChild<QTableView*>("ListView1");
    QCOMPARE(list->toolTip(), QStringLiteral("双击查看图片"));
    QCOMPARE(list->model(), &m_form->shownPictures());
    QCOMPARE(&m_form->shownPictures().table(), &m_form->session().pictureTable());
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);

    auto* logo = m_form->findChild<LogoImage*>("Image1");
    QCOMPARE(logo->toolTip(), QStringLiteral("点击访问Brinvale网站..."));
    QCOMPARE(logo->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(LogoImage::drawLogo().size(), QSize(360, 90));

    for (int slot = 0; slot < 3; ++slot) {
        QCOMPARE(m_form->session().browser(slot)->locationURL(), QStringLiteral("about:blank"));
        auto* view = m_form->findChild<BrowserView*>(QStringLiteral("Wb1_%1").arg(slot));
        QVERIFY(view);
        QCOMPARE(view->shownAddress(), QStringLiteral("about:blank"));
    }
}

void TestWindowStartup::tabs()
{
    auto* tabs = m_form->findChild<QTabWidget*>("SSTab1");
    QVERIFY(tabs);
    const QStringList captions = {"图片网址", "全部网页", "浏览器0", "浏览器1", "浏览器2", "源代码"};
    QCOMPARE(tabs->count(), captions.size());
    for (int tab = 0; tab < tabs->count(); ++tab)
        QCOMPARE(tabs->tabText(tab), captions.at(tab));
    QCOMPARE(tabs->currentIndex(), 0);

    auto* pages = m_form->findChild<QTableView*>("ListView2");
    QVERIFY(pages);
    QVERIFY(pages->isHidden());
    QCOMPARE(qobject_cast<QAbstractProxyModel*>(pages->model())->sourceModel(), &m_form->session().pageTable());
    QCOMPARE(pages->parentWidget(), tabs->widget(1));
    auto* source = m_form->findChild<QPlainTextEdit*>("RichTextBox1");
    QVERIFY(source);
    QVERIFY(source->isReadOnly());
    QCOMPARE(source->toPlainText(), QStringLiteral("RichTextBox1"));
    QCOMPARE(source->parentWidget(), tabs->widget(5));
}

void TestWindowStartup::tabContentsFillTheirTabs_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tab");

    QTest::newRow("ListView2") << "ListView2" << 1;
    QTest::newRow("Picture1(0)") << "Picture1_0" << 2;
    QTest::newRow("Picture1(1)") << "Picture1_1" << 3;
    QTest::newRow("Picture1(2)") << "Picture1_2" << 4;
    QTest::newRow("RichTextBox1") << "RichTextBox1" << 5;
}

// Each tab's content begins below the tabs and fills the rest of the control: no tab covered,
// no empty stretch of page around it.
void TestWindowStartup::tabContentsFillTheirTabs()
{
    QFETCH(QString, name);
    QFETCH(int, tab);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form, 5000));
    auto* tabs = m_form->findChild<QTabWidget*>("SSTab1");
    tabs->setCurrentIndex(tab);
    auto* control = m_form->findChild<QWidget*>(name);
    QVERIFY(control);
    const QRect place(control->mapTo(tabs, QPoint(0, 0)), control->size());
    const QRect bar = tabs->tabBar()->geometry();
    QVERIFY2(place.top() > bar.bottom() && place.top() <= bar.bottom() + 10, qPrintable(QString::number(place.top())));
    QVERIFY(place.left() >= 0 && place.left() <= 10);
    QVERIFY(place.right() >= tabs->rect().right() && place.bottom() >= tabs->rect().bottom());
}

void TestWindowStartup::pictureColumns()
{
    auto* list = m_form->findChild<QTableView*>("ListView1");
    const QStringList headers = {"文件名", "网址", "类型", "大小[KB]", "标题", "来源", "宽度", "高度", "下载状态"};
    const int widths[] = {2000, 3500, 1200, 1440, 2000, 3500, 1440, 1440, 1440};
    QCOMPARE(list->model()->columnCount(), headers.size());
    for (int column = 0; column < headers.size(); ++column) {
        QCOMPARE(list->model()->headerData(column, Qt::Horizontal).toString(), headers.at(column));
        QCOMPARE(list->horizontalHeader()->sectionSize(column), twipsToPixels(widths[column]));
        const auto alignment = Qt::Alignment(
            list->model()->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
        QCOMPARE(bool(alignment & Qt::AlignRight), column == 3);
    }
}

void TestWindowStartup::statusPanelsWaitForTheWatchdog()
{
    auto* bar = m_form->findChild<QStatusBar*>("StatusBar1");
    QVERIFY(bar);
    const int widths[] = {1440, 1440, 7125, 1440, 1440};
    QLabel* panels[5];
    for (int panel = 0; panel < 5; ++panel) {
        panels[panel] = bar->findChild<QLabel*>(QStringLiteral("Panel%1").arg(panel + 1));
        QVERIFY(panels[panel]);
        QCOMPARE(panels[panel]->width(), twipsToPixels(widths[panel]));
    }
    // Empty until the first tick of the watchdog, a second after start-up.
    QCOMPARE(panels[0]->text(), QString());
    QCOMPARE(panels[1]->text(), QString());
    QCOMPARE(panels[4]->text(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(panels[0]->text(), QStringLiteral("图片总数：0"), 5000);
    QCOMPARE(panels[1]->text(), QStringLiteral("网页总数：0"));
    QCOMPARE(panels[4]->text(), QStringLiteral("总进度：0%"));
}

void TestWindowStartup::closingStopsTheSearch()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form, 5000));
    m_form->session().startSearch(QString()); // the dispatch timer on, with nothing to load
    QVERIFY(m_form->session().isRunning());
    QVERIFY(m_form->close());
    QVERIFY(!m_form->session().isRunning());
    for (int slot = 0; slot < 3; ++slot)
        QCOMPARE(m_form->session().browser(slot)->locationURL(), QStringLiteral("about:blank"));
    QCOMPARE(m_answers.questions, QStringList()); // nothing is asked
}

QTEST_MAIN(TestWindowStartup)
#include "test_window_startup.moc"
