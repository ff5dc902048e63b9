#include "app/search_session.h"
#include "app/table_formats.h"
#include "app/window/form1.h"
#include "app/window/window_language.h"
#include "window_test_desktop.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

namespace {

bool hasChinese(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 0x2E80; });
}

int textWidth(const QWidget* widget, const QString& text)
{
    return widget->fontMetrics().horizontalAdvance(text);
}

} // namespace

// The window in English: every text translated and none cut off in the fixed layout.
class TestWindowEnglish : public QObject {
    Q_OBJECT

private:
    TestDesktop::Shared m_answers;
    Form1* m_form = nullptr;

private slots:
    void initTestCase()
    {
        installWindowLanguage(QStringLiteral("en"));
        m_form = new Form1(std::make_unique<TestDesktop>(m_answers));
        m_form->session().timer1Tick(); // the status panels' texts
    }
    void cleanupTestCase()
    {
        delete m_form;
        installWindowLanguage(QStringLiteral("zh"));
    }

    void buttonsTranslatedAndWhole_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"Command3", "Command4", "Command7", "Command6", "Command11", "Command8", "Command9",
                                 "Command5", "Command2", "Command12", "Command13"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void buttonsTranslatedAndWhole()
    {
        QFETCH(QString, name);
        const auto* button = m_form->findChild<QPushButton*>(name);
        QVERIFY(button);
        QVERIFY2(!hasChinese(button->text()), qPrintable(button->text()));
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        QVERIFY2(textWidth(button, button->text()) + 2 * margin <= button->width(),
                 qPrintable(QStringLiteral("%1 wide in %2").arg(textWidth(button, button->text())).arg(button->width())));
    }

    void checkBoxesTranslatedAndWhole_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Check1") << "Check1";
        QTest::newRow("Check2") << "Check2";
    }
    void checkBoxesTranslatedAndWhole()
    {
        QFETCH(QString, name);
        const auto* box = m_form->findChild<QCheckBox*>(name);
        QVERIFY(box);
        QVERIFY2(!hasChinese(box->text()), qPrintable(box->text()));
        const QStyle* style = box->style();
        const int needed = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box)
            + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box) + textWidth(box, box->text());
        QVERIFY2(needed <= box->width(), qPrintable(QStringLiteral("%1 in %2").arg(needed).arg(box->width())));
    }

    void labelsAndPanelsTranslatedAndWhole_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"Label1", "Label2", "Panel1", "Panel2", "Panel5"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void labelsAndPanelsTranslatedAndWhole()
    {
        QFETCH(QString, name);
        const auto* label = m_form->findChild<QLabel*>(name);
        QVERIFY(label);
        QVERIFY(!label->text().isEmpty());
        QVERIFY2(!hasChinese(label->text()), qPrintable(label->text()));
        QVERIFY2(textWidth(label, label->text()) <= label->contentsRect().width(),
                 qPrintable(QStringLiteral("%1 in %2").arg(textWidth(label, label->text())).arg(label->contentsRect().width())));
    }

    void tabsTranslatedAndWhole()
    {
        const auto* tabs = m_form->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
        QVERIFY(tabs);
        for (int tab = 0; tab < tabs->count(); ++tab) {
            const QString text = tabs->tabText(tab);
            QVERIFY2(!hasChinese(text), qPrintable(text));
            QVERIFY2(textWidth(tabs->tabBar(), text) < tabs->tabBar()->tabRect(tab).width(), qPrintable(text));
        }
    }

    void tipsAndHeadersTranslated()
    {
        const auto* pictures = m_form->findChild<QTableView*>(QStringLiteral("ListView1"));
        QVERIFY(pictures);
        QVERIFY2(!hasChinese(pictures->toolTip()), qPrintable(pictures->toolTip()));
        for (int column = 0; column < pictures->model()->columnCount(); ++column) {
            const QString header = pictures->model()->headerData(column, Qt::Horizontal).toString();
            QVERIFY2(!header.isEmpty() && !hasChinese(header), qPrintable(header));
        }
        const auto* logo = m_form->findChild<QLabel*>(QStringLiteral("Image1"));
        QVERIFY(logo);
        QVERIFY2(!hasChinese(logo->toolTip()), qPrintable(logo->toolTip()));
    }

    void newControlsTranslated()
    {
        for (const char* name : {"FilterText", "FilterMinWidth", "FilterMinHeight"}) {
            const auto* box = m_form->findChild<QLineEdit*>(QString::fromLatin1(name));
            QVERIFY2(!hasChinese(box->placeholderText()) && textWidth(box, box->placeholderText()) < box->width(), name);
        }
        const auto* view = m_form->findChild<QComboBox*>(QStringLiteral("ViewChoice"));
        for (int i = 0; i < view->count(); ++i)
            QVERIFY2(!hasChinese(view->itemText(i)), qPrintable(view->itemText(i)));
        auto* list = m_form->findChild<QTableView*>(QStringLiteral("ListView1"));
        QVERIFY(!list->actions().isEmpty());
        for (const QAction* action : list->actions())
            QVERIFY2(!hasChinese(action->text()), qPrintable(action->text()));
    }

    void savedFileKeepsItsHeader()
    {
        QVERIFY(pictureTableText(m_form->session().pictureTable(), TableFormat::Tsv)
                    .startsWith("文件名\t网址\t类型\t大小[KB]\t标题\t来源\t宽度\t高度\t下载状态\n"));
    }

    void language_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("language");
        QTest::newRow("Chinese system") << QStringList{} << "zh_CN" << "zh";
        QTest::newRow("Taiwanese system") << QStringList{} << "zh_TW" << "zh";
        QTest::newRow("English system") << QStringList{} << "en_US" << "en";
        QTest::newRow("German system") << QStringList{} << "de_DE" << "en";
        QTest::newRow("--lang zh on an English system") << QStringList{"--lang", "zh"} << "en_US" << "zh";
        QTest::newRow("--lang=en on a Chinese system") << QStringList{"--lang=en"} << "zh_CN" << "en";
        QTest::newRow("--lang fr refused") << QStringList{"--lang", "fr"} << "en_US" << "";
        QTest::newRow("--lang without a value refused") << QStringList{"--lang"} << "en_US" << "";
    }
    void language()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, locale);
        QFETCH(QString, language);
        QCOMPARE(windowLanguage(QStringList{"quorvane"} + arguments, QLocale(locale)).value_or(QString()), language);
    }
};

QTEST_MAIN(TestWindowEnglish)
#include "test_window_english.moc"
