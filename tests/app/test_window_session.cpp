#include "app/search_session.h"
#include "app/session_recorder.h"
#include "app/window/form1.h"
#include "build_info.h"
#include "store/file_bytes.h"
#include "window_test_desktop.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString restoreQuestion = QStringLiteral("上次的搜索没有正常结束，要恢复吗？");
const QString saveQuestion = QStringLiteral("是否保存图片列表？");

QString asked(const QString& text)
{
    return QString::fromUtf8(BuildInfo::title) + QLatin1Char('|') + text;
}

PictureRow picture(const QString& address)
{
    PictureRow row;
    row.fileName = address.section(u'/', -1);
    row.address = address;
    row.type = QStringLiteral("gif");
    return row;
}

// The picture rows committed to a session file, read beside the window's own connection.
int storedPictures(const QString& path)
{
    int rows = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
        db.setDatabaseName(path);
        QSqlQuery query(db);
        if (db.open() && query.exec(QStringLiteral("SELECT count(*) FROM pictures")) && query.next())
            rows = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("reader"));
    return rows;
}

} // namespace

class TestWindowSession : public QObject {
    Q_OBJECT

private:
    TestDesktop::Shared answers;
    QTemporaryDir dir;

    std::unique_ptr<Form1> window(const QString& sessionFile = {})
    {
        return std::make_unique<Form1>(std::make_unique<TestDesktop>(answers), nullptr, sessionFile);
    }
    QString file(const QString& name) const { return dir.filePath(name); }

private slots:
    void init() { answers = {}; }

    void closeQuestion_data()
    {
        QTest::addColumn<int>("pictures");
        QTest::addColumn<bool>("savedFirst");
        QTest::addColumn<bool>("pictureAfterSave");
        QTest::addColumn<SaveChoice>("choice");
        QTest::addColumn<bool>("dialogGivesFile");
        QTest::addColumn<bool>("questionAsked");
        QTest::addColumn<bool>("closes");
        QTest::newRow("no pictures") << 0 << false << false << SaveChoice::Cancel << false << false << true;
        QTest::newRow("saved with 另存为") << 2 << true << false << SaveChoice::Cancel << true << false << true;
        QTest::newRow("a picture after the save") << 2 << true << true << SaveChoice::Cancel << true << true << false;
        QTest::newRow("unsaved, Cancel") << 2 << false << false << SaveChoice::Cancel << true << true << false;
        QTest::newRow("unsaved, Discard") << 2 << false << false << SaveChoice::Discard << false << true << true;
        QTest::newRow("unsaved, Save") << 2 << false << false << SaveChoice::Save << true << true << true;
        QTest::newRow("unsaved, Save, dialog cancelled") << 2 << false << false << SaveChoice::Save << false << true << false;
    }
    void closeQuestion()
    {
        QFETCH(int, pictures);
        QFETCH(bool, savedFirst);
        QFETCH(bool, pictureAfterSave);
        QFETCH(SaveChoice, choice);
        QFETCH(bool, dialogGivesFile);
        QFETCH(bool, questionAsked);
        QFETCH(bool, closes);
        const QString saved = file(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-') + ".txt");
        answers.saveChoice = choice;
        if (dialogGivesFile)
            answers.file = saved;
        auto form = window();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get(), 5000));
        for (int i = 0; i < pictures; ++i)
            form->session().pictureTable().addRow(picture(QStringLiteral("http://a.com/%1.gif").arg(i)));
        if (savedFirst)
            form->findChild<QAbstractButton*>("Command2")->click();
        if (pictureAfterSave)
            form->session().pictureTable().addRow(picture("http://a.com/late.gif"));

        QCOMPARE(form->close(), closes);
        QCOMPARE(form->isVisible(), !closes);
        QCOMPARE(answers.questions, questionAsked ? QStringList{asked(saveQuestion)} : QStringList());
        if (choice == SaveChoice::Save && dialogGivesFile)
            QCOMPARE(bytesOf(saved).count('\n'), 1 + pictures);
    }

    void restoreOffer_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes restores, stopped") << true;
        QTest::newRow("No starts empty") << false;
    }
    void restoreOffer()
    {
        QFETCH(bool, yes);
        const QString running = file(yes ? "running-yes.sqlite" : "running-no.sqlite");
        const QString crashed = file(yes ? "crashed-yes.sqlite" : "crashed-no.sqlite");
        {
            auto form = window(running);
            SearchSession& session = form->session();
            session.addStartPages("http://a.com/\r\nhttp://b.com/x\r\n");
            session.pageTable().setStatus(1, PageStatus::Done);
            session.pageTable().setStatus(2, PageStatus::Downloading);
            session.pictureTable().addRow(picture("http://a.com/z.gif"));
            session.pictureTable().addRow(picture("http://a.com/y.gif"));
            form->findChild<QCheckBox*>("Check1")->setChecked(true);
            QTRY_COMPARE_WITH_TIMEOUT(storedPictures(running), 2, 5000);
            // A copy of the file as it stands is what a power loss leaves behind.
            for (const QString suffix : {"", "-wal"})
                QVERIFY(!QFile::exists(running + suffix) || QFile::copy(running + suffix, crashed + suffix));
        }
        answers.answerYes = yes;
        auto form = window(crashed);
        QCOMPARE(answers.questions, QStringList{asked(restoreQuestion)});
        QCOMPARE(answers.failures, QStringList());
        SearchSession& session = form->session();
        QVERIFY(!session.isRunning());
        if (!yes) {
            QCOMPARE(session.pageTable().size(), 0);
            QCOMPARE(session.pictureTable().size(), 0);
            QVERIFY(!form->findChild<QCheckBox*>("Check1")->isChecked());
            return;
        }
        QCOMPARE(session.pageTable().size(), 2);
        QCOMPARE(session.pageTable().row(1).status, PageStatus::Done);
        QCOMPARE(session.pageTable().row(2).status, PageStatus::Waiting);
        QCOMPARE(session.pictureTable().size(), 2);
        QCOMPARE(session.pictureTable().row(0).fileName, "z.gif");
        QCOMPARE(session.siteList().text(), "|a.com|b.com");
        QVERIFY(form->findChild<QCheckBox*>("Check1")->isChecked());
        QVERIFY(session.extractTitles());
    }

    void closedCleanlyStartsAsAlways()
    {
        const QString session = file("clean.sqlite");
        {
            auto form = window(session);
            QCOMPARE(answers.questions, QStringList());
            form->session().addStartPages("http://a.com/\r\n");
            form->session().pictureTable().addRow(picture("http://a.com/z.gif"));
            answers.saveChoice = SaveChoice::Discard;
            QVERIFY(form->close());
        }
        answers = {};
        auto form = window(session);
        QCOMPARE(answers.questions, QStringList());
        QCOMPARE(form->session().pageTable().size(), 0);
        QCOMPARE(form->session().pictureTable().size(), 0);
    }

    void unusableSessionFileIsToldOnce()
    {
        const QString notes = file("notes.txt");
        QVERIFY(writeBytes(notes, "keep me\n"));
        auto form = window(notes);
        QCOMPARE(answers.failures.size(), 1);
        QVERIFY2(answers.failures.at(0).contains(notes), qPrintable(answers.failures.at(0)));
        QCOMPARE(answers.questions, QStringList());
        form->session().pictureTable().addRow(picture("http://a.com/z.gif"));
        QTest::qWait(3 * SessionRecorder::writeDelayMs);
        QCOMPARE(answers.failures.size(), 1);
        QCOMPARE(bytesOf(notes), QByteArray("keep me\n"));
    }
};

QTEST_MAIN(TestWindowSession)
#include "test_window_session.moc"
